// The "Übertragung" and "Datenempfang" pages of the ASCII sheets and the "Drucker" pages as a
// user sees them: the radios a module and interface offer, what a flow control enables, the
// receive-buffer rules, the CPU receive box, what OK stores and refuses, and that a printer
// sheet stores what `ptpcfg set` stores for the same values.
#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "pages/apply_values.h"
#include "tests/pages/ui/sheet_fixture.h"
#include "widgets/spin_button.h"

using namespace sheettest;

namespace {

constexpr int kTransmission = 1, kReceive = 2;  // the ASCII page is the first
constexpr int kPrinterPage = 0;

QRadioButton* flowRadio(const Sheet& s, int page, int code) {
    return s.on<QRadioButton>(page, QStringLiteral("byFlowCtrl%1").arg(code).toUtf8().constData());
}

// The codes of the flow-control radios the page shows.
std::vector<int> shownFlowRadios(const Sheet& s, int page) {
    std::vector<int> out;
    for (int code = 0; code < 4; ++code)
        if (auto* r = flowRadio(s, page, code); r && r->isVisible()) out.push_back(code);
    return out;
}

int checkedFlowRadio(const Sheet& s, int page) {
    int checked = -1;
    for (int code = 0; code < 4; ++code)
        if (auto* r = flowRadio(s, page, code); r && r->isChecked()) {
            if (checked >= 0) return -2;  // two checked
            checked = code;
        }
    return checked;
}

bool enabledOnPage(const Sheet& s, int page, const char* name) {
    auto* w = s.on<QWidget>(page, name);
    return w && w->isEnabled();
}

}  // namespace

class AsciiPrinterPagesTest : public QObject {
    Q_OBJECT
private slots:
    void pageClassesPerSheet();
    void flowControlRadiosPerModuleAndInterface();
    void storedV24SignalsOnTtyOpenAsNone();
    void flowControlEnablesItsFields();
    void charactersShowTheirAsciiForm();
    void transmissionStoresTimesAndV24Signals();
    void receiveBufferRules();
    void clearingTheBufferFollowsTheNumber();
    void cpuReceiveBoxOfTheCp831();
    void cp830ReceivePage();
    void okOnReceivePageRunsTheSheetChecks();
    void printerBaudLists();
    void printerOnRs422();
    void printerFlowControl();
    void printerRefusesXonEqualToXoff();
    void readOnlyDisablesEveryControl();
    void tabOrderAndMnemonics();
    void printerSheetStoresWhatSetStores();
};

void AsciiPrinterPagesTest::pageClassesPerSheet() {
    struct Case {
        Module m;
        QStringList classes;  // from the second page on for ASCII, the first for printers
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, {"CPASC_P2", "CPASC_P3"}},
        {{kCP830, kIfRs232, kProtAscii, 0}, {"C830_ASCII_P2", "C830_ASCII_P3"}},
        {{kCP731, kIfRs232, kProtAscii}, {"CKASC_P2", "CKASC_P3"}},
        {{kCP8312, kIfHostRs422, kProtAscii, 5}, {"CKASC_P2", "CKASC_P3"}},
        {{kCP730, kIfTty, kProtPrinter, 0}, {"C730_DRUCK_P1"}},
        {{kCP731, kIfRs232, kProtPrinter}, {"CDruck_P1"}},
        {{kCP8311, kIfHostRs422, kProtPrinter, 5}, {"CDruck_P1"}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        const int first = c.m.protocol == kProtAscii ? 1 : 0;
        for (int i = 0; i < c.classes.size(); ++i) {
            QCOMPARE(s.dialog->page(first + i)->metaObject()->className(), c.classes[i]);
            QCOMPARE(s.dialog->page(first + i)->objectName(), c.classes[i]);
        }
    }
}

// RTS/CTS and the V.24 signals with their two times only on RS 232; CP 830 has neither, and
// its wait for XON does not name CTS.
void AsciiPrinterPagesTest::flowControlRadiosPerModuleAndInterface() {
    struct Case {
        Module m;
        std::vector<int> radios;
        bool rtsTimes;
        QString waitLabel;
    };
    const QString withCts = "&Warten auf XON nach XOFF: (Wartezeit auf CTS=ON)";
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, {0, 1, 2, 3}, true, withCts},
        {{kCP730, kIfTty, kProtAscii, 0}, {0, 1}, false, withCts},
        {{kCP730, kIfRs422, kProtAscii, 0}, {0, 1}, false, withCts},
        {{kCP830, kIfRs232, kProtAscii, 0}, {0, 1}, false, "&Warten auf XON nach XOFF:"},
        {{kCP731, kIfRs232, kProtAscii}, {0, 1, 2, 3}, true, withCts},
        {{kCP731, kIfRs422, kProtAscii}, {0, 1}, false, withCts},
        {{kCP8311, kIfHostRs232, kProtAscii, 5}, {0, 1, 2, 3}, true, withCts},
        {{kCP8312, kIfHostTty, kProtAscii, 5}, {0, 1}, false, withCts},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        s.select(kTransmission);
        QCOMPARE(shownFlowRadios(s, kTransmission), c.radios);
        for (const char* name : {"wRtsOffTime", "wOutputWait"}) {
            auto* edit = s.on<QLineEdit>(kTransmission, name);
            QCOMPARE(edit != nullptr && edit->isVisible(), c.rtsTimes);
            auto* label = s.on<QLabel>(kTransmission, (QString(name) + "Label").toUtf8());
            QCOMPARE(label != nullptr && label->isVisible(), c.rtsTimes);
        }
        QCOMPARE(s.on<QLabel>(kTransmission, "wXonWaitLabel")->text(), c.waitLabel);
        QCOMPARE(flowRadio(s, kTransmission, 3)->text(), "&Automat. Bedienung der V24-Signale ");
    }
}

