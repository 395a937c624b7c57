#include "online/ui/driver_progress_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

CDriverProgressDialog::CDriverProgressDialog(online::ModuleChannel& channel, std::uint16_t moduleAddress,
                                             online::DriverComponents components, QWidget* parent)
    : QDialog(parent), m_job(std::make_unique<online::DriverLoadJob>(channel, moduleAddress, std::move(components))) {
    setObjectName("CDriverProgressDialog");
    setWindowTitle(QStringLiteral("Treiber in BG laden"));
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    // room for the longest status text, so that the dialog keeps its size while it changes
    m_status->setMinimumWidth(m_status->fontMetrics().horizontalAdvance(QStringLiteral("SCC:")));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progress");
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(m_bar->fontMetrics().averageCharWidth() * 36);
    m_percent = new QLabel(QStringLiteral("0"), this);
    m_percent->setObjectName("percent");
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    auto* unit = new QLabel(QStringLiteral("%"), this);
    unit->setObjectName("percentUnit");

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_status, 0, 0);
    layout->addWidget(m_bar, 0, 1);
    layout->addWidget(m_percent, 0, 2);
    layout->addWidget(unit, 0, 3);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CDriverProgressDialog::onTimer);
}

CDriverProgressDialog::~CDriverProgressDialog() = default;

void CDriverProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_timer->isActive() && !m_started) m_timer->start();
}

void CDriverProgressDialog::reject() {}

void CDriverProgressDialog::onTimer() {
    if (!m_started) {
        m_started = true;
        step();
        return;
    }
    refresh();
}

void CDriverProgressDialog::refresh() {
    m_status->setText(QString::fromLatin1(m_job->statusText()));
    if (m_job->total() == 0) return;
    const std::uint16_t percent = online::LoadPercent(m_job->total(), m_job->remaining());
    m_percent->setText(QString::number(percent));
    m_bar->setValue(percent);
}

void CDriverProgressDialog::step() {
    const auto s = m_job->Next();
    if (s.done) {
        m_timer->stop();
        refresh();
        accept();
        return;
    }
    if (m_status->text() != QString::fromLatin1(m_job->statusText())) {
        // a new component starts with an empty bar
        m_status->setText(QString::fromLatin1(m_job->statusText()));
        m_bar->setValue(0);
        m_percent->setText(QStringLiteral("0"));
    }
    QTimer::singleShot(s.waitMs, this, &CDriverProgressDialog::step);
}
