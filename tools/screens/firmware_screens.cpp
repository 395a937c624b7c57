// firmware_screens: renders the firmware dialog offscreen to PNG files so it can be looked at
// without a display:
//   OUTDIR/firmware-cp731.png           a CP 731 with its firmware version and a chosen update set
//   OUTDIR/firmware-cp731-transfer.png  halfway through a transfer to the simulated station, with
//                                       the diagnostic fields the update set asks for
//   OUTDIR/firmware-cp830-english.png   a CP 830 in language E
// With --check the dialog is also checked for labels and buttons that are cut off or overlap.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/registry.h"
#include "online/firmware_transfer.h"
#include "online/ui/firmware_dialog.h"
#include "online/y5lib.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/station.h"
#include "tools/sample_firmware/sample_firmware.h"
#include "tools/screens/screen_run.h"

namespace {

// The user's registry in memory, holding the index path of the update set.
struct Registry : host::Registry {
    std::map<std::tuple<host::Hive, std::string, std::string>, std::string> values;
    std::optional<std::string> read(host::Hive h, const std::string& k, const std::string& v) override {
        auto it = values.find({h, k, v});
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool write(host::Hive h, const std::string& k, const std::string& v, const std::string& d) override {
        values[{h, k, v}] = d;
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    return screens::RunScreens(argc, argv, "usage: firmware_screens [--check] OUTDIR\n", [](screens::ScreenRun& run) {
        QTemporaryDir set;
        const QString folder = set.path();
        samplefw::Options options;
        options.size = 40000;
        options.diagnostics = true;
        samplefw::WriteUpdateSet(folder.toStdString(), options);
        Registry registry;
        registry.write(host::Hive::CurrentUser, online::kFwRegistryKey, online::kFwRegistryValue,
                       (folder + QStringLiteral("/header.upd")).toStdString());

        // There is no project: a document says so when it looks for its page layout, which this
        // dialog does not show. Any other message is a fault.
        const auto noProject = [&run] {
            std::erase_if(run.messages.shown,
                          [](const host::Message& m) { return m.id == 0 && m.text == "Open object set failed"; });
        };
        AppSettings app;
        {
            CPtpDoc doc(app);
            doc.m_nModuleType = kCP731;
            noProject();
            CFirmwareDialog dialog(doc, true, true, &registry);
            dialog.ShowModuleVersion(std::string("V2.0.7"));
            run.save(dialog, QStringLiteral("firmware-cp731"));
        }
        {
            // halfway through a transfer to a station in this process
            cpsim::Station station;
            station.AddRecordServer(std::make_shared<cpsim::FirmwareRecords>());
            online::RouteAccessPoint(online::kDefaultAccessPoint, cpsim::InProcess(station));
            CPtpDoc doc(app);
            doc.m_nModuleType = kCP731;
            doc.m_nStationAddress = 2;
            CFirmwareDialog dialog(doc, true, true, &registry);
            dialog.ShowModuleVersion(std::string("V2.0.7"));
            dialog.show();
            run.messages.answer(host::kYes);  // to "Soll die FW auf die BG geladen werden?"
            dialog.StartTransfer();
            auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
            QElapsedTimer clock;
            clock.start();
            while (dialog.TransferRunning() && bar->value() < 45 && clock.elapsed() < 20000) QApplication::processEvents();
            run.messages.shown.clear();  // the question asked on the way is no fault
            run.save(dialog, QStringLiteral("firmware-cp731-transfer"));
            // Cancel ends the transfer at its next poll
            dialog.reject();
            while (dialog.TransferRunning() && clock.elapsed() < 30000) QApplication::processEvents();
            run.messages.shown.clear();
            online::RouteAccessPoint(online::kDefaultAccessPoint, {});
        }
        {
            app.language = 'E';
            CPtpDoc doc(app);
            doc.m_nModuleType = kCP830;
            noProject();
            CFirmwareDialog dialog(doc, false, true, &registry);
            dialog.ShowModuleVersion(std::nullopt);
            run.save(dialog, QStringLiteral("firmware-cp830-english"));
        }
    });
}
