#include "document/ptp_doc.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "app/startup_string.h"
#include "host/messages.h"
#include "resources/strings.h"

namespace {

constexpr long kLayoutId = 1;  // the remembered page layout
// How long a start that holds the stored block waits for another program's store.
constexpr int kLoadHoldWaitMs = 30000;

enum StringId {
    kTitle = 130,
    kProtocolNotOffered = 610,
    kUnknownTitle = 612,
    kUnknownModule = 613,
    kOnlineNotice = 2045,
};

}  // namespace

CPtpDoc::CPtpDoc(AppSettings& app) : m_pTexts(std::make_unique<sdb::TextStore>()), m_app(app) {
    m_CurParams.dwCreated = m_DefParams.dwCreated = static_cast<uint32_t>(std::time(nullptr));
    SetTextNameDefault(m_CurTextName);
    SetTextNameDefault(m_DefTextName);
    SetHeadDefault(m_TextHead, HeadDefault::Text);
    SetSonDefault(m_DrvSon[kPartFirmware], SonDefault::Scc);
    SetSonDefault(m_DrvSon[kPartProtocol], SonDefault::Ptp);

    // The printout head takes its product line, product and vendor from the host's page layout.
    m_hLayoutSet = AUTOpenObjectSet(3);
    if (!m_hLayoutSet) {
        host::plainMessage("", "Open object set failed");
        return;
    }
    HAUTOBJ layout = AUTGetObject(kPageLayoutObjectType, kLayoutId, 0, 0, 0, 0);
    // Written only when the project holds something else: every start writing them would make
    // a mere look at a module wait for a project another program is writing to.
    const std::pair<long, const char*> product[] = {{50, "TARVIK Y5"}, {53, "Parlino"}, {54, "Quenral AG"}};
    for (const auto& [attr, text] : product) {
        std::string stored;
        if (AUTGetStringAttribute(layout, attr, stored) != 0 || stored != text) AUTSetStringAttribute(layout, attr, text);
    }
    for (int i = 0; i < 6; ++i) AUTGetStringAttribute(layout, 50 + i, m_strPageLayout[i]);
}

CPtpDoc::~CPtpDoc() {
    if (m_hLayoutSet) {
        AUTSetCurrentObjectSet(m_hLayoutSet);
        AUTCloseObjectSet(m_hLayoutSet);
    }
}

int CPtpDoc::ParseStartupString(std::string_view commandLine) {
    m_hModuleObject = 0;
    m_bSaveObjectSet = 0;
    m_app.initDone = 0;

    const startup::Identification id = startup::Parse(commandLine, m_nProtocol);
    m_szTransferFile = id.transferFile;
    m_bFromProject = id.fromProject;
    m_nModuleType = id.moduleType;
    m_nProtocol = id.protocol;
    m_app.SelectHelpFor(m_nModuleType);
    m_nInterfaceCode = id.interfaceCode;
    m_szInterfaceName = id.interfaceName;
    m_nInterfaceNo = id.interfaceNo;
    m_szModuleName = id.moduleName;
    m_szOrderNo = id.orderNo;
    m_nDriverParts = id.driverParts;
    m_nDriverHwMask = id.driverHwMask;
    m_szStationName = id.stationName;
    m_strRack = id.rackText;
    m_nRack = id.rack;
    m_strSlot = id.slotText;
    m_nSlot = id.slot;
    m_bOnline = id.online;
    if (m_bOnline) host::showMessage(res::text(kTitle), kOnlineNotice);
    m_nStationAddress = id.stationAddress;
    for (int i = 0; i < 6; ++i) m_ObjectIds[i] = id.objectIds[i];

    m_hModuleObject = AUTGetObject(id.objectIds[0], id.objectIds[1], id.objectIds[2], id.objectIds[3],
                                   id.objectIds[4], id.objectIds[5]);
    BuildDefaults(m_DefParams);
    SetPrinterDefaults(m_DefPrinter, m_app.language);
    SetHeadDefault(m_TextHead, HeadDefault::Text);
    SetTextNameDefault(m_DefTextName);
    m_bExtendedModule = startup::IsExtendedObjectType(id.objectIds[0]) ? 1 : 0;

    if (m_nModuleType != kModuleUnknown) {
        if (m_bHoldStoredBlock &&
            !HoldStoredBlock(kLoadHoldWaitMs, m_pHold, "Die Parameter der Baugruppe können nicht zum Ändern geladen werden: "))
            return -1;
        if (LoadStored() != 0) return -1;
    }

    m_nProtocol = ProtocolFromIdentifier(m_CurParams.wProtocolId);
    ReadStationNames();
    m_strTitle = startup::DocumentTitle(m_szModuleName, m_strRack, m_strSlot, m_strStationPath);

    if (FirstUpdate() != 0) return -1;
    if (m_pView) {
        m_pView->OnInitialUpdate(*this);
        m_pView->Activate();
    }
    return 0;
}

