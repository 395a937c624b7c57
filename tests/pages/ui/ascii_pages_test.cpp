// The "ASCII" pages of CP 730, CP 830 and CP 731/831 as a user sees them: which controls the
// end criterion shows and enables, what the send-mode radios, the send pause and the second
// end-character checkboxes store, how an end character is shown, the fields' patterns,
// read-only, tab order, and that the sheet stores what `ptpcfg set` stores for the same values.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "pages/apply_values.h"
#include "tests/pages/ui/sheet_fixture.h"
#include "widgets/spin_button.h"

using namespace sheettest;

namespace {

QString textOf(const Sheet& s, const char* name) { return sheettest::textOf(s, 0, name); }

// The "[ASCII]" field beside an end character's hex edit.
QString asciiOf(const Sheet& s, const char* name) { return textOf(s, (QString(name) + "Ascii").toLatin1().constData()); }

void click(const Sheet& s, const char* name) {
    auto* b = s.on<QAbstractButton>(0, name);
    QVERIFY2(b, name);
    QVERIFY2(b->isVisible() && b->isEnabled(), name);
    b->click();
}

// The focus moves on as the user moves it: the window must be the active one for the page
// to see a field being left.
void activate(const Sheet& s) {
    QApplication::setActiveWindow(s.dialog.get());
    QVERIFY(QApplication::activeWindow() == s.dialog.get());
}

const Module kCp730{kCP730, kIfRs232, kProtAscii, 0};
const Module kCp830{kCP830, kIfRs232, kProtAscii, 0};
const Module kCp731{kCP731, kIfRs232, kProtAscii, 2, 0};     // without the extended flag
const Module kCp731Ext{kCP731, kIfRs232, kProtAscii, 2, 1};  // with it

}  // namespace

class AsciiPagesTest : public QObject {
    Q_OBJECT
private slots:
    void pageClassesAndVariants();
    void criterionDecidesWhatIsShown();
    void cp731WithoutExtendedFlagSendsUpToEndCharacters();
    void sendModeFbLengthStoresNoSenderEnds();
    void fixedLengthSendPause();
    void cp830EndLink();
    void cp830SingleEndCharacterIsCopied();
    void cp830DelayLabelFollowsCriterion();
    void secondEndCharacterCheckbox();
    void endCharacterShownInHexAndAscii();
    void sevenDataBitsClearBitSeven();
    void emptiedEndCharacterIsRefusedOnLeaving();
    void patternRefusesTyping();
    void breakMonitoringOnRs422FollowsThePreset();
    void readOnlyDisablesEveryControl();
    void tabOrderAndMnemonics();
    void sheetStoresWhatSetStores();
};

void AsciiPagesTest::pageClassesAndVariants() {
    struct Case {
        Module m;
        const char* pageClass;
        QString endCharsRadio, stopBits, recvEnd1;
        bool breakBox, link, sender;
    };
    const Case cases[] = {
        {kCp730, "CPASC_P1", "N&ach Empfang der/des Endezeichen(s)", "&Stopbits:", "&1. Endezeichen:", true, false,
         false},
        {kCp830, "C830_ASCII_P1", "&Endezeichen", "St&opbits:", "&1. Endezeichen Empfänger:", false, true, true},
        {kCp731Ext, "CKASC_P1", "&Endezeichen", "St&opbits:", "&1. Endezeichen Empfänger:", false, false, true},
        {kCp731, "CKASC_P1", "&Endezeichen", "St&opbits:", "&1. Endezeichen Empfänger:", false, false, false},
        {{kCP8312, kIfHostRs422, kProtAscii, 5, 1}, "CKASC_P1", "&Endezeichen", "St&opbits:",
         "&1. Endezeichen Empfänger:", false, false, true},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCOMPARE(s.dialog->page(0)->metaObject()->className(), c.pageClass);
        QCOMPARE(s.on<QRadioButton>(0, "endCriterion2")->text(), c.endCharsRadio);
        QCOMPARE(s.on<QLabel>(0, "byStopBitsLabel")->text(), c.stopBits);
        QCOMPARE(s.on<QLabel>(0, "byRecvEnd1Label")->text(), c.recvEnd1);
        QCOMPARE(s.on<QCheckBox>(0, "byBreakOff") != nullptr, c.breakBox);
        QCOMPARE(s.on<QComboBox>(0, "byEndLink830") != nullptr, c.link);
        auto* sender = s.on<QWidget>(0, "senderGroup");
        QCOMPARE(sender && sender->isVisible(), c.sender);
    }
    // The lists of each family.
    Sheet cp730(kCp730);
    QCOMPARE(cp730.on<QComboBox>(0, "byBaud")->count(), 3);
    QCOMPARE(cp730.on<QComboBox>(0, "byParity")->itemText(3), "beliebig");
    Sheet cp830(kCp830);
    QCOMPARE(cp830.on<QComboBox>(0, "byBaud")->itemText(0), "300");
    QCOMPARE(cp830.on<QComboBox>(0, "byParity")->count(), 3);
    QCOMPARE(cp830.on<QComboBox>(0, "byEndLink830")->itemText(1), "ODER");
}

