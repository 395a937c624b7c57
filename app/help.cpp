#include "app/help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "host/messages.h"

namespace {
void openHelp(const std::string& helpFile, const QString& fragment) {
    const QString path = QString::fromStdString(helpFile);
    if (helpFile.empty() || !QFileInfo(path).isFile()) {
        host::plainMessage("Hilfe", "Die Hilfedatei \"" + helpFile + "\" ist nicht vorhanden.");
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!fragment.isEmpty()) url.setFragment(fragment);
    if (!QDesktopServices::openUrl(url))
        host::plainMessage("Hilfe", "Die Hilfedatei \"" + helpFile + "\" kann nicht angezeigt werden.");
}
}  // namespace

void OpenHelpTopic(const std::string& helpFile, int topic) { openHelp(helpFile, QString::number(topic)); }

void OpenHelpContents(const std::string& helpFile) { openHelp(helpFile, {}); }