// A TTY interface has no V.24 signals: a stored choice of them opens as "Keine" and OK on
// the shown page stores them off; on RS 232 the same record opens with their radio.
void AsciiPrinterPagesTest::storedV24SignalsOnTtyOpenAsNone() {
    struct Case {
        Module m;
        int flow;           // stored byFlowCtrl
        int shown;          // checked radio
        int storedFlow, storedV24;
    };
    const Case cases[] = {
        {{kCP730, kIfTty, kProtAscii, 0}, 0, 0, 0, 0},
        {{kCP730, kIfTty, kProtAscii, 0}, 2, 0, 0, 0},  // RTS/CTS neither
        {{kCP731, kIfRs422, kProtAscii}, 0, 0, 0, 0},
        {{kCP730, kIfTty, kProtAscii, 0}, 1, 1, 1, 0},  // XON/XOFF stays, the V.24 flag goes
        {{kCP730, kIfRs232, kProtAscii, 0}, 0, 3, 0, 1},
        {{kCP8311, kIfHostRs232, kProtAscii, 5}, 2, 3, 0, 1},
    };
    for (const auto& c : cases) {
        Sheet s(c.m, recordOf(c.m, [&](CDb& db) {
                    db.byV24Signals = 1;
                    db.byFlowCtrl = uint8_t(c.flow);
                    db.byNoOverwrite = 1;
                }));
        s.select(kTransmission);
        QCOMPARE(checkedFlowRadio(s, kTransmission), c.shown);
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byFlowCtrl), c.storedFlow);
        QCOMPARE(int(s.record.byV24Signals), c.storedV24);
    }
}

// What each radio enables, on its click as on opening.
void AsciiPrinterPagesTest::flowControlEnablesItsFields() {
    struct Case {
        int code;
        bool chars, wait, rtsTimes;
    };
    const Case cases[] = {
        {3, false, false, true},
        {0, false, false, false},
        {1, true, true, false},
        {2, false, true, false},
    };
    Module m{kCP731, kIfRs232, kProtAscii};
    Sheet s(m);
    s.select(kTransmission);
    for (const auto& c : cases) {
        flowRadio(s, kTransmission, c.code)->click();
        QCOMPARE(checkedFlowRadio(s, kTransmission), c.code);
        for (const char* name : {"byXonChar", "byXoffChar", "byXonCharAscii", "byXoffCharAscii"})
            QVERIFY2(enabledOnPage(s, kTransmission, name) == c.chars, name);
        QCOMPARE(enabledOnPage(s, kTransmission, "wXonWait"), c.wait);
        QCOMPARE(enabledOnPage(s, kTransmission, "wRtsOffTime"), c.rtsTimes);
        QCOMPARE(enabledOnPage(s, kTransmission, "wOutputWait"), c.rtsTimes);
    }
    // Clicking the checked radio leaves it checked.
    flowRadio(s, kTransmission, 2)->click();
    QCOMPARE(checkedFlowRadio(s, kTransmission), 2);

    // Stored XON/XOFF opens with its fields enabled; CP 830's XON/XOFF enables the wait too.
    for (const Module& mod : {Module{kCP730, kIfTty, kProtAscii, 0}, Module{kCP830, kIfRs232, kProtAscii, 0}}) {
        Sheet x(mod, recordOf(mod, [](CDb& db) { db.byFlowCtrl = 1; }));
        x.select(kTransmission);
        QCOMPARE(checkedFlowRadio(x, kTransmission), 1);
        QVERIFY(enabledOnPage(x, kTransmission, "byXonChar"));
        QVERIFY(enabledOnPage(x, kTransmission, "wXonWait"));
        flowRadio(x, kTransmission, 0)->click();
        QVERIFY(!enabledOnPage(x, kTransmission, "byXoffChar"));
        QVERIFY(!enabledOnPage(x, kTransmission, "wXonWait"));
    }
}

