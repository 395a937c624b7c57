// The 3964(R) and RK 512 pages and their "Datenempfang" pages as a user sees them: what the
// controls show for a stored record, what a click or a choice changes at once, what OK stores,
// and that the sheet stores what `ptpcfg set` stores for the same values.
#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <cstring>
#include <functional>
#include <vector>

#include "pages/apply_values.h"
#include "tests/pages/ui/sheet_fixture.h"
#include "widgets/spin_button.h"

using namespace sheettest;

namespace {

const QStringList kUpTo19200 = {"300", "600", "1200", "2400", "4800", "9600", "19200"};

}  // namespace

class Pages3964Test : public QObject {
    Q_OBJECT
private slots:
    void pageClassesPerSheet();
    void baudListsAndStoredCodes();
    void invalidStoredBaudCode();
    void blockCheckAndStandardValues();
    void blockCheckClickWithStandardValues();
    void cp830StandardValuesAreRecognised();
    void delayUnitsAndStopBits();
    void reactionWaitFollowsTheBaudRate();
    void patternRefusesTyping();
    void refusedCheckKeepsThePage();
    void receivePageCp830();
    void receivePageCp731Family();
    void readOnlyDisablesEveryControl();
    void tabOrderAndMnemonics();
    void sheetStoresWhatSetStores();
};

void Pages3964Test::pageClassesPerSheet() {
    struct Case {
        Module m;
        const char* protocolPage;
        const char* receivePage;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProt3964}, "CPP39_P1", "CPP39_P2"},
        {{kCP830, kIfRs232, kProt3964}, "C830_3964_P1", "C830_3964_P3"},
        {{kCP731, kIfRs232, kProt3964}, "CKP39_P1", "CKP39_P2"},
        {{kCP8312, kIfHostRs422, kProt3964, 5}, "CKP39_P1", "CKP39_P2"},
        {{kCP731, kIfRs232, kProtRk512}, "CKRK_P1", "CKRK_P2"},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCOMPARE(s.dialog->page(0)->metaObject()->className(), c.protocolPage);
        QCOMPARE(s.dialog->page(1)->metaObject()->className(), c.receivePage);
    }
    // The variants: BREAK only on CP 730, the reaction wait only on RK 512.
    Sheet cp730({kCP730, kIfRs232, kProt3964});
    QVERIFY(cp730.on<QCheckBox>(0, "byBreakOff"));
    QVERIFY(!cp730.on<QWidget>(0, "reactionGroup"));
    Sheet rk({kCP731, kIfRs232, kProtRk512});
    QVERIFY(!rk.on<QCheckBox>(0, "byBreakOff"));
    QVERIFY(rk.on<QWidget>(0, "reactionGroup")->isVisible());
    QCOMPARE(rk.on<QLabel>(0, "byConnectTriesLabel")->text(), "A&ufbauversuche:");
    QCOMPARE(cp730.on<QLabel>(0, "byConnectTriesLabel")->text(), "&Aufbauversuche:");
}

// The list a module offers, and the code a chosen rate is stored as.
void Pages3964Test::baudListsAndStoredCodes() {
    struct Case {
        Module m;
        QStringList list;
        QString choose;
        int stored;
    };
    const QStringList all = kUpTo19200 + QStringList{"38400", "57600", "76800", "115200"};
    const QStringList cp731 = all;
    const Case cases[] = {
        {{kCP731, kIfRs232, kProt3964, 2, 1}, cp731, "57600", 12},
        {{kCP731, kIfRs232, kProt3964, 2, 1}, cp731, "76800", 11},
        {{kCP731, kIfRs232, kProt3964, 2, 1}, cp731, "115200", 13},
        {{kCP731, kIfTty, kProt3964, 2, 1}, kUpTo19200, "300", 3},
        {{kCP8311, kIfHostRs232, kProt3964, 4, 1}, kUpTo19200 + QStringList{"38400"}, "38400", 10},
        {{kCP830, kIfRs232, kProt3964, 0}, all, "57600", 11},
        {{kCP830, kIfRs232, kProt3964, 0}, all, "76800", 12},
        {{kCP830, kIfRs232, kProt3964, 0}, all, "300", 3},
        {{kCP730, kIfRs232, kProt3964, 0}, {"2400", "4800", "9600", "19200"}, "19200", 9},
        {{kCP8311, kIfHostRs232, kProtRk512, 5, 1}, kUpTo19200, "1200", 5},
        {{kCP8312, kIfHostRs232, kProtRk512, 5, 1}, cp731, "115200", 13},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        auto* baud = s.on<QComboBox>(0, "byBaud");
        QCOMPARE(entries(baud), c.list);
        pick(baud, c.choose);
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byBaud), c.stored);
    }
}

