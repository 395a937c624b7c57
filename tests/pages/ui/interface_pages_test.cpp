// The "Schnittstelle" pages: which operating modes and presets each offers, what a click on a
// radio does to the others and to BREAK monitoring, the refusal of half duplex with XON/XOFF,
// read-only, and that clicking stores what `ptpcfg set` stores.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <vector>

#include "pages/apply_values.h"
#include "pages/ui/interface_page.h"
#include "tests/pages/ui/sheet_fixture.h"

using namespace sheettest;

namespace {

// The index of the page "Schnittstelle" (always the last).
int ifacePage(const Sheet& s) { return s.dialog->pageCount() - 1; }

QRadioButton* radio(const Sheet& s, const char* name) { return s.on<QRadioButton>(ifacePage(s), name); }

// Clicks a radio where its indicator is, as a user would.
void click(QRadioButton* r) {
    QVERIFY(r);
    QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2));
}

// Which preset radio is checked ("byLinePreset1" ...), empty for none or more than one.
QString checkedPreset(const Sheet& s) {
    QString found;
    for (int code = 0; code <= 2; ++code) {
        const QString name = QStringLiteral("byLinePreset%1").arg(code);
        if (auto* r = radio(s, name.toLatin1().constData()); r && r->isChecked()) {
            if (!found.isEmpty()) return {};
            found = name;
        }
    }
    return found;
}

// BREAK monitoring as the protocol page's control shows it (a checkbox "BREAK Überwachung
// aktivieren", or a field holding the stored byBreakOff).
bool breakShownOn(const Sheet& s) {
    QWidget* w = s.on<QWidget>(0, "byBreakOff");
    if (auto* box = qobject_cast<QCheckBox*>(w)) return box->isChecked();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text() == "0";
    qFatal("the protocol page has no control byBreakOff");
}

std::string modelText(const Sheet& s, const char* name) { return s.model->field(name)->text; }

}  // namespace

class InterfacePagesTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageOffersItsModesAndPresets();
    void cp730AsciiHalfDuplexGivesUpFiveVoltAndBreak();
    void cp730FullDuplexOnlyPresetDecidesBreak();
    void cp830AsciiModesMoveThePreset();
    void cp731AsciiStoredHalfDuplexWithFiveVoltOpensWithZeroVolt();
    void cp831AsciiHalfDuplexRefusesXonXoffOnOk();
    void clickingStoresWhatSettingTheValuesStores();
};