// The "[ASCII]" field shows the character of the hex field, mnemonics below 0x20, and
// follows what is typed.
void AsciiPrinterPagesTest::charactersShowTheirAsciiForm() {
    Module m{kCP731, kIfRs232, kProtAscii};
    Sheet s(m, recordOf(m, [](CDb& db) {
                db.byFlowCtrl = 1;
                db.byXonChar = 0x11;
                db.byXoffChar = 0x41;
            }));
    s.select(kTransmission);
    QCOMPARE(textOf(s, kTransmission, "byXonChar"), "11");
    QCOMPARE(textOf(s, kTransmission, "byXonCharAscii"), "DC1");
    QCOMPARE(textOf(s, kTransmission, "byXoffCharAscii"), "A");
    auto* ascii = s.on<QLineEdit>(kTransmission, "byXonCharAscii");
    QVERIFY(ascii->isReadOnly());
    QVERIFY(ascii->font().fixedPitch());
    s.type(s.on<QLineEdit>(kTransmission, "byXonChar"), "1a");
    QCOMPARE(textOf(s, kTransmission, "byXonCharAscii"), "SUB");
    s.type(s.on<QLineEdit>(kTransmission, "byXoffChar"), "d");
    QCOMPARE(textOf(s, kTransmission, "byXoffCharAscii"), "CR");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byXonChar), 0x1A);
    QCOMPARE(int(s.record.byXoffChar), 0x0D);

    // An emptied field is refused when the page is left, with the default it puts in.
    Sheet e(m, recordOf(m, [](CDb& db) { db.byFlowCtrl = 1; }));
    e.select(kTransmission);
    auto* xon = e.on<QLineEdit>(kTransmission, "byXonChar");
    e.type(xon, "");
    QVERIFY(!e.ok());
    QCOMPARE(e.messages.ids(), std::vector<int>{550});
    QCOMPARE(xon->text(), "0");
    QCOMPARE(e.dialog->focusWidget(), xon);
}

// Times shown in ms and stored in units of 10 ms; the V.24 radio stores byV24Signals 1 and
// no flow control of its own.
void AsciiPrinterPagesTest::transmissionStoresTimesAndV24Signals() {
    Module m{kCP730, kIfRs232, kProtAscii, 0};
    Sheet s(m);
    s.select(kTransmission);
    QCOMPARE(textOf(s, kTransmission, "wXonWait"), "2000");
    QCOMPARE(textOf(s, kTransmission, "wRtsOffTime"), "10");
    flowRadio(s, kTransmission, 3)->click();
    s.type(s.on<QLineEdit>(kTransmission, "wRtsOffTime"), "50");
    s.type(s.on<QLineEdit>(kTransmission, "wOutputWait"), "120");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byFlowCtrl), 0);
    QCOMPARE(int(s.record.byV24Signals), 1);
    QCOMPARE(int(s.record.wRtsOffTime), 5);
    QCOMPARE(int(s.record.wOutputWait), 12);
    QCOMPARE(int(s.record.wXonWait), 200);

    // A time off the 10 ms raster is refused with the value rounded down put in.
    Sheet r(m, recordOf(m, [](CDb& db) { db.byFlowCtrl = 1; }));
    r.select(kTransmission);
    auto* wait = r.on<QLineEdit>(kTransmission, "wXonWait");
    r.type(wait, "255");
    QVERIFY(!r.ok());
    QCOMPARE(r.messages.ids(), std::vector<int>{523});
    QCOMPARE(wait->text(), "250");
    QVERIFY(r.ok());
    QCOMPARE(int(r.record.wXonWait), 25);
}

// "Überschreiben verhindern" and the number of buffered telegrams: the number only while
// overwriting is prevented, and overwriting cannot be allowed with more than one telegram.
void AsciiPrinterPagesTest::receiveBufferRules() {
    for (const Module& m : {Module{kCP730, kIfRs232, kProtAscii, 0}, Module{kCP731, kIfRs232, kProtAscii}}) {
        Sheet s(m);  // 250 telegrams, overwriting prevented
        s.select(kReceive);
        auto* noOverwrite = s.on<QCheckBox>(kReceive, "byNoOverwrite");
        auto* number = s.on<QLineEdit>(kReceive, "byBufferedTelegrams");
        QVERIFY(noOverwrite->isChecked());
        QCOMPARE(number->text(), "250");
        QVERIFY(number->isEnabled());
        QCOMPARE(s.on<CSpinButton>(kReceive, "byBufferedTelegramsSpin")->maximum(), 250);

        noOverwrite->click();
        QCOMPARE(s.messages.ids(), std::vector<int>{524});
        QVERIFY(noOverwrite->isChecked());
        QVERIFY(number->isEnabled());

        s.type(number, "1");
        noOverwrite->click();
        QVERIFY(!noOverwrite->isChecked());
        QVERIFY(!number->isEnabled());
        QVERIFY(!s.on<CSpinButton>(kReceive, "byBufferedTelegramsSpin")->isEnabled());
        QCOMPARE(s.messages.ids(), std::vector<int>{524});
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byBufferedTelegrams), 1);
        QCOMPARE(int(s.record.byNoOverwrite), 0);
    }
    // More than 250 telegrams: the page's check on OK limits the number.
    Module m{kCP731, kIfRs232, kProtAscii};
    Sheet s(m);
    s.select(kReceive);
    auto* number = s.on<QLineEdit>(kReceive, "byBufferedTelegrams");
    s.type(number, "300");
    QVERIFY(!s.ok());
    QCOMPARE(s.messages.ids(), std::vector<int>{517});
    QCOMPARE(number->text(), "250");
}