// A code the list does not hold: CP 731/831 and CP 830 say so and take 9600; CP 730 shows
// no entry and, unless a rate is chosen, keeps the stored code.
void Pages3964Test::invalidStoredBaudCode() {
    Module cp731{kCP731, kIfRs232, kProt3964};
    Sheet s(cp731, recordOf(cp731, [](CDb& db) { db.byBaud = 2; }));
    QVERIFY(showsMessage(s, 557));
    QCOMPARE(s.on<QComboBox>(0, "byBaud")->currentText(), "9600");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byBaud), 8);

    Module cp730{kCP730, kIfRs232, kProt3964, 0};
    Sheet old(cp730, recordOf(cp730, [](CDb& db) { db.byBaud = 3; }));
    QVERIFY(!showsMessage(old, 557));
    QCOMPARE(old.on<QComboBox>(0, "byBaud")->currentIndex(), -1);
    QVERIFY(old.ok());
    QCOMPARE(int(old.record.byBaud), 3);  // nothing chosen: the stored code stays
}

// byMode holds both checkboxes; with standard values the four parameter fields are locked.
void Pages3964Test::blockCheckAndStandardValues() {
    struct Case {
        int stored;
        bool blockCheck, standard;
        int storedBack;
    };
    const Case cases[] = {
        {1, false, true, 1}, {2, true, true, 2}, {3, false, false, 3},
        {4, true, false, 4}, {0, false, false, 3}, {9, false, false, 3},
    };
    const char* params[] = {"wCharDelay", "wAckDelay", "byConnectTries", "bySendTries"};
    for (const Module& m : {Module{kCP730, kIfRs232, kProt3964, 0}, Module{kCP731, kIfRs232, kProtRk512}}) {
        for (const auto& c : cases) {
            Sheet s(m, recordOf(m, [&](CDb& db) { db.byMode = uint8_t(c.stored); }));
            QCOMPARE(s.on<QCheckBox>(0, "blockCheck")->isChecked(), c.blockCheck);
            QCOMPARE(s.on<QCheckBox>(0, "standardValues")->isChecked(), c.standard);
            for (const char* p : params) {
                QCOMPARE(s.on<QLineEdit>(0, p)->isEnabled(), !c.standard);
                if (p[0] == 'b') QCOMPARE(s.on<CSpinButton>(0, (QString(p) + "Spin").toUtf8())->isEnabled(), !c.standard);
            }
            if (c.stored == 2) {
                QCOMPARE(textOf(s, 0, "wCharDelay"), "220");
                QCOMPARE(textOf(s, 0, "wAckDelay"), "2000");
            }
            QVERIFY(s.ok());
            QCOMPARE(int(s.record.byMode), c.storedBack);
        }
    }
}

// With standard values a click on block check brings the other acknowledgement delay; turning
// standard values off unlocks the fields with the values they had.
void Pages3964Test::blockCheckClickWithStandardValues() {
    Module m{kCP731, kIfRs232, kProt3964};
    Sheet s(m);  // byMode 2
    s.on<QCheckBox>(0, "blockCheck")->click();
    QCOMPARE(textOf(s, 0, "wAckDelay"), "550");
    s.on<QCheckBox>(0, "standardValues")->click();
    QVERIFY(s.on<QLineEdit>(0, "wAckDelay")->isEnabled());
    QCOMPARE(textOf(s, 0, "wAckDelay"), "550");
    QCOMPARE(textOf(s, 0, "byConnectTries"), "6");
    s.type(s.on<QLineEdit>(0, "byConnectTries"), "9");
    s.on<QCheckBox>(0, "standardValues")->click();
    QCOMPARE(textOf(s, 0, "byConnectTries"), "6");
    QVERIFY(!s.on<QLineEdit>(0, "byConnectTries")->isEnabled());
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byMode), 1);
    QCOMPARE(int(s.record.wAckDelay), 55);
    QCOMPARE(int(s.record.byConnectTries), 6);
}

