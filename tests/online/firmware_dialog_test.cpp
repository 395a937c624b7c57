// The firmware dialog offscreen against a station in this process: what it shows of the module
// and the update set, the transfer with its progress and messages, Cancel, Enter, a controller
// not in STOP, and the English texts of a CP 830.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "online/firmware_transfer.h"
#include "online/ui/firmware_dialog.h"
#include "online/y5lib.h"
#include "tests/support/memory_registry.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/ident_records.h"
#include "tools/cpsim/station.h"
#include "tools/sample_firmware/sample_firmware.h"

namespace {

// A station with one module (every module address) and an update set in a folder of its own.
struct Bench {
    explicit Bench(cpsim::FirmwareRecords::Options options = {}, std::size_t size = 3000,
                   cpsim::IdentRecords::Form form = cpsim::IdentRecords::Form::Long)
        : firmware(std::make_shared<cpsim::FirmwareRecords>(options)) {
        station.AddRecordServer(firmware);
        station.AddRecordServer(std::make_shared<cpsim::IdentRecords>(form, cpsim::ModuleIdent()));
        online::RouteAccessPoint(online::kDefaultAccessPoint, cpsim::InProcess(station));
        samplefw::Options o;
        o.size = size;
        samplefw::WriteUpdateSet(dir.path().toStdString(), o);
        registry.write(host::Hive::CurrentUser, online::kFwRegistryKey, online::kFwRegistryValue, header());
        service = std::make_unique<host::ScopedMessageService>(messages);
    }
    ~Bench() { online::RouteAccessPoint(online::kDefaultAccessPoint, {}); }
    std::string header() const { return dir.path().toStdString() + "/header.upd"; }
    // The messages shown, without the document's note that there is no project.
    QList<int> ids() const {
        QList<int> out;
        for (const auto& m : messages.shown)
            if (m.id != 0 || m.text != "Open object set failed") out << m.id;
        return out;
    }

    QTemporaryDir dir;
    cpsim::Station station;
    std::shared_ptr<cpsim::FirmwareRecords> firmware;
    support::MemoryRegistry registry;
    host::RecordingMessages messages;
    std::unique_ptr<host::ScopedMessageService> service;
};

QString text(QWidget& w, const char* name) {
    if (auto* l = w.findChild<QLabel*>(name)) return l->text();
    if (auto* b = w.findChild<QPushButton*>(name)) return b->text();
    if (auto* e = w.findChild<QLineEdit*>(name)) return e->text();
    return QString("<missing %1>").arg(name);
}

}  // namespace

class FirmwareDialogTest : public QObject {
    Q_OBJECT
private slots:
    void showsModuleAndSelectedVersion() {
        Bench bench;
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.ReadModule();
        QCOMPARE(text(dialog, "moduleLabel"), QString(" CP731"));
        QCOMPARE(text(dialog, "moduleVersion"), QString("V2.1.3"));
        QCOMPARE(text(dialog, "selectedVersion"), QString("V2.1.3"));
        QCOMPARE(text(dialog, "indexPath"), QString::fromStdString(bench.header()));
        QVERIFY(bench.ids().isEmpty());
        QCOMPARE(doc.m_bFirmwareMissing, 0);

        // a path without "header.upd" is emptied and names no version
        dialog.SetIndexPath(bench.dir.path() + "/bg_abl.upd");
        QCOMPARE(text(dialog, "indexPath"), QString());
        QCOMPARE(text(dialog, "selectedVersion"), QString("- - - - - - - -"));
    }

    void moduleWithoutFirmware() {
        Bench bench({}, 100, cpsim::IdentRecords::Form::Missing);
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP830;
        CFirmwareDialog dialog(doc, false, true, &bench.registry);
        dialog.ReadModule();
        QCOMPARE(text(dialog, "moduleVersion"), QString("- - - - - - - -"));
        QCOMPARE(doc.m_bFirmwareMissing, 1);
    }