// What each criterion shows and enables; every visible control keeps its place.
void AsciiPagesTest::criterionDecidesWhatIsShown() {
    struct Seen {
        const char* name;
        bool visible, enabled;
    };
    struct Case {
        const char* what;
        Module m;
        int criterion;
        std::vector<Seen> seen;
    };
    const Case cases[] = {
        {"CP 730 delay time", kCp730, 1,
         {{"wCharDelay", true, true}, {"byRecvEnd1", true, false}, {"byRecvEndCount", true, false},
          {"byRecvEnd2", true, false}, {"wTelegramLen", true, false}, {"wTelegramLenSpin", true, false}}},
        {"CP 730 end characters", kCp730, 2,
         {{"wCharDelay", true, true}, {"byRecvEnd1", true, true}, {"byRecvEnd1Ascii", true, true},
          {"byRecvEndCount", true, true}, {"byRecvEnd2", true, false}, {"byRecvEnd2Ascii", true, false},
          {"wTelegramLen", true, false}}},
        {"CP 730 fixed length", kCp730, 3,
         {{"wCharDelay", true, true}, {"byRecvEnd1", true, false}, {"wTelegramLen", true, true},
          {"wTelegramLenSpin", true, true}}},
        {"CP 731 extended, delay time", kCp731Ext, 1,
         {{"byRecvEnd1", false, false}, {"byRecvEndCount", false, false}, {"wTelegramLen", false, false},
          {"senderGroup", true, true}, {"sendMode1", true, false}, {"sendMode3", true, false},
          {"bySendEnd1", false, false}, {"sendPause", false, false}}},
        {"CP 731 extended, end characters", kCp731Ext, 2,
         {{"byRecvEnd1", true, true}, {"byRecvEndCount", true, true}, {"byRecvEnd2", true, false},
          {"wTelegramLen", false, false}, {"sendMode1", true, true}, {"sendMode2", true, true},
          {"bySendEnd1", true, true}, {"bySendEndCount", true, true}, {"bySendEnd2", true, false},
          {"sendPause", false, false}}},
        {"CP 731 extended, fixed length", kCp731Ext, 3,
         {{"byRecvEnd1", false, false}, {"wTelegramLen", true, true}, {"sendPause", true, true},
          {"sendMode2", true, false}, {"bySendEnd1", false, false}}},
        {"CP 731 without the flag, fixed length", kCp731, 3,
         {{"wTelegramLen", true, true}, {"sendPause", false, false}, {"senderGroup", false, false}}},
        {"CP 830 delay time", kCp830, 1,
         {{"byRecvEnd1", false, false}, {"byEndLink830", false, false}, {"senderGroup", true, true},
          {"sendMode1", true, false}, {"sendPause", false, false}}},
        {"CP 830 end characters", kCp830, 2,
         {{"byRecvEnd1", true, true}, {"byEndLink830", true, false}, {"sendMode2", true, true},
          {"bySendEnd1", true, true}, {"wTelegramLen", false, false}}},
        {"CP 830 fixed length", kCp830, 3,
         {{"wTelegramLen", true, true}, {"sendPause", true, true}, {"byEndLink830", false, false},
          {"sendMode2", true, false}}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCoreApplication::processEvents();  // the sheet takes the size of its largest page
        const QSize before = s.dialog->size();
        click(s, QStringLiteral("endCriterion%1").arg(c.criterion).toLatin1().constData());
        QCoreApplication::processEvents();
        QVERIFY2(s.on<QRadioButton>(0, QStringLiteral("endCriterion%1").arg(c.criterion).toLatin1())->isChecked(), c.what);
        for (const auto& seen : c.seen) {
            auto* w = s.on<QWidget>(0, seen.name);
            const QString where = QString("%1: %2").arg(c.what, seen.name);
            QVERIFY2(w, qPrintable(where));
            QVERIFY2(w->isVisible() == seen.visible, qPrintable(where + " visible"));
            if (seen.visible) QVERIFY2(w->isEnabled() == seen.enabled, qPrintable(where + " enabled"));
        }
        QVERIFY2(s.dialog->size() == before, c.what);
    }
}

// Without the extended flag a CP 731 has no sender settings: "Endezeichen" shows only the
// receiver's end characters and stores the send mode 0x20; with the flag it is 0x21.
void AsciiPagesTest::cp731WithoutExtendedFlagSendsUpToEndCharacters() {
    for (const Module& m : {kCp731, kCp731Ext}) {
        Sheet s(m);
        click(s, "endCriterion2");
        QVERIFY(s.on<QLineEdit>(0, "byRecvEnd1")->isVisible());
        QCOMPARE(s.on<QWidget>(0, "bySendEnd1")->isVisible(), m.extended != 0);
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byMode), 2);
        QCOMPARE(int(s.record.bySendMode), m.extended ? 0x21 : 0x20);
    }
}

