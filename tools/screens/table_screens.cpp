// table_screens: renders the printer's character set, control characters and page layout
// dialogs offscreen to PNG files so they can be looked at without a display:
//   OUTDIR/printer-charset-ibm.png, printer-charset-user.png         the character set
//   OUTDIR/printer-control-deskjet.png, printer-control-user.png     the control characters (the user
//                                                                    emulation with more rows than shown)
//   OUTDIR/printer-layout.png, printer-layout-readonly.png           the page layout, online too
// With --check every dialog is also checked for labels, buttons and lists that are cut off or
// overlap (tools/screens/layout_check.h). A message shown while rendering and every finding end
// the run with exit code 1.
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <cstring>

#include "document/records.h"
#include "host/messages.h"
#include "printer/character_set.h"
#include "printer/control_characters.h"
#include "printer/page_layout.h"
#include "printer/ui/character_set_dialog.h"
#include "printer/ui/control_characters_dialog.h"
#include "printer/ui/page_layout_dialog.h"
#include "tools/screens/screen_run.h"

namespace {

CDbdr defaults() {
    CDbdr r;
    SetPrinterDefaults(r, 'B');
    return r;
}

// A user emulation with three instructions of its own besides the five styles.
CDbdr userEmulation() {
    CDbdr r = defaults();
    auto rows = printer::ParseCtrlTable(r.abyCtrlTable.data(), r.abyCtrlTable.size(), r.byCtrlCount, r.byCtrlLength);
    rows.push_back({'D', "1B 28 73 31 30 48", "1B 28 73 31 32 48"});
    rows.push_back({'L', "1B 26 6C 31 4F", "1B 26 6C 30 4F"});
    rows.push_back({'P', "0C", ""});
    const printer::CtrlTable t = printer::BuildCtrlTable(rows);
    std::copy(t.bytes.begin(), t.bytes.end(), r.abyCtrlTable.begin());
    r.byCtrlCount = static_cast<uint8_t>(t.count);
    r.byCtrlLength = static_cast<uint8_t>(t.length);
    r.byEmulation = 255;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    return screens::RunScreens(argc, argv, "usage: table_screens [--check] OUTDIR\n", [](screens::ScreenRun& run) {
        {
            printer::CharacterSetModel model(defaults(), 'B', false);
            CCharacterSetDialog dialog(model);
            run.save(dialog, "printer-charset-ibm");
        }
        {
            CDbdr user = defaults();
            user.byCharSet = 255;
            user.abyCharTable[0x41] = 0x04;
            printer::CharacterSetModel model(user, 'B', false);
            CCharacterSetDialog dialog(model);
            run.save(dialog, "printer-charset-user");
        }
        {
            printer::ControlCharacterModel model(defaults(), false);
            CControlCharactersDialog dialog(model);
            run.save(dialog, "printer-control-deskjet");
        }
        {
            printer::ControlCharacterModel model(userEmulation(), false);
            CControlCharactersDialog dialog(model);
            run.save(dialog, "printer-control-user");
        }
        CDbdr layout = defaults();
        std::memcpy(layout.achTextLine[0].data(), "Kesselhaus Nord", 15);
        std::memcpy(layout.achTextLine[2].data(), "Seite", 5);
        layout.byHeaderLines = 1;
        layout.byFooterLines = 1;
        for (bool readOnly : {false, true}) {
            printer::PageLayoutModel model(layout, {15, 0, 5, 0}, readOnly);
            CPageLayoutDialog dialog(model);
            run.save(dialog, readOnly ? "printer-layout-readonly" : "printer-layout");
        }
    });
}
