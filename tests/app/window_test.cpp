#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include <cstring>
#include <functional>
#include <optional>

#include "app/module_properties_dialog.h"
#include "app/ptp_app.h"
#include "document/codes.h"
#include "host/project.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tests/support/memory_project.h"
#include "tests/support/memory_registry.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"
#include "view/module_properties.h"

namespace {

const std::string kStartup = support::StartupString({.interfaceNo = 0, .name = "CP 731"});
constexpr int kDriver = (1 << 8) | 255;  // a loadable driver's protocol code

// The visible top-level dialog of that object name, handed to `look` and then closed with OK.
void onDialog(const QString& name, std::function<void(QDialog*)> look) {
    QTimer::singleShot(0, [name, look] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(w);
            if (!dialog || !dialog->isVisible() || dialog->objectName() != name) continue;
            look(dialog);
            dialog->accept();
        }
    });
}

QString valueOf(QDialog* dialog, const char* name) {
    auto* label = dialog->findChild<QLabel*>(name);
    return label ? label->text() : QString("<missing %1>").arg(name);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
    support::MessageRecorder messages;
    support::MemoryRegistry registry;  // empty: no host installation
    std::optional<support::MemoryProject> project;
    host::ObjectHandle module = 0;

private slots:
    void init() {
        messages.shown.clear();
        host::setMessageService(&messages);
        project.emplace(support::ModuleObject{{1322001, 1, 3, 1, 1, 1}, "CP 731 (R0/S5)"});
        module = project->module;
    }
    void cleanup() {
        project.reset();
        host::setMessageService(nullptr);
    }

    void directStartIsRefused() {
        CPtPApp app;
        QCOMPARE(app.InitInstance("", false, &registry, [](const std::string&) { return nullptr; }), 1);
        QVERIFY(app.m_bQuitRequested);
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].id, 563);
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("Starten von Punkt-zu-Punkt-Kopplung parametrieren"));
        app.ExitInstance();
    }

    // A named project that cannot be opened ends the start with the text ptpcfg prints, before
    // any document exists that could be stored into nothing.
    void projectThatCannotBeOpenedEndsTheStart() {
        const QByteArray path = QDir::temp().filePath("ptp_window_missing.qorb").toLocal8Bit();
        QFile::remove(QString::fromLocal8Bit(path));
        qputenv("QORB4_PROJECT", path);
        std::string expected;
        QVERIFY(host::OpenProjectFromEnvironment(&expected) == host::ProjectOpening::Failed);
        for (bool embedded : {false, true}) {
            messages.shown.clear();
            CPtPApp app;
            QCOMPARE(app.InitInstance(kStartup, embedded, &registry, [](const std::string&) { return nullptr; }), 0);
            QCOMPARE(messages.shown.size(), size_t(1));
            QCOMPARE(messages.shown[0].id, 0);
            QCOMPARE(QString::fromStdString(messages.shown[0].title),
                     QString("Starten von Punkt-zu-Punkt-Kopplung parametrieren"));
            QCOMPARE(messages.shown[0].text, expected);
            QVERIFY(QString::fromStdString(messages.shown[0].text).startsWith("Projekt " + QString::fromLocal8Bit(path)));
            QVERIFY(!app.m_pDoc);
            QVERIFY(!app.m_pMainFrame);
            app.ExitInstance();
        }
        qunsetenv("QORB4_PROJECT");
        QVERIFY(host::currentProject());  // the test's in-memory project was left alone
    }

    void titleSaveAndCloseQuestion() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        QCOMPARE(frame->windowTitle(), QString("CP 731  (R0/S5)  -- P1\\S1"));
        QVERIFY(frame->isVisible());

        // nothing stored yet: defaults, modified, so "Speichern" is enabled
        QVERIFY(app.m_pDoc->IsModified());
        QVERIFY(frame->SaveAction()->isEnabled());
        QCOMPARE(frame->SaveAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        frame->SaveAction()->trigger();
        QVERIFY(!app.m_pDoc->IsModified());
        QVERIFY(!frame->SaveAction()->isEnabled());
        QVERIFY(host::currentProject()->binary(module, kAttrParameterBlock).has_value());

        // a change: closing asks 566; Cancel keeps the window open
        app.m_pDoc->SetModifiedFlag(true);
        messages.shown.clear();
        messages.answer(host::kCancel);
        QVERIFY(!frame->close());
        QCOMPARE(messages.shown.back().id, 566);
        messages.answer(host::kNo);
        QVERIFY(frame->close());
        app.ExitInstance();
    }

    void embeddedStartWaitsForShow() {
        CPtPApp app;
        QCOMPARE(app.InitInstance("", true, &registry, [](const std::string&) { return nullptr; }), 1);
        QVERIFY(!app.m_bQuitRequested);
        QCOMPARE(app.m_settings.initDone, 0);
        QVERIFY(messages.shown.empty() || messages.shown[0].text == "Open object set failed");
        QCOMPARE(app.m_pAutomation->Show(1, 2, 3, 4, 5, 6, "x"), 0);
        QCOMPARE(app.m_pDoc->m_bSaveObjectSet, 1);
        app.ExitInstance();
    }

    // A double click on the overview's protocol button opens the sheet of the current protocol: Cancel after a
    // change leaves the document as it was, OK takes the change and marks the document.
    void protocolSheetFromTheOverview() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CPtpDoc& doc = *app.m_pDoc;
        doc.SetModifiedFlag(false);
        const CDb before = doc.m_CurParams;
        QVERIFY(app.m_pView->ProtocolButton()->isEnabled());

        auto onSheet = [](bool ok) {
            QTimer::singleShot(0, [ok] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    auto* sheet = qobject_cast<CProtocolSheet*>(w);
                    if (!sheet || !sheet->isVisible()) continue;
                    auto* baud = sheet->page(0)->findChild<QComboBox*>("byBaud");
                    QVERIFY(baud);
                    QTest::keyClick(baud, Qt::Key_Up);  // one rate lower
                    QTest::mouseClick(ok ? sheet->okButton() : sheet->cancelButton(), Qt::LeftButton);
                }
            });
        };
        onSheet(false);
        QTest::mouseDClick(app.m_pView->ProtocolButton(), Qt::LeftButton);
        QVERIFY(std::memcmp(&before, &doc.m_CurParams, sizeof before) == 0);
        QVERIFY(!doc.IsModified());

        onSheet(true);
        app.m_pMainFrame->Command(32774)->trigger();  // "Objekt öffnen" opens the focused button
        app.m_pMainFrame->OpenObjectAction()->trigger();
        QVERIFY(std::memcmp(&before, &doc.m_CurParams, sizeof before) != 0);
        QCOMPARE(+doc.m_CurParams.byBaud, before.byBaud - 1);
        QVERIFY(doc.IsModified());
        QVERIFY(app.m_pMainFrame->SaveAction()->isEnabled());
        doc.SetModifiedFlag(false);
        app.ExitInstance();
    }

    // The protocol list: No to the question leaves protocol, parameters and modified flag as
    // they were; Yes loads the new protocol's defaults and marks the document.
    void protocolListChangesTheProtocol() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CPtpDoc& doc = *app.m_pDoc;
        doc.SetModifiedFlag(false);
        const int before = doc.m_nProtocol;
        const CDb params = doc.m_CurParams;
        QComboBox* list = app.m_pView->ProtocolList();
        QCOMPARE(list->itemData(list->currentIndex()).toInt(), before);
        const int ascii = list->findText("ASCII");
        QVERIFY(ascii >= 0 && ascii != list->currentIndex());

        messages.shown.clear();
        messages.answer(host::kNo);
        auto choose = [list](int index) {  // a selection the user confirmed
            list->setCurrentIndex(index);
            emit list->activated(index);
        };
        choose(ascii);
        QVERIFY(!messages.shown.empty());
        QCOMPARE(messages.shown.back().id, 561);
        QCOMPARE(doc.m_nProtocol, before);
        QVERIFY(std::memcmp(&params, &doc.m_CurParams, sizeof params) == 0);
        QVERIFY(!doc.IsModified());
        QCOMPARE(list->itemData(list->currentIndex()).toInt(), before);

        // an arrow key on the closed list opens it and asks nothing
        messages.shown.clear();
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(messages.shown.empty());
        QCOMPARE(list->itemData(list->currentIndex()).toInt(), before);
        QVERIFY(list->view()->isVisible());
        list->hidePopup();

        messages.answer(host::kYes);
        choose(ascii);
        QCOMPARE(doc.m_nProtocol, int(kProtAscii));
        QCOMPARE(list->currentText(), QString("ASCII"));
        QVERIFY(doc.IsModified());
        QVERIFY(app.m_pMainFrame->SaveAction()->isEnabled());
        doc.SetModifiedFlag(false);
        app.ExitInstance();
    }

    // The menus as the user reads them: texts with mnemonics, shortcuts, and which commands
    // are enabled with the document open (printing and page setup are).
    void menusAndShortcuts() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        QStringList menus;
        for (QAction* a : frame->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, QStringList({"&Datei", "&Bearbeiten", "&Ansicht", "E&xtras", "&Hilfe"}));
        const struct {
            int id;
            const char* text;
            QKeySequence key;
            bool enabled;
        } items[] = {
            {57603, "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S), true},
            {32773, "&Eigenschaften...", {}, true},
            {57607, "&Drucken...", QKeySequence(Qt::CTRL | Qt::Key_P), true},
            {57609, "Druck&vorschau", {}, true},
            {57606, "Drucker einri&chten...", {}, true},
            {32778, "Seite ei&nrichten...", {}, true},
            {57665, "&Beenden", QKeySequence(Qt::ALT | Qt::Key_F4), true},
            {32774, "&Gehe zu <Protokoll>", QKeySequence(Qt::CTRL | Qt::Key_E), true},
            {32781, "G&ehe zu <Treiber laden>", QKeySequence(Qt::CTRL | Qt::Key_L), false},
            {32782, "Ge&he zu <Treiber info>", QKeySequence(Qt::CTRL | Qt::Key_I), false},
            {32775, "&Objekt öffnen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O), true},
            {59392, "&Funktionsleiste", {}, true},
            {59393, "&Statuszeile", {}, true},
            {32780, "Firmware &Update...", {}, true},
            {57666, "&Hilfethemen...", QKeySequence(Qt::Key_F1), true},
            {32779, "&Einführung", {}, true},
            {57668, "Hilfe &benutzen", {}, true},
            {57664, "Inf&o...", {}, true},
        };
        for (const auto& item : items) {
            QAction* a = frame->Command(item.id);
            QVERIFY2(a, qPrintable(QString::number(item.id)));
            QCOMPARE(a->text(), QString(item.text));
            QCOMPARE(a->shortcut(), item.key);
            QVERIFY2(a->isEnabled() == item.enabled, item.text);
        }
        QVERIFY(frame->ToolBar()->actions().contains(frame->Command(57603)));
        QVERIFY(frame->ToolBar()->actions().contains(frame->Command(57607)));
        QStringList indicators;
        for (int id : {59137, 59138, 59139})
            indicators << frame->statusBar()->findChild<QLabel*>(QString("indicator%1").arg(id))->text();
        QCOMPARE(indicators, QStringList({"UF", "NUM", "RF"}));

        // "Funktionsleiste" and "Statuszeile" hide and show the bars
        frame->Command(59392)->trigger();
        QVERIFY(frame->ToolBar()->isHidden());
        frame->Command(59393)->trigger();
        QVERIFY(frame->statusBar()->isHidden());
        frame->Command(59392)->trigger();
        frame->Command(59393)->trigger();
        QVERIFY(!frame->ToolBar()->isHidden());
        QVERIFY(!frame->statusBar()->isHidden());

        // "Gehe zu <Protokoll>" puts the focus on the overview's protocol button; Enter opens it
        frame->Command(32774)->trigger();
        QCOMPARE(frame->focusWidget(), static_cast<QWidget*>(app.m_pView->ProtocolButton()));
        bool opened = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* sheet = qobject_cast<CProtocolSheet*>(w); sheet && sheet->isVisible()) {
                    opened = true;
                    sheet->reject();
                }
        });
        QTest::keyClick(app.m_pView->ProtocolButton(), Qt::Key_Return);
        QVERIFY(opened);
        app.m_pDoc->SetModifiedFlag(false);
        app.ExitInstance();
    }

    // The driver and firmware commands follow module, protocol, online mode and the extended
    // flag; a CP 731 of version 2 or later refuses the firmware update with 615.
    void driverAndFirmwareCommands() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        CPtpDoc& doc = *app.m_pDoc;
        const struct {
            int module, protocol, online, extended;
            bool load, info, firmware;
        } cases[] = {
            {kCP731, kDriver, 0, 0, true, false, true},   {kCP731, kDriver, 1, 0, false, false, false},
            {kCP8312, kDriver, 0, 1, false, true, true},  {kCP8312, kDriver, 1, 1, false, false, false},
            {kCP8311, kProt3964, 0, 0, false, false, false}, {kCP8311, kProt3964, 0, 1, false, false, true},
        };
        for (const auto& c : cases) {
            doc.m_nModuleType = c.module;
            doc.m_nProtocol = c.protocol;
            doc.m_bOnline = c.online;
            doc.m_bExtendedModule = c.extended;
            frame->UpdateCommands();
            const QByteArray what = QString("module %1 online %2 extended %3").arg(c.module).arg(c.online).arg(c.extended).toLatin1();
            QVERIFY2(frame->Command(32781)->isEnabled() == c.load, what);
            QVERIFY2(frame->Command(32782)->isEnabled() == c.info, what);
            QVERIFY2(frame->Command(32780)->isEnabled() == c.firmware, what);
        }

        // Ctrl+L on a CP 731 with a driver: the overview's button of the driver gets the focus
        doc.m_nModuleType = kCP731;
        doc.m_nProtocol = kDriver;
        doc.m_bOnline = 0;
        app.m_pView->OnInitialUpdate(doc);
        frame->UpdateCommands();
        frame->Command(32781)->trigger();
        QCOMPARE(frame->focusWidget(), static_cast<QWidget*>(app.m_pView->DriverButton()));

        doc.m_nProductVersion = 2;
        messages.shown.clear();
        frame->Command(32780)->trigger();
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].id, 615);
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("FW-Update des projektierter CPs aus Rackplan"));

        // an older CP 731 gets the firmware dialog; without a station it says so
        doc.m_nProductVersion = 1;
        messages.shown.clear();
        QString firmwareModule;
        onDialog("firmwareDialog", [&](QDialog* d) { firmwareModule = valueOf(d, "moduleLabel"); });
        frame->Command(32780)->trigger();
        QCOMPARE(firmwareModule, QString(" CP731"));
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].id, 2002);
        doc.m_nProtocol = kProt3964;
        doc.SetModifiedFlag(false);
        app.ExitInstance();
    }

    // "Eigenschaften...": a CP 731 shows its identification and the alarm line; a CP 831-2
    // its interface number and module instead.
    void moduleProperties() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        CPtpDoc& doc = *app.m_pDoc;
        doc.m_HeaderRecord.bytes[0] = 1;
        QMap<QString, QString> seen;
        bool hasInterface = true;
        onDialog("moduleProperties", [&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("Eigenschaften"));
            for (const char* name : {"m_szModuleName", "m_szOrderNo", "m_szStationName", "m_strRack", "m_strSlot",
                                     "alarmGeneration"})
                seen[name] = valueOf(d, name);
            hasInterface = d->findChild<QLabel*>("m_nInterfaceNo") != nullptr;
        });
        frame->Command(32773)->trigger();
        QCOMPARE(seen["m_szModuleName"], QString::fromStdString(doc.m_szModuleName));
        QCOMPARE(seen["m_szOrderNo"], QString("9QX4 731-1L"));
        QCOMPARE(seen["m_szStationName"], QString("S1"));
        QCOMPARE(seen["m_strRack"], QString::fromStdString(doc.m_strRack));
        QCOMPARE(seen["m_strSlot"], QString::fromStdString(doc.m_strSlot));
        QCOMPARE(seen["alarmGeneration"], QString("ja"));
        QVERIFY(!hasInterface);

        doc.m_nModuleType = kCP8312;
        doc.m_nInterfaceNo = 2;
        doc.m_szInterfaceName = "RS 422/485";
        seen.clear();
        bool hasAlarm = true;
        onDialog("interfaceProperties", [&](QDialog* d) {
            seen["m_nInterfaceNo"] = valueOf(d, "m_nInterfaceNo");
            seen["m_szInterfaceName"] = valueOf(d, "m_szInterfaceName");
            hasAlarm = d->findChild<QLabel*>("alarmGeneration") != nullptr;
        });
        frame->Command(32773)->trigger();
        QCOMPARE(seen["m_nInterfaceNo"], QString("2"));
        QCOMPARE(seen["m_szInterfaceName"], QString("RS 422/485"));
        QVERIFY(!hasAlarm);

        // beside the protocol list, the CP 831-2 shows its interface number; the CP 731 does not
        auto* interfaceNo = app.m_pView->findChild<QLabel*>("interfaceNo");
        QVERIFY(interfaceNo->isHidden());
        app.m_pView->OnInitialUpdate(doc);
        QVERIFY(!interfaceNo->isHidden());
        QCOMPARE(interfaceNo->text().trimmed(), QString("2"));
        doc.m_nModuleType = kCP731;
        doc.SetModifiedFlag(false);
        app.ExitInstance();
    }

    // The help commands and F1 on a menu item open their topics of the module's help file.
    void helpTopics() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        QList<int> topics;
        frame->SetHelpOpener([&](int topic) { topics << topic; });
        frame->Command(57666)->trigger();  // "Hilfethemen...": the contents
        frame->Command(32779)->trigger();  // "Einführung"
        onDialog("moduleProperties", [](QDialog* d) { d->findChild<QPushButton*>("help")->click(); });
        frame->Command(32773)->trigger();
        QCOMPARE(topics, QList<int>({0, 65671, 0x20000 + 177}));

        topics.clear();
        QMenu* file = frame->menuBar()->actions()[0]->menu();
        file->popup(frame->mapToGlobal(QPoint(0, 0)));
        file->setActiveAction(frame->Command(32773));
        QTest::keyClick(file, Qt::Key_F1);
        QCOMPARE(topics, QList<int>({32773 + 0x10000}));
        QVERIFY(!file->isVisible());
        app.m_pDoc->SetModifiedFlag(false);
        app.ExitInstance();
    }

    // "Hilfe" opens the dialog's own topic.
    void modulePropertiesHelp() {
        support::ModuleDocument m(kCP8312, kProt3964, kIfHostRs232);
        int topic = 0;
        CModulePropertiesDialog dialog(DescribeModuleProperties(m.doc), [&](int t) { topic = t; });
        dialog.helpButton()->click();
        QCOMPARE(topic, 0x20000 + 183);
        QVERIFY(!dialog.isVisible());
    }

    // The status bar says what "Speichern" did: stored, nothing to store, or not stored when
    // the user declines storing before the driver is loaded.
    void saveSaysWhatItDid() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        CMainFrame* frame = app.m_pMainFrame.get();
        CPtpDoc& doc = *app.m_pDoc;
        QVERIFY(doc.IsModified());
        frame->SaveAction()->trigger();
        QCOMPARE(frame->statusBar()->currentMessage(), QString("Die Parameter wurden gespeichert."));
        frame->OnFileSave();
        QCOMPARE(frame->statusBar()->currentMessage(), QString("Es gibt keine Änderungen zu speichern."));

        doc.SetModifiedFlag(true);
        doc.m_bDriverPending = 1;
        doc.m_bModuleDrvKnown = 0;
        doc.m_bDriverLoaded = 0;
        doc.m_nProductVersion = 1;
        frame->UpdateCommands();
        messages.shown.clear();
        messages.answer(host::kNo);
        frame->SaveAction()->trigger();
        QVERIFY(!messages.shown.empty());
        QCOMPARE(frame->statusBar()->currentMessage(), QString("Die Parameter wurden nicht gespeichert."));
        QVERIFY(doc.IsModified());
        QVERIFY(frame->SaveAction()->isEnabled());
        doc.m_bDriverPending = 0;
        doc.SetModifiedFlag(false);
        app.ExitInstance();
    }

    void aboutShowsTheVersion() {
        CPtPApp app;
        QCOMPARE(app.InitInstance(kStartup, false, &registry, [](const std::string&) { return nullptr; }), 1);
        QString seen;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "about" && w->isVisible()) {
                    seen = w->findChild<QLabel*>("version")->text();
                    static_cast<QDialog*>(w)->accept();
                }
        });
        app.m_pMainFrame->OnAppAbout();
        QCOMPARE(seen, QString("V5.0"));
        app.m_pDoc->SetModifiedFlag(false);
        app.ExitInstance();
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
