#pragma once
// The modal tabbed sheet of a module's protocol parameters, one for every sheet class
// (CPP3964, CPASC, C730_Druck, C830_3964, C830_ASCII, CKP3964, CKRK512, CKASC, CDruck): the
// model knows which class, pages and title it is; the dialog shows the pages in their
// order, asks the model before a tab is left, runs the OK sequence and ends with OK or
// Cancel. The caller writes the model back after OK; nothing changes on Cancel.
#include <QDialog>

#include <functional>
#include <vector>

#include "pages/sheet_model.h"

class CModelPage;
class QPushButton;
class QTabWidget;

struct SheetOptions {
    char language = 'A';               // the application's language letter
    std::function<void(int)> openHelp; // opens a help topic of the module's help file
};

class CProtocolSheet : public QDialog {
    Q_OBJECT
public:
    CProtocolSheet(rules::SheetModel& model, QWidget* parent = nullptr, SheetOptions options = {});

    QTabWidget* tabs() const { return m_tabs; }
    CModelPage* page(int index) const { return m_pages.at(index); }
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* helpButton() const { return m_help; }

    // The help topic of a page: its dialog template in the help file's numbering.
    static int HelpTopic(const rules::PageInfo& page) { return 0x20000 + page.dialogTemplate; }

public slots:
    // The OK sequence: the active page's fields and check, the sheet's checks, the hints.
    void OnOk();
    void OnHelp();
    void RefreshAll();

private:
    void OnTabChanged(int index);

    rules::SheetModel& m_model;
    SheetOptions m_options;
    QTabWidget* m_tabs = nullptr;
    std::vector<CModelPage*> m_pages;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
    bool m_switching = false;
};

// The page widget of a page class (CKP39_P1, ...).
CModelPage* CreatePage(rules::SheetModel& model, int index, QWidget* parent);
