#include "pages/ui/interface_pages.h"

namespace {

const char* const kFullDuplex = "Vollduplex (RS 422) Vierdraht-Betrieb";

// Full or half duplex, stored in byConnectTries (the connection attempts of the 3964(R)
// sheets, which have no operating mode).
const std::vector<CInterfacePage::Mode> kDuplexModes = {
    {0, "&Vollduplex (RS 422) Vierdraht-Betrieb"},
    {1, "&Halbduplex (RS 485) Zweidraht-Betrieb"},
};

QString text(const char* s) { return QString::fromUtf8(s); }

}  // namespace

CPP39_P4::CPP39_P4(rules::SheetModel& model, int index, QWidget* parent)
    : CInterfacePage(model, index, parent, text(kFullDuplex), nullptr, {}, false) {}

C730_DRUCK_P4::C730_DRUCK_P4(rules::SheetModel& model, int index, QWidget* parent)
    : CInterfacePage(model, index, parent, text(kFullDuplex), nullptr, {}, false) {}

CPASC_P4::CPASC_P4(rules::SheetModel& model, int index, QWidget* parent)
    : CInterfacePage(model, index, parent, text(kFullDuplex), "byConnectTries", kDuplexModes, false) {}

C830_3964_P4::C830_3964_P4(rules::SheetModel& model, int index, QWidget* parent)
    : CInterfacePage(model, index, parent, text("&Vollduplex  (RS 422)  Vierdraht-Betrieb "), nullptr, {}, true) {}

C830_ASCII_P4::C830_ASCII_P4(rules::SheetModel& model, int index, QWidget* parent)
    : CInterfacePage(model, index, parent, text(kFullDuplex), "byOpMode830",
                     {
                         {0, "&Vollduplex  (RS 422)  Vierdraht-Betrieb\n     Punkt zu Punkt"},
                         {2, "Vollduplex  (RS 422)  Vierdraht-Betrieb\n     &Mehrpunkt Master"},
                         {3, "Vollduplex  (RS 422)  Vierdraht-Betrieb\n     Mehrpunkt &Slave"},
                         {1, "&Halbduplex  (RS 485)  Zweidraht-Betrieb"},
                     },
                     true) {}

CKASC_P4::CKASC_P4(rules::SheetModel& model, int index, QWidget* parent) : CKASC_P4(model, index, parent, false) {}

CKASC_P4::CKASC_P4(rules::SheetModel& model, int index, QWidget* parent, bool fullDuplexOnly)
    : CInterfacePage(model, index, parent, text(kFullDuplex), fullDuplexOnly ? nullptr : "byConnectTries",
                     kDuplexModes, true) {}

CKRK39_P3::CKRK39_P3(rules::SheetModel& model, int index, QWidget* parent) : CKASC_P4(model, index, parent, true) {}