// CP 830 stores no standard-values flag: the page recognises the standard values.
void Pages3964Test::cp830StandardValuesAreRecognised() {
    struct Case {
        const char* what;
        std::function<void(CDb&)> change;
        bool standard;
    };
    const Case cases[] = {
        {"the defaults", {}, true},
        {"5 transmission attempts", [](CDb& db) { db.aby830Ext1[4] = 5; }, false},
        {"230 ms character delay", [](CDb& db) { db.wCharDelay = 230; }, false},
        {"without block check, 550 ms", [](CDb& db) { db.aby830Ext1[6] = 0; db.wAckDelay = 55; }, true},
    };
    Module m{kCP830, kIfRs232, kProt3964, 0};
    for (const auto& c : cases) {
        Sheet s(m, recordOf(m, c.change));
        QVERIFY2(s.on<QCheckBox>(0, "standardValues")->isChecked() == c.standard, c.what);
        QVERIFY2(s.on<QLineEdit>(0, "bySendTries")->isEnabled() == !c.standard, c.what);
    }
    // Block check has a byte of its own: 3 with, 0 without.
    Sheet s(m);
    s.on<QCheckBox>(0, "blockCheck")->click();
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.aby830Ext1[6]), 0);
    QCOMPARE(int(s.record.wAckDelay), 55);
}

// The character delay in units of 10 ms (CP 830: ms), two stop bits stored as 3.
void Pages3964Test::delayUnitsAndStopBits() {
    struct Case {
        Module m;
        const char* typedDelay;
        int storedDelay;
    };
    const Case cases[] = {
        {{kCP730, kIfRs232, kProt3964, 0}, nullptr, 22},
        {{kCP730, kIfRs232, kProt3964, 0}, "300", 30},
        {{kCP731, kIfRs232, kProt3964}, "1000", 100},
        {{kCP830, kIfRs232, kProt3964, 0}, "250", 250},
    };
    for (const auto& c : cases) {
        Sheet s(c.m, recordOf(c.m, [](CDb& db) {
                    db.byMode = 4;
                    db.byStopBits = 3;
                    db.byParity = 0;  // one start, eight data, two stop bits: a valid CP 730 frame
                    db.aby830Ext1[4] = 5;
                }));
        QCOMPARE(textOf(s, 0, "wCharDelay"), "220");
        QCOMPARE(textOf(s, 0, "byStopBits"), "2");
        if (c.typedDelay) s.type(s.on<QLineEdit>(0, "wCharDelay"), c.typedDelay);
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wCharDelay), c.storedDelay);
        QCOMPARE(int(s.record.byStopBits), 3);
    }
    // One stop bit through the spin's arrow.
    Module m{kCP731, kIfRs232, kProt3964};
    Sheet s(m, recordOf(m, [](CDb& db) { db.byStopBits = 3; }));
    QTest::mouseClick(s.on<CSpinButton>(0, "byStopBitsSpin")->findChild<QAbstractButton*>("down"), Qt::LeftButton);
    QCOMPARE(textOf(s, 0, "byStopBits"), "1");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byStopBits), 1);
}

void Pages3964Test::reactionWaitFollowsTheBaudRate() {
    Module pv2{kCP731, kIfRs232, kProtRk512, 2, 1};
    {
        Sheet s(pv2, recordOf(pv2, [](CDb& db) { db.wReactionWait = 5000; }));
        auto* box = s.on<QCheckBox>(0, "reactionBaud");
        auto* shown = s.on<QLineEdit>(0, "wReactionWait");
        QVERIFY(box->isChecked() && box->isEnabled());
        QCOMPARE(shown->text(), "5000");
        QVERIFY(!shown->isEnabled());
        pick(s.on<QComboBox>(0, "byBaud"), "300");
        QCOMPARE(shown->text(), "10000");
        pick(s.on<QComboBox>(0, "byBaud"), "38400");
        QCOMPARE(shown->text(), "3000");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wReactionWait), 3000);
    }
    {
        Sheet s(pv2, recordOf(pv2, [](CDb& db) { db.wReactionWait = 5000; }));
        s.on<QCheckBox>(0, "reactionBaud")->click();
        QCOMPARE(textOf(s, 0, "wReactionWait"), "20000");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wReactionWait), 0);
    }
    {
        Module m{kCP8312, kIfHostRs232, kProtRk512, 5, 1};
        Sheet s(m);
        pick(s.on<QComboBox>(0, "byBaud"), "115200");
        s.on<QCheckBox>(0, "reactionBaud")->click();
        QCOMPARE(textOf(s, 0, "wReactionWait"), "3000");
    }
    // Without the feature the checkbox is locked off and the wait is the fixed 20000 ms.
    for (const Module& m : {Module{kCP731, kIfRs232, kProtRk512, 1}, Module{kCP8312, kIfHostRs232, kProtRk512, 4, 1},
                            Module{kCP8311, kIfHostRs232, kProtRk512, 5, 1}}) {
        Sheet s(m, recordOf(m, [](CDb& db) { db.wReactionWait = 5000; }));
        auto* box = s.on<QCheckBox>(0, "reactionBaud");
        QVERIFY(!box->isChecked() && !box->isEnabled());
        QCOMPARE(textOf(s, 0, "wReactionWait"), "20000");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wReactionWait), 0);
    }
    // RK 512 has a fixed frame of eight data bits.
    Sheet s(pv2);
    QCOMPARE(textOf(s, 0, "byDataBits"), "8");
    QVERIFY(!s.on<QLineEdit>(0, "byDataBits")->isEnabled());
}

