#include "widgets/iso_editbox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>

CIsoEditbox::CIsoEditbox(QWidget* parent) : QLineEdit(parent) {}

CIsoEditbox::~CIsoEditbox() = default;

bool CIsoEditbox::SetPattern(const QString& pattern) {
    m_pattern.reset();
    if (pattern.isEmpty()) return false;
    m_pattern = ptp::CompiledPattern::compile(pattern.toStdString());
    return m_pattern != nullptr;
}

QString CIsoEditbox::pattern() const {
    return m_pattern ? QString::fromStdString(m_pattern->text()) : QString();
}

ptp::MatchResult CIsoEditbox::matchText(const QString& text) const {
    if (!m_pattern) return ptp::MatchResult::Valid;
    const QByteArray bytes = text.toUtf8();
    return m_pattern->match(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

CIsoEditbox::Snapshot CIsoEditbox::snapshot() const {
    Snapshot s;
    s.text = text();
    s.cursor = cursorPosition();
    if (hasSelectedText()) {
        s.selStart = selectionStart();
        s.selEnd = selectionEnd();
    }
    s.modified = isModified();
    return s;
}

void CIsoEditbox::restore(const Snapshot& s) {
    // setText also empties the field's undo history, which is what we want both after a
    // rejected change and after an accepted one: a later undo takes back only the next
    // accepted change, never a rejected one.
    setText(s.text);
    if (s.selStart >= 0) {
        if (s.cursor == s.selStart)
            setSelection(s.selEnd, s.selStart - s.selEnd);
        else
            setSelection(s.selStart, s.selEnd - s.selStart);
    } else {
        setCursorPosition(s.cursor);
    }
    setModified(s.modified);
}

// Applies `change` with the field's signals held back, then either takes it back or
// lets the listeners see it. Listeners (the pages' change rules) so never see a text
// that was rejected.
template <class Change>
bool CIsoEditbox::checkedChange(Change&& change) {
    const Snapshot before = snapshot();
    Snapshot after;
    {
        QSignalBlocker block(this);
        change();
        after = snapshot();
        if (after.text == before.text) {
            // nothing to check, but selection and cursor moves still go to listeners
        } else if (matchText(after.text) == ptp::MatchResult::Invalid) {
            restore(before);
        } else {
            restore(after);
        }
    }
    if (after.text != before.text && text() == before.text) {
        QApplication::beep();
        emit changeRejected();
        return false;
    }
    if (after.text != before.text) {
        emit textChanged(text());
        emit textEdited(text());
    }
    if (after.cursor != before.cursor) emit cursorPositionChanged(before.cursor, after.cursor);
    if (after.selStart != before.selStart || after.selEnd != before.selEnd) emit selectionChanged();
    return true;
}

void CIsoEditbox::cut() {
    checkedChange([this] { QLineEdit::cut(); });
}

void CIsoEditbox::paste() {
    checkedChange([this] { QLineEdit::paste(); });
}

void CIsoEditbox::deleteSelection() {
    checkedChange([this] { QLineEdit::del(); });
}

void CIsoEditbox::keyPressEvent(QKeyEvent* event) {
    const bool clipboardEdit = event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste);
    const int key = event->key();
    const bool deletion = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    const QString typed = event->text();
    const bool insertsText = !typed.isEmpty() && typed.at(0).isPrint();
    if (!m_pattern || isReadOnly() || (!clipboardEdit && (deletion || !insertsText))) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    checkedChange([this, event] { QLineEdit::keyPressEvent(event); });
}

void CIsoEditbox::inputMethodEvent(QInputMethodEvent* event) {
    if (!m_pattern || event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    checkedChange([this, event] { QLineEdit::inputMethodEvent(event); });
}

void CIsoEditbox::dropEvent(QDropEvent* event) {
    if (!m_pattern) {
        QLineEdit::dropEvent(event);
        return;
    }
    checkedChange([this, event] { QLineEdit::dropEvent(event); });
}

// The field builds its own menu with the usual commands: the standard menu sends its
// edit commands straight to QLineEdit, past the check.
void CIsoEditbox::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto entry = [&](const char* label, QKeySequence::StandardKey key, bool enabled, auto&& slot) {
        QString text = QLineEdit::tr(label);
        const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
        if (!keys.isEmpty()) text += QLatin1Char('\t') + keys;
        QAction* a = menu->addAction(text);
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, slot);
    };
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    const bool plain = echoMode() == QLineEdit::Normal;
    const QClipboard* clip = QGuiApplication::clipboard();
    entry("&Undo", QKeySequence::Undo, editable && isUndoAvailable(), [this] { undo(); });
    entry("&Redo", QKeySequence::Redo, editable && isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    entry("Cu&t", QKeySequence::Cut, editable && selected && plain, [this] { cut(); });
    entry("&Copy", QKeySequence::Copy, selected && plain, [this] { copy(); });
    entry("&Paste", QKeySequence::Paste, editable && clip && !clip->text().isEmpty(), [this] { paste(); });
    entry("Delete", QKeySequence::UnknownKey, editable && selected, [this] { deleteSelection(); });
    menu->addSeparator();
    entry("Select All", QKeySequence::SelectAll, !text().isEmpty() && selectedText() != text(),
          [this] { selectAll(); });
    menu->popup(event->globalPos());
    event->accept();
}
