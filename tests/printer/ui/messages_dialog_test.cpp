// The message-text flow as a user sees it, offscreen: the style buttons, Eintragen and the size
// counter, OK and Cancel against the document, read-only online, the file title check.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "document/codes.h"
#include "printer/ui/choice_dialog.h"
#include "printer/ui/messages_dialog.h"
#include "tests/support/module_factory.h"

class MessagesDialogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void boldButtonPutsTheCaretBetweenTheMarkers();
    void styleButtonWrapsTheSelection();
    void hiddenStyleButton();
    void enterPutsTheTextIntoTheList();
    void numberAboveTheModuleLimit();
    void typingPastTheLimitSaysWhy();
    void okChangesTheDocumentCancelDoesNot();
    void deleteSdbRemovesTheTexts();
    void readOnlyWhenOnline();
    void fileTitleOfNineCharactersIsRefused();
    void choiceDialogButtons();
};

namespace {

printer::MessagesModel::Setup emptySdb(bool readOnly = false) {
    printer::MessagesModel::Setup s;
    s.source = printer::TextSource::Sdb;
    s.limits = printer::LimitsFor(731, 0);
    s.styles = {'B', 'C', 'E', 'I', 'U'};
    s.readOnly = readOnly;
    return s;
}

template <class T> T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

// Shows the dialog and gives it the focus, as a user finds it.
void showActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    if (!QTest::qWaitForWindowActive(&w)) qWarning("the window did not become active");
}

// Types into a field and leaves it with Tab, as a user does.
void typeInto(QLineEdit* e, const QString& text) {
    e->setFocus(Qt::TabFocusReason);
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Tab);
}

// Runs `act` on the messages dialog once the flow has opened it.
void whenOpen(std::function<void(CMessagesDialog*)> act) {
    QTimer::singleShot(0, [act] {
        // none open: the flow ended before the dialog (the test's checks tell)
        if (auto* d = qobject_cast<CMessagesDialog*>(QApplication::activeModalWidget())) act(d);
    });
}

// The ids of the messages shown since `from` messages had been shown (setting up a document shows
// its own).
std::vector<int> idsSince(const support::MessageRecorder& m, size_t from) {
    const std::vector<int> all = m.ids();
    return std::vector<int>(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
}

MessageTextsPrompts answering(printer::Choice open, printer::Choice store, QString file = {}) {
    MessageTextsPrompts p;
    p.choose = [open, store](int mode, QWidget*) { return mode == 0 ? open : store; };
    p.fileName = [file](bool, const QString&, QWidget*) { return file; };
    return p;
}

}  // namespace

void MessagesDialogTest::cleanup() { SetMessageTextsPrompts(DefaultMessageTextsPrompts()); }

void MessagesDialogTest::boldButtonPutsTheCaretBetweenTheMarkers() {
    support::MessageRecorder messages;
    CMessagesDialog d(emptySdb());
    showActive(d);
    auto* text = child<QLineEdit>(&d, "text");
    text->setFocus();
    QTest::keyClicks(text, "Kessel");
    QTest::mouseClick(child<QPushButton>(&d, "styleF"), Qt::LeftButton);
    QCOMPARE(text->text(), QStringLiteral("Kessel\\B\\-B"));
    QCOMPARE(text->cursorPosition(), 8);
    QVERIFY(text->hasFocus());
    QTest::keyClicks(text, "leer");
    QCOMPARE(text->text(), QStringLiteral("Kessel\\Bleer\\-B"));
    QVERIFY(messages.ids().empty());
}

void MessagesDialogTest::styleButtonWrapsTheSelection() {
    support::MessageRecorder messages;
    CMessagesDialog d(emptySdb());
    showActive(d);
    auto* text = child<QLineEdit>(&d, "text");
    text->setFocus();
    QTest::keyClicks(text, "Druck hoch");
    text->setSelection(6, 4);
    QTest::mouseClick(child<QPushButton>(&d, "styleU"), Qt::LeftButton);
    QCOMPARE(text->text(), QStringLiteral("Druck \\Uhoch\\-U"));
    QCOMPARE(text->cursorPosition(), text->text().size());
}

