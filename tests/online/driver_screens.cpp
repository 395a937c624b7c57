// driver_screens: renders the driver dialogs offscreen to PNG files so they can be looked at
// without a display, against the station simulator's record 200 and the sample driver:
//   OUTDIR/driver-dialog.png           "Treiber laden auf CP731", the module with an older driver
//   OUTDIR/driver-dialog-offline.png   the same without a connection
//   OUTDIR/driver-info.png             "Treiber info für CP831"
//   OUTDIR/driver-progress.png         "Treiber in BG laden" half way through the code part
// With --check every dialog is also checked for labels and buttons that are cut off or overlap.
// Usage: driver_screens [--check] OUTDIR
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <filesystem>

#include "document/codes.h"
#include "online/ui/driver_dialog.h"
#include "online/ui/driver_progress_dialog.h"
#include "tests/online/driver_fixture.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tools/screens/layout_check.h"

namespace {

int faults = 0;

void save(QWidget& w, const QDir& out, const QString& name, bool check) {
    w.show();
    QApplication::processEvents();
    const QString file = out.filePath(name + ".png");
    if (!w.grab().save(file)) {
        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
        ++faults;
    }
    if (check)
        for (const QString& finding : screens::checkLayout(&w)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(finding));
            ++faults;
        }
    w.hide();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    const bool check = args.removeAll("--check") > 0;
    if (args.size() != 1) {
        std::fputs("usage: driver_screens [--check] OUTDIR\n", stderr);
        return 2;
    }
    QDir out(args[0]);
    out.mkpath(".");

    support::MessageRecorder messages;
    support::MemoryProject project;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ptp_driver_screens";
    std::filesystem::create_directories(folder);
    driverpkg::Options o;
    o.codeLength = 4000;
    drvonline::SampleDriverModule module(folder, o);
    if (!module.ready) {
        std::fputs("the sample driver cannot be configured\n", stderr);
        return 1;
    }
    CPtpDoc& doc = *module.doc;
    doc.m_hModuleObject = project.module;
    online::Pump pump = [](int) {};

    cpsim::DriverRecords::Options older;
    older.driverName = "SAMPK731";
    older.verHi = 1, older.verLo = 0;
    cpsim::DriverRecords server(older);
    drvonline::SimChannel channel(server);
    {
        CDriverDialog dialog(doc, &channel, pump);
        save(dialog, out, "driver-dialog", check);
    }
    {
        CDriverDialog dialog(doc, nullptr, pump);
        save(dialog, out, "driver-dialog-offline", check);
    }
    {
        std::copy_n("SAMPK831", 8, doc.m_StoredDriver.name.begin());
        doc.m_StoredDriver.verHi = 1, doc.m_StoredDriver.verLo = 1;
        doc.m_nModuleType = kCP8312;
        CDriverInfoDialog dialog(doc);
        save(dialog, out, "driver-info", check);
        doc.m_nModuleType = kCP731;
    }
    {
        CDriverProgressDialog progress(channel, online::DriverModuleAddress(doc), online::DriverComponentsOf(doc));
        progress.show();
        const auto& job = progress.job();
        while (job.end() == online::DriverLoadJob::End::Running &&
               !(job.total() != 0 && job.remaining() * 2 <= job.total()))
            QApplication::processEvents();
        progress.refresh();
        save(progress, out, "driver-progress", check);
    }
    // the only message expected is the missing connection of the offline picture
    for (const auto& m : messages.shown)
        if (m.id != 2002) {
            std::fprintf(stderr, "message %d: %s\n", m.id, m.text.c_str());
            ++faults;
        }
    std::filesystem::remove_all(folder);
    std::printf("driver_screens: 4 pictures in %s\n", qPrintable(out.absolutePath()));
    return faults ? 1 : 0;
}
