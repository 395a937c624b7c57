#include "pages/ui/protocol_sheet_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "pages/ui/model_page.h"

CProtocolSheet::CProtocolSheet(rules::SheetModel& model, QWidget* parent, SheetOptions options)
    : QDialog(parent), m_model(model), m_options(std::move(options)) {
    setObjectName(model.className());
    setModal(true);
    QString title = QString::fromStdString(model.title());
    if (model.sheet() == rules::Sheet::CP830_Ascii && m_options.language == 'E') title = "Protocol";
    setWindowTitle(title);

    m_tabs = new QTabWidget(this);
    for (int i = 0; i < static_cast<int>(model.pages().size()); ++i) {
        CModelPage* p = CreatePage(model, i, m_tabs);
        m_pages.push_back(p);
        m_tabs->addTab(p, QString::fromUtf8(model.pages()[i].title));
        connect(p, &CModelPage::modelChanged, this, &CProtocolSheet::RefreshAll);
    }
    m_tabs->setCurrentIndex(model.activePage());
    connect(m_tabs, &QTabWidget::currentChanged, this, &CProtocolSheet::OnTabChanged);

    // OK at the left edge; Cancel where Apply would be, Help beside it.
    m_ok = new QPushButton("OK", this);
    m_cancel = new QPushButton("Abbrechen", this);
    m_help = new QPushButton("Hilfe", this);
    m_ok->setObjectName("ok");
    m_cancel->setObjectName("cancel");
    m_help->setObjectName("help");
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CProtocolSheet::OnOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_help, &QPushButton::clicked, this, &CProtocolSheet::OnHelp);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& notice : model.openingNotices()) CModelPage::showVerdictOf(notice);
    RefreshAll();
}

void CProtocolSheet::RefreshAll() {
    for (CModelPage* p : m_pages) p->refresh();
}

void CProtocolSheet::OnTabChanged(int index) {
    if (m_switching) return;
    const int from = m_model.activePage();
    auto back = [&] {
        m_switching = true;
        m_tabs->setCurrentIndex(from);
        m_switching = false;
    };
    if (!m_pages[from]->commit()) return back();
    const rules::Verdict v = m_model.selectPage(index);
    RefreshAll();
    if (!v.accepted) {
        back();
        CModelPage::showVerdictOf(v);
        m_pages[from]->focusField(v.focus);
    }
}

void CProtocolSheet::OnOk() {
    CModelPage* active = m_pages[m_model.activePage()];
    if (!active->commit()) return;
    const auto r = m_model.ok();
    RefreshAll();
    if (!r.verdict.accepted) {
        CModelPage::showVerdictOf(r.verdict);
        active->focusField(r.verdict.focus);
        return;
    }
    for (const auto& notice : r.notices) CModelPage::showVerdictOf(notice);
    accept();
}

void CProtocolSheet::OnHelp() {
    if (m_options.openHelp) m_options.openHelp(HelpTopic(m_model.pages()[m_tabs->currentIndex()]));
}
