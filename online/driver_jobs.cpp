#include "online/driver_jobs.h"

#include <algorithm>

#include "host/messages.h"
#include "online/online_connection.h"
#include "online/record_address.h"
#include "resources/strings.h"

namespace online::driver {

namespace {

constexpr std::size_t kHeadSize = 4;     // of a write's data head and of a read response
constexpr std::uint16_t kSzlState = 0x0424;
constexpr std::size_t kSzlBufferSize = 108;
constexpr std::size_t kSzlStateByte = 11;

std::uint16_t be16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

}  // namespace

int ShowMessage(int id) { return host::showMessage(res::text(kCaption), id); }

std::int32_t WriteJob(ModuleChannel& channel, std::uint16_t moduleAddress, std::span<const std::uint8_t> data) {
    return channel.WriteRecord(RecordWriteRequest(kRecord, moduleAddress, data));
}

Answer ReadAnswer(ModuleChannel& channel, std::uint16_t moduleAddress, std::size_t size) {
    Answer a;
    a.data.assign(size, 0);
    a.data[0] = a.data[1] = kSentinel;
    // the buffer as it is before the read: what the read does not deliver stays like this
    std::vector<std::uint8_t> response(kHeadSize + size, 0);
    response[kHeadSize] = response[kHeadSize + 1] = kSentinel;
    const auto address = RecordAddress(static_cast<std::uint16_t>(size), kRecord, moduleAddress);
    a.code = channel.ReadRecord(address, response, kHeadSize + size);
    if (a.code != 0) return a;
    const std::size_t delivered = std::min(response.size(), kHeadSize + size);
    if (delivered > kHeadSize) std::copy(response.begin() + kHeadSize, response.begin() + delivered, a.data.begin());
    a.untouched = a.data[0] == kSentinel && a.data[1] == kSentinel;
    return a;
}

int OperatingStateCode(std::uint8_t bits) { return CpuStateCode(bits & 0x0F); }

std::optional<int> ReadOperatingState(ModuleChannel& channel) {
    std::vector<std::uint8_t> response(kSzlBufferSize, 0x78);
    if (channel.ReadSzl(kSzlState, 0, response, kSzlBufferSize) != 0) return std::nullopt;
    if (response.size() < 8) return std::nullopt;
    const std::uint16_t recordLength = be16(response, 4);
    std::uint16_t count = be16(response, 6);
    if (count == 0xFFFF) {
        // the count is left to the reader: the records that fill the response
        const std::size_t length = response.size();
        if (recordLength == 0 || (length - 8) % recordLength != 0) return std::nullopt;
        count = static_cast<std::uint16_t>((length - 8) / recordLength);
    }
    if (count == 0 || response.size() <= kSzlStateByte) return std::nullopt;
    return OperatingStateCode(response[kSzlStateByte]);
}

}  // namespace online::driver
