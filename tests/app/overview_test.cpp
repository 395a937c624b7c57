// The overview as a user meets it: which picture buttons a module and protocol show, what
// opens a button (double click, Enter, "Objekt öffnen") and what does not (a single click),
// the keyboard path between the protocol list and the chain, F1, and the read-only sheet of
// an online module.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <stdexcept>

#include "app/main_frame.h"
#include "app/ptp_view.h"
#include "document/codes.h"
#include "document/protocol_list.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tests/support/module_factory.h"

namespace {

constexpr int kDriver = 255;  // the first installed loadable driver

const QStringList kShowable = {"AG1", "AG2", "PROTO", "LINIE", "DRUCKER", "MELD", "SEITE", "ZEICHEN", "STEUER",
                               "TREIBER", "messagesLabel", "pageLabel", "charsLabel", "controlLabel",
                               "driverLoadLabel", "driverInfoLabel", "interfaceNo"};
const QStringList kChain = {"AG1", "AG2", "PROTO", "LINIE"};
const QStringList kPrinter = {"AG1", "PROTO", "LINIE", "DRUCKER", "MELD", "SEITE", "ZEICHEN", "STEUER",
                              "messagesLabel", "pageLabel", "charsLabel", "controlLabel"};

// A module of a type, protocol and order number with one installed driver (a printing one
// when `printingDriver`), shown in an overview of its own.
struct Overview {
    Overview(int module, int protocol, const char* orderNo, int online = 0, bool printingDriver = false)
        : m(module, protocol, isCP831(module) ? kIfHostRs232 : kIfRs232) {
        InstalledDriver driver;
        driver.displayName = "Testtreiber";
        driver.texts = printingDriver;
        m.app.drivers.push_back(driver);
        m.doc.m_szOrderNo = orderNo;
        m.doc.m_nInterfaceNo = 2;
        m.doc.m_bOnline = online;
        m.doc.m_ProtocolList = ProtocolsForOrderNumber(module, orderNo, {driver.displayName}).items;
        m.doc.BuildDefaults(m.doc.m_CurParams);
        m.doc.SetModifiedFlag(false);
        view.SetDocument(&m.doc);
        view.OnInitialUpdate(m.doc);
    }
    QStringList shown() const {
        QStringList names;
        for (const QString& name : kShowable) {
            QWidget* w = view.findChild<QWidget*>(name);
            if (w && !w->isHidden()) names << name;
        }
        return names;
    }
    support::ModuleDocument m;
    CPtpView view;
};

// The dialogs of the overview, recording which one was opened; each says "changed" as told.
struct Hooks {
    QStringList opened;
    bool changes = false;
    CPtpView::OverviewDialogs dialogs() {
        auto hook = [this](const char* name) {
            return [this, name](CPtpDoc&, QWidget*) {
                opened << name;
                return changes;
            };
        };
        return {hook("pageLayout"), hook("characterSet"), hook("controlCharacters"), hook("messageTexts"),
                hook("driver")};
    }
};

QWidget* focused(const QWidget* w) { return w->window()->focusWidget(); }

}  // namespace

class OverviewTest : public QObject {
    Q_OBJECT

private slots:
    // Which buttons and labels a module and protocol show: the partner CPU or the printer
    // with its four settings, the driver button with its label per module, and online mode.
    void buttonsPerModuleAndProtocol() {
        const struct {
            const char* what;
            int module, protocol;
            const char* orderNo;
            int online;
            bool printingDriver;
            QStringList shown;
        } cases[] = {
            {"CP 731 3964(R)", kCP731, kProt3964, "9QX4 731-1LA02", 0, false, kChain},
            {"CP 731 printer", kCP731, kProtPrinter, "9QX4 731-1LA02", 0, false, kPrinter},
            {"CP 730 printer", kCP730, kProtPrinter, "9QX4 730-1KM02", 0, false, kPrinter},
            {"CP 731 driver", kCP731, kDriver, "9QX4 731-1LA02", 0, false, kChain + QStringList{"TREIBER", "driverLoadLabel"}},
            {"CP 731 printing driver", kCP731, kDriver, "9QX4 731-1LA02", 0, true,
             kPrinter + QStringList{"TREIBER", "driverLoadLabel"}},
            {"CP 831-2 driver", kCP8312, kDriver, "9QX4 831-2KK02", 0, false,
             kChain + QStringList{"TREIBER", "driverInfoLabel", "interfaceNo"}},
            {"CP 831-2 3964(R)", kCP8312, kProt3964, "9QX4 831-2KK02", 0, false, kChain + QStringList{"interfaceNo"}},
            {"CP 731 driver online", kCP731, kDriver, "9QX4 731-1LA02", 1, true, kChain},
            {"CP 731 printer online", kCP731, kProtPrinter, "9QX4 731-1LA02", 1, false, kPrinter},
        };
        for (const auto& c : cases) {
            Overview o(c.module, c.protocol, c.orderNo, c.online, c.printingDriver);
            QStringList expected;
            for (const QString& name : kShowable)
                if (c.shown.contains(name)) expected << name;
            QCOMPARE(o.shown(), expected);
            QVERIFY2(o.view.ProtocolList()->isEnabled() == !c.online, c.what);
            QVERIFY2(o.view.ReadOnly() == bool(c.online), c.what);
            QVERIFY2(o.view.ProtocolList()->currentData().toInt() == c.protocol, c.what);
        }
    }

