#include "printer/ui/control_characters_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <set>

#include "document/ptp_doc.h"
#include "printer/dialog_copy.h"
#include "printer/ui/dialog_support.h"
#include "printer/ui/grid_table.h"

namespace {
using Model = printer::ControlCharacterModel;
constexpr int kVisibleRows = Model::kBuiltInRows;
}  // namespace

CControlCharactersDialog::CControlCharactersDialog(printer::ControlCharacterModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName("CControlCharactersDialog");
    setWindowTitle("Steuerzeichen");

    m_emulations = new QComboBox(this);
    m_emulations->setObjectName("byEmulation");
    m_emulations->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* emulationLabel = new QLabel("&Druckeremulation:", this);
    emulationLabel->setObjectName("byEmulationLabel");
    emulationLabel->setBuddy(m_emulations);
    fillEmulations();

    m_grid = new CGridTable(this);
    m_grid->setObjectName("abyCtrlTable");
    m_grid->setFont(printerui::tableFont(font()));
    m_grid->setColumnCount(3);
    m_grid->setHorizontalHeaderLabels({"ASCII", "Einschaltsequenz", "Ausschaltsequenz"});
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->verticalHeader()->minimumSectionSize() +
                                                    m_grid->fontMetrics().height() / 2);
    if (m_model.readOnly()) m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // Column widths from the font: the letter column as wide as its header or a mnemonic, the
    // sequences as wide as ten bytes, and room for the scroll bar that more than five rows need.
    const QFontMetrics fm(m_grid->font());
    const QFontMetrics headerFm(m_grid->horizontalHeader()->font());
    const int pad = 2 * fm.horizontalAdvance(QLatin1Char('0'));
    m_scrollBarWidth = m_grid->verticalScrollBar()->sizeHint().width();
    m_grid->setColumnWidth(Model::kLetter,
                           std::max(headerFm.horizontalAdvance("ASCII"), fm.horizontalAdvance("NUL")) + 2 * pad);
    m_sequenceWidth = std::max(fm.horizontalAdvance(QString::fromLatin1(printer::SequenceText(std::vector<uint8_t>(10, 0)))),
                               headerFm.horizontalAdvance("Einschaltsequenz")) +
                      2 * pad + m_scrollBarWidth / 2 + 1;
    m_grid->setColumnWidth(Model::kOn, m_sequenceWidth);
    m_grid->setColumnWidth(Model::kOff, m_sequenceWidth);
    int headerWidth = 0;
    for (int row = 0; row < Model::kBuiltInRows; ++row)
        headerWidth = std::max(headerWidth, headerFm.horizontalAdvance(QString::fromStdString(Model::rowHeader(row))));
    m_grid->verticalHeader()->setFixedWidth(headerWidth + 2 * pad);

    m_grid->setCommit([this](int row, int column, const QString& entry) -> std::optional<QString> {
        const printer::CellEdit e = m_model.edit(row, column, entry.toStdString(), printerui::asker());
        if (!e.taken) return std::nullopt;
        fillEmulations();
        printerui::showVerdict(e.notice);
        return QString::fromStdString(e.text);
    });

    QWidget* captions = m_grid->captionRow({{"Steueranweisung", {-1, Model::kLetter}, "instructionCaption"},
                                            {"Kommando für Drucker", {Model::kOn, Model::kOff}, "commandCaption"}});
    m_sequenceWidth = m_grid->columnWidth(Model::kOn);
    m_grid->setFixedWidth(m_grid->contentWidth(false));
    m_grid->setFixedHeight(m_grid->heightForRows(kVisibleRows));

    m_new = new QPushButton("&Neue Anweisung", this);
    m_new->setObjectName("newInstruction");
    m_delete = new QPushButton("&Löschen", this);
    m_delete->setObjectName("deleteInstructions");
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Abbrechen", this);
    m_cancel->setObjectName("cancel");
    m_new->setAutoDefault(false);
    m_delete->setAutoDefault(false);
    m_new->setEnabled(!m_model.readOnly());
    m_delete->setEnabled(!m_model.readOnly());
    m_ok->setEnabled(!m_model.readOnly());
    QSizePolicy keep = m_delete->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_delete->setSizePolicy(keep);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(emulationLabel);
    top->addWidget(m_emulations);
    top->addStretch(1);
    layout->addLayout(top);
    layout->addWidget(captions);
    layout->addWidget(m_grid, 0, Qt::AlignLeft);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(m_new);
    rowButtons->addWidget(m_delete);
    rowButtons->addStretch(1);
    layout->addLayout(rowButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab from the grid goes to "&Löschen" (when shown), Shift+Tab to the emulation list.
    setTabOrder(m_emulations, m_grid);
    setTabOrder(m_grid, m_delete);
    setTabOrder(m_delete, m_new);
    setTabOrder(m_new, m_ok);
    setTabOrder(m_ok, m_cancel);
    connect(m_grid, &CGridTable::tabOut, this, [this](bool forward) {
        if (!forward) return m_emulations->setFocus(Qt::BacktabFocusReason);
        for (QWidget* w : {static_cast<QWidget*>(m_delete), static_cast<QWidget*>(m_new), static_cast<QWidget*>(m_ok),
                           static_cast<QWidget*>(m_cancel)})
            if (w->isVisible() && w->isEnabled()) return w->setFocus(Qt::TabFocusReason);
    });
    connect(m_emulations, &QComboBox::currentIndexChanged, this, &CControlCharactersDialog::onEmulationChosen);
    connect(m_new, &QPushButton::clicked, this, &CControlCharactersDialog::onNewInstruction);
    connect(m_delete, &QPushButton::clicked, this, &CControlCharactersDialog::onDelete);
    connect(m_ok, &QPushButton::clicked, this, &CControlCharactersDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CControlCharactersDialog::reject);

    fillGrid();
    m_grid->setCurrentCell(0, Model::kLetter);
    m_grid->setFocus();
}

