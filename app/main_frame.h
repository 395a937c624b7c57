#pragma once
// The main window of the program and the overview it shows for the one document.
#include <QLabel>
#include <QMainWindow>

#include "document/ptp_doc.h"

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
};

// The overview: what module, protocol and interface the document configures.
class CPtpView : public QLabel, public DocumentView {
    Q_OBJECT
public:
    explicit CPtpView(QWidget* parent = nullptr);
    void OnInitialUpdate(CPtpDoc& doc) override;
    void Activate() override;
};
