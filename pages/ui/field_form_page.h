#pragma once
// A page shown as a plain form of its fields, one row per field of the model with the
// control its unit asks for. It stands in for the ASCII, transmission, ASCII receive and
// printer pages until their own page classes are built, so every sheet can be used now.
#include "pages/ui/model_page.h"

class CFieldFormPage : public CModelPage {
    Q_OBJECT
public:
    CFieldFormPage(rules::SheetModel& model, int index, QWidget* parent = nullptr);
};