// "CP-Empfangspuffer im Anlauf löschen" follows the number as it is typed: with one telegram
// it is unchecked and locked; with more it is free on CP 730 and on CP 731 from version 2.
void AsciiPrinterPagesTest::clearingTheBufferFollowsTheNumber() {
    struct Case {
        Module m;
        bool freeWithMore;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, true},
        {{kCP731, kIfRs232, kProtAscii, 2}, true},
        {{kCP731, kIfRs232, kProtAscii, 1}, false},
        {{kCP8312, kIfHostRs232, kProtAscii, 5}, false},
    };
    for (const auto& c : cases) {
        Sheet s(c.m, recordOf(c.m, [](CDb& db) {
                    db.byBufferedTelegrams = 5;
                    db.byClearRecvBuf = 1;
                }));
        s.select(kReceive);
        auto* clear = s.on<QCheckBox>(kReceive, "byClearRecvBuf");
        auto* number = s.on<QLineEdit>(kReceive, "byBufferedTelegrams");
        QCOMPARE(clear->isEnabled(), c.freeWithMore);
        s.type(number, "1");
        QVERIFY(!clear->isChecked());
        QVERIFY(!clear->isEnabled());
        s.type(number, "3");
        QCOMPARE(clear->isEnabled(), c.freeWithMore);
        if (c.freeWithMore) clear->click();
        QVERIFY(s.messages.ids().empty());
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byBufferedTelegrams), 3);
        QCOMPARE(int(s.record.byClearRecvBuf), c.freeWithMore ? 1 : 0);
    }
    // The spin's arrow counts as a change of the number.
    Module m{kCP730, kIfRs232, kProtAscii, 0};
    Sheet s(m, recordOf(m, [](CDb& db) { db.byBufferedTelegrams = 2; }));
    s.select(kReceive);
    QTest::mouseClick(s.on<CSpinButton>(kReceive, "byBufferedTelegramsSpin")->findChild<QAbstractButton*>("down"),
                      Qt::LeftButton);
    QCOMPARE(textOf(s, kReceive, "byBufferedTelegrams"), "1");
    QVERIFY(!s.on<QCheckBox>(kReceive, "byClearRecvBuf")->isEnabled());
}

void AsciiPrinterPagesTest::cpuReceiveBoxOfTheCp831() {
    Module cp831{kCP8311, kIfHostRs232, kProtAscii, 5};
    {
        Sheet s(cp831);
        s.select(kReceive);
        QVERIFY(s.on<QWidget>(kReceive, "cpuGroup")->isVisible());
        auto* use = s.on<QCheckBox>(kReceive, "cpuBox");
        auto* db = s.on<QLineEdit>(kReceive, "wRecvDbNo");
        auto* note = s.on<QLabel>(kReceive, "cpuBoxNote");
        QVERIFY(!use->isChecked());
        QVERIFY(!db->isVisible() && !note->isVisible() && !s.on<QLabel>(kReceive, "wRecvDbNoLabel")->isVisible());
        use->click();
        QVERIFY(db->isVisible() && note->isVisible() && s.on<QLabel>(kReceive, "wRecvDbNoLabel")->isVisible());
        QCOMPARE(db->text(), "1");
        s.type(db, "42");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wRecvDbNo), 42);
    }
    {
        Sheet s(cp831, recordOf(cp831, [](CDb& db) { db.wRecvDbNo = 42; }));
        s.select(kReceive);
        QVERIFY(s.on<QCheckBox>(kReceive, "cpuBox")->isChecked());
        QCOMPARE(textOf(s, kReceive, "wRecvDbNo"), "42");
        s.on<QCheckBox>(kReceive, "cpuBox")->click();
        QVERIFY(!s.on<QLineEdit>(kReceive, "wRecvDbNo")->isVisible());
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wRecvDbNo), 0);  // an unused receive box is stored as 0
    }
    {
        // DB number 0 in a used receive box is refused on OK.
        Sheet s(cp831, recordOf(cp831, [](CDb& db) { db.wRecvDbNo = 42; }));
        s.select(kReceive);
        auto* db = s.on<QLineEdit>(kReceive, "wRecvDbNo");
        s.type(db, "0");
        QVERIFY(!s.ok());
        QCOMPARE(s.messages.ids(), std::vector<int>{518});
        QCOMPARE(s.dialog->focusWidget(), db);
    }
    // CP 731: no receive box; receive errors at the FB from version 2.
    for (unsigned pv : {1u, 2u}) {
        Module cp731{kCP731, kIfRs232, kProtAscii, pv};
        Sheet s(cp731);
        s.select(kReceive);
        QVERIFY(!s.on<QWidget>(kReceive, "cpuGroup")->isVisible());
        auto* errors = s.on<QCheckBox>(kReceive, "byExtErrDisplay");
        QCOMPARE(errors->isEnabled(), pv > 1);
        errors->click();
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byExtErrDisplay), pv > 1 ? 1 : 0);
    }
}

