// What a user sees while typing into a validated field.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "widgets/iso_editbox.h"

namespace {

struct Field {
    explicit Field(const char* pattern) {
        EXPECT_TRUE(edit.SetPattern(pattern));
    }
    CIsoEditbox edit;
    QSignalSpy rejected{&edit, &CIsoEditbox::changeRejected};
    QSignalSpy changed{&edit, &QLineEdit::textChanged};
};

TEST(IsoEditBox, TypingIsCheckedCharacterByCharacter) {
    struct Case {
        const char* pattern;
        const char* start;
        const char* typed;
        const char* result;
        int rejections;
    };
    const Case cases[] = {
        {"[1-9][0-9]{2}", "", "0", "", 1},
        {"[1-9][0-9]{2}", "", "123", "123", 0},
        {"[1-9][0-9]{2}", "", "1234", "123", 1},
        {"[a-fA-F0-9]{2}", "", "1", "1", 0},
        {"[a-fA-F0-9]{2}", "", "1G", "1", 1},
        {"[0-9]{0,2}([0-9]\\.[0-9]{1})", "", "25.5", "25.5", 0},
        {"[0-9]{0,2}([0-9]\\.[0-9]{1})", "", "25.55", "25.5", 1},
        {"[7-8]{1}", "", "978", "7", 2},
    };
    for (const auto& c : cases) {
        Field f(c.pattern);
        f.edit.setText(c.start);
        QTest::keyClicks(&f.edit, c.typed);
        EXPECT_EQ(f.edit.text().toStdString(), c.result) << c.pattern << " typing " << c.typed;
        EXPECT_EQ(f.rejected.count(), c.rejections) << c.pattern << " typing " << c.typed;
    }
}

TEST(IsoEditBox, RejectedTypingRestoresTextAndSelection) {
    Field f("[1-9][0-9]{2}");
    f.edit.setText("123");
    f.edit.setSelection(1, 2);  // "23" selected; typing replaces it
    f.changed.clear();
    QTest::keyClick(&f.edit, 'x');
    EXPECT_EQ(f.edit.text(), "123");
    EXPECT_EQ(f.edit.selectionStart(), 1);
    EXPECT_EQ(f.edit.selectedText(), "23");
    EXPECT_EQ(f.rejected.count(), 1);
    EXPECT_EQ(f.changed.count(), 0) << "listeners must never see a rejected text";

    QTest::keyClick(&f.edit, '9');  // replaces the selection: "19" is incomplete
    EXPECT_EQ(f.edit.text(), "19");
    EXPECT_EQ(f.changed.count(), 1);
}

TEST(IsoEditBox, PasteAndCutAreChecked) {
    QClipboard* clip = QApplication::clipboard();
    {
        Field f("[1-9][0-9]{2}");
        f.edit.setText("12");
        f.edit.setSelection(2, -1);  // "2" selected, cursor in front of it
        clip->setText("x9");
        f.edit.paste();
        EXPECT_EQ(f.edit.text(), "12");
        EXPECT_EQ(f.edit.selectedText(), "2");
        EXPECT_EQ(f.edit.cursorPosition(), 1);
        EXPECT_EQ(f.rejected.count(), 1);

        clip->setText("34");
        f.edit.paste();
        EXPECT_EQ(f.edit.text(), "134");
    }
    {
        Field f("[1-9][0-9]{2}");
        f.edit.setText("105");
        f.edit.setSelection(0, 1);
        f.edit.cut();  // would leave "05"
        EXPECT_EQ(f.edit.text(), "105");
        EXPECT_EQ(f.edit.selectedText(), "1");
        EXPECT_EQ(f.rejected.count(), 1);

        f.edit.setSelection(1, 2);
        f.edit.cut();
        EXPECT_EQ(f.edit.text(), "1");
        EXPECT_EQ(clip->text(), "05");
    }
    {
        Field f("[1-9][0-9]{2}");  // the paste shortcut takes the same way
        f.edit.setText("1");
        f.edit.end(false);
        clip->setText("000");
        QTest::keySequence(&f.edit, QKeySequence::Paste);
        EXPECT_EQ(f.edit.text(), "1");
        EXPECT_EQ(f.rejected.count(), 1);
    }
}

TEST(IsoEditBox, BackspaceAndDeleteAreNeverRejected) {
    Field f("[1-9][0-9]{2}");
    f.edit.setText("105");
    f.edit.setCursorPosition(1);
    QTest::keyClick(&f.edit, Qt::Key_Backspace);  // "05" no longer fits, still allowed
    EXPECT_EQ(f.edit.text(), "05");
    QTest::keyClick(&f.edit, Qt::Key_Delete);
    EXPECT_EQ(f.edit.text(), "5");
    QTest::keyClick(&f.edit, Qt::Key_Delete);
    QTest::keyClick(&f.edit, Qt::Key_Backspace);
    EXPECT_EQ(f.edit.text(), "");
    EXPECT_EQ(f.rejected.count(), 0);
}

TEST(IsoEditBox, UndoNeverBringsBackARejectedText) {
    Field f("[1-9][0-9]{2}");
    QTest::keyClicks(&f.edit, "12");
    QTest::keyClick(&f.edit, 'x');
    f.edit.undo();
    EXPECT_NE(f.edit.text(), "12x");
    EXPECT_NE(f.edit.matchText(f.edit.text()), ptp::MatchResult::Invalid);
}

TEST(IsoEditBox, WithoutPatternEverythingGoes) {
    CIsoEditbox edit;
    EXPECT_FALSE(edit.SetPattern("[0-9"));  // refused pattern: the field works without one
    QTest::keyClicks(&edit, "a0!");
    EXPECT_EQ(edit.text(), "a0!");
    EXPECT_TRUE(edit.SetPattern("[0-9]{2}"));
    EXPECT_EQ(edit.pattern(), "[0-9]{2}");
}

TEST(IsoEditBox, ContextMenuPasteIsChecked) {
    Field f("[1-9][0-9]{2}");
    f.edit.setText("12");
    f.edit.end(false);
    QApplication::clipboard()->setText("x");
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(1, 1), f.edit.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&f.edit, &ev);
    QMenu* menu = f.edit.findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QLineEdit::tr("&Paste"))) paste = a;
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    EXPECT_EQ(f.edit.text(), "12");
    EXPECT_EQ(f.rejected.count(), 1);
    menu->close();
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs the program too, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
