#pragma once
// The "Schnittstelle" pages of the sheets, one class per sheet family. They differ in the
// operating modes they offer, whether the preset "keine" exists, and (CP 730) that the
// preset also switches BREAK monitoring of the protocol page, which the model does.
#include "pages/ui/interface_page.h"

// CP 730 3964(R): full duplex only; the preset decides BREAK monitoring.
class CPP39_P4 : public CInterfacePage {
    Q_OBJECT
public:
    CPP39_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 730 printer: as CPP39_P4.
class C730_DRUCK_P4 : public CInterfacePage {
    Q_OBJECT
public:
    C730_DRUCK_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 730 ASCII: full or half duplex; the preset decides BREAK monitoring.
class CPASC_P4 : public CInterfacePage {
    Q_OBJECT
public:
    CPASC_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830 3964(R): full duplex only; presets with "keine".
class C830_3964_P4 : public CInterfacePage {
    Q_OBJECT
public:
    C830_3964_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830 ASCII: point to point, multipoint master and slave (all full duplex), half duplex.
class C830_ASCII_P4 : public CInterfacePage {
    Q_OBJECT
public:
    C830_ASCII_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731/831 ASCII and printer: full or half duplex; presets with "keine".
class CKASC_P4 : public CInterfacePage {
    Q_OBJECT
public:
    CKASC_P4(rules::SheetModel& model, int index, QWidget* parent = nullptr);

protected:
    // `fullDuplexOnly`: the static full-duplex text in place of the mode radios.
    CKASC_P4(rules::SheetModel& model, int index, QWidget* parent, bool fullDuplexOnly);
};

// CP 731/831 3964(R) and RK 512: CKASC_P4 with the line always full duplex.
class CKRK39_P3 : public CKASC_P4 {
    Q_OBJECT
public:
    CKRK39_P3(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
