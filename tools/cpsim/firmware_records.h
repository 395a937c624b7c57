#pragma once
// The module's side of data record 239: the firmware jobs. It takes the idle job, the
// introduction, the data blocks and the reset, answers each in the same record, and keeps the
// image it received so that a test can compare it with the update set's image byte for byte.
// Options make it answer as a module that is slow, silent, confused or refusing.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tools/cpsim/module_side.h"

namespace cpsim {

class FirmwareRecords : public RecordServer {
public:
    struct Options {
        // Reads left untouched (no answer bytes) after each job, before the real answer; -1: every read.
        int untouchedAnswers = 0;
        // Busy answers (status 0) after each job before the real answer.
        int busyAnswers = 0;
        // Answers for the block before the one last received, given before the right answer.
        int staleAnswers = 0;
        // Every data block is acknowledged with this number instead of its own.
        std::optional<std::uint16_t> wrongBlock;
        // The status of the answer to the introduction (instead of 1): 2, 18, 34, 66 ...
        std::optional<std::uint8_t> introStatus;
        // The status of the answer to every data block (instead of 1 and 17).
        std::optional<std::uint8_t> blockStatus;
        // The first introduction is answered with status 33: reset first.
        bool resetFirst = false;
        // The n-th write (1 = the first) or read of the record fails with `failCode`; 0 for none.
        int failWrite = 0, failRead = 0;
        std::int32_t failCode = -1;
    };

    FirmwareRecords() = default;
    explicit FirmwareRecords(Options options) : options_(options) {}

    std::vector<std::uint16_t> Records() const override { return {239}; }
    RecordResult Write(std::uint16_t record, std::span<const std::uint8_t> data) override;
    RecordResult Read(std::uint16_t record, std::uint16_t length) override;

    // What the module received.
    const std::vector<std::uint8_t>& Image() const { return image_; }
    const std::vector<std::uint8_t>& Introduction() const { return introduction_; }
    // Each job as written, in order: command byte and, for data blocks, the block number.
    struct Job {
        std::uint8_t command = 0;
        std::uint16_t block = 0;
        std::uint16_t count = 0;
        std::vector<std::uint8_t> data;
    };
    const std::vector<Job>& Jobs() const { return jobs_; }
    // The introduction's image length has arrived completely.
    bool Complete() const { return introduced_ && image_.size() == expected_; }
    int Resets() const { return resets_; }

private:
    void answer(std::uint8_t echo, std::uint8_t status, std::uint16_t block);

    Options options_;
    std::vector<std::uint8_t> introduction_, image_;
    std::vector<Job> jobs_;
    std::uint32_t expected_ = 0;
    bool introduced_ = false, resetAsked_ = false, afterReset_ = false;
    std::uint16_t nextBlock_ = 2, lastBlock_ = 1;
    std::uint8_t echo_ = 0, status_ = 1;
    std::uint16_t ackBlock_ = 0;
    bool answered_ = false;
    int untouched_ = 0, busy_ = 0, stale_ = 0;
    int writes_ = 0, reads_ = 0, resets_ = 0;
};

}  // namespace cpsim