// A key that makes the text impossible for the field is taken back at once.
void Pages3964Test::patternRefusesTyping() {
    struct Case {
        const char* field;
        QString keys;
        bool replace;  // over the selected text, else at the end
    };
    const Case cases[] = {
        {"wCharDelay", "x", false}, {"wAckDelay", "0", true}, {"byDataBits", "9", true},
        {"byStopBits", "3", true},  {"bySendTries", "0", true},      {"byConnectTries", "-", false},
    };
    Module m{kCP731, kIfRs232, kProt3964};
    Sheet s(m, recordOf(m, [](CDb& db) { db.byMode = 4; }));
    for (const auto& c : cases) {
        auto* edit = s.on<QLineEdit>(0, c.field);
        const QString before = edit->text();
        edit->setFocus();
        if (c.replace) edit->selectAll();
        else edit->end(false);
        QTest::keyClicks(edit, c.keys);
        QVERIFY2(edit->text() == before, c.field);
    }
    // The DB number of the CPU receive box takes digits only.
    Module cp831{kCP8311, kIfHostRs232, kProt3964, 5};
    Sheet r(cp831, recordOf(cp831, [](CDb& db) { db.wRecvDbNo = 12; }));
    r.select(1);
    auto* db = r.on<QLineEdit>(1, "wRecvDbNo");
    db->end(false);
    QTest::keyClicks(db, "a");
    QCOMPARE(db->text(), "12");
}

// A refused field or page check keeps the page, names the reason and puts the cursor into
// the field: a value typed below the minimum, and one stored below it (the page's check).
void Pages3964Test::refusedCheckKeepsThePage() {
    struct Case {
        const char* what;
        int storedCharDelay;  // units of 10 ms
        const char* field;
        const char* typed;    // nullptr: left as it opened
        int message;
    };
    const Case cases[] = {
        {"typed character delay", 22, "wCharDelay", "10", 501},
        {"typed acknowledgement delay", 22, "wAckDelay", "20", 502},
        {"stored character delay", 1, "wCharDelay", nullptr, 501},
    };
    Module m{kCP731, kIfRs232, kProt3964};
    for (const auto& c : cases) {
        Sheet s(m, recordOf(m, [&](CDb& db) {
                    db.byMode = 4;
                    db.wCharDelay = uint16_t(c.storedCharDelay);
                }));
        pick(s.on<QComboBox>(0, "byBaud"), "300");
        auto* edit = s.on<QLineEdit>(0, c.field);
        if (c.typed) s.type(edit, c.typed);
        s.on<QComboBox>(0, "byBaud")->setFocus();
        QTabBar* bar = s.dialog->tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QVERIFY2(!s.messages.shown.empty(), c.what);
        QVERIFY2(s.messages.shown.back().id == c.message, c.what);
        QVERIFY2(s.dialog->tabs()->currentIndex() == 0, c.what);
        QVERIFY2(s.model->activePage() == 0, c.what);
        QVERIFY2(s.dialog->focusWidget() == edit, c.what);
        // The field holds the minimum the message names.
        QVERIFY2(edit->text() == QString::fromStdString(s.messages.shown.back().inserts.at(1)), c.what);
    }
}

