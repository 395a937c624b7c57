#include "pages/ui/field_form_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "widgets/iso_editbox.h"

CFieldFormPage::CFieldFormPage(rules::SheetModel& model, int index, QWidget* parent) : CModelPage(model, index, parent) {
    auto* form = new QFormLayout(this);
    const rules::PageKind kind = info().kind;
    for (const auto& f : model.fields()) {
        if (f.info->page != kind) continue;
        const char* name = f.info->name;
        const QString label = QString::fromUtf8(f.info->label) + ":";
        QWidget* control = nullptr;
        switch (f.info->unit) {
        case rules::Unit::Choice:
        case rules::Unit::BitsPerSecond: control = bindList(name); break;
        case rules::Unit::Flag: control = bindCheck(new QCheckBox(this), name); break;
        default:
            if (!f.options.empty()) {
                auto* row = new QWidget(this);
                row->setObjectName(QString(name) + "Options");
                auto* box = new QHBoxLayout(row);
                box->setContentsMargins(0, 0, 0, 0);
                for (const auto& o : f.options)
                    box->addWidget(bindRadio(new QRadioButton(QString::number(o.code), row), name, o.code));
                control = row;
                follow(row, name);
            } else {
                control = bindEdit(name);
            }
        }
        auto* l = new QLabel(label, this);
        l->setObjectName(QString(name) + "Label");
        l->setBuddy(control);
        follow(l, name);
        form->addRow(l, control);
    }
}
