#pragma once
// The messages dialog without its window: the message list, the edit fields, the size counter
// and every check of the dialog that edits the printer's message texts, kept either in the
// module's text data block (text SDB) or in a text file. The window shows this model; the
// command line runs the same steps. Messages go to a ShowMessage function as they arise, under
// the caption "Meldungen" (427).
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "document/records.h"
#include "printer/message_texts.h"
#include "printer/text_file.h"
#include "sdb/text_image.h"

class CPtpDoc;

namespace printer {

// Shows a message; for a question (548, 576, 577, 578) the answer: true for Yes.
using ShowMessage = std::function<bool(const TextMessage& message)>;
bool IsQuestion(int messageId);

// Where the texts are edited and where OK stores them: the answers of the choice dialog.
enum class Choice { Cancel = 0, Sdb = 1, File = 2 };
enum class TextSource { File = 0, Sdb = 1 };

// The text data of a document: the text block (its head holds the lowest and highest number),
// its name and version, and whether the document has one.
struct TextData {
    sdb::TextStore store;
    CDbtex name;
    bool present = false;
};
// A copy of the document's text data; with no text SDB, its defaults.
std::unique_ptr<TextData> TextDataOf(const CPtpDoc& doc);
// What OK of the dialog hands back: the text block, its name and head numbers and the present
// flag. When the present flag changes the document's section count follows it by one. The
// document is marked modified.
void ApplyTextData(CPtpDoc& doc, const TextData& data);
// The limits of the document's module (its model and order-number version digit).
MessageLimits LimitsOf(const CPtpDoc& doc);

// A file title (the name without extension) the file dialog may hand over: at most 8
// characters, else message 540.
std::optional<TextMessage> CheckFileTitle(std::string_view title);

// The letters of the style buttons F, S, B, K, U: the characters of the first five control
// instructions (bold, condensed, expanded, italic, underline) of the printer's control-character
// table. A blank for an instruction that is missing or has the character blank: its button is
// hidden.
constexpr int kStyleButtons = 5;
std::array<char, kStyleButtons> StyleLetters(const CDbdr& printer);

enum class MsgField { None, Name, Version, List, Number, Text };

// The outcome of a step: accepted, or refused with the field that gets the focus back.
struct MsgVerdict {
    bool accepted = true;
    MsgField focus = MsgField::None;
};

class MessagesModel {
public:
    struct Setup {
        TextSource source = TextSource::Sdb;
        MessageLimits limits;
        const TextData* data = nullptr;  // the document's text data (both modes)
        std::string fileTitle;           // file mode: the file's name without extension
        std::string fileContents;        // file mode: what was read (empty when it could not be read)
        std::array<char, kStyleButtons> styles{' ', ' ', ' ', ' ', ' '};
        bool readOnly = false;           // online: OK and "SDB löschen" are disabled
    };
    // Fills the list from the text SDB or parses the file, showing what that finds; then the
    // first entry is selected.
    MessagesModel(const Setup& setup, const ShowMessage& show);

    TextSource source() const { return source_; }
    const MessageLimits& limits() const { return limits_; }
    bool readOnly() const { return readOnly_; }
    bool okEnabled() const { return !readOnly_; }
    bool deleteSdbEnabled() const { return source_ == TextSource::Sdb && !readOnly_; }
    // The style button's letter; blank: the button is hidden.
    char styleLetter(int button) const;

    const MessageList& list() const { return list_; }
    // The counted size of the text block (the size counter).
    long size() const { return list_.size(); }
    int selected() const { return selected_; }
    bool edited() const { return edited_; }

    // The edit fields as they stand.
    const std::string& name() const { return name_; }
    const std::string& version() const { return version_; }
    const std::string& number() const { return number_; }
    const std::string& text() const { return text_; }

    // The list selection: the fields show the entry (-1 or out of range selects nothing).
    void select(int index);

    // Typing: the field's new text, unchecked. The view keeps it within the field's limit and
    // pattern; limitMessage says what a key press past the limit shows.
    void setField(MsgField field, std::string text);
    static TextMessage limitMessage(MsgField field);
    // A field got the focus: what it holds now is what leaving it compares with.
    void focusIn(MsgField field);
    // A field loses the focus: its check (number: 545 or 544 with the corrected value; name:
    // upper case, 540 above 8 characters; version: 535 while a name is entered). A refusal wants
    // the focus back.
    MsgVerdict focusOut(MsgField field, const ShowMessage& show);

    // A style button on the text field's selection (start and length in characters): the
    // markers "\x" and "\-x" around it, the caret between them for an empty selection. 533 when
    // the text has no room.
    struct StyleResult {
        MsgVerdict verdict;
        int caret = 0;  // the caret in the new text
    };
    StyleResult applyStyle(int button, int selStart, int selLength, const ShowMessage& show);

    // "&Eintragen": the number and text of the fields into the list.
    MsgVerdict enter(const ShowMessage& show);
    // "&Löschen": removes the selected entry and selects the one before it (or the first).
    MsgVerdict removeSelected();
    // "SDB löschen": question 576; true when the dialog closes with OK and the document loses
    // its text SDB.
    bool deleteSdb(const ShowMessage& show);

    // OK up to the choice of where to store: an unentered edit (578; Yes enters it and the
    // dialog stays), the name (534), the version (535), the size (539). Accepted: ask where to
    // store. The name and version go into the block name on acceptance.
    MsgVerdict checkOk(const ShowMessage& show);
    // "SDB": the text block built from the list; the dialog closes with OK.
    void finishToSdb();
    // "Datei": writes the list as a text file to `path`. Closes (true) when the file was
    // written, and also when writing failed after it was created; a file that cannot be created
    // keeps the dialog open without a message; a list too large for a file gives 538.
    bool finishToFile(const std::string& path, const ShowMessage& show);
    // The text data as the dialog hands it back after it closed with OK (the document's own for
    // a dialog that stored to a file).
    const TextData& result() const { return *data_; }
    // The dialog closed with OK and changed the text data.
    bool changedData() const { return changed_; }

private:
    void openFromSdb(const ShowMessage& show);
    void openFromFile(const std::string& title, const std::string& contents, const ShowMessage& show);
    std::optional<int> numberValue() const;

    TextSource source_;
    MessageLimits limits_;
    bool readOnly_;
    std::array<char, kStyleButtons> styles_;
    std::unique_ptr<TextData> data_;
    MessageList list_;
    std::string name_, version_, number_, text_;
    std::string numberAtFocus_, textAtFocus_;
    int selected_ = -1;
    bool edited_ = false;
    bool changed_ = false;
};

}  // namespace printer
