#include "tools/screens/screen_run.h"

#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <cstdio>

#include "tools/screens/layout_check.h"

namespace screens {

namespace {
// The offscreen platform says on every shown dialog that it cannot size windows by their
// hints; the dialogs size themselves, so that line is noise among the findings.
QtMessageHandler g_qtMessages = nullptr;
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    g_qtMessages(type, context, text);
}
}  // namespace

void ScreenRun::fault(const QString& where, const QString& what) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(where), qPrintable(what));
    ++faults;
}

void ScreenRun::reportMessages(const QString& where) {
    for (const auto& m : messages.shown)
        fault(where, QString("message %1 \"%2\": %3")
                         .arg(m.id)
                         .arg(QString::fromStdString(m.title), QString::fromStdString(m.text)));
    messages.shown.clear();
}

void ScreenRun::save(QWidget& window, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString file = out.filePath(name + ".png");
    if (!window.grab().save(file, "PNG")) fault(name, "cannot write " + file);
    else ++written;
    if (check)
        for (const QString& finding : checkLayout(&window)) fault(name, finding);
    reportMessages(name);
    window.close();
}

int RunScreens(int argc, char** argv, const char* usage, const std::function<void(ScreenRun&)>& render) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(qtMessage);
    QApplication qapp(argc, argv);
    ScreenRun run;
    QString outDir;
    bool misused = false;
    for (const QString& a : QApplication::arguments().mid(1)) {
        if (a == "--check") run.check = true;
        else if (a == "--help" || a == "-h") return std::fputs(usage, stdout), 0;
        else if (a.startsWith('-') || !outDir.isEmpty()) misused = true;
        else outDir = a;
    }
    if (misused || outDir.isEmpty()) return std::fputs(usage, stderr), 2;
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(outDir));
        return 1;
    }
    run.out = QDir(outDir);
    {
        host::ScopedMessageService service(run.messages);
        render(run);
    }
    std::printf("%d pictures written to %s\n", run.written, qPrintable(run.out.absolutePath()));
    if (run.faults) std::fprintf(stderr, "%d fault(s)\n", run.faults);
    return run.faults ? 1 : 0;
}

}  // namespace screens
