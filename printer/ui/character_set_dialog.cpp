#include "printer/ui/character_set_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "document/ptp_doc.h"
#include "printer/dialog_copy.h"
#include "printer/ui/dialog_support.h"
#include "printer/ui/grid_table.h"

namespace {
constexpr int kVisibleRows = 16;
enum Column { kCharacter = 0, kCode = 1, kPrinterCode = 2 };
}  // namespace

CCharacterSetDialog::CCharacterSetDialog(printer::CharacterSetModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName("CCharacterSetDialog");
    setWindowTitle("Zeichensatz");

    m_sets = new QComboBox(this);
    m_sets->setObjectName("byCharSet");
    m_sets->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fillSets();

    m_grid = new CGridTable(this);
    m_grid->setObjectName("abyCharTable");
    m_grid->setFont(printerui::tableFont(font()));
    m_grid->setColumnCount(3);
    m_grid->setRowCount(printer::CharacterSetModel::kRows);
    m_grid->setHorizontalHeaderLabels({"Zeichen", "Hex", "Hex"});
    for (int row = 0; row < printer::CharacterSetModel::kRows; ++row) {
        m_grid->setItem(row, kCharacter,
                        CGridTable::fixedItem(QString::fromStdString(printer::CharacterSetModel::characterText(row))));
        m_grid->setItem(row, kCode, CGridTable::fixedItem(QString::fromStdString(printer::CharacterSetModel::codeText(row))));
        m_grid->setItem(row, kPrinterCode, CGridTable::editableItem(QString()));
        m_grid->item(row, kPrinterCode)->setTextAlignment(Qt::AlignCenter);
        m_grid->item(row, kCode)->setTextAlignment(Qt::AlignCenter);
        m_grid->item(row, kCharacter)->setTextAlignment(Qt::AlignCenter);
    }
    fillPrinterCodes();
    m_grid->resizeColumnsToContents();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->verticalHeader()->minimumSectionSize() +
                                                    m_grid->fontMetrics().height() / 2);
    if (m_model.readOnly()) m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setCommit([this](int row, int column, const QString& entry) -> std::optional<QString> {
        if (column != kPrinterCode) return std::nullopt;
        const printer::CellEdit e = m_model.edit(row, entry.toStdString(), printerui::asker());
        if (!e.taken) return std::nullopt;
        fillSets();
        return QString::fromStdString(e.text);
    });

    QWidget* captions = m_grid->captionRow({{"ANSI-Zeichensatz", {kCharacter, kCode}, "ansiCaption"},
                                            {"Druckerzeichen", {kPrinterCode}, "printerCaption"}});
    m_grid->setFixedWidth(m_grid->contentWidth(true));
    m_grid->setMinimumHeight(m_grid->heightForRows(kVisibleRows));

    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_ok->setEnabled(!m_model.readOnly());
    m_cancel = new QPushButton("Abbrechen", this);
    m_cancel->setObjectName("cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_sets, 0, Qt::AlignLeft);
    layout->addWidget(captions);
    layout->addWidget(m_grid, 1, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_sets, m_grid);
    setTabOrder(m_grid, m_ok);
    setTabOrder(m_ok, m_cancel);
    connect(m_grid, &CGridTable::tabOut, this, [this](bool forward) { (forward ? m_ok : static_cast<QWidget*>(m_sets))->setFocus(Qt::TabFocusReason); });
    connect(m_sets, &QComboBox::currentIndexChanged, this, &CCharacterSetDialog::onSetChosen);
    connect(m_ok, &QPushButton::clicked, this, &CCharacterSetDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CCharacterSetDialog::reject);

    m_grid->setCurrentCell(0, kPrinterCode);
    m_grid->setFocus();
}

void CCharacterSetDialog::fillSets() {
    const QSignalBlocker block(m_sets);
    m_sets->clear();
    for (const auto& e : m_model.entries()) m_sets->addItem(QString::fromStdString(e.text), e.data);
    m_sets->setCurrentIndex(m_model.selected());
}

void CCharacterSetDialog::fillPrinterCodes() {
    for (int row = 0; row < printer::CharacterSetModel::kRows; ++row)
        m_grid->item(row, kPrinterCode)->setText(QString::fromStdString(m_model.printerText(row)));
}

void CCharacterSetDialog::onSetChosen(int index) {
    m_model.select(index);
    fillSets();
    fillPrinterCodes();
}

void CCharacterSetDialog::accept() {
    if (m_model.readOnly()) return;
    if (m_grid->isEditing()) {
        printerui::showVerdict(printer::CharacterSetModel::stillEditing());
        m_grid->cellEditor()->setFocus();
        return;
    }
    QDialog::accept();
}

bool EditCharacterSet(CPtpDoc& doc, QWidget* parent) {
    printer::DialogCopy copy = printer::CopyForDialog(doc);
    printer::CharacterSetModel model(copy.record, copy.language, copy.readOnly);
    CCharacterSetDialog dialog(model, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    model.writeBack(copy.record);
    return printer::TakeDialogCopy(doc, printer::PrinterDialog::CharacterSet, copy);
}
