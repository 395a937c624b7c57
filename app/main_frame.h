#pragma once
// The main window of the program and the overview it shows for the one document.
#include <QLabel>
#include <QMainWindow>

#include "app/app_settings.h"
#include "document/ptp_doc.h"

class QAction;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(AppSettings& settings, QWidget* parent = nullptr);
    void SetDocument(CPtpDoc* doc) { m_pDoc = doc; UpdateCommands(); }
    QAction* SaveAction() const { return m_pSave; }
    // Enables "Speichern" exactly when the document is modified.
    void UpdateCommands();

public slots:
    void OnFileSave();
    void OnAppAbout();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    AppSettings& m_settings;
    CPtpDoc* m_pDoc = nullptr;
    QAction* m_pSave = nullptr;
};

// The overview: what module, protocol and interface the document configures.
class CPtpView : public QLabel, public DocumentView {
    Q_OBJECT
public:
    explicit CPtpView(QWidget* parent = nullptr);
    void OnInitialUpdate(const CPtpDoc& doc) override;
    void Activate() override;
};
