#pragma once
// The "Datenempfang" pages of the ASCII sheets: the receive buffer on the module (how many
// telegrams it keeps, whether a new one may overwrite an unfetched one, clearing at
// start-up) and, on CP 731/831, receive errors at the function block and the receive box in
// the CPU of a CP 831. The immediate rules between these controls are the sheet model's.
#include "pages/ui/model_page.h"
#include "pages/ui/receive_groups.h"
#include "pages/ui/receive_3964_pages.h"

class QGridLayout;
class QGroupBox;

// CP 730: the group "Empfangspuffer auf CP".
class CPASC_P3 : public CModelPage {
    Q_OBJECT
public:
    CPASC_P3(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830: the page of its 3964(R) sheet, with the entire buffer or 1 to 10 telegrams.
class C830_ASCII_P3 : public C830_3964_P3 {
    Q_OBJECT
public:
    C830_ASCII_P3(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731, CP 831-1 and CP 831-2; the receive box in the CPU only on a CP 831.
class CKASC_P3 : public CKReceivePage {
    Q_OBJECT
public:
    CKASC_P3(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