void MessagesDialogTest::hiddenStyleButton() {
    printer::MessagesModel::Setup s = emptySdb();
    s.styles = {'B', ' ', 'E', 'I', 'U'};
    CMessagesDialog d(s);
    showActive(d);
    QVERIFY(child<QPushButton>(&d, "styleF")->isVisible());
    QVERIFY(!child<QPushButton>(&d, "styleS")->isVisible());
}

void MessagesDialogTest::enterPutsTheTextIntoTheList() {
    support::MessageRecorder messages;
    CMessagesDialog d(emptySdb());
    showActive(d);
    auto* size = child<QLabel>(&d, "size");
    auto* list = child<QTreeWidget>(&d, "messages");
    QVERIFY(size->text().contains("37 "));
    typeInto(child<QLineEdit>(&d, "number"), "12");
    typeInto(child<QLineEdit>(&d, "text"), "Druck zu hoch");
    QTest::mouseClick(child<QPushButton>(&d, "enter"), Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 1);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("12"));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Druck zu hoch"));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QVERIFY2(size->text().contains(QString::number(37 + 2 + 13) + " "), qPrintable(size->text()));

    // a second number below it: sorted in, selected, the gap counted
    typeInto(child<QLineEdit>(&d, "number"), "2");
    typeInto(child<QLineEdit>(&d, "text"), "zwei");
    QTest::mouseClick(child<QPushButton>(&d, "enter"), Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("2"));
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QVERIFY2(size->text().contains(QString::number(37 + 2 * 11 + 17) + " "), qPrintable(size->text()));
    QVERIFY(messages.ids().empty());

    // Löschen takes it out again
    QTest::mouseClick(child<QPushButton>(&d, "remove"), Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 1);
    QVERIFY2(size->text().contains(QString::number(37 + 2 + 13) + " "), qPrintable(size->text()));
}

void MessagesDialogTest::numberAboveTheModuleLimit() {
    support::MessageRecorder messages;
    printer::MessagesModel::Setup s = emptySdb();
    s.limits = printer::LimitsFor(730, 0);
    CMessagesDialog d(s);
    showActive(d);
    auto* number = child<QLineEdit>(&d, "number");
    typeInto(number, "1000");
    QCOMPARE(number->text(), QStringLiteral("999"));
    QCOMPARE(messages.ids(), std::vector<int>{printer::kMsgBadNumber});
    QTRY_VERIFY(number->hasFocus());
}

void MessagesDialogTest::typingPastTheLimitSaysWhy() {
    struct Case { const char* field; QString full; int message; };
    const Case cases[] = {
        {"text", QString(150, 'x'), printer::kMsgTextFull},
        {"name", QStringLiteral("ABCDEFGH"), printer::kMsgBadName},
        {"number", QStringLiteral("1234"), printer::kMsgTooManyDigits},
    };
    for (const Case& c : cases) {
        support::MessageRecorder messages;
        CMessagesDialog d(emptySdb());
        showActive(d);
        auto* e = child<QLineEdit>(&d, c.field);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, c.full);
        QVERIFY2(messages.ids().empty(), c.field);
        QTest::keyClick(e, Qt::Key_5);
        QCOMPARE(e->text(), c.full);
        QCOMPARE(messages.ids(), std::vector<int>{c.message});
    }
}

