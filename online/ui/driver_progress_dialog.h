#pragma once
// "Treiber in BG laden": the progress of a driver load. It runs the load itself, step by step
// on the event loop, shows the component being sent and the share of its code sent so far
// (updated every 100 ms), and ends itself when the load ends.
#include <QDialog>

#include <memory>

#include "online/driver_load.h"

class QLabel;
class QProgressBar;
class QTimer;

class CDriverProgressDialog : public QDialog {
    Q_OBJECT
public:
    CDriverProgressDialog(online::ModuleChannel& channel, std::uint16_t moduleAddress, online::DriverComponents components,
                          QWidget* parent = nullptr);
    ~CDriverProgressDialog() override;

    const online::DriverLoadJob& job() const { return *m_job; }
    // Shows the progress as the job stands now (the 100 ms timer calls it).
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;  // the load is not broken off: Escape and the window's close do nothing

private:
    void onTimer();
    void step();

    std::unique_ptr<online::DriverLoadJob> m_job;
    QTimer* m_timer = nullptr;
    QLabel* m_status = nullptr;   // 1435
    QLabel* m_percent = nullptr;  // 1179
    QProgressBar* m_bar = nullptr;  // 1425
    bool m_started = false;
};
