#pragma once
// CIsoEditbox: a single-line edit field that checks every change of its text against a
// pattern while the user types. A change after which the text can no longer become a
// valid entry is taken back at once, with the text and selection exactly as before and
// a beep; a text that is still incomplete is allowed. Range checks belong to the pages.
//
// Checked: typed characters (also from an input method), cut, paste, the "delete
// selection" command and dropped text. Not checked: backspace and the Delete key, so a
// field can always be emptied; copy, undo and cursor movement.
#include <QLineEdit>
#include <QString>

#include <memory>

#include "widgets/pattern.h"

class CIsoEditbox : public QLineEdit {
    Q_OBJECT
public:
    explicit CIsoEditbox(QWidget* parent = nullptr);
    ~CIsoEditbox() override;

    // Replaces the pattern. Success means a compiled pattern exists; on failure the
    // field works without one. An empty text removes the pattern.
    bool SetPattern(const QString& pattern);
    QString pattern() const;

    // How the field's current text stands against its pattern.
    ptp::MatchResult matchText(const QString& text) const;

    // The user's clipboard and selection commands, checked like typing. They hide the
    // unchecked ones of QLineEdit for callers that hold a CIsoEditbox.
    void cut();
    void paste();
    void deleteSelection();

signals:
    // A change was taken back (after the beep).
    void changeRejected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Snapshot {
        QString text;
        int cursor = 0;
        int selStart = -1;
        int selEnd = -1;
        bool modified = false;
    };
    Snapshot snapshot() const;
    void restore(const Snapshot& s);
    template <class Change> bool checkedChange(Change&& change);

    std::unique_ptr<ptp::CompiledPattern> m_pattern;
};