    // A protocol change in the list shows the new protocol's chain at once.
    void protocolChangeRedrawsTheChain() {
        Overview o(kCP731, kProt3964, "9QX4 731-1LA02");
        o.m.messages.answer(host::kYes);
        QComboBox* list = o.view.ProtocolList();
        const int printer = list->findData(int(kProtPrinter));
        QVERIFY(printer >= 0);
        list->setCurrentIndex(printer);
        emit list->activated(printer);
        QCOMPARE(o.m.doc.m_nProtocol, int(kProtPrinter));
        QCOMPARE(o.shown(), kPrinter);
        o.m.messages.answer(host::kYes);
        const int ascii = list->findData(int(kProtAscii));
        list->setCurrentIndex(ascii);
        emit list->activated(ascii);
        QCOMPARE(o.shown(), kChain);
    }

    // A single click opens nothing; a double click opens the button's dialog, and a dialog
    // that changed the document is announced. The CPUs, the line and the printer open nothing.
    void doubleClickOpensSingleClickDoesNot() {
        Overview o(kCP731, kDriver, "9QX4 731-1LA02", 0, true);
        Hooks hooks;
        o.view.SetDialogs(hooks.dialogs());
        QSignalSpy changed(&o.view, &CPtpView::documentChanged);
        const struct {
            const char* button;
            QStringList opened;
        } cases[] = {
            {"SEITE", {"pageLayout"}},      {"ZEICHEN", {"characterSet"}}, {"STEUER", {"controlCharacters"}},
            {"MELD", {"messageTexts"}},     {"TREIBER", {"driver"}},       {"AG1", {}},
            {"LINIE", {}},                  {"DRUCKER", {}},
        };
        for (const auto& c : cases) {
            CPictureButton* button = o.view.Button(c.button);
            QVERIFY2(button, c.button);
            hooks.opened.clear();
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY2(hooks.opened.isEmpty(), c.button);
            QTest::mouseDClick(button, Qt::LeftButton);
            QCOMPARE(hooks.opened, c.opened);
        }
        QCOMPARE(changed.count(), 0);

        hooks.changes = true;
        QTest::mouseDClick(o.view.Button("MELD"), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);

        // a dialog not given yet: the button is there and opens nothing
        o.view.SetDialogs({});
        hooks.opened.clear();
        QTest::mouseDClick(o.view.Button("SEITE"), Qt::LeftButton);
        QVERIFY(hooks.opened.isEmpty());
        QCOMPARE(changed.count(), 1);
    }

