#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <QComboBox>
#include <QPushButton>

#include <cstring>
#include <optional>

#include "app/ptp_app.h"
#include "host/project.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tests/support/memory_project.h"
#include "tests/support/memory_registry.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"

namespace {

const std::string kStartup = support::StartupString({.interfaceNo = 0, .name = "CP 731"});

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

    // The overview's protocol button opens the sheet of the current protocol: Cancel after a
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
        app.m_pView->ProtocolButton()->click();
        QVERIFY(std::memcmp(&before, &doc.m_CurParams, sizeof before) == 0);
        QVERIFY(!doc.IsModified());

        onSheet(true);
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

        messages.answer(host::kYes);
        choose(ascii);
        QCOMPARE(doc.m_nProtocol, int(kProtAscii));
        QCOMPARE(list->currentText(), QString("ASCII"));
        QVERIFY(doc.IsModified());
        QVERIFY(app.m_pMainFrame->SaveAction()->isEnabled());
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