// CP 830 ASCII receives as its 3964(R): the entire buffer or 1 to 10 telegrams.
void AsciiPrinterPagesTest::cp830ReceivePage() {
    Module m{kCP830, kIfRs232, kProtAscii, 0};
    Sheet s(m);
    s.select(kReceive);
    auto* whole = s.on<QCheckBox>(kReceive, "wholeBuffer");
    auto* number = s.on<QLineEdit>(kReceive, "byBufferedTelegrams");
    QVERIFY(whole->isChecked());
    QVERIFY(!number->isEnabled());
    whole->click();
    QVERIFY(number->isEnabled());
    s.type(number, "4");
    s.on<QCheckBox>(kReceive, "byNoOverwrite")->click();
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byBufferedTelegrams), 4);
    QCOMPARE(int(s.record.byNoOverwrite), 0);
}

// OK pressed on "Datenempfang": the page accepts, the sheet's checks across the pages refuse
// and the sheet stays open on the page.
void AsciiPrinterPagesTest::okOnReceivePageRunsTheSheetChecks() {
    Module m{kCP731, kIfRs232, kProtAscii};
    Sheet s(m);
    // The ASCII page's values as that page would take them.
    QVERIFY(s.model->set("byMode", "2").verdict.accepted);
    QVERIFY(s.model->set("byRecvEnd1", "11").verdict.accepted);
    s.dialog->RefreshAll();
    s.select(kTransmission);
    QCOMPARE(s.model->activePage(), kTransmission);
    flowRadio(s, kTransmission, 1)->click();
    s.select(kReceive);
    QCOMPARE(s.model->activePage(), kReceive);
    QVERIFY(!s.ok());
    QCOMPARE(s.messages.ids(), std::vector<int>{505});
    QVERIFY(s.dialog->isVisible());
    QCOMPARE(s.dialog->tabs()->currentIndex(), kReceive);

    // Message 522: one telegram, overwriting allowed, and a flow control.
    Sheet t(m, recordOf(m, [](CDb& db) {
                db.byBufferedTelegrams = 1;
                db.byNoOverwrite = 0;
            }));
    t.select(kTransmission);
    flowRadio(t, kTransmission, 2)->click();
    t.select(kReceive);
    QVERIFY(!t.ok());
    QCOMPARE(t.messages.ids(), std::vector<int>{522});
    t.on<QCheckBox>(kReceive, "byNoOverwrite")->click();
    QVERIFY(t.ok());
    QCOMPARE(int(t.record.byFlowCtrl), 2);
    QCOMPARE(int(t.record.byNoOverwrite), 1);
}

// The rates of the printer list by module, interface, flag and version, and their codes.
void AsciiPrinterPagesTest::printerBaudLists() {
    struct Case {
        Module m;
        int storedCode;
        QStringList list;
        QString opened;
        QString choose;
        int stored;
    };
    const QStringList upTo19200 = {"300", "600", "1200", "2400", "4800", "9600", "19200"};
    const Case cases[] = {
        {{kCP8312, kIfHostTty, kProtPrinter, 5, 1}, 11, upTo19200, "19200", "19200", 9},
        {{kCP731, kIfTty, kProtPrinter, 2, 1}, 13, upTo19200, "19200", "600", 4},
        {{kCP731, kIfRs232, kProtPrinter, 2, 0}, 8, upTo19200 + QStringList{"38400", "76800"}, "9600", "76800", 11},
        {{kCP8311, kIfHostRs232, kProtPrinter, 3, 1}, 8, upTo19200 + QStringList{"38400", "57600"}, "9600", "57600", 12},
        {{kCP8312, kIfHostRs422, kProtPrinter, 5, 1}, 9,
         upTo19200 + QStringList{"38400", "57600", "76800", "115200"}, "19200", "115200", 13},
        {{kCP730, kIfRs232, kProtPrinter, 0}, 8, {"2400", "4800", "9600"}, "9600", "2400", 6},
    };
    for (const auto& c : cases) {
        Sheet s(c.m, recordOf(c.m, [&](CDb& db) { db.byBaud = uint8_t(c.storedCode); }));
        QVERIFY(s.messages.ids().empty());
        auto* baud = s.on<QComboBox>(kPrinterPage, "byBaud");
        QCOMPARE(entries(baud), c.list);
        QCOMPARE(baud->currentText(), c.opened);
        pick(baud, c.choose);
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byBaud), c.stored);
    }
    // A code the list does not hold: CP 731/831 say so and take 9600; CP 730 selects nothing.
    Module cp731{kCP731, kIfRs232, kProtPrinter};
    Sheet s(cp731, recordOf(cp731, [](CDb& db) { db.byBaud = 1; }));
    QCOMPARE(s.messages.ids(), std::vector<int>{557});
    QCOMPARE(s.on<QComboBox>(kPrinterPage, "byBaud")->currentText(), "9600");
    Module cp730{kCP730, kIfRs232, kProtPrinter, 0};
    Sheet old(cp730, recordOf(cp730, [](CDb& db) { db.byBaud = 9; }));
    QVERIFY(old.messages.ids().empty());
    QCOMPARE(old.on<QComboBox>(kPrinterPage, "byBaud")->currentIndex(), -1);
}

