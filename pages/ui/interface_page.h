#pragma once
// The page "Schnittstelle" of a module with an RS 422/485 interface (and of every CP 830
// sheet): the operating mode of the line in the group "Betriebsart", either as radios or,
// where the line only runs full duplex, as a static text; and the idle preset of the receive
// line in the group "Vorbelegung der Empfangsleitung". Which radio is checked, which are
// enabled, and what a click changes elsewhere (BREAK monitoring on CP 730) is the model's
// word; the radios are bound one by one and the model keeps them exclusive.
//
// Object names: the mode radios "mode<code>" (the stored operating mode), the preset radios
// "byLinePreset<code>" (0 keine, 1 R(A) 5 V, 2 R(A) 0 V), the static text "modeText", the
// groups "modeGroup" and "presetGroup".
#include <QString>

#include <utility>
#include <vector>

#include "pages/ui/model_page.h"

class QGroupBox;
class QLabel;
class QRadioButton;

class CInterfacePage : public CModelPage {
    Q_OBJECT
public:
    struct Mode {
        int code;           // the stored operating mode
        const char* label;  // the radio's text, with its accelerator mark
    };

    QLabel* modeText() const { return m_modeText; }
    QRadioButton* modeRadio(int code) const;
    QRadioButton* presetRadio(int code) const;

protected:
    // `fullDuplexText`: the static text of a line that only runs full duplex. `modeField`
    // and `modes`: the record field of the operating mode and its radios in page order; the
    // static text stands in their place when the sheet keeps no operating mode on this page
    // (nullptr, or the name belongs to another page, as byConnectTries does on the 3964(R)
    // and RK 512 sheets). `withNone`: the page offers the preset "keine".
    CInterfacePage(rules::SheetModel& model, int index, QWidget* parent, const QString& fullDuplexText,
                   const char* modeField, const std::vector<Mode>& modes, bool withNone);

private:
    QLabel* m_modeText = nullptr;
    std::vector<std::pair<int, QRadioButton*>> m_modes, m_presets;
};