// Each page class with its modes (static text or radios, labels as shown) and presets, and
// in read-only mode every radio disabled.
void InterfacePagesTest::everyPageOffersItsModesAndPresets() {
    const QString fullDuplex = "Vollduplex (RS 422) Vierdraht-Betrieb";
    const QStringList duplexRadios = {"&Vollduplex (RS 422) Vierdraht-Betrieb", "&Halbduplex (RS 485) Zweidraht-Betrieb"};
    const QString five = "Signal R(A)  &5 Volt     (Breakerkennung)   Signal R(B)  0 Volt";
    const QString zero = "Signal R(A)  &0 Volt   Signal R(B)  5 Volt";
    struct Case {
        Module m;
        const char* pageClass;
        QString staticText;        // empty: mode radios
        std::vector<int> modes;    // the mode codes in page order
        QStringList modeLabels;
        QStringList presetLabels;  // byLinePreset0, 1, 2 as present
    };
    const Case cases[] = {
        {{kCP730, kIfRs422, kProt3964}, "CPP39_P4", fullDuplex, {}, {}, {five, zero}},
        {{kCP730, kIfRs422, kProtPrinter}, "C730_DRUCK_P4", fullDuplex, {}, {}, {five, zero}},
        {{kCP730, kIfRs422, kProtAscii}, "CPASC_P4", {}, {0, 1}, duplexRadios, {five, zero}},
        {{kCP830, kIfRs232, kProt3964}, "C830_3964_P4", "&Vollduplex  (RS 422)  Vierdraht-Betrieb ", {}, {},
         {"&keine", five, zero}},
        {{kCP830, kIfRs232, kProtAscii},
         "C830_ASCII_P4",
         {},
         {0, 2, 3, 1},
         {"&Vollduplex  (RS 422)  Vierdraht-Betrieb\n     Punkt zu Punkt",
          "Vollduplex  (RS 422)  Vierdraht-Betrieb\n     &Mehrpunkt Master",
          "Vollduplex  (RS 422)  Vierdraht-Betrieb\n     Mehrpunkt &Slave", "&Halbduplex  (RS 485)  Zweidraht-Betrieb"},
         {"&keine", five, zero}},
        {{kCP8311, kIfHostRs422, kProtAscii}, "CKASC_P4", {}, {0, 1}, duplexRadios, {"&keine", five, zero}},
        {{kCP731, kIfRs422, kProtPrinter}, "CKASC_P4", {}, {0, 1}, duplexRadios, {"&keine", five, zero}},
        {{kCP8312, kIfHostRs422, kProt3964}, "CKRK39_P3", fullDuplex, {}, {}, {"&keine", five, zero}},
        {{kCP731, kIfRs422, kProtRk512}, "CKRK39_P3", fullDuplex, {}, {}, {"&keine", five, zero}},
    };
    for (const auto& c : cases) {
        for (const bool readOnly : {false, true}) {
            Module m = c.m;
            m.readOnly = readOnly;
            Sheet s(m);
            const int index = ifacePage(s);
            s.select(index);
            auto* page = qobject_cast<CInterfacePage*>(s.dialog->page(index));
            QVERIFY2(page, c.pageClass);
            QCOMPARE(page->objectName(), QString(c.pageClass));
            QCOMPARE(s.dialog->tabs()->tabText(index), QString("Schnittstelle"));

            QCOMPARE(page->modeText()->isVisibleTo(page), !c.staticText.isEmpty());
            if (!c.staticText.isEmpty()) QCOMPARE(page->modeText()->text(), c.staticText);
            QStringList modeLabels;
            for (int code : c.modes) {
                QRadioButton* r = page->modeRadio(code);
                QVERIFY(r && r->isVisibleTo(page));
                QCOMPARE(r->objectName(), QStringLiteral("mode%1").arg(code));
                modeLabels << r->text();
            }
            QCOMPARE(modeLabels, c.modeLabels);
            // No mode radio beyond those (the 3964(R) sheets' byConnectTries is their attempts).
            for (int code = 0; code <= 3; ++code)
                if (std::find(c.modes.begin(), c.modes.end(), code) == c.modes.end()) QVERIFY(!page->modeRadio(code));

            QStringList presetLabels;
            for (int code = 0; code <= 2; ++code)
                if (QRadioButton* r = page->presetRadio(code)) {
                    QVERIFY(r->isVisibleTo(page));
                    presetLabels << r->text();
                }
            QCOMPARE(presetLabels, c.presetLabels);

            const auto radios = page->findChildren<QRadioButton*>();
            for (QRadioButton* r : radios)
                if (r->isVisibleTo(page)) QVERIFY2(r->isEnabled() != readOnly, qPrintable(r->objectName()));
        }
    }
}

// Full duplex with 5 V and BREAK on; half duplex moves to 0 V and switches BREAK off, 5 V
// is closed to half duplex; back to full duplex 5 V is open again but 0 V stays.
void InterfacePagesTest::cp730AsciiHalfDuplexGivesUpFiveVoltAndBreak() {
    const Module m{kCP730, kIfRs422, kProtAscii};
    CDb db = support::DefaultRecord(m.type, m.protocol);
    db.byConnectTries = 0;
    db.byLinePreset = 1;
    db.byBreakOff = 0;
    Sheet s(m, db);
    s.select(3);
    QVERIFY(radio(s, "mode0")->isChecked());
    QVERIFY(!radio(s, "mode1")->isChecked());
    QCOMPARE(checkedPreset(s), QString("byLinePreset1"));
    QVERIFY(breakShownOn(s));
    QVERIFY(!s.on<QWidget>(0, "byBreakOff")->isEnabled());  // it follows the preset

    click(radio(s, "mode1"));
    QVERIFY(radio(s, "mode1")->isChecked());
    QVERIFY(!radio(s, "mode0")->isChecked());
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
    QVERIFY(!radio(s, "byLinePreset1")->isEnabled());
    QCOMPARE(modelText(s, "byBreakOff"), std::string("1"));
    QVERIFY(!breakShownOn(s));

    click(radio(s, "byLinePreset1"));  // closed to half duplex
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));

    click(radio(s, "mode0"));
    QVERIFY(radio(s, "mode0")->isChecked());
    QVERIFY(radio(s, "byLinePreset1")->isEnabled());
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
    QCOMPARE(modelText(s, "byBreakOff"), std::string("1"));

    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byConnectTries), 0);
    QCOMPARE(int(s.record.byLinePreset), 2);
    QCOMPARE(int(s.record.byBreakOff), 1);
    QVERIFY(s.messages.ids().empty());
}

