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
#include "tools/screens/screen_run.h"

int main(int argc, char** argv) {
    return screens::RunScreens(argc, argv, "usage: message_screens [--check] OUTDIR\n", [](screens::ScreenRun& run) {
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
    });
}