int CPtpDoc::FirstUpdate() {
    std::vector<std::string> drivers;
    for (const InstalledDriver& d : m_app.drivers) drivers.push_back(d.displayName);
    ProtocolChoice list = ProtocolsForOrderNumber(m_nModuleType, m_szOrderNo, drivers);
    m_ProtocolList = std::move(list.items);
    if (!list.matched) {
        host::showMessage(res::text(kUnknownTitle), kUnknownModule);
        m_nStartResult = -1;
        return -1;
    }
    m_nProductVersion = static_cast<unsigned>(list.productVersion);
    const bool offered = std::any_of(m_ProtocolList.begin(), m_ProtocolList.end(),
                                     [&](const ProtocolItem& i) { return i.code == m_nProtocol; });
    if (!offered) {
        host::showMessage(res::text(kTitle), kProtocolNotOffered);
        SetHeadDefault(m_CurHead, headDefaultFor(m_nModuleType));
        m_CurParams = m_DefParams;
        SetModifiedFlag(true);
        // here an identifier of no known protocol counts as 3964(R) on every module
        m_nProtocol = ::ProtocolFromIdentifier(m_CurParams.wProtocolId, m_nDriverProtocol, kProt3964);
    }
    return 0;
}

int CPtpDoc::ProtocolFromIdentifier(uint16_t id) const {
    return ::ProtocolFromIdentifier(id, m_nDriverProtocol, m_nModuleType == kCP830 ? kProtAscii : kProt3964);
}

int CPtpDoc::LoadStored() {
    return isCP831(m_nModuleType) ? LoadSectionFile() : LoadContainer();
}

void CPtpDoc::ReadStationNames() {
    HAUTSET set = AUTOpenObjectSet(2);
    HAUTOBJ module = AUTEnterObjectSet(m_hModuleObject);
    HAUTOBJ station = AUTHwGethHwStation(module);
    std::string envName, stationName;
    AUTGetName(AUTGetEnvObject(station), envName);
    AUTGetName(station, stationName);
    m_strStationPath = envName + "\\" + stationName;
    AUTGetName(module, m_strModuleObjectName);
    if (set) AUTCloseObjectSet(set);
}

uint16_t CPtpDoc::GetModuleAddress() {
    uint8_t record[17] = {};
    long n = AUTGetLongBinaryAttribute(m_hModuleObject, kAttrModuleAddress, record, sizeof record);
    if (n < 1) return 0xFFFF;
    // The address record is the host's own: a flag byte, then 32-bit values in host order.
    auto value = [&](int at) -> int32_t {
        return static_cast<int32_t>(record[at] | (record[at + 1] << 8) | (record[at + 2] << 16) |
                                    (static_cast<uint32_t>(record[at + 3]) << 24));
    };
    uint16_t address;
    if (n == 8) {
        address = static_cast<uint16_t>(value(4) & 0xFFFF);
        if (value(0) == 2) address |= 0x8000;
    } else {
        const uint8_t flags = record[0];
        const int32_t in = value(1), out = value(5);
        const uint16_t inAddr = static_cast<uint16_t>(in & 0xFFFF);
        const uint16_t outAddr = static_cast<uint16_t>((out & 0xFFFF) | 0x8000);
        if ((flags & 3) == 3)
            address = out >= in ? inAddr : outAddr;
        else if (flags & 1)
            address = inAddr;
        else
            address = outAddr;
    }
    m_nModuleAddress = address;
    return address;
}
