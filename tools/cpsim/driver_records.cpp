#include "tools/cpsim/driver_records.h"

#include <algorithm>

namespace cpsim {

namespace {

constexpr std::size_t kRecordSize = 206;
constexpr std::size_t kIntroductionAt = 12, kIntroductionSize = 89;
constexpr std::size_t kCodeAt = 8, kCodeMax = 198;
constexpr std::size_t kIdentAt = 8;
// where the part descriptor of an introduction names its part: name, version, body length
constexpr std::size_t kSonAt = 25;

std::uint16_t be16(std::span<const std::uint8_t> b, std::size_t at) {
    return at + 1 < b.size() ? static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]) : 0;
}

}  // namespace

void DriverRecords::answer(std::uint8_t echo, std::uint8_t status, std::uint16_t block) {
    record_.assign(kRecordSize, 0);
    record_[0] = options_.echo.value_or(echo);
    record_[1] = status;
    record_[4] = static_cast<std::uint8_t>(block >> 8);
    record_[5] = static_cast<std::uint8_t>(block & 0xFF);
    untouchedLeft_ = options_.untouchedAnswers;
    busyLeft_ = options_.busyAnswers;
}

RecordResult DriverRecords::Write(std::uint16_t record, std::span<const std::uint8_t> data) {
    if (record != 200 || data.empty()) return {-1, {}};
    ++writes_;
    if (options_.failWrite == writes_) return {options_.failCode, {}};
    job_ = data[0];
    jobs_.push_back(job_);
    const std::uint8_t status = options_.status.value_or(1);
    switch (job_) {
    case 8: {  // introduction of a component
        Received r;
        if (data.size() >= kIntroductionAt + kIntroductionSize)
            r.introduction.assign(data.begin() + kIntroductionAt, data.begin() + kIntroductionAt + kIntroductionSize);
        received_.push_back(std::move(r));
        block_ = be16(data, 4);
        answer(8, options_.driverPresent ? 2 : status, block_);
        break;
    }
    case 4: {  // data block
        block_ = be16(data, 4);
        if (!received_.empty()) {
            Received& r = received_.back();
            const std::size_t count = std::min<std::size_t>({be16(data, 6), kCodeMax, data.size() > kCodeAt ? data.size() - kCodeAt : 0});
            r.code.insert(r.code.end(), data.begin() + kCodeAt, data.begin() + kCodeAt + count);
            r.blocks.emplace_back(data.begin(), data.end());
            // the code part complete: its driver is the module's driver from now on
            if (received_.size() == 1 && r.introduction.size() == kIntroductionSize &&
                r.code.size() == be16(r.introduction, kSonAt + 14)) {
                options_.driverName = std::string(r.introduction.begin() + kSonAt, r.introduction.begin() + kSonAt + 8);
                options_.verHi = r.introduction[kSonAt + 8];
                options_.verLo = r.introduction[kSonAt + 9];
            }
        }
        answer(4, status, options_.wrongBlock.value_or(block_));
        staleLeft_ = options_.staleAnswers;
        break;
    }
    case 2: {  // read the driver identification
        requested_ = be16(data, 8);
        if (!options_.driverName) {
            answer(2, 0x31, 1);
            break;
        }
        answer(2, 1, 1);
        const std::uint16_t length = options_.identLength.value_or(
            static_cast<std::uint16_t>(std::min<std::size_t>(requested_, kRecordSize - kIdentAt)));
        record_[6] = static_cast<std::uint8_t>(length >> 8);
        record_[7] = static_cast<std::uint8_t>(length & 0xFF);
        const std::string name = (*options_.driverName + std::string(8, ' ')).substr(0, 8);
        std::copy(name.begin(), name.end(), record_.begin() + kIdentAt);
        record_[kIdentAt + 8] = options_.verHi;
        record_[kIdentAt + 9] = options_.verLo;
        break;
    }
    default:  // the idle job, and anything the module does not know, leaves it idle
        record_.assign(kRecordSize, 0);
        untouchedLeft_ = busyLeft_ = staleLeft_ = 0;
        break;
    }
    return {};
}

RecordResult DriverRecords::Read(std::uint16_t record, std::uint16_t length) {
    if (record != 200) return {-1, {}};
    ++reads_;
    if (options_.failRead == reads_) return {options_.failCode, {}};
    if (untouchedLeft_ > 0) {
        --untouchedLeft_;
        return {};
    }
    std::vector<std::uint8_t> data = record_;
    data.resize(kRecordSize, 0);
    if (busyLeft_ > 0) {
        --busyLeft_;
        data[1] = 0;
    } else if (staleLeft_ > 0 && job_ == 4) {
        --staleLeft_;
        const std::uint16_t older = static_cast<std::uint16_t>(be16(data, 4) - 1);
        data[4] = static_cast<std::uint8_t>(older >> 8);
        data[5] = static_cast<std::uint8_t>(older & 0xFF);
        if (older == 1) data[0] = 8;  // the answer to the introduction
    }
    data.resize(std::min<std::size_t>(length, kRecordSize));
    return {0, std::move(data)};
}

}  // namespace cpsim
