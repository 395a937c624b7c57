#include "pages/ui/receive_groups.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"

using rules::Field;
using rules::Toggle;

QCheckBox* CKReceivePage::addErrorGroup(QBoxLayout* page) {
    auto* errors = pagelayout::group("erweiterte Fehleranzeige am Empfangs FB", "errorGroup", this);
    auto* errorBox = new QVBoxLayout(errors);
    auto* errorCheck = bindCheck(new QCheckBox("Empfangs&fehler am FB anzeigen", errors), "byExtErrDisplay");
    errorBox->addWidget(errorCheck);
    page->addWidget(errors);
    return errorCheck;
}

std::pair<QWidget*, QWidget*> CKReceivePage::addCpuBoxGroup(QBoxLayout* page) {
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
        pagelayout::keepPlace(w);
    page->addWidget(m_cpuGroup);
    return {use, db};
}

void CKReceivePage::refresh() {
    CModelPage::refresh();
    // A module without a receive box in the CPU does not show the group at all.
    if (m_cpuGroup) m_cpuGroup->setVisible(model().toggle(Toggle::CpuBox).present);
}
