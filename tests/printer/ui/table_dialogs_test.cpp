// The character set, control characters and page layout dialogs, opened on a document as the
// overview opens them: what they show, a typed value reaching the document on OK, Cancel
// leaving it alone, the messages of refused entries, and online nothing to change.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "printer/ui/character_set_dialog.h"
#include "printer/ui/control_characters_dialog.h"
#include "printer/ui/grid_table.h"
#include "printer/ui/page_layout_dialog.h"
#include "tests/support/message_recorder.h"

namespace {

// A CP 731 running the printer protocol, its printer record at the defaults.
struct PrinterDoc {
    support::MessageRecorder quiet;  // the document finds no project
    explicit PrinterDoc(bool online = false) {
        app.language = 'B';
        doc.m_nModuleType = kCP731;
        doc.m_nProtocol = kProtPrinter;
        doc.m_nInterfaceCode = kIfRs232;
        doc.BuildDefaults(doc.m_CurParams);
        doc.m_CurPrinter = doc.m_DefPrinter;
        doc.m_bOnline = online ? 1 : 0;
        doc.SetModifiedFlag(false);
    }
    AppSettings app;
    CPtpDoc doc{app};
};

bool samePrinter(const CDbdr& a, const CDbdr& b) {
    return a.byCharSet == b.byCharSet && a.byEmulation == b.byEmulation && a.byLinesPerPage == b.byLinesPerPage &&
           a.byLeftMargin == b.byLeftMargin && a.byHeaderLines == b.byHeaderLines &&
           a.byFooterLines == b.byFooterLines && a.byLineEnd == b.byLineEnd && a.byCtrlCount == b.byCtrlCount &&
           a.byCtrlLength == b.byCtrlLength && a.abyCtrlTable == b.abyCtrlTable && a.abyCharTable == b.abyCharTable &&
           a.achTextLine == b.achTextLine;
}

// Opens a dialog through its entry function and lets `drive` work on it while it runs; a
// dialog `drive` leaves open is cancelled.
template <class D>
bool run(const std::function<bool()>& open, const std::function<void(D&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!d) return;
        driven = true;
        drive(*d);
        if (d->isVisible()) d->reject();
    });
    const bool changed = open();
    if (!driven) QTest::qFail("the dialog did not run", __FILE__, __LINE__);
    return changed;
}

// Types `text` into a cell and ends the entry with Enter.
void typeIntoCell(CGridTable* grid, int row, int column, const QString& text) {
    grid->setCurrentCell(row, column);
    grid->editItem(grid->item(row, column));
    QLineEdit* editor = grid->cellEditor();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}

void click(QDialog& d, const char* button) {
    auto* b = d.findChild<QPushButton*>(button);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

}  // namespace

class TableDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // ---- character set ----
    void characterSetShowsTheBuiltInTable() {
        PrinterDoc d;
        support::MessageRecorder messages;
        run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
            QCOMPARE(dlg.windowTitle(), QString("Zeichensatz"));
            QCOMPARE(dlg.sets()->count(), 1);
            QCOMPARE(dlg.sets()->currentText(), QString("IBM"));
            CGridTable* grid = dlg.grid();
            QCOMPARE(grid->rowCount(), 256);
            QCOMPARE(grid->horizontalHeaderItem(0)->text(), QString("Zeichen"));
            QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Hex"));
            QCOMPARE(grid->horizontalHeaderItem(2)->text(), QString("Hex"));
            QCOMPARE(grid->item(2, 0)->text(), QString("STX"));
            QCOMPARE(grid->item(0x41, 0)->text(), QString("A"));
            QCOMPARE(grid->item(0x41, 1)->text(), QString("41"));
            QCOMPARE(grid->item(0xC4, 2)->text(), QString("8E"));
            QVERIFY(!(grid->item(0x41, 0)->flags() & Qt::ItemIsEditable));
            QVERIFY(!(grid->item(0x41, 1)->flags() & Qt::ItemIsEditable));
            QVERIFY(grid->item(0x41, 2)->flags() & Qt::ItemIsEditable);
            QCOMPARE(grid->item(0x41, 0)->background().color(), QColor(0xC0, 0xC0, 0xC0));
            QVERIFY(grid->font().fixedPitch() || grid->font().styleHint() == QFont::TypeWriter);
            QCOMPARE(grid->currentColumn(), 2);
            QVERIFY(dlg.findChild<QLabel*>("ansiCaption"));
            QCOMPARE(dlg.findChild<QLabel*>("printerCaption")->text(), QString("Druckerzeichen"));
            QVERIFY(dlg.okButton()->isEnabled());
        });
        QVERIFY(messages.shown.empty());
    }

    void characterSetTypedCodeReachesTheDocumentOnOk() {
        PrinterDoc d;
        support::MessageRecorder messages;
        messages.answer(host::kYes);
        const bool changed =
            run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
                typeIntoCell(dlg.grid(), 0x41, 2, "4");
                QCOMPARE(dlg.grid()->item(0x41, 2)->text(), QString("4"));
                QCOMPARE(dlg.sets()->count(), 2);
                QCOMPARE(dlg.sets()->currentText(), QString("User-Defined"));
                click(dlg, "ok");
            });
        QVERIFY(changed);
        QCOMPARE(messages.ids(), std::vector<int>{570});
        QCOMPARE(d.doc.m_CurPrinter.byCharSet, uint8_t(255));
        QCOMPARE(d.doc.m_CurPrinter.abyCharTable[0x41], uint8_t(4));
        QCOMPARE(d.doc.m_CurPrinter.abyCharTable[0x42], uint8_t(0x42));
        QVERIFY(d.doc.IsModified());
    }

    void characterSetCancelLeavesTheDocument() {
        PrinterDoc d;
        const CDbdr before = d.doc.m_CurPrinter;
        support::MessageRecorder messages;
        messages.answer(host::kYes);
        const bool changed =
            run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
                typeIntoCell(dlg.grid(), 0x41, 2, "4");
                click(dlg, "cancel");
            });
        QVERIFY(!changed);
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(!d.doc.IsModified());
    }

    void characterSetRefusedEntryStaysAndOkSays547() {
        PrinterDoc d;
        support::MessageRecorder messages;
        run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
            typeIntoCell(dlg.grid(), 0x41, 2, "123");
            QVERIFY(dlg.grid()->isEditing());
            QCOMPARE(dlg.grid()->cellEditor()->text(), QString("123"));
            QCOMPARE(dlg.grid()->item(0x41, 2)->text(), QString("41"));
            dlg.accept();
            QVERIFY(dlg.isVisible());
        });
        QCOMPARE(messages.ids(), std::vector<int>{547});
        QCOMPARE(messages.shown[0].title, std::string("Zeichensatz"));
        QVERIFY(!d.doc.IsModified());
    }

    void characterSetOnlineChangesNothing() {
        PrinterDoc d(true);
        const CDbdr before = d.doc.m_CurPrinter;
        support::MessageRecorder messages;
        const bool changed =
            run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
                QVERIFY(!dlg.okButton()->isEnabled());
                dlg.grid()->setCurrentCell(0x41, 2);
                QTest::keyClicks(dlg.grid(), "4");
                QVERIFY(!dlg.grid()->isEditing());
                dlg.accept();
            });
        QVERIFY(!changed);
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(!d.doc.IsModified());
        QVERIFY(messages.shown.empty());
    }

    void tabLeavesTheGrids() {
        PrinterDoc d;
        support::MessageRecorder messages;
        messages.answer(host::kYes);
        run<CCharacterSetDialog>([&] { return EditCharacterSet(d.doc, nullptr); }, [&](CCharacterSetDialog& dlg) {
            QApplication::setActiveWindow(&dlg);
            dlg.grid()->setFocus();
            QTest::keyClick(dlg.grid(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.okButton()));
            dlg.grid()->setFocus();
            QTest::keyClick(dlg.grid(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.sets()));
        });
        run<CControlCharactersDialog>([&] { return EditControlCharacters(d.doc, nullptr); },
                                      [&](CControlCharactersDialog& dlg) {
                                          QApplication::setActiveWindow(&dlg);
                                          dlg.grid()->setFocus();
                                          QTest::keyClick(dlg.grid(), Qt::Key_Tab);
                                          // "&Löschen" is not offered yet: the next control
                                          QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.newButton()));
                                          // an entry ended with Tab goes on to "&Löschen" once it is offered
                                          dlg.grid()->setCurrentCell(0, 1);
                                          dlg.grid()->editItem(dlg.grid()->item(0, 1));
                                          QTest::keyClicks(dlg.grid()->cellEditor(), "0d");
                                          QTest::keyClick(dlg.grid()->cellEditor(), Qt::Key_Tab);
                                          QVERIFY(!dlg.grid()->isEditing());
                                          QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.deleteButton()));
                                      });
        QCOMPARE(messages.ids(), std::vector<int>{573});
    }

    // ---- control characters ----
    void controlCharactersShowTheEmulation() {
        PrinterDoc d;
        support::MessageRecorder messages;
        run<CControlCharactersDialog>([&] { return EditControlCharacters(d.doc, nullptr); },
                                      [&](CControlCharactersDialog& dlg) {
                                          QCOMPARE(dlg.windowTitle(), QString("Steuerzeichen"));
                                          QCOMPARE(dlg.emulations()->count(), 3);
                                          QCOMPARE(dlg.emulations()->currentText(), QString("HP-Deskjet"));
                                          CGridTable* grid = dlg.grid();
                                          QCOMPARE(grid->rowCount(), 5);
                                          QCOMPARE(grid->verticalHeaderItem(0)->text(), QString("Fettschrift"));
                                          QCOMPARE(grid->verticalHeaderItem(4)->text(), QString("Unterstrichen"));
                                          QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("Einschaltsequenz"));
                                          QCOMPARE(grid->item(0, 0)->text(), QString("B"));
                                          QCOMPARE(grid->item(0, 1)->text(), QString("1B 28 73 33 42"));
                                          QCOMPARE(grid->item(0, 2)->text(), QString("1B 28 73 30 42"));
                                          QVERIFY(!dlg.deleteButton()->isVisible());
                                          QVERIFY(dlg.newButton()->isVisible());
                                          QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
                                          dlg.emulations()->setCurrentIndex(2);
                                          QCOMPARE(grid->item(0, 1)->text(), QString("1B 47"));
                                      });
        QVERIFY(messages.shown.empty());
    }

    void controlCharactersTypedSequenceReachesTheDocumentOnOk() {
        PrinterDoc d;
        d.doc.BlockLengths[4] = 65;
        support::MessageRecorder messages;
        messages.answer(host::kYes);
        const bool changed = run<CControlCharactersDialog>(
            [&] { return EditControlCharacters(d.doc, nullptr); }, [&](CControlCharactersDialog& dlg) {
                typeIntoCell(dlg.grid(), 1, 1, "1b2873");
                QCOMPARE(dlg.grid()->item(1, 1)->text(), QString("1B 28 73"));
                QCOMPARE(dlg.emulations()->currentText(), QString("User-Defined"));
                QVERIFY(dlg.deleteButton()->isVisible());
                click(dlg, "ok");
            });
        QVERIFY(changed);
        QCOMPARE(messages.ids(), std::vector<int>{573});
        const CDbdr& p = d.doc.m_CurPrinter;
        QCOMPARE(p.byEmulation, uint8_t(255));
        QCOMPARE(p.byCtrlCount, uint8_t(5));
        QCOMPARE(p.byCtrlLength, uint8_t(61));  // the condensed switch-on sequence lost two bytes
        QCOMPARE(d.doc.BlockLengths[4], uint16_t(63));
        // Entry 2 follows the bold entry's 13 bytes: letter C, 3, 1B 28 73.
        QCOMPARE(p.abyCtrlTable[13], uint8_t('C'));
        QCOMPARE(p.abyCtrlTable[14], uint8_t(3));
        QCOMPARE(p.abyCtrlTable[17], uint8_t(0x73));
        QVERIFY(d.doc.IsModified());
    }

    void controlCharactersCancelLeavesTheDocument() {
        PrinterDoc d;
        const CDbdr before = d.doc.m_CurPrinter;
        const auto lengths = d.doc.BlockLengths;
        support::MessageRecorder messages;
        messages.answer(host::kYes);
        const bool changed = run<CControlCharactersDialog>(
            [&] { return EditControlCharacters(d.doc, nullptr); }, [&](CControlCharactersDialog& dlg) {
                typeIntoCell(dlg.grid(), 1, 1, "1b2873");
                click(dlg, "newInstruction");
                QCOMPARE(dlg.grid()->rowCount(), 6);
                click(dlg, "cancel");
            });
        QVERIFY(!changed);
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(d.doc.BlockLengths == lengths);
        QVERIFY(!d.doc.IsModified());
    }

    void controlCharactersNewInstructionsAndARepeatedLetter() {
        PrinterDoc d;
        support::MessageRecorder messages;
        messages.answer(host::kYes);  // 573 for the first new instruction
        const bool changed = run<CControlCharactersDialog>(
            [&] { return EditControlCharacters(d.doc, nullptr); }, [&](CControlCharactersDialog& dlg) {
                CGridTable* grid = dlg.grid();
                click(dlg, "newInstruction");
                click(dlg, "newInstruction");
                QCOMPARE(grid->rowCount(), 7);
                QCOMPARE(grid->verticalHeaderItem(5)->text(), QString("1"));
                QCOMPARE(grid->verticalHeaderItem(6)->text(), QString("2"));
                QCOMPARE(grid->currentRow(), 6);
                QCOMPARE(grid->currentColumn(), 0);
                QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
                typeIntoCell(grid, 5, 0, "x");
                typeIntoCell(grid, 6, 0, "X");
                click(dlg, "ok");
                QVERIFY(dlg.isVisible());
                QCOMPARE(grid->currentRow(), 6);
                QCOMPARE(grid->currentColumn(), 0);
                // A selection of some cells of row 7 deletes nothing; the whole row goes.
                grid->setCurrentCell(6, 1);
                grid->clearSelection();
                grid->setRangeSelected(QTableWidgetSelectionRange(6, 1, 6, 2), true);
                click(dlg, "deleteInstructions");
                QCOMPARE(grid->rowCount(), 7);
                grid->clearSelection();
                grid->selectRow(6);
                click(dlg, "deleteInstructions");
                QCOMPARE(grid->rowCount(), 6);
                QCOMPARE(grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
                click(dlg, "ok");
            });
        QVERIFY(changed);
        QCOMPARE(messages.ids(), (std::vector<int>{573, 537}));
        QCOMPARE(d.doc.m_CurPrinter.byCtrlCount, uint8_t(6));
        QCOMPARE(d.doc.m_CurPrinter.abyCtrlTable[63], uint8_t('x'));
    }

    void controlCharactersOnlineChangeNothing() {
        PrinterDoc d(true);
        const CDbdr before = d.doc.m_CurPrinter;
        support::MessageRecorder messages;
        const bool changed = run<CControlCharactersDialog>(
            [&] { return EditControlCharacters(d.doc, nullptr); }, [&](CControlCharactersDialog& dlg) {
                QVERIFY(!dlg.okButton()->isEnabled());
                QVERIFY(!dlg.newButton()->isEnabled());
                dlg.grid()->setCurrentCell(0, 0);
                QTest::keyClicks(dlg.grid(), "x");
                QVERIFY(!dlg.grid()->isEditing());
                dlg.accept();
            });
        QVERIFY(!changed);
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(!d.doc.IsModified());
        QVERIFY(messages.shown.empty());
    }

    // ---- page layout ----
    void pageLayoutShowsTheRecord() {
        PrinterDoc d;
        support::MessageRecorder messages;
        run<CPageLayoutDialog>([&] { return EditPageLayout(d.doc, nullptr); }, [&](CPageLayoutDialog& dlg) {
            QCOMPARE(dlg.windowTitle(), QString("Seitenlayout"));
            QCOMPARE(dlg.findChild<QLineEdit*>("byLeftMargin")->text(), QString("3"));
            QCOMPARE(dlg.findChild<QLineEdit*>("byLinesPerPage")->text(), QString("50"));
            QCOMPARE(dlg.findChild<QComboBox*>("byLineEnd")->currentText(), QString("CR LF"));
            QCOMPARE(dlg.findChild<QLineEdit*>("achTextLine1")->text(), QString());
            QCOMPARE(dlg.findChild<QLineEdit*>("achTextLine1")->maxLength(), 60);
            QCOMPARE(dlg.findChild<QLabel*>("byLeftMarginLabel")->text(), QString("Linker &Rand (Anzahl Zeichen):"));
            QCOMPARE(dlg.findChild<QLabel*>("headerLinesLabel")->buddy(), dlg.findChild<QWidget*>("achTextLine1"));
        });
        QVERIFY(messages.shown.empty());
    }

    void pageLayoutTypedValuesReachTheDocumentOnOk() {
        PrinterDoc d;
        support::MessageRecorder messages;
        const bool changed = run<CPageLayoutDialog>([&] { return EditPageLayout(d.doc, nullptr); }, [&](CPageLayoutDialog& dlg) {
            auto* left = dlg.findChild<QLineEdit*>("byLeftMargin");
            left->selectAll();
            QTest::keyClicks(left, "7");
            dlg.findChild<QComboBox*>("byLineEnd")->setCurrentIndex(1);
            QTest::keyClicks(dlg.findChild<QLineEdit*>("achTextLine2"), "Kopf");
            QTest::keyClicks(dlg.findChild<QLineEdit*>("achTextLine3"), "Fuß");
            click(dlg, "ok");
        });
        QVERIFY(changed);
        QVERIFY(messages.shown.empty());
        const CDbdr& p = d.doc.m_CurPrinter;
        QCOMPARE(p.byLeftMargin, uint8_t(7));
        QCOMPARE(p.byLineEnd, uint8_t(2));
        QCOMPARE(p.byHeaderLines, uint8_t(2));
        QCOMPARE(p.byFooterLines, uint8_t(1));
        QCOMPARE(d.doc.BlockLengths[6], uint16_t(0));
        QCOMPARE(d.doc.BlockLengths[7], uint16_t(4));
        QCOMPARE(d.doc.BlockLengths[8], uint16_t(3));
        QCOMPARE(d.doc.BlockLengths[9], uint16_t(0));
        QCOMPARE(std::string(p.achTextLine[2].data(), 3), std::string("Fu\xDF"));
        QVERIFY(d.doc.IsModified());
    }

    void pageLayoutRefusesTooFewLinesPerPage() {
        PrinterDoc d;
        const CDbdr before = d.doc.m_CurPrinter;
        support::MessageRecorder messages;
        const bool changed = run<CPageLayoutDialog>([&] { return EditPageLayout(d.doc, nullptr); }, [&](CPageLayoutDialog& dlg) {
            auto* lines = dlg.findChild<QLineEdit*>("byLinesPerPage");
            lines->setText("2");
            dlg.findChild<QLineEdit*>("achTextLine1")->setText("a");
            dlg.findChild<QLineEdit*>("achTextLine2")->setText("b");
            dlg.findChild<QLineEdit*>("achTextLine3")->setText("c");
            click(dlg, "ok");
            QVERIFY(dlg.isVisible());
            click(dlg, "cancel");
        });
        QVERIFY(!changed);
        QCOMPARE(messages.ids(), std::vector<int>{542});
        QCOMPARE(messages.shown[0].title, std::string("Zeilen pro Seite"));
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(!d.doc.IsModified());
    }

    void pageLayoutLimitsTheLeftMarginAndFullLines() {
        PrinterDoc d;
        support::MessageRecorder messages;
        run<CPageLayoutDialog>([&] { return EditPageLayout(d.doc, nullptr); }, [&](CPageLayoutDialog& dlg) {
            auto* left = dlg.findChild<QLineEdit*>("byLeftMargin");
            left->setText("300");
            dlg.accept();
            QVERIFY(dlg.isVisible());
            QCOMPARE(left->text(), QString("255"));
            auto* footer = dlg.findChild<QLineEdit*>("achTextLine4");
            footer->setText(QString(60, 'x'));
            QTest::keyClick(footer, Qt::Key_Y);
            QCOMPARE(footer->text(), QString(60, 'x'));
        });
        QCOMPARE(messages.ids(), (std::vector<int>{530, 532}));
        QCOMPARE(messages.shown[0].title, std::string("Linker Rand"));
        QCOMPARE(messages.shown[1].title, std::string("Kopf-/Fußzeilen"));
    }

    void pageLayoutOnlineChangesNothing() {
        PrinterDoc d(true);
        const CDbdr before = d.doc.m_CurPrinter;
        support::MessageRecorder messages;
        const bool changed = run<CPageLayoutDialog>([&] { return EditPageLayout(d.doc, nullptr); }, [&](CPageLayoutDialog& dlg) {
            QVERIFY(!dlg.okButton()->isEnabled());
            dlg.findChild<QLineEdit*>("byLeftMargin")->setText("9");
            dlg.accept();
        });
        QVERIFY(!changed);
        QVERIFY(samePrinter(d.doc.m_CurPrinter, before));
        QVERIFY(!d.doc.IsModified());
    }
};

QTEST_MAIN(TableDialogsTest)
#include "table_dialogs_test.moc"
