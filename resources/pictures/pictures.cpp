#include "resources/pictures/pictures.h"

#include <QFile>

#include <stdexcept>

namespace pictures {

QByteArray Load(const QString& name) {
    QFile file(":/pictures/" + name + ".svg");
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("picture \"" + name.toStdString() + "\" is missing from the program");
    return file.readAll();
}

}  // namespace pictures
