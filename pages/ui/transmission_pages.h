#pragma once
// The "Übertragung" pages of the ASCII sheets: the data flow control, the XON and XOFF
// characters, the wait for XON and, on CP 730 and CP 731/831, the RTS-off and data output
// times of the automatic V.24 handling. The controls of RS 232 (RTS/CTS, the V.24 signals
// and their two times) are hidden on the other interfaces, so the groups shrink to the
// short form.
#include "pages/ui/flow_control_page.h"

class CTransmissionPage : public CFlowControlPage {
    Q_OBJECT
protected:
    // `waitLabel`: the label of the wait for XON, which names CTS where RTS/CTS exists.
    CTransmissionPage(rules::SheetModel& model, int index, const char* waitLabel, QWidget* parent);
};

// CP 730 "Übertragung".
class CPASC_P2 : public CTransmissionPage {
    Q_OBJECT
public:
    CPASC_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830 "Übertragung": no flow control but XON/XOFF.
class C830_ASCII_P2 : public CTransmissionPage {
    Q_OBJECT
public:
    C830_ASCII_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731, CP 831-1 and CP 831-2 "Übertragung".
class CKASC_P2 : public CTransmissionPage {
    Q_OBJECT
public:
    CKASC_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
