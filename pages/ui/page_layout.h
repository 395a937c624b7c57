#pragma once
// Small pieces the page layouts share: a group box, a grid inside it, a label that leads to
// its control by its accelerator mark, and an edit field as wide as the digits it takes.
// Labels keep their natural width; only the edit fields are sized.
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

namespace pagelayout {

inline QGroupBox* group(const QString& title, const char* objectName, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(objectName);
    return g;
}

// Label, control, unit; the empty column after them takes the spare width.
inline QGridLayout* grid(QWidget* owner) {
    auto* g = new QGridLayout(owner);
    g->setColumnStretch(3, 1);
    return g;
}

// The label of a field: its accelerator mark gives the focus to `buddy`. Named after the
// field it labels.
inline QLabel* label(const QString& text, QWidget* buddy, const char* field) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    l->setObjectName(QString(field) + "Label");
    return l;
}

// Keeps the control's place while it is hidden, so the page does not jump when it comes back.
inline void keepPlace(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

// An edit field wide enough for `digits` characters and the cursor.
inline void fitDigits(QLineEdit* edit, int digits) {
    const QFontMetrics fm(edit->font());
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    edit->setFixedWidth(fm.horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 2 * frame + 8);
}

// The read-only "[ASCII]" field beside a character's hex edit: a fixed-pitch font as high as
// the page font's ascent, wide enough for a three-letter mnemonic. Named after the field
// whose character it shows.
inline QLineEdit* asciiField(QWidget* page, const char* field) {
    auto* edit = new QLineEdit(page);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setObjectName(QString(field) + "Ascii");
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setWeight(QFont::Normal);
    fixed.setPixelSize(qMax(1, QFontMetrics(page->font()).ascent()));
    edit->setFont(fixed);
    fitDigits(edit, 3);
    return edit;
}

}  // namespace pagelayout
