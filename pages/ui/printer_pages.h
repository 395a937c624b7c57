#pragma once
// The "Drucker" pages: the serial line towards the printer (baud rate, character frame), its
// data flow control with the XON and XOFF characters and the wait for XON, and on CP 730
// BREAK monitoring. Which rates a module offers, the radios of its interface and what the
// flow control enables is the sheet model's word.
#include "pages/ui/flow_control_page.h"

class CPrinterPage : public CFlowControlPage {
    Q_OBJECT
protected:
    CPrinterPage(rules::SheetModel& model, int index, bool breakMonitoring, QWidget* parent);
};

// CP 730 "Drucker", with "BREAK Überwachung aktivieren".
class C730_DRUCK_P1 : public CPrinterPage {
    Q_OBJECT
public:
    C730_DRUCK_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731, CP 831-1 and CP 831-2 "Drucker".
class CDruck_P1 : public CPrinterPage {
    Q_OBJECT
public:
    CDruck_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