// CP 730 printer on RS 422/485: no RTS/CTS, a stored RTS/CTS shows "Keine", and BREAK
// monitoring follows the receive-line preset of the interface page.
void AsciiPrinterPagesTest::printerOnRs422() {
    Module m{kCP730, kIfRs422, kProtPrinter, 0};
    Sheet s(m, recordOf(m, [](CDb& db) {
                db.byFlowCtrl = 2;
                db.byLinePreset = 1;
            }));
    QCOMPARE(s.dialog->pageCount(), 2);
    QCOMPARE(shownFlowRadios(s, kPrinterPage), (std::vector<int>{0, 1}));
    QCOMPARE(checkedFlowRadio(s, kPrinterPage), 0);
    auto* breakBox = s.on<QCheckBox>(kPrinterPage, "byBreakOff");
    QVERIFY(breakBox->isChecked());
    QVERIFY(!breakBox->isEnabled());
    s.select(1);
    s.on<QRadioButton>(1, "byLinePreset2")->click();
    s.select(kPrinterPage);
    QVERIFY(!breakBox->isChecked());
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byBreakOff), 1);
    QCOMPARE(int(s.record.byFlowCtrl), 0);

    // On RS 232 the checkbox is the user's.
    Module rs232{kCP730, kIfRs232, kProtPrinter, 0};
    Sheet r(rs232);
    QCOMPARE(shownFlowRadios(r, kPrinterPage), (std::vector<int>{0, 1, 2}));
    QVERIFY(r.on<QCheckBox>(kPrinterPage, "byBreakOff")->isEnabled());
    QVERIFY(!Sheet({kCP731, kIfRs232, kProtPrinter}).on<QCheckBox>(kPrinterPage, "byBreakOff"));
}

void AsciiPrinterPagesTest::printerFlowControl() {
    struct Case {
        int code;
        bool chars, wait;
    };
    const Case cases[] = {{1, true, true}, {2, false, true}, {0, false, false}};
    Module m{kCP8312, kIfHostRs232, kProtPrinter, 5, 1};
    Sheet s(m);
    QCOMPARE(shownFlowRadios(s, kPrinterPage), (std::vector<int>{0, 1, 2}));
    for (const auto& c : cases) {
        flowRadio(s, kPrinterPage, c.code)->click();
        QCOMPARE(checkedFlowRadio(s, kPrinterPage), c.code);
        for (const char* name : {"byXonChar", "byXoffChar", "byXonCharAscii", "byXoffCharAscii"})
            QVERIFY2(enabledOnPage(s, kPrinterPage, name) == c.chars, name);
        QCOMPARE(enabledOnPage(s, kPrinterPage, "wXonWait"), c.wait);
    }
    QCOMPARE(s.on<QLabel>(kPrinterPage, "byXonCharHexUnit")->text(), "[Hex]");
    QCOMPARE(s.on<QLabel>(kPrinterPage, "byXonCharAsciiUnit")->text(), "[ASCII]");
    QCOMPARE(textOf(s, kPrinterPage, "byXoffCharAscii"), "DC3");

    // TTY: a stored RTS/CTS is shown and stored as "Keine".
    Module tty{kCP731, kIfTty, kProtPrinter};
    Sheet t(tty, recordOf(tty, [](CDb& db) { db.byFlowCtrl = 2; }));
    QCOMPARE(shownFlowRadios(t, kPrinterPage), (std::vector<int>{0, 1}));
    QCOMPARE(checkedFlowRadio(t, kPrinterPage), 0);
    QVERIFY(t.ok());
    QCOMPARE(int(t.record.byFlowCtrl), 0);

    // Two stop bits are stored as 3; the wait in units of 10 ms.
    Sheet f(m);
    flowRadio(f, kPrinterPage, 1)->click();
    QTest::mouseClick(f.on<CSpinButton>(kPrinterPage, "byStopBitsSpin")->findChild<QAbstractButton*>("up"),
                      Qt::LeftButton);
    QCOMPARE(textOf(f, kPrinterPage, "byStopBits"), "2");
    f.type(f.on<QLineEdit>(kPrinterPage, "wXonWait"), "500");
    QVERIFY(f.ok());
    QCOMPARE(int(f.record.byStopBits), 3);
    QCOMPARE(int(f.record.wXonWait), 50);
    QCOMPARE(int(f.record.byFlowCtrl), 1);
}

