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
    : CKReceivePage(model, index, parent) {
    auto* page = new QVBoxLayout(this);
    // The module always clears its buffer at start-up with these protocols: shown, never changed.
    auto* clear = bindCheck(new QCheckBox(QString::fromUtf8(clearLabel), this), "byClearRecvBuf");
    page->addWidget(clear);

    QCheckBox* errorCheck = addErrorGroup(page);
    setTabOrder(clear, errorCheck);
    if (cpuBox) {
        const auto [use, db] = addCpuBoxGroup(page);
        setTabOrder(errorCheck, use);
        setTabOrder(use, db);
    }
    page->addStretch(1);
}

CKP39_P2::CKP39_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CKReceive3964Page(model, index, "CP-&Empfangspuffer im Anlauf löschen", true, parent) {}

CKRK_P2::CKRK_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CKReceive3964Page(model, index, "CP-Empfangs&puffer im Anlauf löschen", false, parent) {}