void Pages3964Test::receivePageCp830() {
    Module m{kCP830, kIfRs232, kProt3964, 0};
    Sheet s(m);  // the entire buffer, overwriting prevented
    s.select(1);
    auto* whole = s.on<QCheckBox>(1, "wholeBuffer");
    auto* number = s.on<QLineEdit>(1, "byBufferedTelegrams");
    QVERIFY(whole->isChecked());
    QCOMPARE(number->text(), "");
    QVERIFY(!number->isEnabled());
    whole->click();
    QVERIFY(number->isEnabled());
    s.type(number, "11");
    QVERIFY(!s.ok());  // at most 10 telegrams
    QCOMPARE(s.messages.shown.back().id, 517);
    QCOMPARE(number->text(), "10");
    s.type(number, "4");
    s.on<QCheckBox>(1, "byClearRecvBuf")->click();
    s.on<QCheckBox>(1, "byNoOverwrite")->click();
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byBufferedTelegrams), 4);
    QCOMPARE(int(s.record.byClearRecvBuf), 1);
    QCOMPARE(int(s.record.byNoOverwrite), 0);

    Sheet back(m, recordOf(m, [](CDb& db) { db.byBufferedTelegrams = 3; }));
    back.select(1);
    QVERIFY(!back.on<QCheckBox>(1, "wholeBuffer")->isChecked());
    QCOMPARE(textOf(back, 1, "byBufferedTelegrams"), "3");
    back.on<QCheckBox>(1, "wholeBuffer")->click();
    QVERIFY(back.ok());
    QCOMPARE(int(back.record.byBufferedTelegrams), 255);
}

void Pages3964Test::receivePageCp731Family() {
    // CP 831 with 3964(R): the CPU receive box with its DB number and explanation.
    Module cp831{kCP8311, kIfHostRs232, kProt3964, 5};
    {
        Sheet s(cp831);
        s.select(1);
        auto* clear = s.on<QCheckBox>(1, "byClearRecvBuf");
        QVERIFY(clear->isVisible() && !clear->isEnabled());
        QVERIFY(!s.on<QCheckBox>(1, "byExtErrDisplay")->isEnabled());
        QVERIFY(s.on<QWidget>(1, "cpuGroup")->isVisible());
        auto* use = s.on<QCheckBox>(1, "cpuBox");
        auto* db = s.on<QLineEdit>(1, "wRecvDbNo");
        auto* note = s.on<QLabel>(1, "cpuBoxNote");
        QVERIFY(!use->isChecked());
        QVERIFY(!db->isVisible() && !note->isVisible() && !s.on<QLabel>(1, "wRecvDbNoLabel")->isVisible());
        use->click();
        QVERIFY(db->isVisible() && note->isVisible() && s.on<QLabel>(1, "wRecvDbNoLabel")->isVisible());
        s.type(db, "42");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wRecvDbNo), 42);
    }
    {
        Sheet s(cp831, recordOf(cp831, [](CDb& db) { db.wRecvDbNo = 42; }));
        s.select(1);
        QVERIFY(s.on<QCheckBox>(1, "cpuBox")->isChecked());
        QCOMPARE(textOf(s, 1, "wRecvDbNo"), "42");
        s.on<QCheckBox>(1, "cpuBox")->click();
        QVERIFY(!s.on<QLineEdit>(1, "wRecvDbNo")->isVisible());
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.wRecvDbNo), 0);  // an unused receive box is stored as 0
    }
    // CP 731 from version 2: receive errors at the FB; no receive box on CP 731 nor with RK 512.
    struct Case {
        Module m;
        bool errorsEnabled;
    };
    const Case cases[] = {
        {{kCP731, kIfRs232, kProt3964, 2}, true},
        {{kCP731, kIfRs232, kProt3964, 1}, false},
        {{kCP731, kIfRs232, kProtRk512, 2}, true},
        {{kCP8312, kIfHostRs232, kProtRk512, 5}, false},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        s.select(1);
        QVERIFY(!s.on<QWidget>(1, "cpuGroup") || !s.on<QWidget>(1, "cpuGroup")->isVisible());
        auto* errors = s.on<QCheckBox>(1, "byExtErrDisplay");
        QCOMPARE(errors->isEnabled(), c.errorsEnabled);
        QVERIFY(!s.on<QCheckBox>(1, "byClearRecvBuf")->isEnabled());
        errors->click();
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byExtErrDisplay), c.errorsEnabled ? 1 : 0);
    }
    // The RK 512 page has its own accelerator for the clearing checkbox.
    Sheet rk({kCP731, kIfRs232, kProtRk512});
    QCOMPARE(rk.on<QCheckBox>(1, "byClearRecvBuf")->text(), "CP-Empfangs&puffer im Anlauf löschen");

    // CP 730: the one checkbox.
    Module cp730{kCP730, kIfRs232, kProt3964, 0};
    Sheet s(cp730);
    s.select(1);
    auto* clear = s.on<QCheckBox>(1, "byClearRecvBuf");
    QVERIFY(clear->isChecked() && clear->isEnabled());
    clear->click();
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byClearRecvBuf), 0);
}

