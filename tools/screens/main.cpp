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
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include <cstdio>
#include <vector>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tools/screens/layout_check.h"
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

// The page's messages go here instead of message boxes; the run prints them and fails.
struct Run {
    QDir out;
    bool check = false;
    host::RecordingMessages messages;
    int written = 0;
    int faults = 0;

    void fault(const QString& where, const QString& what) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(where), qPrintable(what));
        ++faults;
    }
    void reportMessages(const QString& where) {
        for (const auto& m : messages.shown)
            fault(where, QString("message %1 \"%2\": %3")
                             .arg(m.id)
                             .arg(QString::fromStdString(m.title), QString::fromStdString(m.text)));
        messages.shown.clear();
    }

    // Opens the sheet as the overview does for a freshly set-up module of this kind (product
    // version 2, extended module) and saves every tab.
    void sheet(const ModuleKind& module, int iface, int protocol, bool readOnly) {
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
        std::erase_if(messages.shown, [](const host::Message& m) { return m.id == 0 && m.text == "Open object set failed"; });

        QString prefix = QString("%1-%2-%3").arg(module.name).arg(iface).arg(protocolName(protocol));
        if (readOnly) prefix += "-readonly";
        auto model = OpenProtocolSheet(doc);
        if (!model) return fault(prefix, "no sheet for this module and protocol");
        CProtocolSheet dialog(*model);
        dialog.show();
        QApplication::processEvents();
        reportMessages(prefix + " (opening)");

        for (int i = 0; i < dialog.pageCount(); ++i) {
            const QString name = QString("%1-%2-%3").arg(prefix).arg(i).arg(dialog.page(i)->info().className);
            if (dialog.tabs()->currentIndex() != i) {
                dialog.tabs()->setCurrentIndex(i);
                QApplication::processEvents();
                reportMessages(name + " (tab change)");
                if (dialog.tabs()->currentIndex() != i || model->activePage() != i) {
                    fault(name, "the sheet refused to show this tab");
                    break;
                }
            }
            const QString file = out.filePath(name + ".png");
            if (!dialog.grab().save(file, "PNG")) fault(name, "cannot write " + file);
            else ++written;
            if (check)
                for (const QString& finding : screens::checkLayout(dialog.page(i))) fault(name, finding);
            reportMessages(name);
        }
        dialog.close();
    }
};

// The offscreen platform says on every shown dialog that it cannot size windows by their
// hints; the dialogs size themselves, so that line is noise among the findings.
QtMessageHandler g_qtMessages = nullptr;
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    g_qtMessages(type, context, text);
}

int usage(FILE* to = stderr) {
    std::fprintf(to,
                 "usage: sheet_screens [--check] OUTDIR\n"
                 "Renders every protocol sheet page to OUTDIR/<module>-<interface>-<protocol>-<tab>-<page class>.png;\n"
                 "--check also reports labels, buttons and lists that are cut off or overlap.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // offscreen unless the caller chose a platform
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_qtMessages = qInstallMessageHandler(qtMessage);
    QApplication qapp(argc, argv);

    Run run;
    QString outDir;
    const QStringList args = QApplication::arguments().mid(1);
    for (const QString& a : args) {
        if (a == "--check") run.check = true;
        else if (a == "--help" || a == "-h") return usage(stdout), 0;
        else if (a.startsWith('-') || !outDir.isEmpty()) return usage();
        else outDir = a;
    }
    if (outDir.isEmpty()) return usage();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "sheet_screens: cannot make %s\n", qPrintable(outDir));
        return 1;
    }
    run.out = QDir(outDir);
    host::ScopedMessageService messages(run.messages);

    for (const ModuleKind& m : kModules)
        for (int iface : m.interfaces)
            for (int protocol : m.protocols) run.sheet(m, iface, protocol, false);
    // every control disabled: how an online module's sheet looks
    run.sheet(kModules[2], kIfRs422, kProtAscii, true);
    for (const QString& fault : screens::renderOverviews(run.out, run.check, run.written)) run.fault("overview", fault);
    std::erase_if(run.messages.shown, [](const host::Message& m) { return m.id == 0 && m.text == "Open object set failed"; });
    run.reportMessages("overview");

    std::printf("%d pages written to %s\n", run.written, qPrintable(QDir(outDir).absolutePath()));
    if (run.faults) std::fprintf(stderr, "sheet_screens: %d fault(s)\n", run.faults);
    return run.faults ? 1 : 0;
}
