#pragma once
// CPtPApp: start-up and shutdown of the window program.
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/automation.h"
#include "app/configuration.h"
#include "app/main_frame.h"
#include "app/ptp_view.h"
#include "app/message_box.h"
#include "document/ptp_doc.h"

class CPtPApp {
public:
    // 1 to keep running, 0 to end. `commandLine` is the whole start-up string.
    // `registry` and `loadLibrary` default to the INI registry and dlopen.
    int InitInstance(const std::string& commandLine, bool embedded = false, host::Registry* registry = nullptr,
                     const config::LibraryLoader& loadLibrary = {});
    int ExitInstance();

    AppSettings m_settings;
    config::Result m_config;
    void* m_hLanguageDll = nullptr;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    CPtpView* m_pView = nullptr;
    std::unique_ptr<CPtpDoc> m_pDoc;
    std::unique_ptr<PtpDocumentAutomation> m_pAutomation;
    bool m_bQuitRequested = false;

private:
    MessageBoxService m_messages;
};
