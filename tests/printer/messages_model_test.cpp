#include "printer/messages_model.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "document/codes.h"
#include "printer/cp1252.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace printer {
namespace {

// Records every message the dialog shows and answers its questions from a queue (then No).
struct Shown {
    std::vector<TextMessage> messages;
    std::deque<bool> answers;
    ShowMessage fn() {
        return [this](const TextMessage& m) {
            messages.push_back(m);
            if (!IsQuestion(m.id) || answers.empty()) return false;
            const bool a = answers.front();
            answers.pop_front();
            return a;
        };
    }
    std::vector<int> ids() const {
        std::vector<int> out;
        for (const auto& m : messages) out.push_back(m.id);
        return out;
    }
};

std::unique_ptr<TextData> sdbWith(std::initializer_list<std::pair<int, std::string>> texts) {
    auto data = std::make_unique<TextData>();
    for (const auto& [n, t] : texts) data->store.setText(n, t);
    data->present = true;
    data->name.achName = {'M', 'E', 'L', 'D', ' ', ' ', ' ', ' '};
    data->name.byVerHi = 3;
    data->name.byVerLo = 7;
    return data;
}

MessagesModel::Setup sdbSetup(const TextData* data, MessageLimits limits = LimitsFor(731, 0)) {
    MessagesModel::Setup s;
    s.source = TextSource::Sdb;
    s.limits = limits;
    s.data = data;
    return s;
}

MessagesModel::Setup fileSetup(std::string title, std::string contents, MessageLimits limits = LimitsFor(731, 0)) {
    MessagesModel::Setup s;
    s.source = TextSource::File;
    s.limits = limits;
    s.fileTitle = std::move(title);
    s.fileContents = std::move(contents);
    return s;
}

// Types into a field as the user does: focus in, text, focus out.
MsgVerdict type(MessagesModel& m, MsgField f, const std::string& text, Shown& shown) {
    m.focusIn(f);
    m.setField(f, text);
    return m.focusOut(f, shown.fn());
}

TEST(MessagesModel, OpensTheTextSdbWithNameVersionAndSize) {
    auto data = sdbWith({{5, std::string(10, 'a')}, {900, std::string(20, 'b')}});
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    EXPECT_TRUE(shown.messages.empty());
    EXPECT_EQ(m.name(), "MELD");
    EXPECT_EQ(m.version(), "3.7");
    EXPECT_EQ(m.size(), 1859);
    ASSERT_EQ(m.selected(), 0);
    EXPECT_EQ(m.number(), "5");
    EXPECT_EQ(m.text(), std::string(10, 'a'));
    EXPECT_FALSE(m.edited());
}

TEST(MessagesModel, EnteringFiveAndNineHundredCounts1859Bytes) {
    Shown shown;
    MessagesModel m(sdbSetup(nullptr), shown.fn());
    EXPECT_EQ(m.version(), "0.1");
    EXPECT_TRUE(m.edited());  // a block without texts: OK first asks to enter
    for (const auto& [n, t] : {std::pair{"900", std::string(20, 'b')}, std::pair{"5", std::string(10, 'a')}}) {
        type(m, MsgField::Number, n, shown);
        type(m, MsgField::Text, t, shown);
        EXPECT_TRUE(m.enter(shown.fn()).accepted);
    }
    EXPECT_TRUE(shown.messages.empty());
    EXPECT_EQ(m.size(), 1859);
    EXPECT_EQ(m.number(), "5");  // the entry entered last is selected
    EXPECT_FALSE(m.edited());
}

TEST(MessagesModel, LeadingZerosNameTheSameNumber) {
    for (const char* typed : {"0012", "00012", "12"}) {
        Shown shown;
        MessagesModel m(sdbSetup(nullptr), shown.fn());
        type(m, MsgField::Number, typed, shown);
        type(m, MsgField::Text, "zwölf", shown);
        EXPECT_TRUE(m.enter(shown.fn()).accepted) << typed;
        ASSERT_EQ(m.list().count(), 1u) << typed;
        EXPECT_EQ(m.list().entries()[0], (MessageEntry{12, "zwölf"})) << typed;
        EXPECT_EQ(m.number(), "12") << typed;
        EXPECT_TRUE(shown.messages.empty()) << typed;
    }
}

// A long text in a stored block is shown without text and shifts none of the texts behind it;
// a block larger than the module takes stops at the first number past the limit.
TEST(MessagesModel, OpeningAStoredBlockChecksEachText) {
    auto data = sdbWith({{2, "zwei"}, {3, std::string(151, 'x')}, {4, "vier"}});
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    EXPECT_EQ(shown.messages, (std::vector<TextMessage>{{kMsgTextTooLong, {"3"}}}));
    ASSERT_EQ(m.list().count(), 3u);
    EXPECT_EQ(m.list().entries()[1], (MessageEntry{3, ""}));
    EXPECT_EQ(m.list().entries()[2], (MessageEntry{4, "vier"}));

    Shown small;
    MessagesModel cut(sdbSetup(data.get(), {1000, 37 + 2 + 4 + 2}), small.fn());
    EXPECT_EQ(small.ids(), (std::vector<int>{kMsgTooLong}));
    ASSERT_EQ(cut.list().count(), 1u);
    EXPECT_LE(cut.size(), 45);
}

TEST(MessagesModel, NumberFieldCorrectsAndMarksEdited) {
    struct Case { const char* typed; const char* field; std::vector<TextMessage> shown; bool accepted; };
    const Case cases[] = {
        {"1000", "999", {{kMsgBadNumber, {"1000"}}}, false},
        {"", "0", {{kMsgNumberMinimum, {"0"}}}, false},
        {"12", "12", {}, true},
    };
    auto data = sdbWith({{1, "eins"}});
    for (const Case& c : cases) {
        Shown shown;
        MessagesModel m(sdbSetup(data.get(), LimitsFor(730, 0)), shown.fn());
        const MsgVerdict v = type(m, MsgField::Number, c.typed, shown);
        EXPECT_EQ(v.accepted, c.accepted) << c.typed;
        EXPECT_EQ(m.number(), c.field) << c.typed;
        EXPECT_EQ(shown.messages, c.shown) << c.typed;
        EXPECT_TRUE(m.edited()) << c.typed;
    }
}

// "3." is checked when the version field is left only while a name is entered; OK checks it
// always, after the name.
TEST(MessagesModel, VersionThreePoint) {
    auto data = sdbWith({{1, "eins"}});
    {
        Shown shown;
        MessagesModel m(sdbSetup(data.get()), shown.fn());
        const MsgVerdict v = type(m, MsgField::Version, "3.", shown);
        EXPECT_FALSE(v.accepted);
        EXPECT_EQ(v.focus, MsgField::Version);
        EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgBadVersionField}));
    }
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    type(m, MsgField::Name, "", shown);
    EXPECT_TRUE(type(m, MsgField::Version, "3.", shown).accepted);
    EXPECT_TRUE(shown.messages.empty());
    MsgVerdict ok = m.checkOk(shown.fn());
    EXPECT_EQ(ok.focus, MsgField::Name);
    EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgNoName}));
    type(m, MsgField::Name, "meld", shown);
    EXPECT_EQ(m.name(), "MELD");
    ok = m.checkOk(shown.fn());
    EXPECT_FALSE(ok.accepted);
    EXPECT_EQ(ok.focus, MsgField::Version);
    EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgNoName, kMsgBadVersionField}));
}