    void transferToTheEnd() {
        Bench bench({}, 3000);
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.show();
        bench.messages.answer(host::kYes);
        QTest::mouseClick(dialog.findChild<QPushButton*>("loadFirmware"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.TransferRunning(), 20000);
        QCOMPARE(bench.ids(), (QList<int>{2033, 2035}));
        QCOMPARE(QString::fromStdString(bench.messages.shown.back().title), QString("Firmware laden"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(text(dialog, "percent"), QString("100"));
        QCOMPARE(dialog.findChild<QProgressBar*>("progress")->value(), 100);
        QVERIFY(bench.firmware->Image() == samplefw::MakeImage(3000));
        QCOMPARE(doc.m_bFirmwareMissing, 0);
    }

    void cancelDuringTheTransfer() {
        cpsim::FirmwareRecords::Options slow;
        slow.untouchedAnswers = 1;  // one second's wait per block: time to press Cancel
        Bench bench(slow, 3000);
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.show();
        bench.messages.answer(host::kYes);
        dialog.StartTransfer();
        QVERIFY(dialog.TransferRunning());
        QTRY_VERIFY(!dialog.findChild<QPushButton*>("loadFirmware")->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>("findFile")->isEnabled());
        QVERIFY(!dialog.findChild<QLineEdit*>("indexPath")->isEnabled());
        QTest::mouseClick(dialog.findChild<QPushButton*>("cancel"), Qt::LeftButton);
        QVERIFY2(dialog.isVisible(), "Cancel during a transfer only asks it to end");
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.TransferRunning(), 20000);
        QCOMPARE(bench.ids(), (QList<int>{2033, 2034}));
        QCOMPARE(doc.m_bFirmwareMissing, 1);
        QCOMPARE(bench.firmware->Jobs().back().command, 0);
        QVERIFY(!dialog.isVisible());
    }

    void controllerNotInStopKeepsTheDialog() {
        Bench bench;
        bench.station.SetState(cpsim::kRun);
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.show();
        dialog.StartTransfer();
        QTRY_VERIFY(!dialog.TransferRunning());
        QCOMPARE(bench.ids(), (QList<int>{2003}));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.findChild<QPushButton*>("loadFirmware")->isEnabled());
        QVERIFY(bench.firmware->Jobs().empty());
    }

    void enterPressesNothing() {
        Bench bench;
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.show();
        for (const char* focus : {"indexPath", "loadFirmware", "cancel"}) {
            dialog.findChild<QWidget*>(focus)->setFocus();
            QTest::keyClick(&dialog, Qt::Key_Return);
            QVERIFY2(dialog.isVisible(), focus);
            QVERIFY2(!dialog.TransferRunning(), focus);
        }
        QVERIFY(bench.ids().isEmpty());
    }

    void englishTextsForACp830InLanguageE() {
        Bench bench;
        struct Case {
            int module;
            char language;
            const char* title;
            const char* load;
            const char* find;
            const char* label;
        };
        const Case cases[] = {
            {kCP830, 'E', "Firmware Update", "&Load Firmware", "&Find File...", " CP830"},
            {kCP830, 'A', "Firmware-Update", "&Firmware laden", "&Datei suchen...", " CP830"},
            {kCP731, 'E', "Firmware-Update", "&Firmware laden", "&Datei suchen...", " CP731"},
            {kCP8312, 'E', "Firmware-Update", "&Firmware laden", "&Datei suchen...", " CP831"},
        };
        for (const auto& c : cases) {
            AppSettings app;
            app.language = c.language;
            CPtpDoc doc(app);
            doc.m_nModuleType = c.module;
            CFirmwareDialog dialog(doc, c.module == kCP731, c.module != kCP8312, &bench.registry);
            QCOMPARE(dialog.windowTitle(), QString(c.title));
            QCOMPARE(text(dialog, "loadFirmware"), QString(c.load));
            QCOMPARE(text(dialog, "findFile"), QString(c.find));
            QCOMPARE(text(dialog, "moduleLabel"), QString(c.label));
        }
    }

    void findFileTakesTheChosenIndex() {
        Bench bench;
        AppSettings app;
        CPtpDoc doc(app);
        doc.m_nModuleType = kCP731;
        CFirmwareDialog dialog(doc, true, true, &bench.registry);
        dialog.SetIndexPath(QString());
        QString chosen = bench.dir.path() + "/missing/header.upd";
        dialog.chooseFile = [&chosen](QWidget*) { return chosen; };
        QTest::mouseClick(dialog.findChild<QPushButton*>("findFile"), Qt::LeftButton);
        QCOMPARE(bench.ids(), (QList<int>{2021}));
        QCOMPARE(text(dialog, "indexPath"), QString());
        chosen = QString::fromStdString(bench.header());
        QTest::mouseClick(dialog.findChild<QPushButton*>("findFile"), Qt::LeftButton);
        QCOMPARE(text(dialog, "indexPath"), chosen);
        QCOMPARE(text(dialog, "selectedVersion"), QString("V2.1.3"));
    }
};

QTEST_MAIN(FirmwareDialogTest)
#include "firmware_dialog_test.moc"
