#include "pages/ui/model_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>

#include "host/messages.h"
#include "resources/strings.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::FieldState;

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }
QString shownText(const FieldState& f) { return qs(f.shown ? *f.shown : f.text); }
// The code a radio field holds: decimal, or hexadecimal after "0x" (the send modes); -1 for
// a text that is no code.
int codeOf(const std::string& text) {
    bool ok = false;
    const QString t = qs(text);
    const int v = t.startsWith("0x") ? t.mid(2).toInt(&ok, 16) : t.toInt(&ok, 10);
    return ok ? v : -1;
}
}  // namespace

CModelPage::CModelPage(rules::SheetModel& model, int index, QWidget* parent)
    : QWidget(parent), m_model(model), m_index(index) {
    setObjectName(info().className);
}

void CModelPage::showVerdictOf(const rules::Verdict& v) {
    if (!v.hasMessage()) return;
    if (v.messageId != 0)
        host::showMessage(v.captionId ? res::text(v.captionId) : std::string(), v.messageId, v.inserts);
    else
        host::plainMessage(res::text(10470), v.plainText);
}

void CModelPage::changed(const rules::SheetModel::SetResult& r) {
    showVerdictOf(r.verdict);
    emit modelChanged();  // the sheet refreshes every page, this one included
}

CModelPage::Binding& CModelPage::add(Binding::Kind kind, std::string name, QWidget* widget) {
    Binding b;
    b.kind = kind;
    b.name = std::move(name);
    b.widget = widget;
    m_bindings.push_back(std::move(b));
    return m_bindings.back();
}

CIsoEditbox* CModelPage::bindEdit(const char* name, rules::Field field) {
    auto* edit = new CIsoEditbox(this);
    edit->setObjectName(name);
    if (auto f = m_model.field(name)) edit->SetPattern(qs(f->pattern));
    add(Binding::Edit, name, edit).field = field;
    return edit;
}

CSpinButton* CModelPage::bindSpin(CIsoEditbox* edit, const char* name) {
    auto* spin = new CSpinButton(edit, this);
    spin->setObjectName(QString(name) + "Spin");
    if (auto f = m_model.field(name)) spin->setRange(f->spinMin, f->spinMax);
    add(Binding::Spin, name, spin);
    return spin;
}

QComboBox* CModelPage::bindList(const char* name) {
    auto* list = new QComboBox(this);
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(list, &QComboBox::activated, this, [this, list, n = std::string(name)](int i) {
        if (m_refreshing || i < 0) return;
        changed(m_model.set(n, list->itemText(i).toStdString()));
    });
    add(Binding::List, name, list);
    return list;
}

QCheckBox* CModelPage::bindCheck(QCheckBox* box, const char* name, bool inverted) {
    box->setObjectName(name);
    connect(box, &QCheckBox::clicked, this, [this, n = std::string(name), inverted](bool on) {
        if (m_refreshing) return;
        changed(m_model.set(n, on != inverted ? "1" : "0"));
    });
    add(Binding::Check, name, box).flag = inverted;
    return box;
}

QCheckBox* CModelPage::bindToggle(QCheckBox* box, rules::Toggle toggle) {
    connect(box, &QCheckBox::clicked, this, [this, toggle](bool on) {
        if (m_refreshing) return;
        changed(m_model.setToggle(toggle, on));
    });
    add(Binding::Toggle, {}, box).toggle = toggle;
    return box;
}

QRadioButton* CModelPage::bindRadio(QRadioButton* radio, const char* name, int code) {
    // Each radio is its own: the model decides which one is checked.
    radio->setAutoExclusive(false);
    connect(radio, &QRadioButton::clicked, this, [this, n = std::string(name), code] {
        if (m_refreshing) return;
        changed(m_model.set(n, std::to_string(code)));
    });
    add(Binding::Radio, name, radio).code = code;
    return radio;
}

void CModelPage::bindDisplay(CIsoEditbox* edit, const char* name) {
    edit->setReadOnly(true);
    edit->setObjectName(name);
    add(Binding::Display, name, edit);
}

void CModelPage::follow(QWidget* w, const char* name, bool enabledToo) {
    add(Binding::Follow, name, w).flag = enabledToo;
}