// CP 730 3964(R) and printer: a stored preset 0 opens as 5 V; the protocol page's BREAK
// control is disabled and each preset click switches BREAK monitoring with it.
void InterfacePagesTest::cp730FullDuplexOnlyPresetDecidesBreak() {
    for (const int protocol : {kProt3964, kProtPrinter}) {
        const Module m{kCP730, kIfRs422, protocol};
        CDb db = support::DefaultRecord(m.type, m.protocol);
        db.byLinePreset = 0;
        db.byBreakOff = 1;
        Sheet s(m, db);
        s.select(ifacePage(s));
        QCOMPARE(checkedPreset(s), QString("byLinePreset1"));
        QVERIFY(!radio(s, "byLinePreset0"));
        QVERIFY(!s.on<QWidget>(0, "byBreakOff")->isEnabled());

        click(radio(s, "byLinePreset2"));
        QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
        QVERIFY(!breakShownOn(s));
        click(radio(s, "byLinePreset1"));
        QCOMPARE(checkedPreset(s), QString("byLinePreset1"));
        QVERIFY(breakShownOn(s));
        QCOMPARE(modelText(s, "byBreakOff"), std::string("0"));

        QVERIFY(s.ok());
        QCOMPARE(int(s.record.byLinePreset), 1);
        QCOMPARE(int(s.record.byBreakOff), 0);
    }
}

// CP 830 ASCII: each mode sets its preset and opens or closes "keine" and 5 V.
void InterfacePagesTest::cp830AsciiModesMoveThePreset() {
    const Module m{kCP830, kIfRs232, kProtAscii};
    CDb db = support::DefaultRecord(m.type, m.protocol);
    db.byOpMode830 = 2;
    db.byLinePreset = 2;
    Sheet s(m, db);
    s.select(3);
    QVERIFY(radio(s, "mode2")->isChecked());
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
    QVERIFY(!radio(s, "byLinePreset0")->isEnabled());
    QVERIFY(!radio(s, "byLinePreset1")->isEnabled());

    struct Step {
        const char* mode;
        const char* preset;  // checked after the click
        bool noneEnabled, fiveEnabled;
    };
    const Step steps[] = {
        {"mode0", "byLinePreset1", true, true},   // master -> point to point
        {"mode1", "byLinePreset0", true, false},  // half duplex
        {"mode3", "byLinePreset0", true, true},   // slave
        {"mode2", "byLinePreset2", false, false}, // master
        {"mode3", "byLinePreset0", true, true},
    };
    for (const auto& st : steps) {
        click(radio(s, st.mode));
        for (const char* mode : {"mode0", "mode1", "mode2", "mode3"})
            QCOMPARE(radio(s, mode)->isChecked(), std::strcmp(mode, st.mode) == 0);
        QCOMPARE(checkedPreset(s), QString(st.preset));
        QCOMPARE(radio(s, "byLinePreset0")->isEnabled(), st.noneEnabled);
        QCOMPARE(radio(s, "byLinePreset1")->isEnabled(), st.fiveEnabled);
        QVERIFY(radio(s, "byLinePreset2")->isEnabled());
    }
    click(radio(s, "byLinePreset1"));  // the slave may take 5 V
    QCOMPARE(checkedPreset(s), QString("byLinePreset1"));

    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byOpMode830), 3);
    QCOMPARE(int(s.record.byLinePreset), 1);
}