// "Senden bis zur am FB parametrierten Länge" hides the sender's end characters and stores no
// count of them; the third radio brings them back.
void AsciiPagesTest::sendModeFbLengthStoresNoSenderEnds() {
    Sheet s(kCp731Ext, recordOf(kCp731Ext, [](CDb& db) {
                db.byMode = 2;
                db.bySendMode = 0x21;
                db.bySendEndCount = 2;
            }));
    QVERIFY(s.on<QRadioButton>(0, "sendMode1")->isChecked());
    QVERIFY(s.on<QCheckBox>(0, "bySendEndCount")->isChecked());
    click(s, "sendMode2");
    QVERIFY(s.on<QRadioButton>(0, "sendMode2")->isChecked());
    QVERIFY(!s.on<QRadioButton>(0, "sendMode1")->isChecked());
    for (const char* name : {"bySendEnd1", "bySendEndCount", "bySendEnd2", "bySendEnd1Ascii"})
        QVERIFY2(!s.on<QWidget>(0, name)->isVisible(), name);
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.bySendMode), 0x22);
    QCOMPARE(int(s.record.bySendEndCount), 0);

    Sheet back(kCp731Ext, s.record);
    QVERIFY(back.on<QRadioButton>(0, "sendMode2")->isChecked());
    click(back, "sendMode3");
    QVERIFY(back.on<QLineEdit>(0, "bySendEnd1")->isVisible());
    QVERIFY(back.ok());
    QCOMPARE(int(back.record.bySendMode), 0x23);
    QCOMPARE(int(back.record.bySendEndCount), 1);
}

// The send pause: a stored "without pause" opens unchecked; the fixed-length radio checks it
// unless the send mode says so.
void AsciiPagesTest::fixedLengthSendPause() {
    struct Case {
        const char* what;
        Module m;
        std::function<void(CDb&)> stored;
        bool clickFixedLength;
        bool pauseShown;
        int storedAfterClick;  // after one click on the checkbox
    };
    const Case cases[] = {
        {"CP 731 stored 0x31", kCp731Ext, [](CDb& db) { db.byMode = 3; db.bySendMode = 0x31; }, false, false, 0x30},
        {"CP 731 from delay time", kCp731Ext, {}, true, true, 0x31},
        {"CP 830 stored 0x31", kCp830, [](CDb& db) { db.byEndCrit830 = db.byEndLink830 = 0x31; }, false, false, 0x30},
        {"CP 830 from delay time", kCp830, {}, true, true, 0x31},
    };
    for (const auto& c : cases) {
        Sheet s(c.m, recordOf(c.m, c.stored));
        if (c.clickFixedLength) click(s, "endCriterion3");
        QVERIFY2(s.on<QRadioButton>(0, "endCriterion3")->isChecked(), c.what);
        auto* pause = s.on<QCheckBox>(0, "sendPause");
        QVERIFY2(pause->isVisible() && pause->isEnabled(), c.what);
        QVERIFY2(pause->isChecked() == c.pauseShown, c.what);
        pause->click();
        QVERIFY2(s.ok(), c.what);
        if (c.m.type == kCP830) {
            QVERIFY2(s.record.byEndCrit830 == c.storedAfterClick, c.what);
            QVERIFY2(s.record.byEndLink830 == c.storedAfterClick, c.what);
        } else {
            QVERIFY2(s.record.bySendMode == c.storedAfterClick, c.what);
            QVERIFY2(s.record.byMode == 3, c.what);
        }
    }
}

