#pragma once
// CGridTable: the table of the character set and control characters dialogs. A cell's entry
// is handed to the dialog's model when its editing ends (Enter, Tab, leaving the cell); a
// refused entry stays in the cell's editor with a beep, a taken one is shown as the model
// gives it back. Tab and Shift+Tab leave the table for the dialog's next or previous control.
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
#include <QLineEdit>

class CGridTable : public QTableWidget {
    Q_OBJECT
public:
    // The model's word on an entry: nullopt refuses it, else the text the cell shows.
    using Commit = std::function<std::optional<QString>(int row, int column, const QString& entry)>;

    explicit CGridTable(QWidget* parent = nullptr);
    void setCommit(Commit commit) { m_commit = std::move(commit); }

    // A cell's editor is open (its entry not yet taken).
    bool isEditing() const;
    QLineEdit* cellEditor() const;
    // Ends the open cell's editing as Enter does; false when the entry is refused (the editor
    // stays open). True when no cell is being edited.
    bool finishEditing();

    // An item that only shows: not editable, in the grey of the fixed columns.
    static QTableWidgetItem* fixedItem(const QString& text);
    static QTableWidgetItem* editableItem(const QString& text);

    // The width the table needs to show its columns, row headers and a vertical scroll bar
    // when `withScrollBar`, without a horizontal one.
    int contentWidth(bool withScrollBar) const;
    // The width of the row header column (fixed, or as its numbers need).
    int rowHeaderWidth() const;
    // The height that shows `rows` rows below the column headers.
    int heightForRows(int rows) const;

    // Captions over runs of columns (column -1 is the row header column), placed as the
    // columns are: one label per run, each at least as wide as its text. The columns of a run
    // are widened first when the caption needs more room.
    struct Caption {
        QString text;
        std::vector<int> columns;
        const char* objectName;
    };
    QWidget* captionRow(const std::vector<Caption>& captions);

signals:
    // Tab (forward) or Shift+Tab ended the editing or was pressed in the table.
    void tabOut(bool forward);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class CGridDelegate;
    bool tryCommit(QLineEdit* editor, const QModelIndex& index);

    Commit m_commit;
    bool m_busy = false;  // a commit is asking its question
};

// The cell editor's events: commits through the table's Commit.
class CGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CGridDelegate(CGridTable* table);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    QLineEdit* editor() const { return m_editor; }
    QModelIndex editedIndex() const { return m_index; }
    // Takes the open editor's entry and closes it; false when refused.
    bool finish(QAbstractItemDelegate::EndEditHint hint);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    CGridTable* m_table;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
    mutable bool m_taken = false;  // the editor's text is the model's answer
};