// XON equal to XOFF is refused whatever the flow control, also while both fields are locked.
void AsciiPrinterPagesTest::printerRefusesXonEqualToXoff() {
    for (const Module& m : {Module{kCP731, kIfRs232, kProtPrinter}, Module{kCP730, kIfRs232, kProtPrinter, 0}}) {
        Sheet s(m, recordOf(m, [](CDb& db) {
                    db.byXonChar = 0x11;
                    db.byXoffChar = 0x11;
                }));
        QCOMPARE(checkedFlowRadio(s, kPrinterPage), 0);
        QVERIFY(!s.on<QLineEdit>(kPrinterPage, "byXoffChar")->isEnabled());
        QVERIFY(!s.ok());
        QCOMPARE(s.messages.ids(), std::vector<int>{504});
        QVERIFY(s.dialog->isVisible());
        flowRadio(s, kPrinterPage, 1)->click();
        s.type(s.on<QLineEdit>(kPrinterPage, "byXoffChar"), "13");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byXoffChar), 0x13);
    }
    // CP 730: the character frame too.
    Module m{kCP730, kIfRs232, kProtPrinter, 0};
    Sheet s(m, recordOf(m, [](CDb& db) {
                db.byDataBits = 8;
                db.byStopBits = 3;
                db.byParity = 2;
            }));
    QVERIFY(!s.ok());
    QCOMPARE(s.messages.ids(), std::vector<int>{503});
}

// Online every control of the pages is locked: clicks on them change nothing, and OK stores
// what the same sheet stores offline when nothing is touched.
void AsciiPrinterPagesTest::readOnlyDisablesEveryControl() {
    const Module modules[] = {
        {kCP730, kIfRs232, kProtAscii, 0, 0, true},
        {kCP830, kIfRs232, kProtAscii, 0, 0, true},
        {kCP8311, kIfHostRs232, kProtAscii, 5, 1, true},
        {kCP731, kIfRs232, kProtAscii, 2, 1, true},
        {kCP730, kIfRs232, kProtPrinter, 0, 0, true},
        {kCP8312, kIfHostRs232, kProtPrinter, 5, 1, true},
    };
    for (const auto& m : modules) {
        const CDb stored = recordOf(m, [](CDb& db) {
            db.byFlowCtrl = 1;
            db.wRecvDbNo = 7;
            db.byBufferedTelegrams = 3;
        });
        const std::vector<int> pages = m.protocol == kProtAscii ? std::vector<int>{kTransmission, kReceive}
                                                                : std::vector<int>{kPrinterPage};
        Module offline = m;
        offline.readOnly = false;
        Sheet untouched(offline, stored);
        for (int page : pages) untouched.select(page);
        QVERIFY(untouched.ok());

        Sheet s(m, stored);
        for (int page : pages) {
            s.select(page);
            int controls = 0;
            for (QWidget* w : s.dialog->page(page)->findChildren<QWidget*>()) {
                if (!(qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                      qobject_cast<CSpinButton*>(w)) ||
                    !w->isVisibleTo(s.dialog->page(page)))
                    continue;
                ++controls;
                if (w->isEnabled()) qWarning() << s.dialog->objectName() << w->objectName() << "is enabled";
                QVERIFY(!w->isEnabled());
                if (qobject_cast<QAbstractButton*>(w)) QTest::mouseClick(w, Qt::LeftButton);
            }
            QVERIFY(controls > 0);
        }
        QVERIFY(s.messages.ids().empty());
        QVERIFY(s.ok());
        QVERIFY(std::memcmp(&untouched.record, &s.record, sizeof(CDb)) == 0);
    }
}

