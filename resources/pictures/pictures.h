#pragma once
// The overview's pictures: plain line drawings (SVG) compiled into the program, each in a
// normal form and, for the buttons that open something, a focused form with a highlighted
// outline ("<name>_focus").
#include <QByteArray>
#include <QString>

namespace pictures {

// The SVG text of the picture `name` ("ag", "protokoll", "protokoll_focus", ...). Throws
// std::runtime_error naming the picture when the program holds no such picture: a window
// built without its pictures is a broken build, not a state to show.
QByteArray Load(const QString& name);

}  // namespace pictures