// CP 830 links two receiver end characters by "UND" or "ODER"; with one end character the
// list is locked.
void AsciiPagesTest::cp830EndLink() {
    Sheet s(kCp830);
    activate(s);
    click(s, "endCriterion2");
    QVERIFY(s.on<QRadioButton>(0, "sendMode1")->isChecked());  // "Senden bis einschließlich Endezeichen"
    auto* link = s.on<QComboBox>(0, "byEndLink830");
    QVERIFY(link->isVisible() && !link->isEnabled());
    click(s, "byRecvEndCount");
    QVERIFY(link->isEnabled());
    pick(link, "ODER");
    s.type(s.on<QLineEdit>(0, "byRecvEnd2"), "0A");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byEndCrit830), 0x21);
    QCOMPARE(int(s.record.byEndLink830), 0x21);
    QCOMPARE(int(s.record.byRecvEndCount), 2);
    QCOMPARE(int(s.record.byRecvEnd2), 0x0A);

    Sheet back(kCp830, s.record);
    QCOMPARE(back.on<QComboBox>(0, "byEndLink830")->currentText(), "ODER");
    click(back, "byRecvEndCount");
    QVERIFY(!back.on<QComboBox>(0, "byEndLink830")->isEnabled());
    QVERIFY(!back.on<QLineEdit>(0, "byRecvEnd2")->isEnabled());
}

// With one end character the CP 830 page check puts end character 1 into end character 2 as
// well (the module compares both), for the receiver and for the sender.
void AsciiPagesTest::cp830SingleEndCharacterIsCopied() {
    Sheet s(kCp830, recordOf(kCp830, [](CDb& db) {
                db.byEndCrit830 = db.byEndLink830 = 0x21;
                db.byRecvEndCount = db.bySendEndCount = 1;
                db.byRecvEnd1 = 0x0D;
                db.byRecvEnd2 = 0x0A;
                db.bySendEnd1 = 0x03;
                db.bySendEnd2 = 0x04;
            }));
    QCOMPARE(textOf(s, "byRecvEnd2"), "A");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byRecvEnd2), 0x0D);
    QCOMPARE(int(s.record.bySendEnd2), 0x03);
}

void AsciiPagesTest::cp830DelayLabelFollowsCriterion() {
    Sheet s(kCp830);
    auto* label = s.on<QLabel>(0, "wCharDelayLabel");
    QCOMPARE(label->text(), "&Zeichenverzugszeit:");
    click(s, "endCriterion2");
    QCOMPARE(label->text(), "&Überwachungszeit bei fehlender Endekennung:");
    click(s, "endCriterion3");
    QCOMPARE(label->text(), "&Überwachungszeit bei fehlender Endekennung:");
    click(s, "endCriterion1");
    QCOMPARE(label->text(), "&Zeichenverzugszeit:");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byEndCrit830), 0x10);
    QCOMPARE(int(s.record.byEndLink830), 0x10);

    Sheet other(kCp731Ext);
    click(other, "endCriterion2");
    QCOMPARE(other.on<QLabel>(0, "wCharDelayLabel")->text(), "&Zeichenverzugszeit:");
}