void CModelPage::followToggle(QWidget* w, rules::Toggle toggle, bool enabledToo) {
    Binding& b = add(Binding::FollowToggle, {}, w);
    b.toggle = toggle;
    b.flag = enabledToo;
}

void CModelPage::refreshBinding(Binding& b) {
    if (b.kind == Binding::Toggle || b.kind == Binding::FollowToggle) {
        const rules::ToggleState t = m_model.toggle(b.toggle);
        if (b.kind == Binding::Toggle) {
            auto* box = static_cast<QCheckBox*>(b.widget);
            box->setChecked(t.checked);
            box->setEnabled(t.enabled);
            box->setVisible(t.present);
        } else {
            b.widget->setVisible(t.present && t.checked);
            if (b.flag) b.widget->setEnabled(t.enabled);
        }
        return;
    }
    const auto f = m_model.field(b.name);
    if (!f) {
        b.widget->setVisible(false);
        return;
    }
    b.widget->setVisible(f->visible);
    b.widget->setEnabled(f->enabled);
    switch (b.kind) {
    case Binding::Edit: {
        auto* edit = static_cast<CIsoEditbox*>(b.widget);
        const QString text = shownText(*f);
        // Typing the model has not seen yet stays, unless the model's value moved on.
        if (text != b.lastShown || edit->text() == b.lastShown || !f->enabled) {
            edit->setText(text);
            b.lastShown = text;
        }
        break;
    }
    case Binding::Display:
        // A display only shows what other controls make of the value; it never takes input.
        static_cast<CIsoEditbox*>(b.widget)->setText(shownText(*f));
        b.widget->setEnabled(false);
        break;
    case Binding::Spin: static_cast<CSpinButton*>(b.widget)->setRange(f->spinMin, f->spinMax); break;
    case Binding::List: {
        auto* list = static_cast<QComboBox*>(b.widget);
        QStringList items;
        for (const auto& c : f->choices) items << qs(c);
        QStringList now;
        for (int i = 0; i < list->count(); ++i) now << list->itemText(i);
        if (now != items) {
            list->clear();
            list->addItems(items);
        }
        list->setCurrentIndex(items.indexOf(qs(f->text)));  // -1: a stored value the list lacks
        break;
    }
    case Binding::Check: static_cast<QCheckBox*>(b.widget)->setChecked((f->text == "1") != b.flag); break;
    case Binding::Radio: {
        auto* radio = static_cast<QRadioButton*>(b.widget);
        bool offered = false, enabled = f->enabled;
        for (const auto& o : f->options)
            if (o.code == b.code) {
                offered = true;
                enabled = enabled && o.enabled;
            }
        radio->setChecked(codeOf(f->text) == b.code);
        radio->setVisible(f->visible && offered);
        radio->setEnabled(enabled);
        break;
    }
    case Binding::Follow:
        if (!b.flag) b.widget->setEnabled(true);
        break;
    default: break;
    }
}

void CModelPage::refresh() {
    m_refreshing = true;
    for (auto& b : m_bindings) {
        QSignalBlocker block(b.widget);
        refreshBinding(b);
    }
    m_refreshing = false;
}

bool CModelPage::commit() {
    for (auto& b : m_bindings) {
        if (b.kind != Binding::Edit) continue;
        auto* edit = static_cast<CIsoEditbox*>(b.widget);
        if (!edit->isVisibleTo(this) || !edit->isEnabled() || edit->text() == b.lastShown) continue;
        const auto r = m_model.set(b.name, edit->text().toStdString());
        if (r.why == rules::SheetModel::Refusal::None) continue;
        showVerdictOf(r.verdict);
        if (!r.correctedText.empty()) edit->setText(qs(r.correctedText));
        edit->setFocus();
        edit->selectAll();
        emit modelChanged();
        return false;
    }
    emit modelChanged();
    return true;
}

void CModelPage::focusField(rules::Field field) {
    if (field == rules::Field::None) return;
    for (auto& b : m_bindings)
        if (b.kind == Binding::Edit && b.field == field) {
            auto* edit = static_cast<CIsoEditbox*>(b.widget);
            edit->setFocus();
            edit->selectAll();
            return;
        }
}
