#pragma once
// "Eigenschaften": how the module is identified and where it sits, read-only, with OK and
// "Hilfe".
#include <QDialog>
#include <functional>

#include "view/module_properties.h"

class QPushButton;

class CModulePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // `openHelp` opens a topic of the module's help file.
    CModulePropertiesDialog(const ModuleProperties& properties, std::function<void(int)> openHelp,
                            QWidget* parent = nullptr);
    QPushButton* okButton() const { return m_pOk; }
    QPushButton* helpButton() const { return m_pHelp; }

private:
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pHelp = nullptr;
};