// Online every control of both pages is locked, the spins and the reaction wait included,
// and OK hands the record back unchanged.
void Pages3964Test::readOnlyDisablesEveryControl() {
    const Module modules[] = {
        {kCP730, kIfRs232, kProt3964, 0, 0, true},
        {kCP830, kIfRs232, kProt3964, 0, 0, true},
        {kCP8311, kIfHostRs232, kProt3964, 5, 1, true},
        {kCP731, kIfRs232, kProtRk512, 2, 1, true},
    };
    for (const auto& m : modules) {
        Sheet s(m, recordOf(m, [](CDb& db) {
                    db.byMode = 4;
                    db.wRecvDbNo = 7;
                    db.wReactionWait = 5000;
                    db.byBufferedTelegrams = 3;
                }));
        const CDb before = s.record;
        for (int page : {0, 1}) {
            s.select(page);
            for (QWidget* w : s.dialog->page(page)->findChildren<QWidget*>()) {
                if (!(qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                      qobject_cast<CSpinButton*>(w)))
                    continue;
                if (w->isEnabled()) qWarning() << s.dialog->objectName() << w->objectName() << "is enabled";
                QVERIFY(!w->isEnabled());
            }
        }
        s.on<QCheckBox>(0, "blockCheck")->click();
        QVERIFY(s.ok());
        QVERIFY(std::memcmp(&before, &s.record, sizeof before) == 0);
    }
}

