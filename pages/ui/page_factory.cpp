// The page widget of each page class.
#include <cstring>

#include "pages/ui/field_form_page.h"
#include "pages/ui/protocol_sheet_dialog.h"

CModelPage* CreatePage(rules::SheetModel& model, int index, QWidget* parent) {
    const char* cls = model.pages()[index].className;
    (void)cls;
    return new CFieldFormPage(model, index, parent);
}
