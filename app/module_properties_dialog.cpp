#include "app/module_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CModulePropertiesDialog::CModulePropertiesDialog(const ModuleProperties& properties,
                                                 std::function<void(int)> openHelp, QWidget* parent)
    : QDialog(parent) {
    setObjectName(properties.form == ModuleProperties::Form::Interface ? "interfaceProperties" : "moduleProperties");
    setWindowTitle("Eigenschaften");
    auto* layout = new QVBoxLayout(this);
    for (const auto& group : properties.groups) {
        auto* box = new QGroupBox(QString::fromStdString(group.title), this);
        auto* form = new QFormLayout(box);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        for (const auto& line : group.lines) {
            auto* value = new QLabel(QString::fromStdString(line.value), box);
            value->setObjectName(QString::fromStdString(line.name));
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            value->setMinimumWidth(value->fontMetrics().averageCharWidth() * 30);
            auto* label = new QLabel(QString::fromStdString(line.label), box);
            label->setObjectName(QString::fromStdString(line.name) + "Label");
            form->addRow(label, value);
        }
        layout->addWidget(box);
    }
    layout->addStretch(1);
    auto* line = new QFrame(this);
    line->setObjectName("etchedLine");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    auto* buttons = new QDialogButtonBox(this);
    m_pOk = buttons->addButton(QDialogButtonBox::Ok);
    m_pOk->setText("OK");
    m_pOk->setDefault(true);
    m_pHelp = buttons->addButton("Hilfe", QDialogButtonBox::HelpRole);
    m_pHelp->setObjectName("help");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    const int topic = properties.helpTopic;
    connect(m_pHelp, &QPushButton::clicked, this, [openHelp = std::move(openHelp), topic] {
        if (openHelp) openHelp(topic);
    });
    layout->addWidget(buttons);
}