// Checking a second end character unlocks its fields and puts the cursor into the hex field
// with its text selected; unchecking locks them and stores one end character.
void AsciiPagesTest::secondEndCharacterCheckbox() {
    struct Case {
        Module m;
        const char* box;  // the checkbox is bound to the count
        const char* hex;
        uint8_t CDb::*count;
        uint8_t CDb::*end2;
    };
    const Case cases[] = {
        {kCp730, "byRecvEndCount", "byRecvEnd2", &CDb::byRecvEndCount, &CDb::byRecvEnd2},
        {kCp731Ext, "bySendEndCount", "bySendEnd2", &CDb::bySendEndCount, &CDb::bySendEnd2},
        {kCp830, "bySendEndCount", "bySendEnd2", &CDb::bySendEndCount, &CDb::bySendEnd2},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        activate(s);
        click(s, "endCriterion2");
        auto* hex = s.on<QLineEdit>(0, c.hex);
        auto* ascii = s.on<QLineEdit>(0, (QString(c.hex) + "Ascii").toLatin1());
        QVERIFY(!hex->isEnabled() && !ascii->isEnabled());
        click(s, c.box);
        QVERIFY(hex->isEnabled() && ascii->isEnabled());
        QCOMPARE(s.dialog->focusWidget(), hex);
        QCOMPARE(hex->selectedText(), hex->text());
        QTest::keyClicks(hex, "1B");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.*c.end2), 0x1B);
        QCOMPARE(int(s.record.*c.count), 2);

        Sheet back(c.m, s.record);
        click(back, c.box);
        QVERIFY(!back.on<QLineEdit>(0, c.hex)->isEnabled());
        QVERIFY(back.ok());
        QCOMPARE(int(back.record.*c.count), 1);
    }
}

// An end character is shown in hexadecimal ("%X") and, in the "[ASCII]" field, as itself or by
// its control-character name, once the field is left for another field of the page.
void AsciiPagesTest::endCharacterShownInHexAndAscii() {
    struct Case {
        const char* typed;
        QString hex, ascii;
        int stored;
    };
    const Case cases[] = {
        {"0D", "D", "CR", 0x0D}, {"1a", "1A", "SUB", 0x1A}, {"41", "41", "A", 0x41},
        {"00", "0", "NUL", 0x00}, {"7E", "7E", "~", 0x7E},
    };
    for (const auto& c : cases) {
        Sheet s(kCp730, recordOf(kCp730, [](CDb& db) { db.byMode = 2; }));
        activate(s);
        QCOMPARE(textOf(s, "byRecvEnd1"), "3");
        QCOMPARE(asciiOf(s, "byRecvEnd1"), "ETX");
        s.type(s.on<QLineEdit>(0, "byRecvEnd1"), c.typed);
        QCOMPARE(asciiOf(s, "byRecvEnd1"), "ETX");  // not read while typing
        s.on<QLineEdit>(0, "wCharDelay")->setFocus();
        QVERIFY2(asciiOf(s, "byRecvEnd1") == c.ascii, c.typed);
        QVERIFY2(textOf(s, "byRecvEnd1") == c.hex, c.typed);
        QVERIFY(s.messages.shown.empty());
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byRecvEnd1), c.stored);
    }
    // A stored character shows the same way, also on a page never typed into.
    Sheet s(kCp830, recordOf(kCp830, [](CDb& db) {
                db.byEndCrit830 = 0x21;
                db.bySendEnd1 = 0x0D;
                db.byRecvEnd1 = 0xE4;
            }));
    QCOMPARE(textOf(s, "bySendEnd1"), "D");
    QCOMPARE(asciiOf(s, "bySendEnd1"), "CR");
    QCOMPARE(textOf(s, "byRecvEnd1"), "E4");
    QCOMPARE(asciiOf(s, "byRecvEnd1"), QString::fromUtf8("ä"));
}

// With 7 data bits the page opens with bit 7 of every end character cleared, and stores so.
void AsciiPagesTest::sevenDataBitsClearBitSeven() {
    for (const Module& m : {kCp730, kCp731Ext}) {
        Sheet s(m, recordOf(m, [](CDb& db) {
                    db.byMode = 2;
                    db.bySendMode = 0x21;
                    db.byDataBits = 7;
                    db.byRecvEnd1 = 0x8D;
                    db.bySendEnd1 = 0x8D;
                }));
        QCOMPARE(textOf(s, "byRecvEnd1"), "D");
        QCOMPARE(asciiOf(s, "byRecvEnd1"), "CR");
        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byRecvEnd1), 0x0D);
        if (m.type != kCP730) {
            QCOMPARE(textOf(s, "bySendEnd1"), "D");
            QCOMPARE(int(s.record.bySendEnd1), 0x0D);
        }
    }
}