// Stored half duplex with 5 V cannot be shown: the page opens with 0 V and 5 V closed.
void InterfacePagesTest::cp731AsciiStoredHalfDuplexWithFiveVoltOpensWithZeroVolt() {
    const Module m{kCP731, kIfRs422, kProtAscii};
    CDb db = support::DefaultRecord(m.type, m.protocol);
    db.byConnectTries = 1;
    db.byLinePreset = 1;
    Sheet s(m, db);
    s.select(3);
    QVERIFY(radio(s, "mode1")->isChecked());
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
    QVERIFY(!radio(s, "byLinePreset1")->isEnabled());
    QVERIFY(radio(s, "byLinePreset0")->isEnabled());

    click(radio(s, "mode0"));  // full duplex opens 5 V and keeps 0 V
    QVERIFY(radio(s, "byLinePreset1")->isEnabled());
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
    click(radio(s, "byLinePreset1"));
    click(radio(s, "mode1"));  // half duplex leaves 5 V for 0 V
    QCOMPARE(checkedPreset(s), QString("byLinePreset2"));
}

// CP 831-1 on interface 66 offers half duplex for ASCII; OK refuses it together with
// XON/XOFF, and takes full duplex with XON/XOFF.
void InterfacePagesTest::cp831AsciiHalfDuplexRefusesXonXoffOnOk() {
    const Module m{kCP8311, kIfHostRs422, kProtAscii};
    Sheet s(m);
    s.select(3);
    QVERIFY(radio(s, "mode0")->isVisible());
    QVERIFY(radio(s, "mode1")->isVisible());
    click(radio(s, "mode1"));
    QVERIFY(radio(s, "mode1")->isChecked());

    std::string xonXoff;
    const auto flow = s.model->field("byFlowCtrl");
    QVERIFY(flow);
    for (const auto& c : flow->choices)
        if (c.find("XON") != std::string::npos) xonXoff = c;
    QVERIFY(s.model->set("byFlowCtrl", xonXoff).verdict.accepted);
    s.dialog->RefreshAll();

    QVERIFY(!s.ok());
    QCOMPARE(s.messages.ids(), std::vector<int>{2043});
    QVERIFY(s.dialog->isVisible());

    click(radio(s, "mode0"));
    QVERIFY(s.ok());
    QCOMPARE(int(s.record.byConnectTries), 0);
    QCOMPARE(int(s.record.byFlowCtrl), 1);
}

// For every sheet family: radios clicked and OK store the same record as the same values
// given to `ptpcfg set`.
void InterfacePagesTest::clickingStoresWhatSettingTheValuesStores() {
    struct Case {
        Module m;
        std::vector<const char*> clicks;
        std::vector<rules::NameValue> values;
    };
    const Case cases[] = {
        {{kCP730, kIfRs422, kProt3964}, {"byLinePreset2"}, {{"byLinePreset", "2"}}},
        {{kCP730, kIfRs422, kProtPrinter}, {"byLinePreset2"}, {{"byLinePreset", "2"}}},
        {{kCP730, kIfRs422, kProtAscii}, {"mode1"}, {{"byConnectTries", "1"}}},
        {{kCP830, kIfRs232, kProt3964}, {"byLinePreset0"}, {{"byLinePreset", "0"}}},
        {{kCP830, kIfRs232, kProtAscii}, {"mode3", "byLinePreset2"}, {{"byOpMode830", "3"}, {"byLinePreset", "2"}}},
        {{kCP731, kIfRs422, kProtAscii}, {"mode1", "byLinePreset0"}, {{"byConnectTries", "1"}, {"byLinePreset", "0"}}},
        {{kCP8311, kIfHostRs422, kProtPrinter}, {"mode1"}, {{"byConnectTries", "1"}}},
        {{kCP731, kIfRs422, kProtRk512}, {"byLinePreset2"}, {{"byLinePreset", "2"}}},
        {{kCP8312, kIfHostRs422, kProt3964}, {"byLinePreset1"}, {{"byLinePreset", "1"}}},
    };
    for (const auto& c : cases) {
        const CDb stored = support::DefaultRecord(c.m.type, c.m.protocol);
        Sheet s(c.m, stored);
        s.select(ifacePage(s));
        for (const char* name : c.clicks) click(radio(s, name));
        QVERIFY2(s.ok(), s.model->className());

        const auto set = rules::applyValues(contextOf(c.m), stored, CDbdr{}, c.values);
        QVERIFY2(set.ok, set.text.c_str());
        QVERIFY2(std::memcmp(&s.record, &stored, sizeof(CDb)) != 0, s.model->className());
        QVERIFY2(std::memcmp(&s.record, &set.db, sizeof(CDb)) == 0, s.model->className());
    }
}

QTEST_MAIN(InterfacePagesTest)
#include "interface_pages_test.moc"
