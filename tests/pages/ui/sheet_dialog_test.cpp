// The sheet as a whole: which pages each module gets, the title, the buttons, leaving a
// page, OK and Cancel, read-only.
#include <QPushButton>
#include <QTest>

#include "tests/pages/ui/sheet_fixture.h"

using namespace sheettest;

class SheetDialogTest : public QObject {
    Q_OBJECT
private slots:
    void pagesPerModuleAndInterface();
};

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

QTEST_MAIN(SheetDialogTest)
#include "sheet_dialog_test.moc"