// An emptied end character is refused when the focus moves to another field of the page:
// message 550, "0" put in, the cursor back in the field.
void AsciiPagesTest::emptiedEndCharacterIsRefusedOnLeaving() {
    Sheet s(kCp730, recordOf(kCp730, [](CDb& db) { db.byMode = 2; }));
    activate(s);
    auto* end1 = s.on<QLineEdit>(0, "byRecvEnd1");
    s.type(end1, "");
    s.on<QLineEdit>(0, "wCharDelay")->setFocus();
    QCOMPARE(s.messages.ids(), std::vector<int>{550});
    QCOMPARE(end1->text(), "0");
    QCOMPARE(s.dialog->focusWidget(), end1);
    QCOMPARE(end1->selectedText(), "0");
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byRecvEnd1), 0);
}

// A key that makes the text impossible for the field is taken back at once.
void AsciiPagesTest::patternRefusesTyping() {
    struct Case {
        Module m;
        int criterion;
        const char* field;
        QString keys;
        QString after;  // the field's text after typing over its whole text
    };
    const Case cases[] = {
        {kCp830, 2, "byRecvEnd1", "G", ""},          {kCp830, 2, "byRecvEnd1", "123", "12"},
        {kCp830, 2, "bySendEnd1", "x1", "1"},        {kCp830, 1, "wCharDelay", "0", ""},
        {kCp830, 1, "wCharDelay", "123456", "12345"}, {kCp830, 1, "byDataBits", "9", ""},
        {kCp830, 1, "byStopBits", "3", ""},          {kCp830, 3, "wTelegramLen", "1000", "100"},
        {kCp731Ext, 3, "wTelegramLen", "40960", "4096"}, {kCp730, 3, "wTelegramLen", "1024", "1024"},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        click(s, QStringLiteral("endCriterion%1").arg(c.criterion).toLatin1().constData());
        auto* edit = s.on<QLineEdit>(0, c.field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, c.keys);
        QVERIFY2(edit->text() == c.after, qPrintable(QString("%1 %2: %3").arg(c.field, c.keys, edit->text())));
    }
}

// On RS 422/485 the interface page's receive-line preset decides BREAK monitoring of CP 730:
// the checkbox is locked and follows it.
void AsciiPagesTest::breakMonitoringOnRs422FollowsThePreset() {
    Sheet rs232(kCp730);
    auto* box = rs232.on<QCheckBox>(0, "byBreakOff");
    QVERIFY(box->isEnabled() && box->isChecked());
    box->click();
    QVERIFY(rs232.ok());
    QCOMPARE(int(rs232.record.byBreakOff), 1);

    Sheet s({kCP730, kIfRs422, kProtAscii, 0});
    box = s.on<QCheckBox>(0, "byBreakOff");
    QVERIFY(!box->isEnabled() && box->isChecked());
    const int iface = s.dialog->pageCount() - 1;
    s.select(iface);
    s.on<QRadioButton>(iface, "byLinePreset2")->click();
    QVERIFY(!box->isChecked());
    s.on<QRadioButton>(iface, "byLinePreset1")->click();
    QVERIFY(box->isChecked());
    s.on<QRadioButton>(iface, "mode1")->click();  // half duplex gives up 5 V and BREAK
    QVERIFY(!box->isChecked() && !box->isEnabled());
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byBreakOff), 1);
    QCOMPARE(int(s.record.byLinePreset), 2);
}