void MessagesDialogTest::okChangesTheDocumentCancelDoesNot() {
    for (const bool ok : {true, false}) {
        support::ModuleDocument f(kCP731, kProtPrinter, 26);
        const size_t before = f.messages.shown.size();
        SetMessageTextsPrompts(answering(printer::Choice::Sdb, printer::Choice::Sdb));
        whenOpen([ok](CMessagesDialog* d) {
            typeInto(child<QLineEdit>(d, "name"), "meld1");
            typeInto(child<QLineEdit>(d, "number"), "7");
            typeInto(child<QLineEdit>(d, "text"), "sieben");
            QTest::mouseClick(child<QPushButton>(d, "enter"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(d, ok ? "ok" : "cancel"), Qt::LeftButton);
        });
        QCOMPARE(EditMessageTexts(f.doc, nullptr), ok);
        QCOMPARE(f.doc.m_bTextPresent, ok ? 1 : 0);
        QCOMPARE(f.doc.IsModified(), ok);
        QCOMPARE(std::string(f.doc.m_pTexts->text(7)), std::string(ok ? "sieben" : ""));
        if (ok) QCOMPARE(std::string(f.doc.m_CurTextName.achName.data(), 8), std::string("MELD1   "));
        QCOMPARE(idsSince(f.messages, before), std::vector<int>{});
    }
}

void MessagesDialogTest::deleteSdbRemovesTheTexts() {
    support::ModuleDocument f(kCP731, kProtPrinter, 26);
    f.doc.m_bTextPresent = 1;
    f.doc.m_nBlockCount = 2;
    f.doc.m_pTexts->setText(3, "drei");
    f.doc.m_TextHead.wFirstIndex = f.doc.m_TextHead.wLastIndex = 3;
    const size_t before = f.messages.shown.size();
    SetMessageTextsPrompts(answering(printer::Choice::Sdb, printer::Choice::Sdb));
    f.messages.answer(host::kYes);
    whenOpen([](CMessagesDialog* d) {
        QCOMPARE(child<QTreeWidget>(d, "messages")->topLevelItemCount(), 1);
        QTest::mouseClick(child<QPushButton>(d, "deleteSdb"), Qt::LeftButton);
    });
    QVERIFY(EditMessageTexts(f.doc, nullptr));
    QCOMPARE(idsSince(f.messages, before), std::vector<int>{printer::kMsgDeleteSdb});
    QCOMPARE(f.doc.m_bTextPresent, 0);
    QCOMPARE(f.doc.m_nBlockCount, 1);
}

void MessagesDialogTest::readOnlyWhenOnline() {
    support::ModuleDocument f(kCP731, kProtPrinter, 26);
    f.doc.m_bOnline = 1;
    SetMessageTextsPrompts(answering(printer::Choice::Sdb, printer::Choice::Sdb));
    whenOpen([](CMessagesDialog* d) {
        auto* ok = child<QPushButton>(d, "ok");
        QVERIFY(!ok->isEnabled());
        QVERIFY(!child<QPushButton>(d, "deleteSdb")->isEnabled());
        typeInto(child<QLineEdit>(d, "name"), "X");
        typeInto(child<QLineEdit>(d, "text"), "t");
        QTest::mouseClick(child<QPushButton>(d, "enter"), Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(d->isVisible());
        QTest::keyClick(d, Qt::Key_Return);  // the default button is disabled too
        QVERIFY(d->isVisible());
        QTest::mouseClick(child<QPushButton>(d, "cancel"), Qt::LeftButton);
    });
    QVERIFY(!EditMessageTexts(f.doc, nullptr));
    QCOMPARE(f.doc.m_bTextPresent, 0);
    QVERIFY(!f.doc.IsModified());
}

void MessagesDialogTest::fileTitleOfNineCharactersIsRefused() {
    support::ModuleDocument f(kCP731, kProtPrinter, 26);
    bool opened = false;
    const size_t before = f.messages.shown.size();
    SetMessageTextsPrompts(answering(printer::Choice::File, printer::Choice::Sdb, "/tmp/MELDUNG12.ptp"));
    whenOpen([&opened](CMessagesDialog* d) {
        opened = true;
        d->reject();
    });
    QVERIFY(!EditMessageTexts(f.doc, nullptr));
    QCOMPARE(idsSince(f.messages, before), std::vector<int>{printer::kMsgBadName});
    QVERIFY(!opened);
}

void MessagesDialogTest::choiceDialogButtons() {
    struct Case { int mode; const char* button; printer::Choice result; const char* text; };
    const Case cases[] = {
        {0, "sdb", printer::Choice::Sdb, "Wollen Sie die Meldetexte"},
        {0, "file", printer::Choice::File, "Wollen Sie die Meldetexte"},
        {1, "cancel", printer::Choice::Cancel, "Sollen die Meldetexte"},
    };
    for (const Case& c : cases) {
        CTextChoiceDialog d(c.mode);
        QVERIFY(child<QLabel>(&d, "question")->text().startsWith(QString::fromUtf8(c.text)));
        QTimer::singleShot(0, &d, [&d, &c] { QTest::mouseClick(child<QPushButton>(&d, c.button), Qt::LeftButton); });
        QCOMPARE(d.choose(), c.result);
    }
}

QTEST_MAIN(MessagesDialogTest)
#include "messages_dialog_test.moc"
