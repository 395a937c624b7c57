#include "tools/screens/layout_check.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QWidget>

namespace screens {

namespace {

// The widgets whose text a user must be able to read.
bool looked(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QComboBox*>(w);
}

QString textOf(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return {};
}

QString describe(const QWidget* w) {
    QString d = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty()) d += " " + w->objectName();
    const QString text = textOf(w);
    if (!text.isEmpty()) d += " \"" + text + "\"";
    return d;
}

// A control that shows no text (an arrow button, an empty label) has nothing to cut off.
bool showsText(const QWidget* w) {
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->count() > 0;
    return !textOf(w).isEmpty();
}

void checkSize(const QWidget* w, QStringList& out) {
    if (!showsText(w)) return;
    const QSize need = w->sizeHint();
    auto* label = qobject_cast<const QLabel*>(w);
    if (label && label->wordWrap()) {
        // a wrapped label may be narrower than its one-line hint, but needs its lines' height
        const int h = label->heightForWidth(w->width());
        if (w->height() < h)
            out << QString("%1: cut off, height %2 < %3 at width %4").arg(describe(w)).arg(w->height()).arg(h).arg(w->width());
        return;
    }
    if (w->width() < need.width())
        out << QString("%1: cut off, width %2 < %3").arg(describe(w)).arg(w->width()).arg(need.width());
    else if (w->height() < w->minimumSizeHint().height())
        out << QString("%1: cut off, height %2 < %3").arg(describe(w)).arg(w->height()).arg(w->minimumSizeHint().height());
}

void checkOverlap(const QWidget* w, QStringList& out) {
    const QWidget* parent = w->parentWidget();
    if (!parent) return;
    for (const QObject* o : parent->children()) {
        auto* s = qobject_cast<const QWidget*>(o);
        if (!s || s == w || s->isWindow() || !s->isVisible()) continue;
        // a pair of two looked-at widgets is named once, from the first of them
        if (looked(s) && parent->children().indexOf(const_cast<QWidget*>(s)) < parent->children().indexOf(const_cast<QWidget*>(w)))
            continue;
        const QRect both = w->geometry().intersected(s->geometry());
        if (!both.isEmpty())
            out << QString("%1: overlaps %2 (%3x%4 at %5,%6)")
                       .arg(describe(w), describe(s))
                       .arg(both.width()).arg(both.height()).arg(both.x()).arg(both.y());
    }
}

}  // namespace

QStringList checkLayout(const QWidget* page) {
    QStringList out;
    for (const QWidget* w : page->findChildren<QWidget*>()) {
        if (!looked(w) || !w->isVisible()) continue;
        checkSize(w, out);
        checkOverlap(w, out);
    }
    return out;
}

}  // namespace screens
