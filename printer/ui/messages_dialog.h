#pragma once
// The messages dialog ("Meldungen"): the printer's message texts with their numbers, edited in
// the module's text SDB or in a text file. A view of printer::MessagesModel; the document
// changes only when the dialog ends with OK.
#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

#include "printer/messages_model.h"

class CPtpDoc;
class CIsoEditbox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// Runs the message-text flow of the overview's message button: the choice between text SDB
// and text file, the file dialog, the messages dialog (read-only when the document is online).
// True when OK changed the document (its text data copied back and marked modified).
bool EditMessageTexts(CPtpDoc& doc, QWidget* parent);

// What the flow asks besides the messages dialog. The defaults show the choice dialog and the
// file dialogs; tests put in their own answers.
struct MessageTextsPrompts {
    // The choice dialog in mode 0 (which texts to edit) or 1 (where to store them).
    std::function<printer::Choice(int mode, QWidget* parent)> choose;
    // A file dialog for opening (save false) or saving, proposing `name`; empty when cancelled.
    std::function<QString(bool save, const QString& name, QWidget* parent)> fileName;
    // "Hilfe" of the messages dialog; nothing when not set.
    std::function<void()> help;
};
MessageTextsPrompts DefaultMessageTextsPrompts();
// Replaces the prompts (an empty function keeps its default); returns the ones in use before.
MessageTextsPrompts SetMessageTextsPrompts(const MessageTextsPrompts& prompts);

class CMessagesDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the model (its opening messages are shown now).
    CMessagesDialog(const printer::MessagesModel::Setup& setup, QWidget* parent = nullptr);
    ~CMessagesDialog() override;

    const printer::MessagesModel& model() const { return *m_model; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void refresh();
    void refreshList();
    void takeSelection();
    void focusField(printer::MsgField field);
    printer::MsgField fieldOf(QObject* widget) const;
    QLineEdit* editOf(printer::MsgField field) const;
    void onStyle(int button);
    void onEnter();
    void onRemove();
    void onDeleteSdb();
    void onOk();

    std::unique_ptr<printer::MessagesModel> m_model;
    QLineEdit* m_name = nullptr;
    CIsoEditbox* m_version = nullptr;
    QTreeWidget* m_list = nullptr;
    CIsoEditbox* m_number = nullptr;
    QLineEdit* m_text = nullptr;
    std::array<QPushButton*, printer::kStyleButtons> m_style{};
    QPushButton* m_enter = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_deleteSdb = nullptr;
    QLabel* m_size = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
    bool m_refreshing = false;
    bool m_checking = false;
    // the text field's caret and selection as last seen (a style button works on them)
    int m_textSelStart = 0;
    int m_textSelLength = 0;
};
