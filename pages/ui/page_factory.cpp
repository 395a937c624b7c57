// The page widget of each page class.
#include <cstring>

#include "pages/ui/field_form_page.h"
#include "pages/ui/interface_pages.h"
#include "pages/ui/protocol_sheet_dialog.h"

CModelPage* CreatePage(rules::SheetModel& model, int index, QWidget* parent) {
    const char* cls = model.pages()[index].className;
    auto is = [cls](const char* name) { return std::strcmp(cls, name) == 0; };
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
