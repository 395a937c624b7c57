#pragma once
// What an online job needs from an open connection to the module's station: the three calls of
// the online library that carry data. COnlineConnection gives one for the station it opened;
// tests give one that talks to the station simulator in the same process.
#include <cstdint>
#include <span>
#include <vector>

namespace online {

class ModuleChannel {
public:
    virtual ~ModuleChannel() = default;
    // y5ag_bub_write_var with one item: `request` is the record address (12 bytes), the data
    // head {0x00, 0x09, length} and the data. 0, or the library's non-zero code.
    virtual std::int32_t WriteRecord(std::span<const std::uint8_t> request) = 0;
    // y5ag_bub_read_var with one item: `address` is the 12-byte record address; `response`
    // receives at most `responseSize` bytes: the 4-byte head, then the record data. 0, or the
    // library's non-zero code.
    virtual std::int32_t ReadRecord(std::span<const std::uint8_t> address, std::vector<std::uint8_t>& response,
                                    std::size_t responseSize) = 0;
    // y5ag_read_szl: the response (big-endian: id, index, record length, record count, records)
    // of at most `bufferSize` bytes. 0, or the library's non-zero code.
    virtual std::int32_t ReadSzl(std::uint16_t id, std::uint16_t index, std::vector<std::uint8_t>& response,
                                 std::size_t bufferSize) = 0;
};

}  // namespace online
