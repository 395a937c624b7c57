#pragma once
// CPtpDoc: the one document of a run. It holds the identification of the module, every
// parameter record and the bookkeeping of loading and storing. Views and the command
// line read its members; editors work on copies and give them back on OK.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "document/records.h"
#include "host/aut.h"

class CPtpDoc;

// The overview as the document sees it.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // First update once the module is known; may set m_nStartResult to -1.
    virtual void OnInitialUpdate(CPtpDoc& doc) = 0;
    // Brings the view's frame to the front.
    virtual void Activate() {}
};

class CPtpDoc {
public:
    static constexpr size_t kDriverDataSize = 10240;
    static constexpr int kBlockLengthCount = 11;

    explicit CPtpDoc(AppSettings& app);
    ~CPtpDoc();
    CPtpDoc(const CPtpDoc&) = delete;
    CPtpDoc& operator=(const CPtpDoc&) = delete;

    // Parses the command line, builds defaults, loads and sets the title. 0 or -1.
    int ParseStartupString(std::string_view commandLine);

    // Fills `rec`, m_CurHead, BlockLengths and (printer) the printer and text defaults
    // for the current module, protocol and interface. Returns 0.
    int BuildDefaults(CDb& rec);

    // The module's 16-bit address from its address record; 0xFFFF on a read error.
    uint16_t GetModuleAddress();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    const std::string& GetTitle() const { return m_strTitle; }
    void SetView(DocumentView* view) { m_pView = view; }
    AppSettings& App() { return m_app; }

    // The protocol code that the stored protocol identifier stands for.
    int ProtocolFromIdentifier(uint16_t id) const;

    // --- identification (set by ParseStartupString) ---
    std::string m_szTransferFile;
    int m_bFromProject = 0;
    int m_nModuleType = 0;
    int m_nProtocol = 0;
    int m_nInterfaceCode = 0;
    int m_nInterfaceNo = 0;
    std::string m_szModuleName;
    std::string m_szOrderNo;
    std::string m_szInterfaceName;
    std::string m_szStationName;
    std::string m_strRack, m_strSlot;
    int m_nRack = 0, m_nSlot = 0;
    int m_bOnline = 0;
    int m_nStationAddress = 0;
    HAUTOBJ m_hModuleObject = 0;
    long m_ObjectIds[6] = {0, 0, 0, 0, 0, 0};
    int m_bExtendedModule = 0;
    int m_nDriverParts = 0;
    int m_nDriverHwMask = 0;
    std::string m_strStationPath;
    std::string m_strModuleObjectName;
    int m_nStartResult = 0;
    uint16_t m_nModuleAddress = 0;

    // --- parameter records ---
    CDbHead m_CurHead;
    CDb m_CurParams{};
    CDb m_DefParams{};
    CDbdr m_CurPrinter;
    CDbdr m_DefPrinter;
    CDbHead m_TextHead;
    CDbtex m_CurTextName, m_DefTextName;
    std::array<CDbHead, 3> m_DrvHead{};
    std::array<CDbSon, 3> m_DrvSon{};
    std::unique_ptr<std::array<uint8_t, kDriverDataSize>> m_pDriverData;
    size_t m_nDriverDataLen = 0;
    std::array<uint16_t, kBlockLengthCount> BlockLengths{};

    // --- bookkeeping ---
    int m_bSaveOnExit = 0;
    int m_bTextPresent = 0;
    int m_nDrvBlockMask = 0;
    int m_bDriverLoaded = 0;
    int m_bDriverPending = 0;
    int m_bModuleDrvKnown = 0;
    uint8_t m_byModuleDrvVerHi = 255, m_byModuleDrvVerLo = 255;
    int m_bFirmwareMissing = 0;
    unsigned m_nProductVersion = 0;
    int m_bOldLayout = 0;
    int m_bSaveObjectSet = 0;
    int m_nBlockCount = 1;        // sections of a CP 831 data transfer file
    int m_nDriverProtocol = 0;    // loadable-driver protocol code that loading determined
    std::array<std::string, 6> m_strPageLayout;  // page-layout strings for the printout head

private:
    // Loads the stored parameters; 0 to go on.
    int LoadStored();
    void ReadStationNames();

    AppSettings& m_app;
    DocumentView* m_pView = nullptr;
    bool m_bModified = false;
    std::string m_strTitle;
    HAUTSET m_hLayoutSet = 0;
};