// Online every control is locked, the spins and the "[ASCII]" fields included, and OK hands
// the record back unchanged.
void AsciiPagesTest::readOnlyDisablesEveryControl() {
    const Module modules[] = {
        {kCP730, kIfRs232, kProtAscii, 0, 0, true},
        {kCP830, kIfRs232, kProtAscii, 0, 0, true},
        {kCP731, kIfRs232, kProtAscii, 2, 1, true},
    };
    for (const auto& m : modules) {
        for (int criterion : {2, 3}) {
            Sheet s(m, recordOf(m, [&](CDb& db) {
                        db.byMode = uint8_t(criterion);
                        db.bySendMode = criterion == 2 ? 0x21 : 0x30;
                        db.byEndCrit830 = db.byEndLink830 = criterion == 2 ? 0x21 : 0x30;
                        db.byRecvEndCount = db.bySendEndCount = 2;
                    }));
            const CDb before = s.record;
            int seen = 0;
            for (QWidget* w : s.dialog->page(0)->findChildren<QWidget*>()) {
                if (!(qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                      qobject_cast<CSpinButton*>(w)) ||
                    !w->isVisible())
                    continue;
                ++seen;
                if (w->isEnabled()) qWarning() << s.dialog->objectName() << w->objectName() << "is enabled";
                QVERIFY(!w->isEnabled());
            }
            QVERIFY(seen > 10);
            QVERIFY(s.ok());
            QVERIFY(std::memcmp(&before, &s.record, sizeof before) == 0);
        }
    }
}

// Tab walks the controls top to bottom, the criterion group and the frame beside it first;
// every accelerator of a label leads to its control, and no two controls of a page share one.
void AsciiPagesTest::tabOrderAndMnemonics() {
    struct Case {
        Module m;
        QStringList order;
    };
    const QStringList criteria = {"endCriterion1", "endCriterion2", "endCriterion3", "wCharDelay", "byRecvEnd1"};
    const QStringList frame = {"byBaud", "byDataBits", "byStopBits", "byParity"};
    const Case cases[] = {
        {kCp730, criteria + QStringList{"byRecvEndCount", "byRecvEnd2"} + frame + QStringList{"byBreakOff"}},
        {kCp830, criteria + QStringList{"byEndLink830", "byRecvEndCount", "byRecvEnd2"} + frame +
                     QStringList{"sendMode1", "sendMode2", "sendMode3", "bySendEnd1", "bySendEndCount", "bySendEnd2"}},
        {kCp731Ext, criteria + QStringList{"byRecvEndCount", "byRecvEnd2"} + frame +
                        QStringList{"sendMode1", "sendMode2", "sendMode3", "bySendEnd1", "bySendEndCount", "bySendEnd2"}},
    };
    for (const auto& c : cases) {
        Module m = c.m;
        Sheet s(m, recordOf(m, [](CDb& db) {
                    db.byMode = 2;
                    db.bySendMode = 0x21;
                    db.byEndCrit830 = db.byEndLink830 = 0x21;
                    db.byRecvEndCount = db.bySendEndCount = 2;
                }));
        QWidget* page = s.dialog->page(0);
        QStringList order;
        QWidget* w = page;
        for (int guard = 0; guard < 200; ++guard) {
            w = w->nextInFocusChain();
            if (w == page) break;
            if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(page) && w->isEnabled())
                order << w->objectName();
        }
        QCOMPARE(order, c.order);

        // Each accelerator once; the fixed-length radios, the length and the pause included.
        std::map<QChar, QString> keys;
        for (QWidget* x : page->findChildren<QWidget*>()) {
            QString text;
            if (auto* l = qobject_cast<QLabel*>(x)) {
                text = l->text();
                if (text.contains('&')) QVERIFY2(l->buddy(), qPrintable(text));
            } else if (auto* b = qobject_cast<QAbstractButton*>(x)) {
                text = b->text();
            }
            const int at = text.indexOf('&');
            if (at < 0 || at + 1 >= text.size()) continue;
            const QChar key = text.at(at + 1).toLower();
            QVERIFY2(!keys.count(key), qPrintable(text + " and " + keys[key]));
            keys[key] = text;
        }
    }
}

