#include "pages/ui/receive_ascii_pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "pages/ui/flow_control_page.h"
#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::Field;
using rules::Toggle;

namespace {

// "Gepufferte Empfangstelegramme" with its spin button in a grid row. The number reaches the
// model as it is typed or stepped, since the clearing checkbox follows it at once.
// Returns its label.
QLabel* numberRow(CModelPage* page, QGridLayout* grid, int row, CIsoEditbox* number, CSpinButton* spin) {
    pagelayout::fitDigits(number, 3);
    takeWhileTyping(page, number, "byBufferedTelegrams");
    auto* label = pagelayout::label("&Gepufferte Empfangstelegramme:", number, "byBufferedTelegrams");
    auto* field = new QHBoxLayout;
    field->setSpacing(0);
    field->addWidget(number);
    field->addWidget(spin);
    field->addStretch(1);
    grid->addWidget(label, row, 0);
    grid->addLayout(field, row, 1);
    return label;
}


}  // namespace

CPASC_P3::CPASC_P3(rules::SheetModel& model, int index, QWidget* parent) : CModelPage(model, index, parent) {
    auto* group = pagelayout::group("Empfangspuffer auf CP", "bufferGroup", this);
    auto* grid = pagelayout::grid(group);
    auto* noOverwrite = bindCheck(new QCheckBox(QString::fromUtf8("Ü&berschreiben verhindern"), group), "byNoOverwrite");
    grid->addWidget(noOverwrite, 0, 0, 1, 4);
    CIsoEditbox* number = bindEdit("byBufferedTelegrams", Field::BufferedTelegrams);
    CSpinButton* spin = bindSpin(number, "byBufferedTelegrams");
    follow(numberRow(this, grid, 1, number, spin), "byBufferedTelegrams", false);
    auto* clear = bindCheck(new QCheckBox(QString::fromUtf8("&CP-Empfangspuffer im Anlauf löschen"), group),
                            "byClearRecvBuf");
    grid->addWidget(clear, 2, 0, 1, 4);

    auto* page = new QVBoxLayout(this);
    page->addWidget(group);
    page->addStretch(1);

    setTabOrder(noOverwrite, number);
    setTabOrder(number, clear);
}

C830_ASCII_P3::C830_ASCII_P3(rules::SheetModel& model, int index, QWidget* parent)
    : C830_3964_P3(model, index, parent) {}

CKASC_P3::CKASC_P3(rules::SheetModel& model, int index, QWidget* parent) : CKReceivePage(model, index, parent) {
    auto* page = new QVBoxLayout(this);

    auto* buffer = new QGridLayout;
    buffer->setColumnStretch(3, 1);
    auto* clear = bindCheck(new QCheckBox(QString::fromUtf8("CP-&Empfangspuffer im Anlauf löschen"), this),
                            "byClearRecvBuf");
    buffer->addWidget(clear, 0, 0, 1, 4);
    auto* noOverwrite = bindCheck(new QCheckBox(QString::fromUtf8("Über&schreiben verhindern"), this), "byNoOverwrite");
    buffer->addWidget(noOverwrite, 1, 0, 1, 4);
    CIsoEditbox* number = bindEdit("byBufferedTelegrams", Field::BufferedTelegrams);
    follow(numberRow(this, buffer, 2, number, bindSpin(number, "byBufferedTelegrams")), "byBufferedTelegrams", false);
    page->addLayout(buffer);
    page->addSpacing(fontMetrics().height() / 2);  // the buffer apart from the groups below

    QCheckBox* errorCheck = addErrorGroup(page);
    // The receive box in the CPU: present on a CP 831 only.
    const auto [use, db] = addCpuBoxGroup(page);
    page->addStretch(1);

    setTabOrder(clear, noOverwrite);
    setTabOrder(noOverwrite, number);
    setTabOrder(number, errorCheck);
    setTabOrder(errorCheck, use);
    setTabOrder(use, db);
}