    // Enter on the focused button opens it once; a held key (auto-repeat) opens nothing more.
    void enterOpensTheFocusedButton() {
        Overview o(kCP731, kProtPrinter, "9QX4 731-1LA02");
        Hooks hooks;
        o.view.SetDialogs(hooks.dialogs());
        CPictureButton* messages = o.view.Button("MELD");
        messages->setFocus();
        QTest::keyClick(messages, Qt::Key_Return);
        QCOMPARE(hooks.opened, QStringList{"messageTexts"});
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString("\r"), true);
        QApplication::sendEvent(messages, &repeat);
        QTest::keyClick(messages, Qt::Key_Space);  // a button "click" by key is no double click either
        QCOMPARE(hooks.opened, QStringList{"messageTexts"});
        QTest::keyClick(o.view.Button("ZEICHEN"), Qt::Key_Enter);
        QCOMPARE(hooks.opened, (QStringList{"messageTexts", "characterSet"}));
    }

    // Tab from the protocol list goes to the protocol button; Shift+Tab to the messages button
    // with the printer, the driver button of a CP 731 driver, the protocol button otherwise.
    // On the line, Tab goes back to the list, Left/Up as Shift+Tab, Right/Down to the protocol.
    void keyboardPathBetweenListAndChain() {
        const struct {
            int module, protocol;
            const char* orderNo;
            const char* back;
        } cases[] = {
            {kCP731, kProt3964, "9QX4 731-1LA02", "PROTO"},
            {kCP731, kProtPrinter, "9QX4 731-1LA02", "MELD"},
            {kCP731, kDriver, "9QX4 731-1LA02", "TREIBER"},
            {kCP8312, kDriver, "9QX4 831-2KK02", "PROTO"},
        };
        for (const auto& c : cases) {
            Overview o(c.module, c.protocol, c.orderNo);
            o.view.show();
            QComboBox* list = o.view.ProtocolList();
            CPictureButton* line = o.view.Button("LINIE");
            const QString what = QString("module %1 protocol %2").arg(c.module).arg(c.protocol);
            QWidget* back = o.view.Button(c.back);
            const struct {
                QWidget* from;
                Qt::Key key;
                Qt::KeyboardModifiers modifiers;
                QWidget* to;
            } steps[] = {
                {list, Qt::Key_Tab, Qt::NoModifier, o.view.ProtocolButton()},
                {list, Qt::Key_Backtab, Qt::ShiftModifier, back},
                {line, Qt::Key_Tab, Qt::NoModifier, list},
                {line, Qt::Key_Left, Qt::NoModifier, back},
                {line, Qt::Key_Up, Qt::NoModifier, back},
                {line, Qt::Key_Right, Qt::NoModifier, o.view.ProtocolButton()},
                {line, Qt::Key_Down, Qt::NoModifier, o.view.ProtocolButton()},
            };
            for (const auto& s : steps) {
                s.from->setFocus();
                QTest::keyClick(s.from, s.key, s.modifiers);
                QVERIFY2(focused(&o.view) == s.to, qPrintable(QString("%1: %2 on %3 went to %4")
                                                                   .arg(what)
                                                                   .arg(s.key)
                                                                   .arg(s.from->objectName())
                                                                   .arg(focused(&o.view)->objectName())));
            }
            list->hidePopup();
        }
    }

    // Tab on the open list takes the highlighted protocol (after the question) and moves on.
    void tabOnTheOpenListConfirmsTheSelection() {
        Overview o(kCP731, kProt3964, "9QX4 731-1LA02");
        o.view.show();
        QComboBox* list = o.view.ProtocolList();
        list->setFocus();
        list->showPopup();
        QVERIFY(list->view()->isVisible());
        list->view()->setCurrentIndex(list->model()->index(list->findData(int(kProtAscii)), 0));
        o.m.messages.answer(host::kYes);
        QTest::keyClick(list->view(), Qt::Key_Tab);
        QCOMPARE(o.m.doc.m_nProtocol, int(kProtAscii));
        QVERIFY(!list->view()->isVisible());
        QCOMPARE(focused(&o.view), static_cast<QWidget*>(o.view.ProtocolButton()));
    }

    // In the frame: the "Gehe zu" commands put the focus on the real buttons, "Objekt öffnen"
    // opens the focused one (nothing when the focus is elsewhere), F1 opens the overview's topic.
    void frameCommandsOnTheButtons() {
        Overview o(kCP731, kDriver, "9QX4 731-1LA02", 0, true);
        AppSettings settings;
        CMainFrame frame(settings);
        auto* view = new CPtpView;
        frame.setCentralWidget(view);
        view->SetDocument(&o.m.doc);
        frame.SetDocument(&o.m.doc);
        frame.SetView(view);
        view->OnInitialUpdate(o.m.doc);
        frame.UpdateCommands();
        Hooks hooks;
        view->SetDialogs(hooks.dialogs());
        QList<int> topics;
        frame.SetHelpOpener([&](int topic) { topics << topic; });
        frame.show();
        QApplication::setActiveWindow(&frame);
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        frame.Command(32774)->trigger();
        QCOMPARE(frame.focusWidget(), static_cast<QWidget*>(view->ProtocolButton()));
        QVERIFY(view->ProtocolButton()->ShowsFocusedPicture());
        frame.Command(32781)->trigger();
        QCOMPARE(frame.focusWidget(), static_cast<QWidget*>(view->DriverButton()));
        QVERIFY(!view->ProtocolButton()->ShowsFocusedPicture());

        const struct {
            const char* focus;
            QStringList opened;
        } cases[] = {
            {"TREIBER", {"driver"}}, {"SEITE", {"pageLayout"}}, {"STEUER", {"controlCharacters"}},
            {"ZEICHEN", {"characterSet"}}, {"MELD", {"messageTexts"}}, {"LINIE", {}}, {"protocolList", {}},
        };
        for (const auto& c : cases) {
            view->findChild<QWidget*>(c.focus)->setFocus();
            hooks.opened.clear();
            frame.OpenObjectAction()->trigger();
            QCOMPARE(hooks.opened, c.opened);
        }

        view->Button("SEITE")->setFocus();
        QTest::keyClick(view->Button("SEITE"), Qt::Key_F1);
        QCOMPARE(topics, QList<int>{CPtpView::kHelpTopic});
        QCOMPARE(CPtpView::kHelpTopic, 0x20065);
        frame.hide();
    }

    // "Gehe zu <Treiber laden>" on a CP 731 and "Gehe zu <Treiber info>" on a CP 831-2 put the
    // focus on the driver button; the other one of the two is disabled.
    void goToDriverPerModule() {
        const struct {
            int module;
            const char* orderNo;
            int command, disabled;
        } cases[] = {{kCP731, "9QX4 731-1LA02", 32781, 32782}, {kCP8312, "9QX4 831-2KK02", 32782, 32781}};
        for (const auto& c : cases) {
            Overview o(c.module, kDriver, c.orderNo);
            AppSettings settings;
            CMainFrame frame(settings);
            auto* view = new CPtpView;
            frame.setCentralWidget(view);
            view->SetDocument(&o.m.doc);
            frame.SetDocument(&o.m.doc);
            frame.SetView(view);
            view->OnInitialUpdate(o.m.doc);
            frame.UpdateCommands();
            QVERIFY(!frame.Command(c.disabled)->isEnabled());
            frame.Command(c.command)->trigger();
            QCOMPARE(frame.focusWidget(), static_cast<QWidget*>(view->DriverButton()));
        }
    }

    // Online: the sheet opens read-only, and its OK leaves the document unmodified.
    void onlineSheetIsReadOnly() {
        Overview o(kCP731, kProt3964, "9QX4 731-1LA02", 1);
        const CDb before = o.m.doc.m_CurParams;
        bool shown = false, baudEnabled = true;
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* sheet = qobject_cast<CProtocolSheet*>(w); sheet && sheet->isVisible()) {
                    shown = true;
                    auto* baud = sheet->page(0)->findChild<QComboBox*>("byBaud");
                    baudEnabled = !baud || baud->isEnabled();
                    QTest::mouseClick(sheet->okButton(), Qt::LeftButton);
                }
        });
        QTest::mouseDClick(o.view.ProtocolButton(), Qt::LeftButton);
        QVERIFY(shown);
        QVERIFY(!baudEnabled);
        QVERIFY(!o.m.doc.IsModified());
        QCOMPARE(o.m.doc.m_CurParams.byBaud, before.byBaud);
    }

    // A picture the program does not hold stops the construction.
    void missingPictureFailsLoudly() {
        const struct {
            const char* picture;
            const char* focused;
        } cases[] = {{"nosuch", ""}, {"ag", "nosuch_focus"}};
        for (const auto& c : cases)
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, CPictureButton("X", c.picture, c.focused));
        CPictureButton fine("AG1", "ag", "");
        QVERIFY(!fine.sizeHint().isEmpty());
    }
};

QTEST_MAIN(OverviewTest)
#include "overview_test.moc"