// Tab walks the controls top to bottom, the left column first; every accelerator of a label
// leads to its control.
void Pages3964Test::tabOrderAndMnemonics() {
    struct Case {
        Module m;
        int page;
        QStringList order;
    };
    const QStringList protocol = {"blockCheck", "standardValues", "wCharDelay", "wAckDelay", "byConnectTries",
                                  "bySendTries", "byBaud", "byDataBits", "byStopBits", "byParity", "byPriority"};
    const Case cases[] = {
        {{kCP730, kIfRs232, kProt3964, 0}, 0, protocol + QStringList{"byBreakOff"}},
        {{kCP731, kIfRs232, kProtRk512, 2, 1}, 0,  // eight data bits, fixed
         {"blockCheck", "standardValues", "wCharDelay", "wAckDelay", "byConnectTries", "bySendTries", "byBaud",
          "byStopBits", "byParity", "byPriority", "reactionBaud"}},
        {{kCP830, kIfRs232, kProt3964, 0}, 1, {"byClearRecvBuf", "byNoOverwrite", "wholeBuffer", "byBufferedTelegrams"}},
        {{kCP731, kIfRs232, kProt3964, 2}, 1, {"byExtErrDisplay"}},
        {{kCP8311, kIfHostRs232, kProt3964, 5}, 1, {"cpuBox", "wRecvDbNo"}},  // the other two locked
    };
    for (const auto& c : cases) {
        Module m = c.m;
        Sheet s(m, recordOf(m, [](CDb& db) {
                    db.byMode = 4;
                    db.wRecvDbNo = 7;
                    db.byBufferedTelegrams = 3;
                    db.byExtErrDisplay = 0;
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
        for (QLabel* l : page->findChildren<QLabel*>())
            if (l->text().contains('&')) QVERIFY2(l->buddy(), qPrintable(l->text()));
    }
}

// The same values typed into the sheet and given to `ptpcfg set` store the same record.
void Pages3964Test::sheetStoresWhatSetStores() {
    struct Case {
        const char* sheet;
        Module m;
        std::function<void(Sheet&)> typed;
        std::vector<rules::NameValue> values;
    };
    const Case cases[] = {
        {"CPP3964", {kCP730, kIfRs232, kProt3964, 0},
         [](Sheet& s) {
             s.on<QCheckBox>(0, "standardValues")->click();
             pick(s.on<QComboBox>(0, "byBaud"), "19200");
             s.type(s.on<QLineEdit>(0, "wCharDelay"), "300");
             s.type(s.on<QLineEdit>(0, "wAckDelay"), "500");
             s.type(s.on<QLineEdit>(0, "byConnectTries"), "3");
             pick(s.on<QComboBox>(0, "byParity"), "keine");
             pick(s.on<QComboBox>(0, "byPriority"), "niedrig");
             s.on<QCheckBox>(0, "byBreakOff")->click();
             s.select(1);
             s.on<QCheckBox>(1, "byClearRecvBuf")->click();
         },
         {{"byMode", "4"}, {"wCharDelay", "300"}, {"wAckDelay", "500"}, {"byConnectTries", "3"}, {"byBaud", "19200"},
          {"byParity", "keine"}, {"byPriority", "niedrig"}, {"byBreakOff", "1"}, {"byClearRecvBuf", "0"}}},
        {"C830_3964", {kCP830, kIfRs232, kProt3964, 0},
         [](Sheet& s) {
             s.on<QCheckBox>(0, "standardValues")->click();
             s.on<QCheckBox>(0, "blockCheck")->click();
             s.type(s.on<QLineEdit>(0, "wCharDelay"), "250");
             s.type(s.on<QLineEdit>(0, "bySendTries"), "4");
             pick(s.on<QComboBox>(0, "byBaud"), "57600");
             pick(s.on<QComboBox>(0, "byParity"), "ungerade");
             s.type(s.on<QLineEdit>(0, "byDataBits"), "7");
             s.type(s.on<QLineEdit>(0, "byStopBits"), "2");
             s.select(1);
             s.on<QCheckBox>(1, "wholeBuffer")->click();
             s.type(s.on<QLineEdit>(1, "byBufferedTelegrams"), "4");
             s.on<QCheckBox>(1, "byClearRecvBuf")->click();
         },
         {{"byMode", "3"}, {"wCharDelay", "250"}, {"bySendTries", "4"}, {"byBaud", "57600"}, {"byParity", "ungerade"},
          {"byDataBits", "7"}, {"byStopBits", "2"}, {"byBufferedTelegrams", "4"}, {"byClearRecvBuf", "1"}}},
        {"CKP3964", {kCP8311, kIfHostRs232, kProt3964, 5, 1},
         [](Sheet& s) {
             s.on<QCheckBox>(0, "standardValues")->click();
             pick(s.on<QComboBox>(0, "byBaud"), "115200");
             s.type(s.on<QLineEdit>(0, "wAckDelay"), "1000");
             s.type(s.on<QLineEdit>(0, "byStopBits"), "2");
             pick(s.on<QComboBox>(0, "byPriority"), "niedrig");
             s.select(1);
             s.on<QCheckBox>(1, "cpuBox")->click();
             s.type(s.on<QLineEdit>(1, "wRecvDbNo"), "42");
         },
         {{"byMode", "4"}, {"byBaud", "115200"}, {"wAckDelay", "1000"}, {"byStopBits", "2"}, {"byPriority", "niedrig"},
          {"wRecvDbNo", "42"}}},
        {"CKRK512", {kCP731, kIfRs422, kProtRk512, 2, 1},
         [](Sheet& s) {
             s.on<QCheckBox>(0, "reactionBaud")->click();
             pick(s.on<QComboBox>(0, "byBaud"), "38400");
             s.on<QCheckBox>(0, "blockCheck")->click();
             pick(s.on<QComboBox>(0, "byParity"), "keine");
             s.select(1);
             s.on<QCheckBox>(1, "byExtErrDisplay")->click();
         },
         {{"wReactionWait", "1"}, {"byBaud", "38400"}, {"byMode", "1"}, {"byParity", "keine"},
          {"byExtErrDisplay", "1"}}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCOMPARE(s.dialog->objectName(), c.sheet);
        const CDb opened = s.record;
        c.typed(s);
        QVERIFY2(s.model->activePage() == 1, c.sheet);
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

QTEST_MAIN(Pages3964Test)
#include "pages_3964_test.moc"