TEST(MessagesModel, FileTitleOfNineCharactersIsRefused) {
    EXPECT_EQ(CheckFileTitle("MELDUNG12"), (TextMessage{kMsgBadName, {}}));
    EXPECT_EQ(CheckFileTitle("MELDUNGEN"), (TextMessage{kMsgBadName, {}}));
    EXPECT_FALSE(CheckFileTitle("MELDUNG1"));
    EXPECT_FALSE(CheckFileTitle("Größe"));  // five characters, more bytes
}

// Eintragen against the size limit S: which message, and the list unchanged on refusal.
TEST(MessagesModel, EnterAtTheSizeLimit) {
    // 10 and 20 hold 3 characters each: 37 + 2 * 11 + 6 = 65 bytes
    struct Case {
        const char* name; const char* number; std::string text; std::deque<bool> answers;
        std::vector<int> shown; bool accepted; long size;
    };
    const Case cases[] = {
        {"above all, fits", "21", "abc", {}, {}, true, 65 + 2 + 3},
        {"above all, too large", "22", "abc", {}, {kMsgTooLongOrNumber}, false, 65},
        {"below the highest, too large", "15", std::string(6, 'x'), {}, {kMsgTooLong}, false, 65},
        {"new lowest, too large", "7", "a", {}, {kMsgTooLong}, false, 65},
        {"new lowest, fits", "9", "a", {}, {}, true, 65 + 2 + 1},
        {"existing, Yes, fits", "20", "abcdef", {true}, {kMsgOverwriteNumber}, true, 68},
        {"existing, Yes, too large", "20", "abcdefghi", {true}, {kMsgOverwriteNumber, kMsgTooLong}, false, 65},
        {"existing, No", "20", "x", {false}, {kMsgOverwriteNumber}, false, 65},
    };
    auto data = sdbWith({{10, "abc"}, {20, "abc"}});
    for (const Case& c : cases) {
        Shown shown;
        MessagesModel m(sdbSetup(data.get(), {1000, 70}), shown.fn());
        ASSERT_EQ(m.size(), 65);
        shown.answers = c.answers;
        type(m, MsgField::Number, c.number, shown);
        type(m, MsgField::Text, c.text, shown);
        EXPECT_EQ(m.enter(shown.fn()).accepted, c.accepted) << c.name;
        EXPECT_EQ(shown.ids(), c.shown) << c.name;
        EXPECT_EQ(m.size(), c.size) << c.name;
        EXPECT_EQ(m.size(), m.list().size()) << c.name;
    }
}

