// The driver dialogs offscreen: what they show of the installed, the project's and the module's
// driver, the load button with its question, the progress dialog running the load to its end,
// and the read-back afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "document/codes.h"
#include "host/messages.h"
#include "online/ui/driver_dialog.h"
#include "online/ui/driver_progress_dialog.h"
#include "tests/online/driver_fixture.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace {

struct DriverDialog : ::testing::Test {
    support::MessageRecorder messages;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_drvdialog"};
    std::unique_ptr<drvonline::SampleDriverModule> module;
    cpsim::DriverRecords server;
    drvonline::SimChannel channel{server};
    online::Pump pump = [](int) {};

    CPtpDoc& doc() { return *module->doc; }
    void SetUp() override {
        driverpkg::Options o;
        o.codeLength = 450;
        module = std::make_unique<drvonline::SampleDriverModule>(dir.path, o);
        ASSERT_TRUE(module->ready);
        doc().m_hModuleObject = project.module;
        messages.shown.clear();
    }
    static QString text(QWidget& w, const char* name) { return w.findChild<QLineEdit*>(name)->text(); }
};

}  // namespace

TEST_F(DriverDialog, WithoutConnectionNothingCanBeLoaded) {
    CDriverDialog dialog(doc(), nullptr, pump);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2002}));
    EXPECT_EQ(messages.shown[0].title, "Treiber laden");
    EXPECT_EQ(text(dialog, "moduleName"), "- - - -");
    EXPECT_EQ(text(dialog, "moduleVersion"), "- - - -");
    EXPECT_EQ(text(dialog, "pgName"), "SAMPK731");
    EXPECT_FALSE(dialog.findChild<QPushButton*>("load")->isEnabled());
}

TEST_F(DriverDialog, LoadRunsTheProgressAndShowsTheModulesNewDriver) {
    server.options().driverName = "OLDDRV00";
    server.options().verHi = 0, server.options().verLo = 9;
    CDriverDialog dialog(doc(), &channel, pump);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(text(dialog, "moduleName"), "OLDDRV00");
    EXPECT_EQ(text(dialog, "moduleVersion"), "0.9");
    ASSERT_TRUE(dialog.findChild<QPushButton*>("load")->isEnabled());

    // No to the question: nothing is sent
    const int writes = server.writes();
    messages.answer(host::kNo);
    dialog.findChild<QPushButton*>("load")->click();
    EXPECT_EQ(messages.ids(), (std::vector<int>{606}));
    EXPECT_EQ(messages.shown[0].title, "Treiber laden");
    EXPECT_EQ(server.writes(), writes);

    int percentSeen = -1;
    dialog.runProgress = [&](QDialog& d) {
        d.exec();  // the load runs on the event loop and ends the dialog
        auto& progress = static_cast<CDriverProgressDialog&>(d);
        EXPECT_EQ(progress.job().end(), online::DriverLoadJob::End::Loaded);
        percentSeen = progress.findChild<QProgressBar*>("progress")->value();
    };
    messages.shown.clear();
    messages.answer(host::kYes);
    dialog.findChild<QPushButton*>("load")->click();
    EXPECT_EQ(messages.ids(), (std::vector<int>{606}));
    EXPECT_EQ(percentSeen, 100);
    ASSERT_EQ(server.received().size(), 3u);
    EXPECT_EQ(server.received()[0].code.size(), 450u);
    EXPECT_EQ(text(dialog, "moduleName"), "SAMPK731");
    EXPECT_EQ(text(dialog, "moduleVersion"), text(dialog, "pgVersion"));
    EXPECT_TRUE(dialog.documentChanged());
    EXPECT_EQ(doc().m_bDriverLoaded, 1);
    EXPECT_TRUE(doc().IsModified());
}

TEST_F(DriverDialog, FailedLoadStillShowsWhatTheModuleReports) {
    CDriverDialog dialog(doc(), &channel, pump);
    EXPECT_EQ(text(dialog, "moduleName"), "- - - -");  // no loadable driver on the module
    server.options().driverPresent = true;
    server.options().driverName = "SAMPK731";
    server.options().verHi = 7;
    dialog.runProgress = [](QDialog& d) { d.exec(); };
    messages.answer(host::kYes);
    dialog.findChild<QPushButton*>("load")->click();
    EXPECT_EQ(messages.ids(), (std::vector<int>{606, 2013}));
    EXPECT_EQ(text(dialog, "moduleVersion"), "7.0");
}

TEST_F(DriverDialog, InformationOfACp8312ComparesProjectAndInstalledDriver) {
    doc().m_nModuleType = kCP8312;
    std::copy_n("SAMPK831", 8, doc().m_StoredDriver.name.begin());
    doc().m_StoredDriver.verHi = 1, doc().m_StoredDriver.verLo = 1;
    CDriverInfoDialog dialog(doc());
    EXPECT_EQ(text(dialog, "projectName"), "SAMPK831");
    EXPECT_EQ(text(dialog, "projectVersion"), "1.1");
    EXPECT_EQ(text(dialog, "pgName"), "SAMPK731");
    EXPECT_TRUE(messages.shown.empty());
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
