#pragma once
// The protocol page of the 3964(R) procedure and of RK 512 on top of it: block check and
// standard values, the protocol times and attempts, the baud rate, the character frame and
// the priority. The four page classes share this layout; each names its variant (the
// label of the connection attempts, the BREAK checkbox of the CP 730, the wait for
// reaction telegrams of RK 512). What the lists hold, which control is enabled and what
// a value means is the sheet model's word.
#include "pages/ui/model_page.h"

class CIsoEditbox;

class CProtocol3964Page : public CModelPage {
    Q_OBJECT
public:
    struct Variant {
        const char* connectTriesLabel = "&Aufbauversuche:";
        bool breakMonitoring = false;  // "BREAK Überwachung aktivieren" (CP 730)
        bool reactionWait = false;     // "Wartezeit auf Reaktionstelegramme" (RK 512)
    };
    CProtocol3964Page(rules::SheetModel& model, int index, const Variant& variant, QWidget* parent = nullptr);
};

// CP 730 "3964(R)".
class CPP39_P1 : public CProtocol3964Page {
    Q_OBJECT
public:
    CPP39_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 830 "3964(R)".
class C830_3964_P1 : public CProtocol3964Page {
    Q_OBJECT
public:
    C830_3964_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731, CP 831-1 and CP 831-2 "3964(R)".
class CKP39_P1 : public CProtocol3964Page {
    Q_OBJECT
public:
    CKP39_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};

// CP 731 and CP 831 "RK 512".
class CKRK_P1 : public CProtocol3964Page {
    Q_OBJECT
public:
    CKRK_P1(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
