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

// Keeps its place while hidden, so the page does not jump when the control comes back.
void keepPlace(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
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

CKASC_P3::CKASC_P3(rules::SheetModel& model, int index, QWidget* parent) : CModelPage(model, index, parent) {
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

    auto* errors = pagelayout::group("erweiterte Fehleranzeige am Empfangs FB", "errorGroup", this);
    auto* errorBox = new QVBoxLayout(errors);
    auto* errorCheck = bindCheck(new QCheckBox("Empfangs&fehler am FB anzeigen", errors), "byExtErrDisplay");
    errorBox->addWidget(errorCheck);
    page->addWidget(errors);

    // The receive box in the CPU: present on a CP 831 only.
    m_cpuGroup = pagelayout::group("Empfangsfach auf CPU", "cpuGroup", this);
    auto* grid = pagelayout::grid(m_cpuGroup);
    auto* use = bindToggle(new QCheckBox("&CPU-Empfangsfach verwenden", m_cpuGroup), Toggle::CpuBox);
    use->setObjectName("cpuBox");
    grid->addWidget(use, 0, 0, 1, 4);
    CIsoEditbox* db = bindEdit("wRecvDbNo", Field::RecvDbNo);
    pagelayout::fitDigits(db, 5);
    auto* dbLabel = pagelayout::label("DB-&Nummer:", db, "wRecvDbNo");
    follow(dbLabel, "wRecvDbNo", false);
    grid->addWidget(dbLabel, 1, 0);
    grid->addWidget(db, 1, 1);
    auto* note = new QLabel(QString::fromUtf8(
                                "Angegebener DB muß im Anwenderprogramm erstellt werden. DB-Länge muß um 2 Byte größer "
                                "als die maximale Länge der empfangenen Daten sein, da in den ersten zwei Bytes die "
                                "Länge der empfangenen Daten eingetragen wird."),
                            m_cpuGroup);
    note->setObjectName("cpuBoxNote");
    note->setWordWrap(true);
    followToggle(note, Toggle::CpuBox, false);
    grid->addWidget(note, 2, 0, 1, 4);
    for (QWidget* w : {static_cast<QWidget*>(dbLabel), static_cast<QWidget*>(db), static_cast<QWidget*>(note)})
        keepPlace(w);
    page->addWidget(m_cpuGroup);
    page->addStretch(1);

    setTabOrder(clear, noOverwrite);
    setTabOrder(noOverwrite, number);
    setTabOrder(number, errorCheck);
    setTabOrder(errorCheck, use);
    setTabOrder(use, db);
}

void CKASC_P3::refresh() {
    CModelPage::refresh();
    // A CP 731 has no receive box in the CPU: the group is not shown at all.
    m_cpuGroup->setVisible(model().toggle(Toggle::CpuBox).present);
}
