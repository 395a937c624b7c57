#include "app/help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "host/messages.h"

void OpenHelpTopic(const std::string& helpFile, int topic) {
    const QString path = QString::fromStdString(helpFile);
    if (helpFile.empty() || !QFileInfo(path).isFile()) {
        host::plainMessage("Hilfe", "Die Hilfedatei \"" + helpFile + "\" ist nicht vorhanden.");
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setFragment(QString::number(topic));
    if (!QDesktopServices::openUrl(url))
        host::plainMessage("Hilfe", "Die Hilfedatei \"" + helpFile + "\" kann nicht angezeigt werden.");
}
