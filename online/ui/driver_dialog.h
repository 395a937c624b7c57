#pragma once
// The driver dialogs of the overview's TREIBER button: "Treiber laden auf CP731" (the module's
// driver against the installed one, with "Treiber laden") and, for CP 831-2, "Treiber info für
// CP831" (the project's driver against the installed one, without going online).
#include <QDialog>

#include <functional>

#include "online/driver_info.h"
#include "online/module_channel.h"

class CPtpDoc;
class QLineEdit;
class QPushButton;

// The TREIBER button: the driver information for CP 831-2, the driver loading for every other
// module. True when the document changed (a new driver was loaded).
bool OpenDriverDialog(CPtpDoc& doc, QWidget* parent);

// Dialog 211. `channel` is the open connection to the module's station, null when none could be
// opened (the dialog says so and offers no load). `pump` waits while the events go on.
class CDriverDialog : public QDialog {
    Q_OBJECT
public:
    CDriverDialog(CPtpDoc& doc, online::ModuleChannel* channel, online::Pump pump, QWidget* parent = nullptr);

    // Runs the progress dialog of a load; the default shows it modally.
    std::function<void(QDialog&)> runProgress;
    std::function<void()> help;

    bool documentChanged() const { return m_changed; }
    void onLoad();

private:
    void showModule(const online::DriverShown& module);

    CPtpDoc& m_doc;
    online::ModuleChannel* m_channel;
    online::Pump m_pump;
    bool m_changed = false;
    QLineEdit* m_moduleName = nullptr;     // 1183
    QLineEdit* m_moduleVersion = nullptr;  // 1006
    QLineEdit* m_pgName = nullptr;         // 1009
    QLineEdit* m_pgVersion = nullptr;      // 1010
    QPushButton* m_load = nullptr;         // 1181
};

// Dialog 201: no online access.
class CDriverInfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDriverInfoDialog(const CPtpDoc& doc, QWidget* parent = nullptr);
    std::function<void()> help;
};
