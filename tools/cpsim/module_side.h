#pragma once
// The station simulator's model of one communication module: the data records it answers. The
// station hands every record write and read for the module's address to the module side that
// serves that record number (200 driver jobs, 239 firmware jobs, 248 identification).
#include <cstdint>
#include <span>
#include <vector>

namespace cpsim {

// The outcome of one record access as the online library reports it: 0, or a library code.
struct RecordResult {
    std::int32_t code = 0;
    std::vector<std::uint8_t> data;  // read: the record's data bytes (without the 4-byte head)
};

class RecordServer {
public:
    virtual ~RecordServer() = default;
    // The record numbers this module side answers.
    virtual std::vector<std::uint16_t> Records() const = 0;
    // A write of `data` (the bytes after the data head) into `record`.
    virtual RecordResult Write(std::uint16_t record, std::span<const std::uint8_t> data) = 0;
    // A read of at most `length` bytes of `record`.
    virtual RecordResult Read(std::uint16_t record, std::uint16_t length) = 0;
};

}  // namespace cpsim
