// A loadable driver in a stored block: finding the installed driver it names when the block
// is loaded, giving it up when there is none, and the driver's part images a CP 831 section
// file carries when it is stored.
#include <algorithm>

#include "document/driver_files.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "resources/strings.h"
#include "sdb/driver_image.h"

namespace {

enum StringId {
    kTitle = 130,
    kProtocolNotChanged = 590,
    kDriverNotInstalled = 595,
    kOtherVersion = 602,
};

CPtpDoc::StoredDriver storedDriverOf(const CDb& params) {
    CPtpDoc::StoredDriver d;
    std::copy_n(params.achDriverName, 8, d.name.begin());
    d.verHi = params.byDriverVerHi;
    d.verLo = params.byDriverVerLo;
    d.protocolId = params.wProtocolId;
    return d;
}

}  // namespace

std::string CPtpDoc::DriverNameForMessages() const {
    const std::string stored(m_StoredDriver.name.data(), m_StoredDriver.name.size());
    struct Known { const char* name; int text; };
    static const Known known[] = {{"Y5WFPA1X", 2046}, {"Y5WFPB1X", 2047}, {"Y5WFPE1X", 2048}};
    for (const Known& k : known)
        if (stored == k.name) return res::text(k.text);
    return std::string(stored.c_str());
}

int CPtpDoc::FindInstalledDriver(const std::array<char, 8>& name, uint16_t type) const {
    for (size_t k = 0; k < m_app.drivers.size(); ++k) {
        const auto search = drv::FindRecordInFile(m_app.driverFolder + m_app.drivers[k].codeFile,
                                                  [&](const drv::DriverRecord& r) { return r.name == name && r.type == type; });
        if (search && search->result == drv::WalkResult::Found) return static_cast<int>(k);
    }
    return -1;
}

int CPtpDoc::GiveUpStoredDriver() {
    const int answer = host::showMessage(res::text(kTitle), kDriverNotInstalled, {DriverNameForMessages()});
    if (answer != host::kYes) return 1;
    if (m_bOnline) {
        host::showMessage(res::text(kTitle), kProtocolNotChanged);
        return 1;
    }
    SetHeadDefault(m_CurHead, headDefaultFor(m_nModuleType));
    m_CurParams = m_DefParams;
    // the default protocol's own sub-block lengths replace the driver's
    m_nDriverProtocol = 0;
    m_nProtocol = ProtocolFromIdentifier(m_DefParams.wProtocolId);
    CDb scratch = m_DefParams;
    BuildDefaults(scratch);
    m_nDriverDataLen = 0;
    m_bOldLayout = 0;
    m_DriverSections = {};
    m_DriverFileOffsets = {-1, -1, -1};
    m_nBlockCount = 1;
    SetModifiedFlag(true);
    return 0;
}

namespace {

// The stored driver and the installed one it was matched with: the same name and type, and
// whether the versions differ.
bool sameDriver(const CPtpDoc::StoredDriver& stored, const CDbSon& installedCode) {
    return stored.name == installedCode.achName && stored.protocolId == installedCode.wType;
}

bool otherVersion(const CPtpDoc::StoredDriver& stored, const CDbSon& installedCode) {
    return stored.verHi != installedCode.byVerHi || stored.verLo != installedCode.byVerLo;
}

}  // namespace

int CPtpDoc::HandleStoredDriver() {
    m_StoredDriver = storedDriverOf(m_CurParams);
    const int index = FindInstalledDriver(m_StoredDriver.name, m_StoredDriver.protocolId);
    if (index < 0) return GiveUpStoredDriver();
    m_nProtocol = driverProtocol(index);
    m_nDriverProtocol = m_nProtocol;

    DriverCheck check;
    check.sons = m_DrvSon;
    CDb params = m_CurParams;
    if (const int error = CheckDriver(params, check)) {
        // the stored parameters stay as they are
        ShowDriverError(error, res::text(kTitle));
        return 0;
    }
    const CDbSon& code = check.sons[kPartCode];
    if (!sameDriver(m_StoredDriver, code)) return GiveUpStoredDriver();
    if (otherVersion(m_StoredDriver, code)) {
        host::showMessage(res::text(kTitle), kOtherVersion);
        m_bDriverPending = 1;
        SetModifiedFlag(true);
    }
    m_CurParams = params;
    TakeDriverCheck(check);
    return 0;
}

int CPtpDoc::LoadSectionDriver(const std::optional<std::vector<uint8_t>>& codePart, bool& givenUp) {
    m_StoredDriver = storedDriverOf(m_CurParams);
    const int index = FindInstalledDriver(m_StoredDriver.name, m_StoredDriver.protocolId);
    if (index < 0) {
        givenUp = true;
        return GiveUpStoredDriver();
    }
    m_nProtocol = driverProtocol(index);
    m_nDriverProtocol = m_nProtocol;
    if (!codePart) return 0;

    DriverCheck check;
    check.sons = m_DrvSon;
    CDb params = m_CurParams;
    if (const int error = CheckDriver(params, check)) {
        // the stored sections are written back as they were read
        ShowDriverError(error, res::text(kTitle));
        return 0;
    }
    const auto image = sdb::ReadDriverImage(*codePart);
    if (!image) return 0;  // a code section without its head and descriptor: kept as read
    m_DrvHead[kPartCode] = image->head;
    m_StoredDriver.name = image->son.achName;
    m_StoredDriver.verHi = image->son.byVerHi;
    m_StoredDriver.verLo = image->son.byVerLo;
    m_StoredDriver.protocolId = image->son.wType;

    const CDbSon& code = check.sons[kPartCode];
    if (!sameDriver(m_StoredDriver, code)) {
        givenUp = true;
        return GiveUpStoredDriver();
    }
    if (otherVersion(m_StoredDriver, code)) {
        host::showMessage(res::text(kTitle), kOtherVersion);
        m_bDriverPending = 1;
        SetModifiedFlag(true);
    }
    m_CurParams = params;
    TakeDriverCheck(check);
    // the parts are read from the installed driver's files when the block is stored
    m_DriverSections = {};
    return 0;
}

bool CPtpDoc::BuildDriverImages(std::array<std::vector<uint8_t>, 3>& images, std::string* problem) {
    for (int part = kPartCode; part <= kPartProtocol; ++part) {
        std::array<uint8_t, sdb::kDriverHeadLength> intro{};
        const int size = BuildDriverPartIntro(part, intro);
        if (size == 0) continue;
        const auto length = static_cast<uint16_t>(size - sdb::kDriverHeadLength);
        const int64_t offset = m_DriverFileOffsets[static_cast<size_t>(part)];
        const std::string path = DriverFilePath(part);
        const auto body = offset >= 0 ? drv::ReadRecordBody(path, static_cast<uint64_t>(offset), length) : std::nullopt;
        if (!body) {
            if (problem) *problem = "Die Treiberdatei \"" + path + "\" kann nicht gelesen werden";
            return false;
        }
        std::vector<uint8_t>& image = images[static_cast<size_t>(part)];
        image.assign(intro.begin(), intro.end());
        image.insert(image.end(), body->begin(), body->end());
    }
    return true;
}