TEST(MessagesModel, RemoveSelectsTheEntryBefore) {
    struct Case { int select; int selectedAfter; long size; };
    // 1, 5, 9 with one character each: 37 + 2 * 9 + 3 = 58
    for (const Case& c : {Case{0, 0, 37 + 2 * 5 + 2}, Case{1, 0, 58 - 1}, Case{2, 1, 37 + 2 * 5 + 2}}) {
        auto data = sdbWith({{1, "a"}, {5, "b"}, {9, "c"}});
        Shown shown;
        MessagesModel m(sdbSetup(data.get()), shown.fn());
        m.select(c.select);
        EXPECT_TRUE(m.removeSelected().accepted);
        EXPECT_EQ(m.selected(), c.selectedAfter) << c.select;
        EXPECT_EQ(m.size(), c.size) << c.select;
        EXPECT_EQ(m.number(), std::to_string(m.list().entries()[static_cast<size_t>(c.selectedAfter)].number));
    }
}

TEST(MessagesModel, StyleButtons) {
    CDbdr dr;
    SetPrinterDefaults(dr, 'B');
    EXPECT_EQ(StyleLetters(dr), (std::array<char, 5>{'B', 'C', 'E', 'I', 'U'}));
    dr.abyCtrlTable[0] = ' ';  // bold with the character blank: its button is hidden
    dr.byCtrlCount = 4;        // and no fifth instruction
    EXPECT_EQ(StyleLetters(dr), (std::array<char, 5>{' ', 'C', 'E', 'I', ' '}));

    struct Case { const char* text; int start, length; const char* result; int caret; };
    const Case cases[] = {
        {"Kessel", 6, 0, "Kessel\\B\\-B", 8},       // nothing selected, caret at the end
        {"Kessel leer", 0, 6, "\\BKessel\\-B leer", 11},
        {"", 0, 0, "\\B\\-B", 2},
        {"Größe", 2, 0, "Gr\\B\\-Böße", 4},
    };
    for (const Case& c : cases) {
        MessagesModel::Setup s = sdbSetup(nullptr);
        s.styles = {'B', 'C', 'E', 'I', 'U'};
        Shown shown;
        MessagesModel m(s, shown.fn());
        m.select(-1);
        m.setField(MsgField::Text, c.text);
        const auto r = m.applyStyle(0, c.start, c.length, shown.fn());
        EXPECT_TRUE(r.verdict.accepted) << c.text;
        EXPECT_EQ(m.text(), c.result) << c.text;
        EXPECT_EQ(r.caret, c.caret) << c.text;
        EXPECT_TRUE(m.edited());
    }
    Shown shown;
    MessagesModel m(sdbSetup(nullptr), shown.fn());
    m.setField(MsgField::Text, std::string(146, 'x'));
    EXPECT_FALSE(m.applyStyle(0, 0, 0, shown.fn()).verdict.accepted);
    EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgTextFull}));
    EXPECT_EQ(m.text(), std::string(146, 'x'));
    m.setField(MsgField::Text, std::string(145, 'x'));
    EXPECT_TRUE(m.applyStyle(0, 0, 0, shown.fn()).verdict.accepted);
}

