#pragma once
// CPtpDoc: the one document of a run. It holds the identification of the module, every
// parameter record and the bookkeeping of loading and storing. Views and the command
// line read its members; editors work on copies and give them back on OK.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "document/driver_abi.h"
#include "document/protocol_list.h"
#include "document/records.h"
#include "document/stored_block.h"
#include "document/transfer_file.h"
#include "host/aut.h"
#include "sdb/container.h"
#include "sdb/text_image.h"

class CPtpDoc;

// The overview as the document sees it: it shows what start-up found and decides nothing.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // Shows the document once start-up has identified the module and its protocol list.
    virtual void OnInitialUpdate(const CPtpDoc& doc) = 0;
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

    // Parses the command line, builds defaults, loads, sets the title and runs the first
    // update (protocol list, product version); then the attached view, if any, shows the
    // document. 0, or -1 when the program is to end.
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
    const AppSettings& App() const { return m_app; }

    // The protocol code that the stored protocol identifier stands for; an identifier of no
    // known protocol gives the module's first protocol (ASCII on CP 830, else 3964(R)).
    int ProtocolFromIdentifier(uint16_t id) const;

    // --- loading and storing ---
    static constexpr size_t kContainerBufferSize = 65536;
    static constexpr size_t kSectionBufferSize = 327680;

    // Reads the record container (CP 730, CP 731, CP 830) or the section file (CP 831)
    // into the document. 0 to go on, non-zero to end the program.
    int LoadContainer();
    int LoadSectionFile();
    // "Speichern": 1 when the caller may go on (close), 0 when it must not.
    int Store();
    // The question before closing: 1 to close, 0 to stay.
    int SaveModified();
    // Automation entry of an embedded start; the arguments are not used.
    int Show(long, long, long, long, long, long, const std::string&);

    // A stored loadable driver met while loading a CP 731 block: the installed driver that
    // holds it is checked and taken over; one that is not installed is given up for the
    // default protocol when the user agrees (message 595). 0 to go on, 1 to end the program.
    int HandleStoredDriver();

    // The byte images a store writes, built from the current records (also used by the dump
    // and the tests). Empty when the module stores nothing or the block is too large.
    std::vector<uint8_t> BuildStoredBlock(std::string* problem = nullptr);

    // --- loadable drivers ---
    // The parts of a driver, in the order of m_DrvHead, m_DrvSon and the section types 3 to 5.
    enum DriverPart { kPartCode = 0, kPartFirmware = 1, kPartProtocol = 2 };
    // What the installation check found for the configured driver.
    struct DriverCheck {
        PtpDriverInfo info{};
        std::array<CDbSon, 3> sons{};                      // descriptors of code, firmware, protocol part
        int blockMask = 0;                                 // 0x001 code, 0x010 firmware, 0x100 protocol part
        int blockCount = 0;                                // sections of a CP 831 data transfer file
        std::array<int64_t, 3> fileOffsets{-1, -1, -1};    // of the matched records in their files
    };
    // Checks the installed driver m_nProtocol / 256 against the module: matches the records of
    // its files by the description's types and versions or by the module's hardware bits and
    // fills `params` and `check` from them. `check.sons` come in as the descriptors to keep
    // where the check leaves one alone. 0, or 10 (a file cannot be used), 20 (no record fits
    // the module), 30 (a long driver on interface 2); `params` is changed only on 0.
    int CheckDriver(CDb& params, DriverCheck& check);
    // The defaults of the loadable driver m_nProtocol on a CP 731 or CP 831-2: the check, the
    // driver's sub-blocks and the defaults its library's DoDefault writes into `params` and the
    // driver data area. 0, or -1 after a message (title 590) or for another module or protocol.
    int ApplyDriverDefaults(CDb& params);
    // The 25-byte head and the 64-byte descriptor of a driver part present in m_nDrvBlockMask,
    // written into `out`; the length of the part's image (89 + body length), or 0 when the part
    // is absent or `out` is shorter than 89 bytes.
    int BuildDriverPartIntro(int part, std::span<uint8_t> out);
    // The installed driver a protocol code names, or null.
    const InstalledDriver* InstalledDriverOf(int protocol) const;
    // The configured protocol is a loadable driver that uses the printer-output and message blocks.
    bool DriverHasTexts() const;
    // The driver file of a part of the configured driver (driver folder + file name).
    std::string DriverFilePath(int part) const;

    // --- protocol change (the protocol list, ptpcfg protocol) ---
    enum class ProtocolChange {
        Unchanged,  // the protocol chosen is the current one
        Declined,   // No to the question: protocol, parameters and modified flag as they were
        Failed,     // the loadable driver's defaults could not be built (a message said why)
        Changed,    // the new protocol's defaults are the parameters; the document is modified
    };
    // Asks (561) and, on Yes, replaces the parameters by the defaults of the protocol `code`
    // (an item code of m_ProtocolList).
    ProtocolChange ChangeProtocol(int code);
    // The protocol list's text of a protocol code.
    std::string ProtocolText(int code) const;

    // Test hook: makes a write of the data transfer file fail at a chosen step.
    transfer::FailureHook m_writeFailure;

    // --- another program storing the same module ---
    // Set before ParseStartupString (ptpcfg): the module's stored block is held from loading
    // until ReleaseStoredBlock, so that another program's store waits for this one.
    int m_bHoldStoredBlock = 0;
    // A stored block that another program changed since it was loaded: 1 asks before
    // overwriting it (the window program, which keeps a document open for long), 0 refuses
    // the store.
    int m_bAskBeforeOverwrite = 1;
    // The stored block as it was loaded, or as this document last stored it.
    stored::Snapshot m_LoadedBlock;
    // Ends the hold taken while loading and keeps what was stored under it; false (message
    // shown) when the project cannot take it. True when nothing was held.
    bool ReleaseStoredBlock();

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
    // The protocols the module offers, in the order the overview lists them (first update).
    std::vector<ProtocolItem> m_ProtocolList;

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
    PtpDriverInfo m_DriverInfo{};
    // Offsets of the configured driver's matched records in its code, firmware and protocol
    // file; -1 for a part without one.
    std::array<int64_t, 3> m_DriverFileOffsets{-1, -1, -1};
    // The driver the stored block names, as loading found it.
    struct StoredDriver {
        std::array<char, 8> name{};
        uint8_t verHi = 0, verLo = 0;
        uint16_t protocolId = 0;
    } m_StoredDriver;
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
    long m_nLayoutId = 1;  // instance of the host's page-layout object the page setup chose
    sdb::HeaderRecord m_HeaderRecord;             // record 0, carried unchanged
    sdb::RecordPair m_RecordPair;                 // flag/attribute of every data record
    std::unique_ptr<sdb::TextStore> m_pTexts;     // message texts of the printer protocol
    // Driver part sections of a section file that nothing interpreted: written back unchanged.
    std::array<std::optional<std::vector<uint8_t>>, 3> m_DriverSections;