void CControlCharactersDialog::fillEmulations() {
    const QSignalBlocker block(m_emulations);
    m_emulations->clear();
    for (const auto& e : m_model.entries()) m_emulations->addItem(QString::fromStdString(e.text), e.data);
    m_emulations->setCurrentIndex(m_model.selected());
    if (m_delete) m_delete->setVisible(m_model.deleteOffered());
}

void CControlCharactersDialog::fillGrid() {
    const int rows = m_model.rowCount();
    m_grid->setRowCount(rows);
    QStringList headers;
    for (int row = 0; row < rows; ++row) {
        headers << QString::fromStdString(Model::rowHeader(row));
        for (int col = Model::kLetter; col <= Model::kOff; ++col) {
            auto* item = CGridTable::editableItem(QString::fromStdString(m_model.cellText(row, col)));
            if (col == Model::kLetter) item->setTextAlignment(Qt::AlignCenter);
            m_grid->setItem(row, col, item);
        }
    }
    m_grid->setVerticalHeaderLabels(headers);
    // More rows than the grid shows: the scroll bar takes its room from the sequence columns.
    const bool scroll = rows > kVisibleRows;
    m_grid->setVerticalScrollBarPolicy(scroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int sequence = scroll ? m_sequenceWidth - (m_scrollBarWidth + 1) / 2 : m_sequenceWidth;
    m_grid->setColumnWidth(Model::kOn, sequence);
    m_grid->setColumnWidth(Model::kOff, sequence);
    m_delete->setVisible(m_model.deleteOffered());
}

void CControlCharactersDialog::onEmulationChosen(int index) {
    m_model.select(index);
    fillEmulations();
    fillGrid();
    m_grid->setCurrentCell(0, Model::kLetter);
}

void CControlCharactersDialog::onNewInstruction() {
    if (m_model.readOnly()) return;
    if (!m_grid->finishEditing()) return;
    const Model::Added added = m_model.addInstruction(printerui::asker());
    fillEmulations();
    fillGrid();
    printerui::showVerdict(added.notice);
    if (!added.row) return;
    m_grid->scrollToItem(m_grid->item(*added.row, Model::kLetter));
    m_grid->setCurrentCell(*added.row, Model::kLetter);
    m_grid->setFocus();
}

void CControlCharactersDialog::onDelete() {
    if (m_model.readOnly() || m_grid->isEditing()) return QApplication::beep();
    // Only whole rows, chosen through their row headers.
    std::set<int> rows;
    const QItemSelectionModel* selection = m_grid->selectionModel();
    for (const QModelIndex& index : selection->selectedIndexes()) {
        if (!selection->isRowSelected(index.row(), QModelIndex())) return QApplication::beep();
        rows.insert(index.row());
    }
    if (!m_model.deleteRows(std::vector<int>(rows.begin(), rows.end()))) return QApplication::beep();
    fillGrid();
    const int at = std::min(*rows.begin(), m_model.rowCount() - 1);
    m_grid->clearSelection();
    m_grid->selectRow(at);
    m_grid->setFocus();
}

void CControlCharactersDialog::accept() {
    if (m_model.readOnly()) return;
    if (m_grid->isEditing()) {
        printerui::showVerdict(Model::stillEditing());
        m_grid->cellEditor()->setFocus();
        return;
    }
    const Model::Ok ok = m_model.ok(printerui::asker());
    if (!ok.close) {
        printerui::showVerdict(ok.refusal);
        if (ok.focusRow >= 0) {
            m_grid->setCurrentCell(ok.focusRow, Model::kLetter);
            m_grid->setFocus();
        }
        return;
    }
    QDialog::accept();
}

bool EditControlCharacters(CPtpDoc& doc, QWidget* parent) {
    printer::DialogCopy copy = printer::CopyForDialog(doc);
    Model model(copy.record, copy.readOnly);
    CControlCharactersDialog dialog(model, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    model.writeBack(copy.record, copy.lengths[4]);
    return printer::TakeDialogCopy(doc, printer::PrinterDialog::ControlCharacters, copy);
}