// Tab walks the controls top to bottom (the printer page: the line, then the flow control);
// every accelerator of a label leads to its control, and no two controls of a page share one.
void AsciiPrinterPagesTest::tabOrderAndMnemonics() {
    struct Case {
        Module m;
        int page;
        QStringList order;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProtAscii, 0}, kTransmission,
         {"byFlowCtrl0", "byFlowCtrl1", "byFlowCtrl2", "byFlowCtrl3", "wRtsOffTime", "wOutputWait"}},
        {{kCP731, kIfRs232, kProtAscii}, kTransmission,
         {"byFlowCtrl0", "byFlowCtrl1", "byFlowCtrl2", "byFlowCtrl3", "byXonChar", "byXoffChar", "wXonWait"}},
        {{kCP830, kIfRs232, kProtAscii, 0}, kTransmission, {"byFlowCtrl0", "byFlowCtrl1", "byXonChar", "byXoffChar", "wXonWait"}},
        {{kCP730, kIfRs232, kProtAscii, 0}, kReceive, {"byNoOverwrite", "byBufferedTelegrams", "byClearRecvBuf"}},
        {{kCP731, kIfRs232, kProtAscii, 2}, kReceive,
         {"byClearRecvBuf", "byNoOverwrite", "byBufferedTelegrams", "byExtErrDisplay"}},
        {{kCP8311, kIfHostRs232, kProtAscii, 5}, kReceive, {"byNoOverwrite", "byBufferedTelegrams", "cpuBox", "wRecvDbNo"}},
        {{kCP730, kIfRs232, kProtPrinter, 0}, kPrinterPage,
         {"byBaud", "byDataBits", "byStopBits", "byParity", "byBreakOff", "byFlowCtrl0", "byFlowCtrl1", "byFlowCtrl2",
          "byXonChar", "byXoffChar", "wXonWait"}},
        {{kCP731, kIfTty, kProtPrinter}, kPrinterPage,
         {"byBaud", "byDataBits", "byStopBits", "byParity", "byFlowCtrl0", "byFlowCtrl1", "byXonChar", "byXoffChar",
          "wXonWait"}},
    };
    for (const auto& c : cases) {
        Module m = c.m;
        Sheet s(m, recordOf(m, [&](CDb& db) {
                    db.byFlowCtrl = 1;
                    db.byV24Signals = 0;
                    db.wRecvDbNo = 7;
                    db.byBufferedTelegrams = 3;
                    if (c.page == kTransmission && m.type == kCP730) db.byV24Signals = 1;
                }));
        s.select(c.page);
        QWidget* page = s.dialog->page(c.page);
        QStringList order;
        QWidget* w = page;
        for (int guard = 0; guard < 200; ++guard) {
            w = w->nextInFocusChain();
            if (w == page) break;
            if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(page) && w->isEnabled())
                order << w->objectName();
        }
        QCOMPARE(order, c.order);
        QStringList keys;
        for (QWidget* x : page->findChildren<QWidget*>()) {
            if (!x->isVisibleTo(page)) continue;
            QString text;
            if (auto* l = qobject_cast<QLabel*>(x)) {
                text = l->text();
                if (text.contains('&')) QVERIFY2(l->buddy(), qPrintable(text));
            } else if (auto* b = qobject_cast<QAbstractButton*>(x)) {
                text = b->text();
            }
            const int at = text.indexOf('&');
            if (at >= 0 && at + 1 < text.size()) keys << text.mid(at + 1, 1).toLower();
        }
        QStringList unique = keys;
        unique.removeDuplicates();
        QVERIFY2(unique.size() == keys.size(), qPrintable(keys.join(',')));
    }
}

// The same values typed into a printer sheet and given to `ptpcfg set` store the same record.
void AsciiPrinterPagesTest::printerSheetStoresWhatSetStores() {
    struct Case {
        const char* sheet;
        Module m;
        std::function<void(Sheet&)> typed;
        std::vector<rules::NameValue> values;
    };
    const Case cases[] = {
        {"C730_Druck", {kCP730, kIfRs232, kProtPrinter, 0},
         [](Sheet& s) {
             pick(s.on<QComboBox>(0, "byBaud"), "4800");
             pick(s.on<QComboBox>(0, "byParity"), "beliebig");
             s.type(s.on<QLineEdit>(0, "byDataBits"), "7");
             flowRadio(s, 0, 1)->click();
             s.type(s.on<QLineEdit>(0, "byXonChar"), "1");
             s.type(s.on<QLineEdit>(0, "byXoffChar"), "3");
             s.type(s.on<QLineEdit>(0, "wXonWait"), "400");
             s.on<QCheckBox>(0, "byBreakOff")->click();
         },
         {{"byBaud", "4800"}, {"byParity", "beliebig"}, {"byDataBits", "7"}, {"byFlowCtrl", "XON / XOFF"},
          {"byXonChar", "1"}, {"byXoffChar", "3"}, {"wXonWait", "400"}, {"byBreakOff", "1"}}},
        {"CDruck", {kCP8312, kIfHostRs232, kProtPrinter, 5, 1},
         [](Sheet& s) {
             pick(s.on<QComboBox>(0, "byBaud"), "57600");
             pick(s.on<QComboBox>(0, "byParity"), "keine");
             s.type(s.on<QLineEdit>(0, "byStopBits"), "2");
             flowRadio(s, 0, 2)->click();
             s.type(s.on<QLineEdit>(0, "wXonWait"), "30");
         },
         {{"byBaud", "57600"}, {"byParity", "keine"}, {"byStopBits", "2"}, {"byFlowCtrl", "RTS / CTS"},
          {"wXonWait", "30"}}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCOMPARE(s.dialog->objectName(), c.sheet);
        const CDb opened = s.record;
        c.typed(s);
        QVERIFY2(s.ok(), c.sheet);

        const auto r = rules::applyValues(contextOf(c.m), opened, CDbdr{}, c.values);
        QVERIFY2(r.ok, r.text.c_str());
        QVERIFY2(std::memcmp(&opened, &r.db, sizeof(CDb)) != 0, c.sheet);  // the values changed something
        if (std::memcmp(&s.record, &r.db, sizeof(CDb)) != 0) {
            const auto* a = reinterpret_cast<const uint8_t*>(&s.record);
            const auto* b = reinterpret_cast<const uint8_t*>(&r.db);
            for (size_t i = 0; i < sizeof(CDb); ++i)
                if (a[i] != b[i]) qWarning() << c.sheet << "byte" << i << "sheet" << a[i] << "set" << b[i];
            QFAIL(c.sheet);
        }
    }
}

QTEST_MAIN(AsciiPrinterPagesTest)
#include "ascii_printer_pages_test.moc"
