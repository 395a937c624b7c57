// The sheet as a whole: which pages each module gets, the title, the buttons, leaving a
// page, OK and Cancel, read-only.
#include <QPushButton>
#include <QTest>

#include <cstring>
#include <vector>

#include "tests/pages/ui/sheet_fixture.h"

using namespace sheettest;

class SheetDialogTest : public QObject {
    Q_OBJECT
private slots:
    void pagesPerModuleAndInterface();
    void titles();
    void buttonsAndHelp();
    void enterIsOkAndEscapeIsCancel();
    void cancelChangesNothing();
    void readOnlyDisablesEveryControl();
    void readOnlyOkWritesTheSameBack();
};

namespace {

// Every control a user could change, on every page.
QList<QWidget*> inputs(const Sheet& s) {
    QList<QWidget*> out;
    for (int i = 0; i < s.dialog->pageCount(); ++i)
        for (QWidget* w : s.dialog->page(i)->findChildren<QWidget*>())
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w))
                out << w;
    return out;
}

}  // namespace

void SheetDialogTest::pagesPerModuleAndInterface() {
    struct Case {
        Module m;
        QStringList tabs;
    };
    const Case cases[] = {
        {{kCP731, kIfTty, kProtAscii}, {"ASCII", "Übertragung", "Datenempfang"}},
        {{kCP731, kIfRs422, kProtAscii}, {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP8311, kIfHostRs422, kProt3964}, {"3964(R)", "Datenempfang", "Schnittstelle"}},
        {{kCP830, kIfRs232, kProt3964}, {"3964(R)", "Datenempfang", "Schnittstelle"}},
        {{kCP830, kIfRs232, kProtAscii}, {"ASCII", "Übertragung", "Datenempfang", "Schnittstelle"}},
        {{kCP730, kIfRs232, kProtPrinter}, {"Drucker"}},
    };
    for (const auto& c : cases) {
        Sheet s(c.m);
        QStringList tabs;
        for (int i = 0; i < s.dialog->tabs()->count(); ++i) tabs << s.dialog->tabs()->tabText(i);
        QCOMPARE(tabs, c.tabs);
    }
}

void SheetDialogTest::titles() {
    struct Case {
        Module m;
        char language;
        QString title;
    };
    const Case cases[] = {
        {{kCP731, kIfRs232, kProt3964}, 'A', "Protokoll"},
        {{kCP8312, kIfHostRs232, kProtAscii, 5, 0, false, 2}, 'A', "Protokoll:  Schnittstelle 2   "},
        {{kCP8312, kIfHostRs232, kProtPrinter, 5, 0, false, 12}, 'A', "Protokoll:  Schnittstelle 12  "},
        {{kCP8311, kIfHostRs232, kProtAscii}, 'A', "Protokoll"},
        {{kCP830, kIfRs232, kProtAscii}, 'E', "Protocol"},
        {{kCP830, kIfRs232, kProt3964}, 'E', "Protokoll"},
    };
    for (const auto& c : cases) {
        SheetOptions o;
        o.language = c.language;
        Sheet s(c.m, support::DefaultRecord(c.m.type, c.m.protocol), o);
        QCOMPARE(s.dialog->windowTitle(), c.title);
    }
}

// OK at the left, Cancel and Help at the right, no Apply; Help opens the active page's topic.
void SheetDialogTest::buttonsAndHelp() {
    std::vector<int> topics;
    SheetOptions o;
    o.openHelp = [&](int topic) { topics.push_back(topic); };
    Module m{kCP731, kIfRs422, kProt3964};
    Sheet s(m, support::DefaultRecord(m.type, m.protocol), o);
    QVERIFY(s.dialog->okButton()->x() < s.dialog->cancelButton()->x());
    QVERIFY(s.dialog->cancelButton()->x() < s.dialog->helpButton()->x());
    QVERIFY(s.dialog->helpButton()->isEnabled());
    for (QPushButton* b : s.dialog->findChildren<QPushButton*>()) QVERIFY(b->text() != "Übernehmen");
    QTest::mouseClick(s.dialog->helpButton(), Qt::LeftButton);
    s.select(2);
    QTest::mouseClick(s.dialog->helpButton(), Qt::LeftButton);
    QCOMPARE(topics, (std::vector<int>{0x20000 + 139, 0x20000 + 194}));
}

void SheetDialogTest::enterIsOkAndEscapeIsCancel() {
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        Sheet s({kCP731, kIfRs232, kProt3964});
        auto* field = s.on<QLineEdit>(0, "byConnectTries");
        if (!field) field = s.dialog->page(0)->findChild<QLineEdit*>();
        QVERIFY(field);
        field->setFocus();
        QTest::keyClick(field, static_cast<Qt::Key>(key));
        QCOMPARE(s.dialog->result(), key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(!s.dialog->isVisible());
    }
}

// Changes on several pages, then Cancel: the model is never written back, so the record the
// sheet opened from is what the caller keeps; the caller writes back only after OK.
void SheetDialogTest::cancelChangesNothing() {
    Module m{kCP731, kIfRs422, kProt3964};
    Sheet s(m);
    const CDb before = s.record;
    auto* baud = s.on<QComboBox>(0, "byBaud");
    QTest::keyClick(baud, Qt::Key_Up);
    s.select(2);
    for (auto* r : s.dialog->page(2)->findChildren<QRadioButton*>())
        if (r->isEnabled() && !r->isChecked()) {
            QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(4, r->height() / 2));
            break;
        }
    QTest::mouseClick(s.dialog->cancelButton(), Qt::LeftButton);
    QCOMPARE(s.dialog->result(), int(QDialog::Rejected));
    QVERIFY(std::memcmp(&before, &s.record, sizeof before) == 0);
}

void SheetDialogTest::readOnlyDisablesEveryControl() {
    const Module modules[] = {
        {kCP730, kIfRs422, kProt3964, 2, 0, true},  {kCP830, kIfRs232, kProt3964, 2, 0, true},
        {kCP731, kIfRs422, kProtRk512, 2, 0, true}, {kCP8311, kIfHostRs422, kProt3964, 5, 1, true},
        {kCP830, kIfRs232, kProtAscii, 2, 0, true}, {kCP731, kIfRs422, kProtPrinter, 2, 0, true},
    };
    for (const auto& m : modules) {
        Sheet s(m);
        for (int i = 0; i < s.dialog->pageCount(); ++i) s.select(i);
        for (QWidget* w : inputs(s)) {
            auto* edit = qobject_cast<QLineEdit*>(w);
            const bool locked = !w->isEnabled() || (edit && edit->isReadOnly());
            if (!locked) qWarning() << s.dialog->objectName() << w->objectName() << "is enabled";
            QVERIFY(locked);
        }
        QVERIFY(s.dialog->okButton()->isEnabled());
        QVERIFY(s.dialog->cancelButton()->isEnabled());
    }
}

// Online, OK still runs and hands the values back unchanged.
void SheetDialogTest::readOnlyOkWritesTheSameBack() {
    Module m{kCP731, kIfRs422, kProt3964, 2, 0, true};
    Sheet s(m);
    const CDb before = s.record;
    QVERIFY(s.ok());
    QVERIFY(std::memcmp(&before, &s.record, sizeof before) == 0);
}

QTEST_MAIN(SheetDialogTest)
#include "sheet_dialog_test.moc"
