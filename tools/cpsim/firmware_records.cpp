#include "tools/cpsim/firmware_records.h"

#include <algorithm>

namespace cpsim {
namespace {

constexpr std::uint16_t kRecord = 239;
constexpr std::int32_t kNoSuchRecord = static_cast<std::int32_t>(0xFFF60007);

std::uint16_t be16(std::span<const std::uint8_t> b, size_t at) {
    return at + 1 < b.size() ? static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]) : 0;
}

}  // namespace

void FirmwareRecords::answer(std::uint8_t echo, std::uint8_t status, std::uint16_t block) {
    echo_ = echo;
    status_ = status;
    ackBlock_ = block;
    answered_ = true;
    untouched_ = options_.untouchedAnswers;
    busy_ = options_.busyAnswers;
}

RecordResult FirmwareRecords::Write(std::uint16_t record, std::span<const std::uint8_t> data) {
    if (record != kRecord) return {kNoSuchRecord, {}};
    if (++writes_ == options_.failWrite) return {options_.failCode, {}};
    Job job;
    job.command = data.empty() ? 0 : data[0];
    job.block = be16(data, 4);
    job.count = be16(data, 6);
    job.data.assign(data.begin(), data.end());
    jobs_.push_back(job);
    afterReset_ = false;
    switch (job.command) {
    case 0: answer(0, 1, 0); break;
    case 8: {
        introduction_.assign(data.begin(), data.end());
        if (options_.resetFirst && !resetAsked_) {
            resetAsked_ = true;
            answer(8, 33, 1);
            break;
        }
        expected_ = data.size() >= 10 ? static_cast<std::uint32_t>(data[6]) << 24 | data[7] << 16 | data[8] << 8 | data[9] : 0;
        introduced_ = true;
        image_.clear();
        nextBlock_ = 2;
        lastBlock_ = 1;
        answer(8, options_.introStatus.value_or(expected_ == 0 ? 17 : 1), 1);
        break;
    }
    case 4: {
        if (introduced_ && job.block == nextBlock_ && image_.size() < expected_) {
            const size_t count = std::min<size_t>({job.count, data.size() > 8 ? data.size() - 8 : 0,
                                                   expected_ - image_.size()});
            image_.insert(image_.end(), data.begin() + 8, data.begin() + 8 + static_cast<std::ptrdiff_t>(count));
            lastBlock_ = nextBlock_++;
        }
        stale_ = options_.staleAnswers;
        const std::uint8_t status = options_.blockStatus.value_or(Complete() ? 17 : 1);
        answer(4, status, options_.wrongBlock.value_or(job.block));
        break;
    }
    case 9:
        ++resets_;
        answer(9, 1, 0);
        afterReset_ = true;
        break;
    default: answer(job.command, 6, 0); break;
    }
    return {0, {}};
}

RecordResult FirmwareRecords::Read(std::uint16_t record, std::uint16_t length) {
    if (record != kRecord) return {kNoSuchRecord, {}};
    if (++reads_ == options_.failRead) return {options_.failCode, {}};
    if (!answered_ || (untouched_ != 0)) {
        if (untouched_ > 0) --untouched_;
        return {0, {}};  // nothing filled in: the caller's sentinel bytes stay
    }
    std::vector<std::uint8_t> d(length, 0);
    auto put = [&d](std::uint8_t echo, std::uint8_t status, std::uint16_t block) {
        if (d.size() > 0) d[0] = echo;
        if (d.size() > 1) d[1] = status;
        if (d.size() > 5) {
            d[4] = static_cast<std::uint8_t>(block >> 8);
            d[5] = static_cast<std::uint8_t>(block);
        }
    };
    if (busy_ > 0) {
        --busy_;
        put(echo_, 0, ackBlock_);
    } else if (stale_ > 0) {
        --stale_;
        put(echo_, 1, static_cast<std::uint16_t>(ackBlock_ - 1));
    } else {
        put(echo_, status_, ackBlock_);
        // a reset module reports once that it reset, then stands idle
        if (afterReset_) {
            afterReset_ = false;
            echo_ = 0;
            status_ = 1;
            ackBlock_ = 0;
        }
    }
    return {0, d};
}

}  // namespace cpsim
