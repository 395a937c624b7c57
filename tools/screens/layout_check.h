#pragma once
// The automatic part of looking at a page: every visible label, button (checkbox, radio,
// push button) and list on it gets at least the width its text needs and covers none of the
// visible widgets beside it in the same parent. Word-wrapped labels need the height their
// text takes at the width they got instead.
#include <QString>
#include <QStringList>

class QWidget;

namespace screens {

// One line per finding, naming the widget (class, object name, text) and what is wrong;
// empty when the page is sound. Only widgets visible on screen are looked at, so the page
// must be shown.
QStringList checkLayout(const QWidget* page);

}  // namespace screens
