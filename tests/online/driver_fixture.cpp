#include "tests/online/driver_fixture.h"

#include <fstream>
#include <iterator>

#include "document/codes.h"
#include "online/record_address.h"

namespace drvonline {

namespace fs = std::filesystem;

std::int32_t SimChannel::WriteRecord(std::span<const std::uint8_t> request) {
    const auto write = online::ParseRecordWrite(request);
    if (!write) return -2;
    addresses.push_back(write->target.moduleAddress);
    return server_.Write(write->target.record, write->data).code;
}

std::int32_t SimChannel::ReadRecord(std::span<const std::uint8_t> address, std::vector<std::uint8_t>& response,
                                    std::size_t responseSize) {
    const auto target = online::ParseRecordAddress(address);
    if (!target) return -2;
    addresses.push_back(target->moduleAddress);
    const cpsim::RecordResult r = server_.Read(target->record, target->length);
    if (r.code != 0) return r.code;
    response.assign(4, 0);
    response.insert(response.end(), r.data.begin(), r.data.end());
    if (response.size() > responseSize) response.resize(responseSize);
    return 0;
}

std::int32_t SimChannel::ReadSzl(std::uint16_t id, std::uint16_t index, std::vector<std::uint8_t>& response,
                                 std::size_t bufferSize) {
    if (szlFails || id != 0x0424) return -3;
    // head {id, index, record length 20, count 1}, then one record whose byte 3 holds the state
    response.assign(8 + 20, 0);
    response[0] = 0x04, response[1] = 0x24;
    response[2] = static_cast<std::uint8_t>(index >> 8), response[3] = static_cast<std::uint8_t>(index);
    response[5] = 20;
    response[7] = 1;
    response[11] = stateBits;
    if (response.size() > bufferSize) response.resize(bufferSize);
    return 0;
}

SampleDriverModule::SampleDriverModule(const fs::path& folder, const driverpkg::Options& options) {
    driverpkg::WritePackage(folder, options);
    // a library once loaded stays mapped: it is never written over
    if (!fs::exists(folder / driverpkg::kBuiltLibrary)) fs::copy_file(PTP_SAMPLE_DRIVER, folder / driverpkg::kBuiltLibrary);
    app.driverFolder = folder.string() + "/";
    InstalledDriver d;
    d.displayName = driverpkg::kDisplayName;
    d.library = driverpkg::kBuiltLibrary;
    d.codeFile = driverpkg::kCodeFile;
    d.firmwareFile = driverpkg::kFirmwareFile;
    d.protocolFile = driverpkg::kProtocolFile;
    d.descriptionFile = driverpkg::kDescriptionFile;
    d.texts = options.texts;
    app.drivers.push_back(d);
    doc = std::make_unique<CPtpDoc>(app);
    doc->m_nModuleType = kCP731;
    doc->m_szOrderNo = "9QX4-731-1KE02-0AB0";
    doc->m_nInterfaceNo = 1;
    doc->m_nInterfaceCode = kIfTty;
    doc->m_nDriverParts = 5;
    doc->m_nDriverHwMask = 256;
    doc->m_nRack = 0;
    doc->m_nSlot = 5;
    doc->m_nProtocol = driverProtocol(0);
    ready = doc->ApplyDriverDefaults(doc->m_DefParams) == 0;
}

std::optional<std::vector<std::uint8_t>> ExpectedCode(const fs::path& file, const std::vector<std::uint8_t>& introduction) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (introduction.size() < 89) return std::nullopt;
    for (std::size_t at = 0; at + 64 <= bytes.size();) {
        const std::size_t body = static_cast<std::size_t>(bytes[at + 14] << 8 | bytes[at + 15]);
        if (at + 64 + body > bytes.size()) break;
        const bool sameName = std::equal(bytes.begin() + at, bytes.begin() + at + 8, introduction.begin() + 25);
        const bool sameType = bytes[at + 12] == introduction[37] && bytes[at + 13] == introduction[38];
        if (sameName && sameType) return std::vector<std::uint8_t>(bytes.begin() + at + 64, bytes.begin() + at + 64 + body);
        at += 64 + body;
    }
    return std::nullopt;
}

}  // namespace drvonline