private:
    // Loads the stored parameters; 0 to go on.
    int LoadStored();
    // The first update once the module is known: the protocol list and product version from
    // the order number. An unknown order number shows 613 and sets m_nStartResult to -1; a
    // stored protocol the module does not offer shows 610 and falls back to the default
    // block. 0 to go on, -1 to end the start.
    int FirstUpdate();
    void ReadStationNames();
    void TakeDefaults();
    // Decodes a stored parameter image into the records; false when its head is absent.
    bool DecodeParameters(std::span<const uint8_t> image);
    void DecodeTexts(std::span<const uint8_t> image);
    // Builds the block and writes it to the project or the data transfer file.
    bool StoreBlock();
    bool WriteTransferFile(const std::vector<uint8_t>& bytes);
    // The block goes to project attribute 110706, not to the data transfer file.
    bool StoresInProject() const;
    // Reads the stored block as loading reads it.
    stored::Snapshot ReadStoredBlock() const;
    // Exclusive access to the stored block, waiting up to `waitMs` for another program;
    // false (message shown) when it cannot be had. A null hold when there is nothing to hold.
    bool HoldStoredBlock(int waitMs, std::unique_ptr<stored::Hold>& hold, const std::string& purpose);
    // Writes the built block to where it is kept; false (message shown) when that fails.
    bool WriteStoredBlock(const std::vector<uint8_t>& bytes);
    std::string DriverNameForMessages() const;
    // The first installed driver whose code file holds a record of this name and type; -1 for none.
    int FindInstalledDriver(const std::array<char, 8>& name, uint16_t type) const;
    // The stored driver is given up (message 595): 0 when the default protocol took its place,
    // 1 to end the program.
    int GiveUpStoredDriver();
    // Takes what the check found as the document's driver.
    void TakeDriverCheck(const DriverCheck& check);
    // The driver part images a CP 831 section file carries; false (with `problem`) when a
    // part's body cannot be read from its driver file.
    bool BuildDriverImages(std::array<std::vector<uint8_t>, 3>& images, std::string* problem);
    // Loading a CP 831 section file: the driver the parameter section names and the code part
    // section stored with it. 0 to go on, 1 to end the program.
    int LoadSectionDriver(const std::optional<std::vector<uint8_t>>& codePart, bool& givenUp);
    // Shows a CheckDriver error (596 to 599) under `title`.
    static void ShowDriverError(int error, const std::string& title);
    sdb::BuildContext BuildContext() const;

    AppSettings& m_app;
    DocumentView* m_pView = nullptr;
    bool m_bModified = false;
    std::string m_strTitle;
    HAUTSET m_hLayoutSet = 0;
    std::unique_ptr<stored::Hold> m_pHold;  // the hold from loading to storing (m_bHoldStoredBlock)
};
