#pragma once
// The page "ASCII" of the free ASCII protocol: how the end of a receive telegram is found
// (after the character delay time, after one or two end characters, after a fixed number of
// characters), how the sender ends its telegrams, and the character frame with the baud
// rate. The three page classes share this layout; each names its variant (labels and
// accelerators, the "UND"/"ODER" link of CP 830, the sender group, BREAK monitoring of
// CP 730). Which controls are shown and enabled, what a radio or checkbox stores and how an
// end character is shown is the sheet model's word.
//
// Object names: the record field a control binds (the second end-character checkboxes are
// byRecvEndCount and bySendEndCount), the criterion radios "endCriterion1".."3", the send-mode
// radios "sendMode1".."3" in page order, the send pause "sendPause", an end character's
// "[ASCII]" field "<field>Ascii", the groups "criterionGroup" and "senderGroup".
#include <QString>

#include <string>
#include <vector>

#include "pages/ui/model_page.h"

class CIsoEditbox;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;

class CAsciiPage : public CModelPage {
    Q_OBJECT
public:
    struct Variant {
        const char* criterionField = "byMode";  // CP 830: the criterion radios over byEndCrit830
        const char* endCharsRadio = "&Endezeichen";
        const char* fixedLengthRadio = "Nach E&mpfang einer festen Zeichenanzahl";
        const char* recvEnd1Label = "&1. Endezeichen Empfänger:";
        const char* recvEnd2Label = "&2. Endezeichen Empfänger:";
        bool endLink = false;                   // the "UND"/"ODER" list (CP 830)
        const char* sendModeField = nullptr;    // the sender group's field; nullptr: no sender group
        int sendModes[3] = {0x21, 0x22, 0x23};  // the stored code of each send-mode radio
        const char* stopBitsLabel = "St&opbits:";
        const char* parityLabel = "P&arität:";
        bool breakMonitoring = false;           // "BREAK Überwachung aktivieren" (CP 730)
    };
    CAsciiPage(rules::SheetModel& model, int index, const Variant& variant, QWidget* parent = nullptr);

    void refresh() override;

private:
    // A hex edit of an end character and its "[ASCII]" field, side by side.
    CIsoEditbox* charFields(QGridLayout* grid, int row, const char* name, rules::Field field);
    // The checkbox of a second end character: checked while two end characters are used.
    QCheckBox* secondCharBox(const QString& text, const char* countName);
    // Reads an end character the user typed: a refusal shows its message, puts the corrected
    // value in and keeps the cursor in the field.
    void checkCharField(CIsoEditbox* edit, const std::string& name);

    struct CharField {
        CIsoEditbox* hex;
        QLineEdit* ascii;
        std::string name;
    };
    struct CountBox {
        QCheckBox* box;
        std::string name;
    };
    std::vector<CharField> m_chars;
    std::vector<CountBox> m_counts;
    QLabel* m_delayLabel = nullptr;
    bool m_checking = false;
};

// CP 730 "ASCII".
class CPASC_P1 : public CAsciiPage {
    Q_OBJECT
public:
    CPASC_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830 "ASCII".
class C830_ASCII_P1 : public CAsciiPage {
    Q_OBJECT
public:
    C830_ASCII_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731, CP 831-1 and CP 831-2 "ASCII".
class CKASC_P1 : public CAsciiPage {
    Q_OBJECT
public:
    CKASC_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
