// The page widget of each page class.
#include <cstring>

#include "pages/ui/ascii_page.h"
#include "pages/ui/field_form_page.h"
#include "pages/ui/interface_pages.h"
#include "pages/ui/printer_pages.h"
#include "pages/ui/protocol_3964_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "pages/ui/receive_3964_pages.h"
#include "pages/ui/receive_ascii_pages.h"
#include "pages/ui/transmission_pages.h"

CModelPage* CreatePage(rules::SheetModel& model, int index, QWidget* parent) {
    const char* cls = model.pages()[index].className;
    auto is = [cls](const char* name) { return std::strcmp(cls, name) == 0; };
    // "3964(R)", "RK 512" and their "Datenempfang"
    if (is("CPP39_P1")) return new CPP39_P1(model, index, parent);
    if (is("CPP39_P2")) return new CPP39_P2(model, index, parent);
    if (is("C830_3964_P1")) return new C830_3964_P1(model, index, parent);
    if (is("C830_3964_P3")) return new C830_3964_P3(model, index, parent);
    if (is("CKP39_P1")) return new CKP39_P1(model, index, parent);
    if (is("CKP39_P2")) return new CKP39_P2(model, index, parent);
    if (is("CKRK_P1")) return new CKRK_P1(model, index, parent);
    if (is("CKRK_P2")) return new CKRK_P2(model, index, parent);
    // "ASCII"
    if (is("CPASC_P1")) return new CPASC_P1(model, index, parent);
    if (is("C830_ASCII_P1")) return new C830_ASCII_P1(model, index, parent);
    if (is("CKASC_P1")) return new CKASC_P1(model, index, parent);
    // ASCII "Übertragung" and "Datenempfang"
    if (is("CPASC_P2")) return new CPASC_P2(model, index, parent);
    if (is("C830_ASCII_P2")) return new C830_ASCII_P2(model, index, parent);
    if (is("CKASC_P2")) return new CKASC_P2(model, index, parent);
    if (is("CPASC_P3")) return new CPASC_P3(model, index, parent);
    if (is("C830_ASCII_P3")) return new C830_ASCII_P3(model, index, parent);
    if (is("CKASC_P3")) return new CKASC_P3(model, index, parent);
    // "Drucker"
    if (is("C730_DRUCK_P1")) return new C730_DRUCK_P1(model, index, parent);
    if (is("CDruck_P1")) return new CDruck_P1(model, index, parent);
    // "Schnittstelle"
    if (is("CPP39_P4")) return new CPP39_P4(model, index, parent);
    if (is("C730_DRUCK_P4")) return new C730_DRUCK_P4(model, index, parent);
    if (is("CPASC_P4")) return new CPASC_P4(model, index, parent);
    if (is("C830_3964_P4")) return new C830_3964_P4(model, index, parent);
    if (is("C830_ASCII_P4")) return new C830_ASCII_P4(model, index, parent);
    if (is("CKASC_P4")) return new CKASC_P4(model, index, parent);
    if (is("CKRK39_P3")) return new CKRK39_P3(model, index, parent);
    return new CFieldFormPage(model, index, parent);
}
