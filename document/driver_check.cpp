// The installation check of a loadable driver, the defaults its library gives, and the
// introduction of each driver part (its block head and descriptor).
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/driver_files.h"
#include "document/driver_library.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "resources/strings.h"
#include "sdb/driver_image.h"

namespace {

enum StringId {
    kProtocolNotChanged = 590,
    kFileAccess = 596,
    kLibraryMissing = 597,
    kNoFit = 598,
    kLongDriverRefused = 599,
    kLongDriverNotice = 604,
    kLoadableDriverTitle = 10469,
    kModuleCP731 = 10501,
    kModuleCP8312 = 10505,
};

enum DriverError { kOk = 0, kErrFile = 10, kErrLibrary = 11, kErrNoRecord = 20, kErrLongDriver = 30 };

// Types from 4096 on are firmware files; a smaller one is firmware the module already has.
constexpr uint32_t kFirmwareFileTypes = 4096;
constexpr size_t kFileNameLength = 12;
constexpr uint8_t kLongDriver = 1;

using Image = std::array<uint8_t, CDbSon::kSize>;

CDbSon sonOf(const Image& b) { return *sdb::ReadSon(b); }

void put16(Image& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void put32(Image& b, size_t at, uint32_t v) {
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xFFFF);
}

// Copies bytes [from, to] of `src` into `dst`.
void take(Image& dst, const Image& src, size_t from, size_t to) {
    std::copy(src.begin() + static_cast<std::ptrdiff_t>(from), src.begin() + static_cast<std::ptrdiff_t>(to) + 1,
              dst.begin() + static_cast<std::ptrdiff_t>(from));
}

// A part of the driver image takes its head and body and 1 to 16 filler bytes, so that the
// next part starts at a multiple of 16.
uint32_t paddedSize(const drv::DriverRecord& r) {
    const uint32_t size = static_cast<uint32_t>(r.size());
    return size + 16 - size % 16;
}

void copyName(char (&dst)[8], const std::array<char, 8>& src) { std::copy(src.begin(), src.end(), dst); }

}  // namespace

void CPtpDoc::ShowDriverError(int error, const std::string& title) {
    switch (error) {
    case kErrFile: host::showMessage(title, kFileAccess); break;
    case kErrLibrary: host::showMessage(title, kLibraryMissing); break;
    case kErrNoRecord: host::showMessage(title, kNoFit); break;
    case kErrLongDriver: host::showMessage(title, kLongDriverRefused); break;
    default: break;
    }
}

const InstalledDriver* CPtpDoc::InstalledDriverOf(int protocol) const {
    if (!isLoadableDriver(protocol)) return nullptr;
    const int index = driverIndexOf(protocol);
    if (index < 0 || static_cast<size_t>(index) >= m_app.drivers.size()) return nullptr;
    return &m_app.drivers[static_cast<size_t>(index)];
}

bool CPtpDoc::DriverHasTexts() const {
    const InstalledDriver* d = InstalledDriverOf(m_nProtocol);
    return d && d->texts;
}

std::string CPtpDoc::DriverFilePath(int part) const {
    const InstalledDriver* d = InstalledDriverOf(m_nProtocol);
    if (!d) return {};
    switch (part) {
    case kPartCode: return m_app.driverFolder + d->codeFile;
    case kPartFirmware: return m_app.driverFolder + d->firmwareFile;
    case kPartProtocol: return m_app.driverFolder + d->protocolFile;
    default: return {};
    }
}

