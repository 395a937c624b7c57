// sheet_screens: renders every protocol sheet of every module family, interface and protocol
// offscreen, one PNG file per tab, so the pages can be looked at without a display:
//   OUTDIR/<module>-<interface>-<protocol>-<tab>-<page class>.png
// plus one sheet in read-only (online) mode with "readonly" before the tab. With --check every
// shown page is also checked for labels, buttons and lists that are cut off or overlap their
// neighbours (tools/screens/layout_check.h). A message shown while rendering, a tab change the
// sheet refuses and every finding of the check are printed on standard error and end the run
// with exit code 1. The overview is rendered too, in each of its layouts
// (tools/screens/overview_screens.h).
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>

#include <vector>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tools/screens/layout_check.h"
#include "tools/screens/screen_run.h"
#include "tools/screens/overview_screens.h"
#include "view/protocol_sheet.h"

namespace {

struct ModuleKind {
    int type;
    const char* name;  // in file names
    std::vector<int> interfaces;
    std::vector<int> protocols;  // those the module family offers
};

// Every module family with each interface it is built with and each protocol it runs.
// The CP 831-1 runs no RK 512.
const ModuleKind kModules[] = {
    {kCP730, "CP730", {kIfRs232, kIfTty, kIfRs422}, {kProt3964, kProtAscii, kProtPrinter}},
    {kCP830, "CP830", {kIfRs232}, {kProt3964, kProtAscii}},
    {kCP731, "CP731", {kIfRs232, kIfTty, kIfRs422}, {kProt3964, kProtRk512, kProtAscii, kProtPrinter}},
    {kCP8311, "CP831-1", {kIfHostRs232, kIfHostTty, kIfHostRs422}, {kProt3964, kProtAscii, kProtPrinter}},
    {kCP8312, "CP831-2", {kIfHostRs232, kIfHostTty, kIfHostRs422}, {kProt3964, kProtRk512, kProtAscii, kProtPrinter}},
};

const char* protocolName(int protocol) {
    switch (protocol) {
    case kProt3964: return "3964";
    case kProtRk512: return "rk512";
    case kProtAscii: return "ascii";
    default: return "printer";
    }
}

// Opens the sheet as the overview does for a freshly set-up module of this kind (product
// version 2, extended module) and saves every tab.
void renderSheet(screens::ScreenRun& run, const ModuleKind& module, int iface, int protocol, bool readOnly) {
    AppSettings app;
    CPtpDoc doc(app);
    doc.m_nModuleType = module.type;
    doc.m_nInterfaceCode = iface;
    doc.m_nInterfaceNo = 2;
    doc.m_nProtocol = protocol;
    doc.m_nProductVersion = 2;
    doc.m_bExtendedModule = 1;
    doc.m_bOnline = readOnly ? 1 : 0;
    doc.BuildDefaults(doc.m_CurParams);
    // There is no project: the document says so when it looks for the page layout of the
    // printout, which no sheet shows. Any other message is a fault.
    std::erase_if(run.messages.shown, [](const host::Message& m) { return m.id == 0 && m.text == "Open object set failed"; });

    QString prefix = QString("%1-%2-%3").arg(module.name).arg(iface).arg(protocolName(protocol));
    if (readOnly) prefix += "-readonly";
    auto model = OpenProtocolSheet(doc);
    if (!model) return run.fault(prefix, "no sheet for this module and protocol");
    CProtocolSheet dialog(*model);
    dialog.show();
    QApplication::processEvents();
    run.reportMessages(prefix + " (opening)");

    for (int i = 0; i < dialog.pageCount(); ++i) {
        const QString name = QString("%1-%2-%3").arg(prefix).arg(i).arg(dialog.page(i)->info().className);
        if (dialog.tabs()->currentIndex() != i) {
            dialog.tabs()->setCurrentIndex(i);
            QApplication::processEvents();
            run.reportMessages(name + " (tab change)");
            if (dialog.tabs()->currentIndex() != i || model->activePage() != i) {
                run.fault(name, "the sheet refused to show this tab");
                break;
            }
        }
        const QString file = run.out.filePath(name + ".png");
        if (!dialog.grab().save(file, "PNG")) run.fault(name, "cannot write " + file);
        else ++run.written;
        if (run.check)
            for (const QString& finding : screens::checkLayout(dialog.page(i))) run.fault(name, finding);
        run.reportMessages(name);
    }
    dialog.close();
}

const char* const kUsage =
    "usage: sheet_screens [--check] OUTDIR\n"
    "Renders every protocol sheet page to OUTDIR/<module>-<interface>-<protocol>-<tab>-<page class>.png;\n"
    "--check also reports labels, buttons and lists that are cut off or overlap.\n";

}  // namespace

int main(int argc, char** argv) {
    return screens::RunScreens(argc, argv, kUsage, [](screens::ScreenRun& run) {
        for (const ModuleKind& m : kModules)
            for (int iface : m.interfaces)
                for (int protocol : m.protocols) renderSheet(run, m, iface, protocol, false);
        // every control disabled: how an online module's sheet looks
        renderSheet(run, kModules[2], kIfRs422, kProtAscii, true);
        for (const QString& fault : screens::renderOverviews(run.out, run.check, run.written)) run.fault("overview", fault);
        std::erase_if(run.messages.shown,
                      [](const host::Message& m) { return m.id == 0 && m.text == "Open object set failed"; });
        run.reportMessages("overview");
    });
}
