#include "pages/ui/flow_control_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"

void takeWhileTyping(CModelPage* page, QLineEdit* edit, const char* name) {
    QObject::connect(edit, &QLineEdit::textChanged, page, [page, name](const QString& text) {
        const auto r = page->model().set(name, text.toStdString());
        if (r.why == rules::SheetModel::Refusal::None) emit page->modelChanged();
    });
}

CFlowControlPage::CFlowControlPage(rules::SheetModel& model, int index, QWidget* parent)
    : CModelPage(model, index, parent) {}

QGroupBox* CFlowControlPage::flowGroup(const std::vector<Radio>& radios) {
    auto* group = pagelayout::group("Datenflusskontrolle", "flowGroup", this);
    auto* box = new QVBoxLayout(group);
    for (const Radio& r : radios) {
        auto* radio = new QRadioButton(QString::fromUtf8(r.label), group);
        radio->setObjectName(QStringLiteral("byFlowCtrl%1").arg(r.code));
        // Each radio is its own: the model decides which one is checked.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, code = r.code] {
            const auto f = model().field("byFlowCtrl");
            if (!f || code >= static_cast<int>(f->choices.size())) return;
            changed(model().set("byFlowCtrl", f->choices[code]));
        });
        box->addWidget(radio);
        m_flowRadios.emplace_back(radio, r.code);
        m_tabOrder.push_back(radio);
    }
    return group;
}

CIsoEditbox* CFlowControlPage::charRow(QGridLayout* grid, int row, const char* label, const char* name,
                                       rules::Field field, bool units) {
    CIsoEditbox* hex = bindEdit(name, field);
    pagelayout::fitDigits(hex, 2);
    takeWhileTyping(this, hex, name);
    auto* l = pagelayout::label(QString::fromUtf8(label), hex, name);
    follow(l, name, false);
    QLineEdit* ascii = pagelayout::asciiField(this, name);
    follow(ascii, name);
    m_asciiFields.emplace_back(ascii, name);

    auto* fields = new QHBoxLayout;
    fields->addWidget(hex);
    if (units) {
        auto* u = new QLabel(QStringLiteral("[Hex]"));
        u->setObjectName(QString(name) + "HexUnit");
        follow(u, name, false);
        fields->addWidget(u);
    }
    fields->addSpacing(hex->fontMetrics().averageCharWidth());
    fields->addWidget(ascii);
    if (units) {
        auto* u = new QLabel(QStringLiteral("[ASCII]"));
        u->setObjectName(QString(name) + "AsciiUnit");
        follow(u, name, false);
        fields->addWidget(u);
    }
    fields->addStretch(1);
    grid->addWidget(l, row, 0);
    grid->addLayout(fields, row, 1, 1, 2);
    m_tabOrder.push_back(hex);
    return hex;
}

CIsoEditbox* CFlowControlPage::timeRow(QGridLayout* grid, int row, const char* label, const char* name,
                                       rules::Field field) {
    CIsoEditbox* edit = bindEdit(name, field);
    pagelayout::fitDigits(edit, 6);
    auto* l = pagelayout::label(QString::fromUtf8(label), edit, name);
    follow(l, name, false);
    auto* unit = new QLabel(QStringLiteral("ms"));
    unit->setObjectName(QString(name) + "Unit");
    follow(unit, name, false);
    grid->addWidget(l, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(unit, row, 2);
    m_tabOrder.push_back(edit);
    return edit;
}

void CFlowControlPage::refresh() {
    CModelPage::refresh();
    const auto flow = model().field("byFlowCtrl");
    for (const auto& [radio, code] : m_flowRadios) {
        bool offered = false, enabled = false;
        if (flow)
            for (const auto& o : flow->options)
                if (o.code == code) {
                    offered = true;
                    enabled = flow->enabled && o.enabled;
                }
        const bool checked = flow && code < static_cast<int>(flow->choices.size()) && flow->text == flow->choices[code];
        radio->setChecked(checked);
        radio->setVisible(offered);
        radio->setEnabled(enabled);
    }
    for (const auto& [ascii, name] : m_asciiFields)
        if (auto f = model().field(name)) ascii->setText(QString::fromStdString(f->ascii));
}
