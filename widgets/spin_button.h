#pragma once
// CSpinButton: the up-down control beside an edit field. Its arrows step the number in the
// field within a range and write it back as the user would have typed it; the field keeps
// its own checks. Up and Down in the field step as well.
#include <QWidget>

class QLineEdit;
class QToolButton;

class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QLineEdit* buddy, QWidget* parent = nullptr);
    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // One step up (+1) or down (-1) from the field's number; an empty or unreadable field
    // starts from the bottom of the range, a number outside it is brought into it.
    void step(int delta);

signals:
    // The field's text changed through the arrows.
    void stepped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min = 0, m_max = 0;
};
