#include "printer/ui/grid_table.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace {
const QColor kFixedColour(0xC0, 0xC0, 0xC0);
}

CGridTable::CGridTable(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new CGridDelegate(this));
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
}

QTableWidgetItem* CGridTable::fixedItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setBackground(kFixedColour);
    return item;
}

QTableWidgetItem* CGridTable::editableItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

bool CGridTable::isEditing() const { return cellEditor() != nullptr; }

QLineEdit* CGridTable::cellEditor() const { return static_cast<CGridDelegate*>(itemDelegate())->editor(); }

bool CGridTable::finishEditing() {
    auto* d = static_cast<CGridDelegate*>(itemDelegate());
    return !d->editor() || d->finish(QAbstractItemDelegate::NoHint);
}

bool CGridTable::tryCommit(QLineEdit* editor, const QModelIndex& index) {
    if (!m_commit || !index.isValid()) return true;
    m_busy = true;
    const std::optional<QString> shown = m_commit(index.row(), index.column(), editor->text());
    m_busy = false;
    if (!shown) return false;
    editor->setText(*shown);
    return true;
}

int CGridTable::contentWidth(bool withScrollBar) const {
    int w = 2 * frameWidth() + rowHeaderWidth();
    for (int c = 0; c < columnCount(); ++c) w += columnWidth(c);
    if (withScrollBar) w += verticalScrollBar()->sizeHint().width();
    return w;
}

int CGridTable::rowHeaderWidth() const {
    return std::max(verticalHeader()->minimumWidth(), verticalHeader()->sizeHint().width());
}

int CGridTable::heightForRows(int rows) const {
    return 2 * frameWidth() + horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize();
}

QWidget* CGridTable::captionRow(const std::vector<Caption>& captions) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const int headerWidth = rowHeaderWidth();
    auto widthOf = [&](int col) { return col < 0 ? headerWidth : columnWidth(col); };
    layout->addSpacing(frameWidth());
    int next = -1;  // the first column not placed yet (-1: the row header column)
    for (const Caption& c : captions) {
        if (c.columns.empty()) continue;
        for (int col = next; col < c.columns.front(); ++col) layout->addSpacing(widthOf(col));
        auto* label = new QLabel(c.text, row);
        label->setObjectName(c.objectName);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        // Room on both sides, so that neighbouring captions do not read as one.
        const int need = label->sizeHint().width() + 2 * label->fontMetrics().averageCharWidth();
        int span = 0;
        for (int col : c.columns) span += widthOf(col);
        if (span < need && c.columns.back() >= 0) {
            setColumnWidth(c.columns.back(), columnWidth(c.columns.back()) + need - span);
            span = need;
        }
        // As wide as its columns, never narrower than its text.
        label->setMinimumWidth(std::max(span, need));
        label->setMaximumWidth(std::max(span, need));
        layout->addWidget(label);
        next = c.columns.back() + 1;
    }
    layout->addStretch(1);
    return row;
}

void CGridTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        emit tabOut(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void CGridTable::mousePressEvent(QMouseEvent* event) {
    // A refused entry keeps its cell: the click only brings the editor back.
    if (QLineEdit* e = cellEditor()) {
        QApplication::beep();
        e->setFocus();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

bool CGridTable::focusNextPrevChild(bool next) {
    emit tabOut(next);
    return true;
}

// ---- the cell editor ---------------------------------------------------------------

CGridDelegate::CGridDelegate(CGridTable* table) : QStyledItemDelegate(table), m_table(table) {}

QWidget* CGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    auto* e = new QLineEdit(parent);
    e->setFrame(false);
    e->setObjectName("cellEditor");
    m_editor = e;
    m_index = index;
    m_taken = false;
    return e;
}

void CGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* e = qobject_cast<QLineEdit*>(editor);
    if (!e) return;
    // A commit that did not pass through finish() (the view changing its current cell) is
    // judged here; a refusal leaves the cell as it was.
    if (!m_taken && !m_table->tryCommit(e, index)) {
        QApplication::beep();
        return;
    }
    model->setData(index, e->text(), Qt::EditRole);
}

void CGridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == m_editor) {
        m_editor = nullptr;
        m_index = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool CGridDelegate::finish(QAbstractItemDelegate::EndEditHint hint) {
    QLineEdit* e = m_editor;
    if (!e) return true;
    if (!m_table->tryCommit(e, m_index)) {
        QApplication::beep();
        return false;
    }
    m_taken = true;
    emit commitData(e);
    m_editor = nullptr;
    emit closeEditor(e, hint);
    return true;
}

bool CGridDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* e = qobject_cast<QLineEdit*>(object);
    if (!e || e != m_editor) return QStyledItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
            finish(QAbstractItemDelegate::NoHint);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            if (finish(QAbstractItemDelegate::NoHint)) emit m_table->tabOut(forward);
            return true;
        }
        default:
            break;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // The focus going to a message box or another window is no end of the entry.
        auto* focus = static_cast<QFocusEvent*>(event);
        if (m_table->m_busy || focus->reason() == Qt::ActiveWindowFocusReason ||
            focus->reason() == Qt::PopupFocusReason)
            return false;
        finish(QAbstractItemDelegate::NoHint);
        return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
