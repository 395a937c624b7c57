#include "app/ptp_app.h"

#include <QString>

#include "host/aut.h"
#include "resources/strings.h"

namespace {
enum StringId { kStartTitle = 562, kDirectStart = 563 };
}

int CPtPApp::InitInstance(const std::string& commandLine, bool embedded) {
    host::setMessageService(&m_messages);
    if (const char* project = std::getenv("QORB4_PROJECT"); project && *project)
        host::setErrorLogPath(std::string(project) + ".errors.log");
    AUTRegisterApp();

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_messages.setParent(m_pMainFrame.get());

    if (embedded) {
        m_settings.initDone = 0;
        return 1;
    }
    m_settings.initDone = 1;
    if (commandLine.empty()) {
        host::showMessage(res::text(kStartTitle), kDirectStart);
        m_bQuitRequested = true;
        return 1;
    }

    m_pDoc = std::make_unique<CPtpDoc>(m_settings);
    m_pView = new CPtpView;
    m_pMainFrame->setCentralWidget(m_pView);
    m_pDoc->SetView(m_pView);
    m_pMainFrame->show();
    if (m_pDoc->ParseStartupString(commandLine) != 0) return 0;
    m_pMainFrame->setWindowTitle(QString::fromStdString(m_pDoc->GetTitle()));
    return 1;
}

int CPtPApp::ExitInstance() {
    m_pDoc.reset();
    m_pMainFrame.reset();
    AUTUnregisterApp();
    host::setMessageService(nullptr);
    return 0;
}
