#pragma once
// The module's side of data record 200: the driver jobs of a module with a loadable driver.
// It takes the idle job, the introduction and the data blocks of each component, answers them
// in the same record, and reports its driver identification. What it received is kept so that a
// test can compare it with the driver files byte for byte. Options make it answer as a module
// that is slow, silent, confused or refusing.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/cpsim/module_side.h"

namespace cpsim {

class DriverRecords : public RecordServer {
public:
    struct Options {
        // The driver the module holds, as its identification read reports it; without one the
        // read answers 0x31 (no loadable driver). A complete code part loaded becomes the
        // module's driver (the name and version of its part descriptor).
        std::optional<std::string> driverName;     // 8 characters
        std::uint8_t verHi = 0, verLo = 0;
        // Status 2 ("already present") to every introduction.
        bool driverPresent = false;
        // Reads left untouched (no answer bytes) after each job, and busy answers (status 0)
        // after each job, before the real answer.
        int untouchedAnswers = 0;
        int busyAnswers = 0;
        // Answers for the block before the one last received, given before the right answer.
        int staleAnswers = 0;
        // Answers every data block with this block number instead of the one received.
        std::optional<std::uint16_t> wrongBlock;
        // The status of every answer to an introduction or a data block (1 when not given).
        std::optional<std::uint8_t> status;
        // Answers a job with this echo instead of the job's own.
        std::optional<std::uint8_t> echo;
        // The number of identification bytes the module claims (bytes 6 and 7 of its answer);
        // by default the number requested, at most what it holds.
        std::optional<std::uint16_t> identLength;
        // The library code of the n-th write (1 = the first) or read of the record; 0 for none.
        int failWrite = 0, failRead = 0;
        std::int32_t failCode = -1;
    };

    // One component as the module received it.
    struct Received {
        std::vector<std::uint8_t> introduction;  // the 89 bytes
        std::vector<std::uint8_t> code;          // the code bytes of its blocks, in order
        std::vector<std::vector<std::uint8_t>> blocks;  // each data block as written (206 bytes)
    };

    DriverRecords() = default;
    explicit DriverRecords(Options options) : options_(std::move(options)) {}

    std::vector<std::uint16_t> Records() const override { return {200}; }
    RecordResult Write(std::uint16_t record, std::span<const std::uint8_t> data) override;
    RecordResult Read(std::uint16_t record, std::uint16_t length) override;

    Options& options() { return options_; }
    // The components received, in the order their introductions came.
    const std::vector<Received>& received() const { return received_; }
    // Every job written (byte 0), in order.
    const std::vector<std::uint8_t>& jobs() const { return jobs_; }
    int writes() const { return writes_; }
    int reads() const { return reads_; }

private:
    void answer(std::uint8_t echo, std::uint8_t status, std::uint16_t block);

    Options options_;
    std::vector<Received> received_;
    std::vector<std::uint8_t> jobs_;
    std::vector<std::uint8_t> record_;       // what a read of the record gives
    int untouchedLeft_ = 0, busyLeft_ = 0, staleLeft_ = 0;
    std::uint8_t job_ = 0;
    std::uint16_t block_ = 0;
    std::uint16_t requested_ = 0;
    int writes_ = 0, reads_ = 0;
};

}  // namespace cpsim
