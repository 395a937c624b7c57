#pragma once
// The "Datenempfang" pages of the 3964(R) and RK 512 sheets: what the module does with
// received telegrams at start-up, and where it reports or puts them. Each module family has
// its own page; enabling and meaning are the sheet model's.
#include "pages/ui/model_page.h"
#include "pages/ui/receive_groups.h"

// CP 730: clearing the receive buffer at start-up.
class CPP39_P2 : public CModelPage {
    Q_OBJECT
public:
    CPP39_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830: clearing at start-up, preventing overwriting, the entire buffer or a number of
// buffered telegrams.
class C830_3964_P3 : public CModelPage {
    Q_OBJECT
public:
    C830_3964_P3(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731/831: the clearing the module always does (shown only), receive errors at the
// function block and, on a CP 831 with 3964(R), the receive box in the CPU.
class CKReceive3964Page : public CKReceivePage {
    Q_OBJECT
protected:
    CKReceive3964Page(rules::SheetModel& model, int index, const char* clearLabel, bool cpuBox, QWidget* parent);
};

// CP 731/831 "Datenempfang" of 3964(R).
class CKP39_P2 : public CKReceive3964Page {
    Q_OBJECT
public:
    CKP39_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731/831 "Datenempfang" of RK 512: no receive box in the CPU.
class CKRK_P2 : public CKReceive3964Page {
    Q_OBJECT
public:
    CKRK_P2(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