TEST(MessagesModel, OkWithAnUnenteredMessage) {
    auto data = sdbWith({{1, "eins"}});
    {  // Yes: entered, the dialog stays
        Shown shown;
        MessagesModel m(sdbSetup(data.get()), shown.fn());
        type(m, MsgField::Number, "2", shown);
        type(m, MsgField::Text, "zwei", shown);
        shown.answers = {true};
        EXPECT_FALSE(m.checkOk(shown.fn()).accepted);
        EXPECT_EQ(m.list().count(), 2u);
        EXPECT_TRUE(m.checkOk(shown.fn()).accepted);
        EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgNotEntered}));
    }
    // No: goes on without it
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    type(m, MsgField::Number, "2", shown);
    shown.answers = {false};
    EXPECT_TRUE(m.checkOk(shown.fn()).accepted);
    EXPECT_EQ(m.list().count(), 1u);
}

// What OK hands back, and what the document makes of it: the section count follows the
// present flag by one.
TEST(MessagesModel, SectionCountFollowsThePresentFlag) {
    enum class Action { ToSdb, DeleteSdb };
    struct Case { const char* name; bool present; Action action; bool presentAfter; int countAfter; };
    const Case cases[] = {
        {"texts added", false, Action::ToSdb, true, 3},
        {"texts kept", true, Action::ToSdb, true, 3},
        {"text SDB deleted", true, Action::DeleteSdb, false, 2},
    };
    for (const Case& c : cases) {
        support::ModuleDocument f(kCP8312, kProtPrinter, 81, 2);
        CPtpDoc& doc = f.doc;
        doc.m_nBlockCount = c.present ? 3 : 2;
        if (c.present) {
            doc.m_bTextPresent = 1;
            doc.m_pTexts->setText(7, "sieben");
            doc.m_CurTextName.achName = {'A', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
            doc.m_TextHead.wFirstIndex = doc.m_TextHead.wLastIndex = 7;
        }
        doc.SetModifiedFlag(false);
        auto data = TextDataOf(doc);
        Shown shown;
        MessagesModel m(sdbSetup(data.get(), LimitsOf(doc)), shown.fn());
        if (c.action == Action::ToSdb) {
            type(m, MsgField::Name, "neu", shown);
            type(m, MsgField::Number, "12", shown);
            type(m, MsgField::Text, "zwölf", shown);
            ASSERT_TRUE(m.enter(shown.fn()).accepted) << c.name;
            ASSERT_TRUE(m.checkOk(shown.fn()).accepted) << c.name;
            m.finishToSdb();
        } else {
            shown.answers = {true};
            ASSERT_TRUE(m.deleteSdb(shown.fn())) << c.name;
        }
        EXPECT_TRUE(m.changedData());
        ApplyTextData(doc, m.result());
        EXPECT_EQ(doc.m_bTextPresent, c.presentAfter ? 1 : 0) << c.name;
        EXPECT_EQ(doc.m_nBlockCount, c.countAfter) << c.name;
        EXPECT_TRUE(doc.IsModified()) << c.name;
        if (c.presentAfter) {
            EXPECT_EQ(std::string(doc.m_CurTextName.achName.data(), 8), "NEU     ");
            EXPECT_EQ(doc.m_pTexts->text(12), Utf8ToCp1252("zwölf"));
            EXPECT_EQ(doc.m_TextHead.wLastIndex, 12);
            EXPECT_EQ(doc.m_TextHead.wFirstIndex, c.present ? 7 : 12);
            EXPECT_EQ(doc.m_pTexts->count, doc.m_TextHead.wLastIndex - doc.m_TextHead.wFirstIndex + 1);
            // the image a store builds reads back as the same texts
            auto again = TextDataOf(doc);
            Shown reread;
            MessagesModel back(sdbSetup(again.get(), LimitsOf(doc)), reread.fn());
            EXPECT_EQ(back.list(), m.list());
            EXPECT_EQ(back.name(), "NEU");
        } else {
            EXPECT_EQ(doc.m_pTexts->count, 0);
        }
    }
}

TEST(MessagesModel, DeleteSdbAsksAndIsOnlyOfferedForTheSdbOffline) {
    auto data = sdbWith({{1, "eins"}});
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    shown.answers = {false};
    EXPECT_FALSE(m.deleteSdb(shown.fn()));
    EXPECT_EQ(shown.ids(), (std::vector<int>{kMsgDeleteSdb}));
    EXPECT_TRUE(m.result().present);
    EXPECT_FALSE(m.changedData());

    MessagesModel::Setup online = sdbSetup(data.get());
    online.readOnly = true;
    MessagesModel ro(online, shown.fn());
    EXPECT_FALSE(ro.deleteSdbEnabled());
    EXPECT_FALSE(ro.okEnabled());
    shown.answers = {true};
    EXPECT_FALSE(ro.deleteSdb(shown.fn()));
    EXPECT_FALSE(ro.checkOk(shown.fn()).accepted);

    MessagesModel file(fileSetup("T", "1.0\r\n"), shown.fn());
    EXPECT_FALSE(file.deleteSdbEnabled());
    EXPECT_TRUE(file.okEnabled());
}

TEST(MessagesModel, FileModeShowsTheParseMessagesInLineOrder) {
    Shown shown;
    shown.answers = {true};
    MessagesModel m(fileSetup("meld.1", "2.5\r\n 12 :Text\r\n12a:x\r\n5000:y\r\n12:neu\r\n7:\r\n"), shown.fn());
    EXPECT_EQ(shown.messages, (std::vector<TextMessage>{{kMsgBadNumber, {"5000"}}, {kMsgDuplicateNumber, {"12"}}}));
    EXPECT_EQ(m.name(), "MELD");
    EXPECT_EQ(m.version(), "2.5");
    ASSERT_EQ(m.list().count(), 1u);
    EXPECT_EQ(m.text(), "neu");
    EXPECT_FALSE(m.edited());

    Shown empty;
    MessagesModel none(fileSetup("", ""), empty.fn());
    EXPECT_EQ(empty.ids(), (std::vector<int>{kMsgBadVersionLine}));
    EXPECT_EQ(none.name(), "Drucker");
    EXPECT_EQ(none.version(), "0.1");
    EXPECT_TRUE(none.list().empty());
}

TEST(MessagesModel, SavingToAFile) {
    support::ScratchDir dir("messages");
    const std::string path = (dir / "MELD.ptp").string();
    auto data = sdbWith({{3, "drei"}, {1, Utf8ToCp1252("Größe")}});
    Shown shown;
    MessagesModel m(sdbSetup(data.get()), shown.fn());
    ASSERT_TRUE(m.checkOk(shown.fn()).accepted);
    ASSERT_TRUE(m.finishToFile(path, shown.fn()));
    EXPECT_FALSE(m.changedData());  // the document keeps its block as it was
    EXPECT_EQ(ReadTextFile(path), "3.7\r\n1:Gr\xf6\xdf" "e\r\n3:drei\r\n");
    // a file that cannot be written keeps the dialog open and says why
    const std::string missing = (dir / "no" / "x.ptp").string();
    EXPECT_FALSE(m.finishToFile(missing, shown.fn()));
    ASSERT_EQ(shown.ids(), (std::vector<int>{kMsgFileNotWritten}));
    EXPECT_NE(shown.messages[0].inserts.at(0).find(missing), std::string::npos);
}

}  // namespace
}  // namespace printer
