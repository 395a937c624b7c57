#include "widgets/spin_button.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

CSpinButton::CSpinButton(QLineEdit* buddy, QWidget* parent) : QWidget(parent), m_buddy(buddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);  // Tab goes from field to field, as with the buddy spin
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        layout->addWidget(b);
    }
    m_up->setObjectName("up");
    m_down->setObjectName("down");
    connect(m_up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    const int h = buddy->sizeHint().height();
    setFixedSize(h * 2 / 3, h);
    buddy->installEventFilter(this);
}

void CSpinButton::setRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = maximum;
}

void CSpinButton::step(int delta) {
    if (!isEnabled() || !m_buddy->isEnabled() || m_min > m_max) return;
    bool ok = false;
    int v = m_buddy->text().toInt(&ok);
    if (!ok) v = m_min;
    else v = qBound(m_min, v + delta, m_max);
    m_buddy->setText(QString::number(v));
    m_buddy->setModified(true);
    emit stepped();
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isVisible()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
