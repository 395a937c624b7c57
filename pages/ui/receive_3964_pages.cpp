#include "pages/ui/receive_3964_pages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::Field;
using rules::Toggle;

namespace {

// Keeps its place while hidden, so the page does not jump when the control comes back.
void keepPlace(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

}  // namespace

CPP39_P2::CPP39_P2(rules::SheetModel& model, int index, QWidget* parent) : CModelPage(model, index, parent) {
    auto* page = new QVBoxLayout(this);
    page->addWidget(bindCheck(new QCheckBox("&CP-Empfangspuffer im Anlauf löschen", this), "byClearRecvBuf"));
    page->addStretch(1);
}

C830_3964_P3::C830_3964_P3(rules::SheetModel& model, int index, QWidget* parent) : CModelPage(model, index, parent) {
    auto* page = new QVBoxLayout(this);
    auto* clear = bindCheck(new QCheckBox("CP-&Empfangspuffer im Anlauf löschen", this), "byClearRecvBuf");
    auto* noOverwrite = bindCheck(new QCheckBox("Über&schreiben verhindern", this), "byNoOverwrite");
    auto* whole = bindToggle(new QCheckBox("ges&amten Puffer ausnutzen", this), Toggle::WholeBuffer);
    whole->setObjectName("wholeBuffer");
    page->addWidget(clear);
    page->addWidget(noOverwrite);
    page->addWidget(whole);

    CIsoEditbox* number = bindEdit("byBufferedTelegrams", Field::BufferedTelegrams);
    pagelayout::fitDigits(number, 2);
    auto* label = pagelayout::label("&Gepufferte Empfangstelegramme:", number, "byBufferedTelegrams");
    follow(label, "byBufferedTelegrams", false);
    auto* field = new QHBoxLayout;
    field->setSpacing(0);
    field->addWidget(number);
    field->addWidget(bindSpin(number, "byBufferedTelegrams"));
    auto* row = new QGridLayout;
    row->setColumnStretch(2, 1);
    row->addWidget(label, 0, 0);
    row->addLayout(field, 0, 1);
    page->addLayout(row);
    page->addStretch(1);

    setTabOrder(clear, noOverwrite);
    setTabOrder(noOverwrite, whole);
    setTabOrder(whole, number);
}

CKReceive3964Page::CKReceive3964Page(rules::SheetModel& model, int index, const char* clearLabel, bool cpuBox,
                                     QWidget* parent)
    : CModelPage(model, index, parent) {
    auto* page = new QVBoxLayout(this);
    // The module always clears its buffer at start-up with these protocols: shown, never changed.
    auto* clear = bindCheck(new QCheckBox(QString::fromUtf8(clearLabel), this), "byClearRecvBuf");
    page->addWidget(clear);

    auto* errors = pagelayout::group("erweiterte Fehleranzeige am Empfangs FB", "errorGroup", this);
    auto* errorBox = new QVBoxLayout(errors);
    auto* errorCheck = bindCheck(new QCheckBox("Empfangs&fehler am FB anzeigen", errors), "byExtErrDisplay");
    errorBox->addWidget(errorCheck);
    page->addWidget(errors);
    QWidget* last = errorCheck;
    setTabOrder(clear, errorCheck);

    if (cpuBox) {
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

        auto* note = new QLabel(
            "Angegebener DB muß im Anwenderprogramm erstellt werden. DB-Länge muß um 2 Byte größer als die "
            "maximale Länge der empfangenen Daten sein, da in den ersten zwei Bytes die Länge der empfangenen "
            "Daten eingetragen wird.",
            m_cpuGroup);
        note->setObjectName("cpuBoxNote");
        note->setWordWrap(true);
        followToggle(note, Toggle::CpuBox, false);
        grid->addWidget(note, 2, 0, 1, 4);
        for (QWidget* w : {static_cast<QWidget*>(dbLabel), static_cast<QWidget*>(db), static_cast<QWidget*>(note)})
            keepPlace(w);
        page->addWidget(m_cpuGroup);

        setTabOrder(last, use);
        setTabOrder(use, db);
    }
    page->addStretch(1);
}

void CKReceive3964Page::refresh() {
    CModelPage::refresh();
    // A module without a receive box in the CPU does not show the group at all.
    if (m_cpuGroup) m_cpuGroup->setVisible(model().toggle(Toggle::CpuBox).present);
}

CKP39_P2::CKP39_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CKReceive3964Page(model, index, "CP-&Empfangspuffer im Anlauf löschen", true, parent) {}

CKRK_P2::CKRK_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CKReceive3964Page(model, index, "CP-Empfangs&puffer im Anlauf löschen", false, parent) {}
