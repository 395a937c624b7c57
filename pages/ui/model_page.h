#pragma once
// The base of every page of a protocol sheet: a view of the sheet model. A page builds its
// controls with Qt layouts and binds each to a field (or a checkbox of the model); what a
// control shows, whether it is enabled and shown, and whether a change is taken is the
// model's word. Lists, checkboxes and radios reach the model at once; an edit field's text
// reaches it when the page is left or the sheet's OK is pressed (commit), as a field is
// checked when its page is left.
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "pages/sheet_model.h"

class CIsoEditbox;
class CSpinButton;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

class CModelPage : public QWidget {
    Q_OBJECT
public:
    CModelPage(rules::SheetModel& model, int index, QWidget* parent = nullptr);

    int index() const { return m_index; }
    const rules::PageInfo& info() const { return m_model.pages()[m_index]; }
    rules::SheetModel& model() { return m_model; }

    // Shows what the model holds. An edit field the user has typed into keeps the typed
    // text unless the model's value changed meanwhile.
    virtual void refresh();
    // Hands the typed texts of the edit fields to the model, in page order. A refusal shows
    // its message, puts the corrected value into the field, gives it the focus and returns
    // false; the rest stays untouched.
    bool commit();
    // Gives the focus to the field a page check named (its verdict's focus).
    void focusField(rules::Field field);
    // Shows a verdict through the message service (message with its caption, or a plain text).
    static void showVerdictOf(const rules::Verdict& v);

signals:
    // A control changed the model: every page of the sheet shows the new state.
    void modelChanged();

protected:
    // Bindings; each returns the control it made so the page can place it and its label.
    // A field the sheet of this module does not have leaves its control hidden.
    CIsoEditbox* bindEdit(const char* name, rules::Field field = rules::Field::None);
    // An edit with its spin button (the spin range comes from the model).
    CSpinButton* bindSpin(CIsoEditbox* edit, const char* name);
    QComboBox* bindList(const char* name);
    // A Flag field; `inverted` for a checkbox that shows the opposite of the stored flag
    // ("BREAK Überwachung aktivieren" is byBreakOff 0).
    QCheckBox* bindCheck(QCheckBox* box, const char* name, bool inverted = false);
    QCheckBox* bindToggle(QCheckBox* box, rules::Toggle toggle);
    // A radio button for one code of a radio field.
    QRadioButton* bindRadio(QRadioButton* radio, const char* name, int code);
    // A read-only display of a field (the reaction wait time).
    void bindDisplay(CIsoEditbox* edit, const char* name);
    // A control (label, unit, explanation) that is shown and enabled with a field.
    void follow(QWidget* w, const char* name, bool enabledToo = true);
    // A control that is shown or enabled with a checkbox of the model.
    void followToggle(QWidget* w, rules::Toggle toggle, bool enabledToo = true);

    // After a control changed the model: refusals are shown, then every page refreshes.
    void changed(const rules::SheetModel::SetResult& r);

private:
    struct Binding {
        enum Kind { Edit, Spin, List, Check, Toggle, Radio, Display, Follow, FollowToggle } kind = Edit;
        std::string name;
        QWidget* widget = nullptr;
        rules::Toggle toggle = rules::Toggle::BlockCheck;
        rules::Field field = rules::Field::None;
        int code = 0;
        bool flag = false;      // Check: inverted; Follow*: enabled too
        QString lastShown;      // Edit: the text the model gave it last
    };
    Binding& add(Binding::Kind kind, std::string name, QWidget* widget);
    void refreshBinding(Binding& b);

    rules::SheetModel& m_model;
    int m_index;
    std::vector<Binding> m_bindings;
    bool m_refreshing = false;
};
