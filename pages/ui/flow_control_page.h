#pragma once
// The pieces the "Übertragung" pages of ASCII and the "Drucker" pages share: the radio group
// of the data flow control, the XON and XOFF characters with their "[ASCII]" fields, and the
// times in ms. Which radios a module offers, which fields the flow control enables and how a
// character is shown is the sheet model's word.
#include <QString>

#include <string>
#include <utility>
#include <vector>

#include "pages/ui/model_page.h"

class CIsoEditbox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QRadioButton;

// Hands a field's text to the model at every change, for fields that other controls follow
// at once (a character and its "[ASCII]" field, the number of buffered telegrams and the
// clearing checkbox). A text the model does not take yet is left to the check when the page
// is left or OK is pressed, which names the reason.
void takeWhileTyping(CModelPage* page, QLineEdit* edit, const char* name);

class CFlowControlPage : public CModelPage {
    Q_OBJECT
public:
    void refresh() override;

protected:
    CFlowControlPage(rules::SheetModel& model, int index, QWidget* parent);

    struct Radio {
        int code;            // byFlowCtrl's code (3: automatic handling of the V.24 signals)
        const char* label;
    };
    // The group "Datenflusskontrolle", one radio per code, named "byFlowCtrl<code>"; a radio
    // the module does not offer stays hidden.
    QGroupBox* flowGroup(const std::vector<Radio>& radios);
    // A character: label, hex edit and its "[ASCII]" field; `units` adds "[Hex]" and "[ASCII]".
    CIsoEditbox* charRow(QGridLayout* grid, int row, const char* label, const char* name, rules::Field field,
                         bool units);
    // A time in ms: label, edit, "ms".
    CIsoEditbox* timeRow(QGridLayout* grid, int row, const char* label, const char* name, rules::Field field);

    // The controls in the order the page lists them; the page sets the tab order from it.
    std::vector<QWidget*> m_tabOrder;

private:
    std::vector<std::pair<QRadioButton*, int>> m_flowRadios;
    std::vector<std::pair<QLineEdit*, std::string>> m_asciiFields;
};
