#include "pages/ui/interface_page.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct Preset {
    int code;
    const char* label;
};
// The presets in page order; "keine" only on the pages that offer it.
const Preset kPresets[] = {
    {0, "&keine"},
    {1, "Signal R(A)  &5 Volt     (Breakerkennung)   Signal R(B)  0 Volt"},
    {2, "Signal R(A)  &0 Volt   Signal R(B)  5 Volt"},
};

QRadioButton* radioOf(const std::vector<std::pair<int, QRadioButton*>>& radios, int code) {
    for (const auto& [c, radio] : radios)
        if (c == code) return radio;
    return nullptr;
}

}  // namespace

CInterfacePage::CInterfacePage(rules::SheetModel& model, int index, QWidget* parent, const QString& fullDuplexText,
                               const char* modeField, const std::vector<Mode>& modes, bool withNone)
    : CModelPage(model, index, parent) {
    auto* page = new QVBoxLayout(this);

    auto* modeGroup = new QGroupBox(QStringLiteral("Betriebsart"), this);
    modeGroup->setObjectName("modeGroup");
    auto* modeBox = new QVBoxLayout(modeGroup);
    m_modeText = new QLabel(fullDuplexText, modeGroup);
    m_modeText->setObjectName("modeText");
    modeBox->addWidget(m_modeText);

    // The operating mode is this page's only where the sheet keeps it on the interface page.
    const auto mode = modeField ? model.field(modeField) : std::nullopt;
    if (mode && mode->info->page == rules::PageKind::Interface) {
        m_modeText->hide();
        for (const Mode& m : modes) {
            auto* radio = bindRadio(new QRadioButton(QString::fromUtf8(m.label), modeGroup), modeField, m.code);
            radio->setObjectName(QStringLiteral("mode%1").arg(m.code));
            modeBox->addWidget(radio);
            m_modes.emplace_back(m.code, radio);
        }
    }

    auto* presetGroup = new QGroupBox(QString::fromUtf8("Vorbelegung der Empfangsleitung"), this);
    presetGroup->setObjectName("presetGroup");
    auto* presetBox = new QVBoxLayout(presetGroup);
    for (const Preset& p : kPresets) {
        if (p.code == 0 && !withNone) continue;
        auto* radio = bindRadio(new QRadioButton(QString::fromUtf8(p.label), presetGroup), "byLinePreset", p.code);
        radio->setObjectName(QStringLiteral("byLinePreset%1").arg(p.code));
        presetBox->addWidget(radio);
        m_presets.emplace_back(p.code, radio);
    }
    // A static text with an accelerator mark leads to the first control after it.
    m_modeText->setBuddy(m_presets.front().second);

    page->addWidget(modeGroup);
    page->addWidget(presetGroup);
    page->addStretch(1);

    // Mode radios, then preset radios, top to bottom.
    QWidget* previous = nullptr;
    for (const auto* list : {&m_modes, &m_presets})
        for (const auto& [code, radio] : *list) {
            if (previous) setTabOrder(previous, radio);
            previous = radio;
        }
}

QRadioButton* CInterfacePage::modeRadio(int code) const { return radioOf(m_modes, code); }
QRadioButton* CInterfacePage::presetRadio(int code) const { return radioOf(m_presets, code); }
