#include "printer/ui/page_layout_dialog.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/ptp_doc.h"
#include "printer/dialog_copy.h"
#include "printer/ui/dialog_support.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

namespace {

using Model = printer::PageLayoutModel;

QLabel* labelFor(const QString& text, QWidget* buddy, const QString& name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    l->setObjectName(name + "Label");
    return l;
}

// A number field of three digits with its spin control 0..255.
CIsoEditbox* numberField(const char* name, QWidget* parent, CSpinButton*& spin) {
    auto* edit = new CIsoEditbox(parent);
    edit->setObjectName(name);
    edit->SetPattern(Model::kNumberPattern);
    const QFontMetrics fm(edit->font());
    edit->setFixedWidth(fm.horizontalAdvance(QStringLiteral("0000")) + 16);
    spin = new CSpinButton(edit, parent);
    spin->setRange(0, Model::kSpinMax);
    return edit;
}

}  // namespace

CPageLayoutDialog::CPageLayoutDialog(printer::PageLayoutModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName("CPageLayoutDialog");
    setWindowTitle("Seitenlayout");

    CSpinButton* leftSpin = nullptr;
    CSpinButton* linesSpin = nullptr;
    m_leftMargin = numberField("byLeftMargin", this, leftSpin);
    m_linesPerPage = numberField("byLinesPerPage", this, linesSpin);
    m_lineEnd = new QComboBox(this);
    m_lineEnd->setObjectName("byLineEnd");
    for (const std::string& name : Model::lineEndNames()) m_lineEnd->addItem(QString::fromStdString(name));

    const char* lineNames[4] = {"achTextLine1", "achTextLine2", "achTextLine3", "achTextLine4"};
    for (int i = 0; i < 4; ++i) {
        auto* e = new QLineEdit(this);
        e->setObjectName(lineNames[i]);
        e->setMaxLength(Model::kTextChars);
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 50);
        e->installEventFilter(this);
        m_lines[i] = e;
    }
    m_leftMargin->installEventFilter(this);
    m_linesPerPage->installEventFilter(this);

    auto* form = new QGridLayout;
    int row = 0;
    auto numberRow = [&](const QString& text, CIsoEditbox* edit, CSpinButton* spin) {
        form->addWidget(labelFor(text, edit, edit->objectName(), this), row, 0, 1, 2);
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(edit);
        box->addWidget(spin);
        box->addStretch(1);
        form->addLayout(box, row++, 2);
    };
    numberRow("Linker &Rand (Anzahl Zeichen):", m_leftMargin, leftSpin);
    numberRow("&Zeilen pro Seite  (mit Kopf und Fuß):", m_linesPerPage, linesSpin);
    form->addWidget(labelFor("&Trennzeichen/ Zeilenabschluß:", m_lineEnd, "byLineEnd", this), row, 0, 1, 2);
    form->addWidget(m_lineEnd, row++, 2, Qt::AlignLeft);
    auto textRows = [&](const QString& text, QLineEdit* first, QLineEdit* second, const QString& name) {
        form->addWidget(labelFor(text, first, name, this), row, 0);
        auto* one = new QLabel("1.", this);
        one->setObjectName(first->objectName() + "Number");
        auto* two = new QLabel("2.", this);
        two->setObjectName(second->objectName() + "Number");
        form->addWidget(one, row, 1);
        form->addWidget(first, row++, 2);
        form->addWidget(two, row, 1);
        form->addWidget(second, row++, 2);
    };
    textRows("&Kopfzeilen:", m_lines[Model::kHeader1], m_lines[Model::kHeader2], "headerLines");
    textRows("&Fußzeilen:", m_lines[Model::kFooter1], m_lines[Model::kFooter2], "footerLines");
    form->setColumnStretch(2, 1);

    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_ok->setEnabled(!m_model.readOnly());
    m_cancel = new QPushButton("Abbrechen", this);
    m_cancel->setObjectName("cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_leftMargin, m_linesPerPage);
    setTabOrder(m_linesPerPage, m_lineEnd);
    setTabOrder(m_lineEnd, m_lines[0]);
    for (int i = 0; i < 3; ++i) setTabOrder(m_lines[i], m_lines[i + 1]);
    setTabOrder(m_lines[3], m_ok);
    setTabOrder(m_ok, m_cancel);
    connect(m_ok, &QPushButton::clicked, this, &CPageLayoutDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CPageLayoutDialog::reject);
    showModel();
    m_leftMargin->setFocus();
}

void CPageLayoutDialog::take() {
    m_model.leftMargin = m_leftMargin->text().toStdString();
    m_model.linesPerPage = m_linesPerPage->text().toStdString();
    m_model.lineEnd = m_lineEnd->currentIndex();
    for (int i = 0; i < 4; ++i) m_model.lines[i] = m_lines[i]->text().toStdString();
}

void CPageLayoutDialog::showModel() {
    m_leftMargin->setText(QString::fromStdString(m_model.leftMargin));
    m_linesPerPage->setText(QString::fromStdString(m_model.linesPerPage));
    m_lineEnd->setCurrentIndex(m_model.lineEnd);
    for (int i = 0; i < 4; ++i) m_lines[i]->setText(QString::fromStdString(m_model.lines[i]));
}

void CPageLayoutDialog::focusField(rules::Field field) {
    CIsoEditbox* edit = field == rules::Field::LeftMargin ? m_leftMargin : m_linesPerPage;
    edit->setFocus();
    edit->selectAll();
}

void CPageLayoutDialog::leaveNumber(CIsoEditbox* edit) {
    const bool left = edit == m_leftMargin;
    (left ? m_model.leftMargin : m_model.linesPerPage) = edit->text().toStdString();
    const rules::Verdict v = left ? m_model.leaveLeftMargin() : m_model.leaveLinesPerPage();
    edit->setText(QString::fromStdString(left ? m_model.leftMargin : m_model.linesPerPage));
    if (v.accepted) return;
    m_checking = true;
    printerui::showVerdict(v);
    m_checking = false;
    focusField(v.focus);
}

bool CPageLayoutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == m_leftMargin || watched == m_linesPerPage)) {
        // A message box or another window taking the focus is no leaving of the field.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (!m_checking && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            leaveNumber(static_cast<CIsoEditbox*>(watched));
    } else if (event->type() == QEvent::KeyPress) {
        for (QLineEdit* line : m_lines) {
            if (watched != line) continue;
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString typed = key->text();
            if (typed.isEmpty() || !typed.at(0).isPrint() || line->hasSelectedText()) break;
            const rules::Verdict v = Model::typing(static_cast<size_t>(line->text().size()));
            if (v.hasMessage()) {
                printerui::showVerdict(v);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CPageLayoutDialog::accept() {
    if (m_model.readOnly()) return;
    take();
    const rules::Verdict v = m_model.ok();
    showModel();
    if (!v.accepted) {
        m_checking = true;
        printerui::showVerdict(v);
        m_checking = false;
        focusField(v.focus);
        return;
    }
    QDialog::accept();
}

bool EditPageLayout(CPtpDoc& doc, QWidget* parent) {
    printer::DialogCopy copy = printer::CopyForDialog(doc);
    Model model(copy.record, copy.textLineLengths(), copy.readOnly);
    CPageLayoutDialog dialog(model, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    auto lengths = copy.textLineLengths();
    model.writeBack(copy.record, lengths);
    copy.setTextLineLengths(lengths);
    return printer::TakeDialogCopy(doc, printer::PrinterDialog::PageLayout, copy);
}
