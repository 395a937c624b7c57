#pragma once
// The main window of the program: menus, toolbar, status bar around the overview.
#include <QLabel>
#include <QMainWindow>
#include <functional>
#include <map>

#include "app/app_settings.h"
#include "document/ptp_doc.h"

class QAction;
class QComboBox;
class QPushButton;
class QToolBar;
class CPtpView;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(AppSettings& settings, QWidget* parent = nullptr);
    void SetDocument(CPtpDoc* doc) { m_pDoc = doc; UpdateCommands(); }
    // The overview whose focused button "Objekt öffnen" opens.
    void SetView(CPtpView* view);
    QAction* SaveAction() const { return m_pSave; }
    QAction* OpenObjectAction() const { return m_pOpenObject; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    // The menu command of a number: 57603 "Speichern", 32773 "Eigenschaften...", 32774, 32781,
    // 32782 the "Gehe zu" commands, 32780 "Firmware Update..." and so on; null for others.
    QAction* Command(int id) const;
    // Opens a topic of the module's help file, 0 for its contents. By default the document's
    // help file in the desktop's browser.
    using HelpOpener = std::function<void(int topic)>;
    void SetHelpOpener(HelpOpener opener) { m_openHelp = std::move(opener); }
    void OpenHelp(int topic);
    // Enables "Speichern" exactly when the document is modified and not online, and the
    // driver and firmware commands by the document's rules.
    void UpdateCommands();

public slots:
    // Stores the document and says in the status bar what that did.
    void OnFileSave();
    // "Eigenschaften...": the module properties dialog.
    void OnFileProperties();
    void OnGoToProtocol();
    void OnGoToDriver();
    void OnFirmwareUpdate();
    void OnHelpFinder();
    void OnHelpIntroduction();
    void OnHelpUsing();
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent* e) override;
    // F1 on a menu item opens the item's help topic.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppSettings& m_settings;
    CPtpDoc* m_pDoc = nullptr;
    CPtpView* m_pView = nullptr;
    QAction* m_pSave = nullptr;
    QAction* m_pOpenObject = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::map<int, QAction*> m_commands;
    HelpOpener m_openHelp;
};