int CPtpDoc::CheckDriver(CDb& params, DriverCheck& check) {
    const InstalledDriver* driver = InstalledDriverOf(m_nProtocol);
    if (!driver) return kErrFile;
    const std::string& folder = m_app.driverFolder;
    const uint32_t hwMask = static_cast<uint32_t>(m_nDriverHwMask);
    auto fitsHardware = [hwMask](const drv::DriverRecord& r) { return (r.hwBits & hwMask) == hwMask; };

    // 1. The description names the parts and their types and versions for this module.
    drv::Description description;
    if (driver->descriptionFile.size() == kFileNameLength) {
        auto read = drv::ReadDescriptionFile(folder + driver->descriptionFile, drv::ModulePattern(m_szOrderNo));
        if (!read) return kErrFile;
        description = *read;
    }
    const bool versions = description.found;
    const int parts = versions ? description.partsMask : m_nDriverParts;

    // Walks a driver file for the record that fits; 0 or the error.
    auto find = [&](const std::string& file, const drv::RecordMatcher& match, drv::DriverRecord& found) {
        if (file.size() != kFileNameLength) return kErrFile;
        const auto search = drv::FindRecordInFile(folder + file, match);
        if (!search) return kErrFile;
        if (search->result != drv::WalkResult::Found) return kErrNoRecord;
        found = search->record;
        return kOk;
    };
    // With a description: its type and version, and the module's hardware bits; without: the
    // hardware bits alone.
    auto partMatch = [&](const drv::PartDescription& part) {
        if (!versions) return drv::RecordMatcher(fitsHardware);
        return drv::RecordMatcher([&part, fitsHardware](const drv::DriverRecord& r) {
            return r.type == part.type && part.version && *part.version == drv::Version{r.verHi, r.verLo} && fitsHardware(r);
        });
    };

    // 2. The code.
    drv::DriverRecord code;
    const drv::PartDescription& kp = description.code;
    const drv::RecordMatcher codeMatch = versions ? drv::RecordMatcher([&kp](const drv::DriverRecord& r) {
        return r.type == kp.type && kp.version && *kp.version == drv::Version{r.verHi, r.verLo};
    }) : drv::RecordMatcher(fitsHardware);
    if (int e = find(driver->codeFile, codeMatch, code)) return e;

    // 3. The record and the identification take the code's name, version and type.
    CDb rec = params;
    PtpDriverInfo info{};
    std::copy(code.name.begin(), code.name.end(), rec.achDriverName);
    rec.byDriverVerHi = code.verHi;
    rec.byDriverVerLo = code.verLo;
    rec.wProtocolId = code.type;
    rec.byInterface = static_cast<uint8_t>(m_nInterfaceCode & 0xFF);
    copyName(info.driverName, code.name);
    info.driverVerHi = code.verHi;
    info.driverVerLo = code.verLo;
    info.codeLength = code.bodyLength;
    info.codeType = code.type;
    info.protocolNumber = static_cast<uint16_t>(driverIndexOf(m_nProtocol) + kIdDriverBase);
    const int moduleText = m_nModuleType == kCP731 ? kModuleCP731 : m_nModuleType == kCP8312 ? kModuleCP8312 : 0;
    if (moduleText) std::snprintf(info.moduleName, sizeof info.moduleName, "%s", res::text(moduleText).c_str());
    info.interfaceNo = static_cast<uint16_t>(m_nInterfaceNo);

    // 4. The firmware: from the description alone when the module has it already, else from
    // the firmware file.
    std::optional<drv::DriverRecord> firmware;
    uint32_t firmwareType = 0;
    std::array<CDbSon, 3> sons = check.sons;
    if (parts & 1) {
        if (versions && description.firmware.type < kFirmwareFileTypes) {
            std::memcpy(rec.achSccName, "00000000", 8);
            std::memset(info.firmwareName, ' ', sizeof info.firmwareName);
            firmwareType = description.firmware.type;
            const drv::Version v = description.firmware.version.value_or(drv::Version{});
            info.firmwareVerHi = v.hi;
            info.firmwareVerLo = v.lo;
            info.firmwareType = static_cast<uint16_t>(firmwareType);
        } else {
            drv::DriverRecord r;
            if (int e = find(driver->firmwareFile, partMatch(description.firmware), r))
                return e;
            firmware = r;
            firmwareType = r.type;
            std::copy(r.name.begin(), r.name.end(), rec.achSccName);
            copyName(info.firmwareName, r.name);
            info.firmwareVerHi = r.verHi;
            info.firmwareVerLo = r.verLo;
            info.firmwareLength = r.bodyLength;
            info.firmwareType = r.type;
        }
        rec.bySccVerHi = code.verHi;
        rec.bySccVerLo = code.verLo;
        rec.wDriverWord = static_cast<uint16_t>(firmwareType);
    } else {
        std::memcpy(rec.achSccName, "00000000", 8);
        rec.bySccVerHi = rec.bySccVerLo = 0;
        rec.wDriverWord = 0;
        SetSonDefault(sons[kPartFirmware], SonDefault::Scc);
    }

    // 5. The protocol part.
    std::optional<drv::DriverRecord> protocol;
    if (parts & 2) {
        drv::DriverRecord r;
        if (int e = find(driver->protocolFile, partMatch(description.protocol), r))
            return e;
        protocol = r;
        copyName(info.protocolName, r.name);
        info.protocolVerHi = r.verHi;
        info.protocolVerLo = r.verLo;
        info.protocolLength = r.bodyLength;
        info.protocolType = r.type;
    } else {
        SetSonDefault(sons[kPartProtocol], SonDefault::Ptp);
    }

    // 6. The sub-blocks the driver brings and the sections they make.
    int blockMask = 0x001, blockCount = 2 + (m_bTextPresent ? 1 : 0);
    std::array<int64_t, 3> offsets{static_cast<int64_t>(code.offset), -1, -1};
    if (firmware) {
        blockMask |= 0x010;
        ++blockCount;
        offsets[kPartFirmware] = static_cast<int64_t>(firmware->offset);
    }
    if (protocol) {
        blockMask |= 0x100;
        ++blockCount;
        offsets[kPartProtocol] = static_cast<int64_t>(protocol->offset);
    }

    // 7. The descriptors. The driver image holds the code, then the protocol part, then the
    // firmware; the code's descriptor tells where each part starts.
    Image c = code.head;
    c[22] = static_cast<uint8_t>(parts);
    c[23] = 4;
    put16(c, 24, code.type);
    put16(c, 26, protocol ? protocol->type : 0);
    put16(c, 28, firmwareType);
    put32(c, 30, 0);
    put32(c, 34, protocol ? paddedSize(code) : 0xFFFFFFFFu);
    put32(c, 38, firmware ? paddedSize(code) + (protocol ? paddedSize(*protocol) : 0) : 0xFFFFFFFFu);
    if (protocol) std::copy_n(protocol->head.begin() + 46, 4, c.begin() + 46);
    else put32(c, 46, 0);
    if (firmware) std::copy_n(firmware->head.begin() + 50, 4, c.begin() + 50);
    else put32(c, 50, 0);

    // 8. A long driver runs on interface 1 only.
    if (code.longDriver == kLongDriver) {
        if (m_nInterfaceNo == 2) return kErrLongDriver;
        host::showMessage(res::text(kLoadableDriverTitle), kLongDriverNotice);
    }

    // 9. The firmware and protocol descriptors carry the code's version and layout; byte 23
    // names the part (4 code, 1 firmware, 2 protocol part).
    if (firmware) {
        Image f = firmware->head;
        take(f, c, 8, 11);
        f[22] = c[22];
        take(f, c, 24, 49);
        f[54] = c[54];
        f[23] = 1;
        sons[kPartFirmware] = sonOf(f);
    }
    if (protocol) {
        Image p = protocol->head;
        take(p, c, 8, 11);
        p[22] = c[22];
        take(p, c, 24, 45);
        take(p, c, 50, 54);
        p[23] = 2;
        sons[kPartProtocol] = sonOf(p);
    }
    sons[kPartCode] = sonOf(c);

    params = rec;
    check.info = info;
    check.sons = sons;
    check.blockMask = blockMask;
    check.blockCount = blockCount;
    check.fileOffsets = offsets;
    return kOk;
}

