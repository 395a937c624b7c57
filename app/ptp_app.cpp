#include "app/ptp_app.h"

#include <QString>

#include <cstdio>

#include "app/cli.h"
#include "host/aut.h"
#include "host/project.h"
#include "printer/ui/character_set_dialog.h"
#include "printer/ui/control_characters_dialog.h"
#include "online/ui/driver_dialog.h"
#include "printer/ui/messages_dialog.h"
#include "printer/ui/page_layout_dialog.h"
#include "resources/strings.h"

namespace {
enum StringId { kStartTitle = 562, kDirectStart = 563 };
}

int CPtPApp::InitInstance(const std::string& commandLine, bool embedded, host::Registry* registry,
                          const config::LibraryLoader& loadLibrary) {
    if (!host::messageServiceInstalled()) host::setMessageService(&m_messages);
    // A project that is named but cannot be opened ends the start: nothing could be stored.
    std::string error;
    if (host::OpenProjectFromEnvironment(&error) == host::ProjectOpening::Failed) {
        std::fprintf(stderr, "vemtro_x: %s\n", error.c_str());
        host::plainMessage(res::text(kStartTitle), error);
        return 0;
    }

    host::IniRegistry iniRegistry(cli::ExecutableFolder());
    m_config = config::Configure(registry ? *registry : iniRegistry, "vemtro_x",
                                 loadLibrary ? loadLibrary : config::LibraryLoader(config::LoadLanguageLibrary));
    m_settings = m_config.settings;
    m_hLanguageDll = m_config.languageLibrary;
    AUTRegisterApp();

    m_pMainFrame = std::make_unique<CMainFrame>(m_settings);
    m_messages.setParent(m_pMainFrame.get());

    if (embedded) {
        // The host drives the document through its automation entry.
        m_settings.initDone = 0;
        m_pDoc = std::make_unique<CPtpDoc>(m_settings);
        m_pAutomation = std::make_unique<PtpDocumentAutomation>(*m_pDoc);
        m_pAutomation->Register();
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
    // The printer buttons open the printer output's dialogs; the driver button the driver
    // information (CP 831-2) or the driver loading.
    m_pView->SetDialogs({EditPageLayout, EditCharacterSet, EditControlCharacters, EditMessageTexts, OpenDriverDialog});
    m_pMainFrame->setCentralWidget(m_pView);
    m_pDoc->SetView(m_pView);
    m_pView->SetDocument(m_pDoc.get());
    m_pMainFrame->SetDocument(m_pDoc.get());
    m_pMainFrame->SetView(m_pView);
    m_pMainFrame->show();
    if (m_pDoc->ParseStartupString(commandLine) != 0) return 0;
    m_pMainFrame->setWindowTitle(QString::fromStdString(m_pDoc->GetTitle()));
    m_pMainFrame->UpdateCommands();
    return 1;
}

int CPtPApp::ExitInstance() {
    m_pAutomation.reset();
    m_pMainFrame.reset();
    m_pDoc.reset();
    if (m_hLanguageDll) config::FreeLanguageLibrary(m_hLanguageDll);
    m_hLanguageDll = nullptr;
    AUTUnregisterApp();
    if (host::isMessageService(&m_messages)) host::setMessageService(nullptr);
    return 0;
}
