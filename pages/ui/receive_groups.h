#pragma once
// What the "Datenempfang" pages of the CP 731/831 share, whatever the protocol: the group
// for receive errors at the function block and, on a CP 831, the receive box in the CPU.
#include <utility>

#include "pages/ui/model_page.h"

class QBoxLayout;
class QCheckBox;
class QGroupBox;

class CKReceivePage : public CModelPage {
    Q_OBJECT
public:
    void refresh() override;

protected:
    using CModelPage::CModelPage;
    // "erweiterte Fehleranzeige am Empfangs FB"; returns its checkbox.
    QCheckBox* addErrorGroup(QBoxLayout* page);
    // "Empfangsfach auf CPU" with its checkbox, DB number and explanation; returns the
    // checkbox and the DB field (the first and last control in the tab order).
    std::pair<QWidget*, QWidget*> addCpuBoxGroup(QBoxLayout* page);

private:
    QGroupBox* m_cpuGroup = nullptr;
};