// The same values typed into the sheet and given to `ptpcfg set` store the same record.
void AsciiPagesTest::sheetStoresWhatSetStores() {
    struct Case {
        const char* sheet;
        Module m;
        std::function<void(Sheet&)> typed;
        std::vector<rules::NameValue> values;
    };
    const Case cases[] = {
        {"CPASC", kCp730,
         [](Sheet& s) {
             click(s, "endCriterion2");
             s.type(s.on<QLineEdit>(0, "byRecvEnd1"), "0D");
             click(s, "byRecvEndCount");
             QTest::keyClicks(s.on<QLineEdit>(0, "byRecvEnd2"), "0A");
             pick(s.on<QComboBox>(0, "byBaud"), "2400");
             s.type(s.on<QLineEdit>(0, "wCharDelay"), "20");
             s.on<QCheckBox>(0, "byBreakOff")->click();
             s.select(2);  // "Datenempfang"
             s.type(s.on<QLineEdit>(2, "byBufferedTelegrams"), "5");
         },
         {{"byMode", "2"}, {"byRecvEnd1", "0D"}, {"byRecvEndCount", "2"}, {"byRecvEnd2", "0A"}, {"byBaud", "2400"},
          {"wCharDelay", "20"}, {"byBreakOff", "1"}, {"byBufferedTelegrams", "5"}}},
        {"C830_ASCII", kCp830,
         [](Sheet& s) {
             click(s, "endCriterion2");
             click(s, "byRecvEndCount");
             pick(s.on<QComboBox>(0, "byEndLink830"), "ODER");
             s.type(s.on<QLineEdit>(0, "byRecvEnd2"), "04");
             click(s, "sendMode3");
             s.type(s.on<QLineEdit>(0, "bySendEnd1"), "0D");
             click(s, "bySendEndCount");
             QTest::keyClicks(s.on<QLineEdit>(0, "bySendEnd2"), "0A");
             pick(s.on<QComboBox>(0, "byBaud"), "19200");
             pick(s.on<QComboBox>(0, "byParity"), "ungerade");
             s.type(s.on<QLineEdit>(0, "wCharDelay"), "100");
             s.select(2);
             s.on<QCheckBox>(2, "byClearRecvBuf")->click();
         },
         {{"byEndCrit830", "0x22"}, {"byRecvEndCount", "2"}, {"byEndLink830", "ODER"}, {"byRecvEnd2", "04"},
          {"bySendEnd1", "0D"}, {"bySendEndCount", "2"}, {"bySendEnd2", "0A"}, {"byBaud", "19200"},
          {"byParity", "ungerade"}, {"wCharDelay", "100"}, {"byClearRecvBuf", "1"}}},
        {"CKASC", {kCP8312, kIfHostRs422, kProtAscii, 5, 1},
         [](Sheet& s) {
             click(s, "endCriterion3");
             click(s, "sendPause");
             s.type(s.on<QLineEdit>(0, "wTelegramLen"), "2000");
             pick(s.on<QComboBox>(0, "byBaud"), "115200");
             s.type(s.on<QLineEdit>(0, "wCharDelay"), "50");
             s.type(s.on<QLineEdit>(0, "byStopBits"), "2");
             s.select(2);
             s.type(s.on<QLineEdit>(2, "byBufferedTelegrams"), "3");
             s.select(3);  // "Schnittstelle"
             s.on<QRadioButton>(3, "byLinePreset2")->click();
         },
         {{"byMode", "3"}, {"bySendMode", "0x31"}, {"wTelegramLen", "2000"}, {"byBaud", "115200"},
          {"wCharDelay", "50"}, {"byStopBits", "2"}, {"byBufferedTelegrams", "3"}, {"byLinePreset", "2"}}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QCOMPARE(s.dialog->objectName(), c.sheet);
        activate(s);
        const CDb opened = s.record;
        c.typed(s);
        QVERIFY2(s.messages.shown.empty(), c.sheet);
        QVERIFY2(s.model->activePage() != 0, c.sheet);
        QVERIFY2(s.ok(), c.sheet);

        const auto r = rules::applyValues(contextOf(c.m), opened, CDbdr{}, c.values);
        QVERIFY2(r.ok, r.text.c_str());
        QVERIFY2(std::memcmp(&opened, &r.db, sizeof(CDb)) != 0, c.sheet);
        if (std::memcmp(&s.record, &r.db, sizeof(CDb)) != 0) {
            const auto* a = reinterpret_cast<const uint8_t*>(&s.record);
            const auto* b = reinterpret_cast<const uint8_t*>(&r.db);
            for (size_t i = 0; i < sizeof(CDb); ++i)
                if (a[i] != b[i]) qWarning() << c.sheet << "byte" << i << "sheet" << a[i] << "set" << b[i];
            QFAIL(c.sheet);
        }
    }
}

QTEST_MAIN(AsciiPagesTest)
#include "ascii_pages_test.moc"