void CPtpDoc::TakeDriverCheck(const DriverCheck& check) {
    m_DrvSon = check.sons;
    m_DriverInfo = check.info;
    m_nDrvBlockMask = check.blockMask;
    m_nBlockCount = check.blockCount;
    m_DriverFileOffsets = check.fileOffsets;
    m_nDriverProtocol = m_nProtocol;
}

int CPtpDoc::ApplyDriverDefaults(CDb& params) {
    if ((m_nModuleType != kCP731 && m_nModuleType != kCP8312) || !isLoadableDriver(m_nProtocol)) return -1;
    const std::string title = res::text(kProtocolNotChanged);

    DriverCheck check;
    check.sons = m_DrvSon;
    CDb rec = params;
    int error = CheckDriver(rec, check);
    DriverLibrary library;
    if (!error && !library.Open(m_app.driverFolder + InstalledDriverOf(m_nProtocol)->library)) error = kErrLibrary;
    if (error) {
        ShowDriverError(error, title);
        return -1;
    }

    BlockLengths.fill(0);
    const HeadDefault head = headDefaultFor(m_nModuleType);
    SetHeadDefault(m_CurHead, head);
    for (CDbHead& h : m_DrvHead) SetHeadDefault(h, head);
    if (m_bTextPresent) {
        m_bTextPresent = 0;
        --check.blockCount;
    }
    TakeDriverCheck(check);
    // The parts are read from the driver files when the block is built, not kept as stored.
    m_DriverSections = {};
    m_bOldLayout = 0;

    if (!m_pDriverData) m_pDriverData = std::make_unique<std::array<uint8_t, kDriverDataSize>>();
    m_pDriverData->fill(0);
    uint32_t length = 0;
    PtpDriverData data{m_pDriverData->data(), static_cast<uint32_t>(kDriverDataSize), &length};
    if (auto doDefault = library.Function<PtpDoDefault>(kPtpDoDefault)) doDefault(&rec, &m_DriverInfo, &data);
    library.Close();
    m_nDriverDataLen = std::min<size_t>(length, kDriverDataSize);

    if (m_nModuleType == kCP731) BlockLengths[0] = 2;
    BlockLengths[1] = 24;
    BlockLengths[2] = 49;
    if (DriverHasTexts()) {
        SetPrinterDefaults(m_DefPrinter, m_app.language);
        SetHeadDefault(m_TextHead, HeadDefault::Text);
        SetTextNameDefault(m_DefTextName);
        BlockLengths[3] = 7;
        BlockLengths[4] = 65;
        BlockLengths[5] = 256;
    }
    params = rec;
    return 0;
}

int CPtpDoc::BuildDriverPartIntro(int part, std::span<uint8_t> out) {
    if (part < kPartCode || part > kPartProtocol || out.size() < sdb::kDriverHeadLength) return 0;
    // one hexadecimal digit of the mask per part: code, firmware, protocol part
    if (((m_nDrvBlockMask >> (4 * part)) & 0xF) != 1) return 0;
    const uint32_t lengths[] = {m_DriverInfo.codeLength, m_DriverInfo.firmwareLength, m_DriverInfo.protocolLength};
    const uint16_t length = static_cast<uint16_t>(std::min<uint32_t>(lengths[part], 0xFFFF));
    const auto kind = static_cast<sdb::ImageKind>(static_cast<int>(sdb::ImageKind::DriverCode) + part);
    CDbHead& head = m_DrvHead[static_cast<size_t>(part)];
    head = sdb::MakeDriverHead(BuildContext(), kind, m_CurHead, head, length);
    sdb::WriteHead(head, out.first<CDbHead::kSize>());
    sdb::WriteSon(m_DrvSon[static_cast<size_t>(part)], out.subspan<CDbHead::kSize, CDbSon::kSize>());
    return sdb::kDriverHeadLength + length;
}
