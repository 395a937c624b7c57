// message_screens: renders the dialogs of the printer's message texts offscreen to PNG files so
// they can be looked at without a display:
//   OUTDIR/choice-open.png, OUTDIR/choice-save.png    the choice between text SDB and text file
//   OUTDIR/messages-sdb.png                           the messages dialog on a text SDB
//   OUTDIR/messages-file-readonly.png                 on a text file, online
// With --check every dialog is also checked for labels, buttons and lists that are cut off or
// overlap (tools/screens/layout_check.h). A message shown while rendering and every finding end
// the run with exit code 1.
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

#include "document/records.h"
#include "host/messages.h"
#include "printer/cp1252.h"
#include "printer/ui/choice_dialog.h"
#include "printer/ui/messages_dialog.h"
#include "tools/screens/layout_check.h"

namespace {

QtMessageHandler g_qtMessages = nullptr;
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    g_qtMessages(type, context, text);
}

struct Run {
    QDir out;
    bool check = false;
    host::RecordingMessages messages;
    int faults = 0;

    void save(QWidget& w, const QString& name) {
        w.show();
        QApplication::processEvents();
        if (!w.grab().save(out.filePath(name + ".png"), "PNG")) fail(name, "cannot write the file");
        if (check)
            for (const QString& finding : screens::checkLayout(&w)) fail(name, finding);
        for (const auto& m : messages.shown) fail(name, QString("message %1: %2").arg(m.id).arg(QString::fromStdString(m.text)));
        messages.shown.clear();
        w.close();
    }
    void fail(const QString& where, const QString& what) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(where), qPrintable(what));
        ++faults;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(qtMessage);
    QApplication qapp(argc, argv);
    Run run;
    QString outDir;
    for (const QString& a : QApplication::arguments().mid(1)) {
        if (a == "--check") run.check = true;
        else if (a.startsWith('-') || !outDir.isEmpty()) {
            std::fputs("usage: message_screens [--check] OUTDIR\n", stderr);
            return 2;
        } else outDir = a;
    }
    if (outDir.isEmpty() || !QDir().mkpath(outDir)) {
        std::fputs("usage: message_screens [--check] OUTDIR\n", stderr);
        return 2;
    }
    run.out = QDir(outDir);
    host::ScopedMessageService service(run.messages);

    for (int mode : {0, 1}) {
        CTextChoiceDialog choice(mode);
        run.save(choice, mode == 0 ? "choice-open" : "choice-save");
    }

    CDbdr printer;
    SetPrinterDefaults(printer, 'B');
    printer::TextData data;
    data.present = true;
    data.name.achName = {'K', 'E', 'S', 'S', 'E', 'L', ' ', ' '};
    data.name.byVerHi = 2;
    data.name.byVerLo = 1;
    data.store.setText(1, "Kessel 1 \\Bleer\\-B");
    data.store.setText(2, printer::Utf8ToCp1252("Druck zu hoch, Ventil öffnen"));
    data.store.setText(12, printer::Utf8ToCp1252(
                               "Temperatur im Vorlauf über dem Grenzwert: bitte die Umwälzpumpe prüfen und den Brenner "
                               "abschalten, bevor der Druck weiter steigt"));
    data.store.setText(900, "Ende");
    printer::MessagesModel::Setup setup;
    setup.source = printer::TextSource::Sdb;
    setup.limits = printer::LimitsFor(731, 0);
    setup.data = &data;
    setup.styles = printer::StyleLetters(printer);
    {
        CMessagesDialog dialog(setup);
        run.save(dialog, "messages-sdb");
    }
    setup.source = printer::TextSource::File;
    setup.fileTitle = "meld1";
    setup.fileContents = "1.0\r\n3:Papier fehlt\r\n4:Papierstau\r\n";
    setup.readOnly = true;
    {
        CMessagesDialog dialog(setup);
        run.save(dialog, "messages-file-readonly");
    }
    std::printf("message dialogs written to %s\n", qPrintable(run.out.absolutePath()));
    return run.faults ? 1 : 0;
}
