#include "online/firmware_transfer.h"

#include <algorithm>

#include "host/registry.h"
#include "online/online_connection.h"

namespace online {
namespace {

// Module status codes of an answer.
enum Status : uint8_t {
    kStatusBusy = 0,
    kStatusOk = 1,
    kStatusNotResponding = 2,
    kStatusComplete = 17,
    kStatusWrongType = 18,
    kStatusResetFirst = 33,
    kStatusWrongState = 34,
    kStatusWrongMode = 66,
};

// Diagnostic fields of the dialog.
enum Diag : int {
    kDiagJob = 1436,
    kDiagWriteLabel = 1437,
    kDiagReadLabel = 1438,
    kDiagEcho = 1439,
    kDiagMpiLabel = 1440,
    kDiagAddressLabel = 1441,
    kDiagMpi = 1442,
    kDiagAddress = 1443,
    kDiagStatus = 1448,
};

constexpr uint8_t kSentinel = 0x55;

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

}  // namespace

std::string ReadFirmwarePath(host::Registry& registry) {
    return registry.read(host::Hive::CurrentUser, kFwRegistryKey, kFwRegistryValue).value_or("");
}

bool WriteFirmwarePath(host::Registry& registry, const std::string& indexPath) {
    return registry.write(host::Hive::CurrentUser, kFwRegistryKey, kFwRegistryValue, indexPath);
}

std::vector<uint8_t> FirmwareWriteRequest(uint16_t moduleAddress, const std::vector<uint8_t>& data) {
    return RecordWriteRequest(kFirmwareRecord, moduleAddress, data);
}

std::vector<uint8_t> FirmwareReadAddress(uint16_t moduleAddress, uint16_t length) {
    const auto a = RecordAddress(length, kFirmwareRecord, moduleAddress);
    return {a.begin(), a.end()};
}

std::vector<uint8_t> IntroductionJob(const UpdateSet& set, uint32_t imageLength, size_t jobSize) {
    std::vector<uint8_t> job(jobSize, 0);
    job[0] = kCmdIntroduction;
    put16(job, 4, 1);
    put32(job, 6, imageLength);
    job[10] = static_cast<uint8_t>(set.entries.size());
    job[11] = static_cast<uint8_t>(set.structureSelector);
    size_t at = 12;
    for (const auto& e : set.entries) {
        put16(job, at, e.sequence);
        std::copy(e.orderNo.begin(), e.orderNo.end(), job.begin() + static_cast<std::ptrdiff_t>(at + 2));
        std::copy(e.version.begin(), e.version.end(), job.begin() + static_cast<std::ptrdiff_t>(at + 22));
        at += 26;
    }
    return job;
}

std::optional<int> CpuStateFromSzl(const std::vector<uint8_t>& response) {
    if (response.size() < 12) return std::nullopt;
    return CpuStateCode(response[11] & 0x0F);
}

FirmwareTransfer::FirmwareTransfer(ModuleChannel* channel, const FirmwareTarget& target, std::string pathText,
                                   FirmwareView& view, host::Registry* registry)
    : channel_(channel), target_(target), pathText_(std::move(pathText)), view_(view), registry_(registry) {
    if (target_.smallRecord) {
        chunk_ = kChunkSmall;
        longJob_ = kLongJobSmall;
        answer_ = kAnswerSmall;
    }
}

FirmwareTransfer::Step FirmwareTransfer::Next() {
    switch (phase_) {
    case Phase::CheckState: return checkState();
    case Phase::Validate: return validate();
    case Phase::Idle: return writeIdle();
    case Phase::Poll: return poll();
    case Phase::Ended: break;
    }
    return {true, 0};
}

void FirmwareTransfer::diagnostic(int control, const std::string& text) {
    if (set_.diagnostics) view_.Diagnostic(control, text);
}

std::vector<uint8_t> FirmwareTransfer::shortJob(uint8_t command) const {
    std::vector<uint8_t> job(kShortJobSize, 0);
    job[0] = command;
    return job;
}

bool FirmwareTransfer::write(const std::vector<uint8_t>& data) {
    if (channel_->WriteRecord(FirmwareWriteRequest(target_.moduleAddress, data)) != 0) return false;
    noProgress_ = 0;
    return true;
}

FirmwareTransfer::Step FirmwareTransfer::checkState() {
    outcome_.firmwareMissing = target_.moduleWithoutFirmware;
    phase_ = Phase::Ended;
    if (!channel_) {
        view_.Message(kFwNotConnected);
        return {true, 0};
    }
    std::vector<uint8_t> szl;
    const std::int32_t rc = channel_->ReadSzl(kSzlCpuState, 0, szl, kSzlBufferSize);
    const std::optional<int> state = rc == 0 ? CpuStateFromSzl(szl) : std::nullopt;
    if (!state) {
        view_.Message(kFwStateUnreadable);
        return {true, 0};
    }
    if (*state != kStateStop) {
        view_.Message(kFwNotInStop);
        outcome_.closeDialog = false;
        outcome_.refused = true;
        return {true, 0};
    }
    phase_ = Phase::Validate;
    return wait(0);
}

FirmwareTransfer::Step FirmwareTransfer::endBeforeSending(int message) {
    if (message) view_.Message(message);
    view_.Message(kFwAborted);
    outcome_.finalMessage = kFwAborted;
    outcome_.firmwareMissing = target_.moduleWithoutFirmware;
    outcome_.refused = message != kFwImageUnreadable;
    phase_ = Phase::Ended;
    return {true, 0};
}

FirmwareTransfer::Step FirmwareTransfer::validate() {
    UpdateSetCheck check = CheckUpdateSet(pathText_);
    set_ = check.set;
    if (set_.diagnostics) {
        view_.Diagnostic(kDiagMpiLabel, "MPI-Adr.:");
        view_.Diagnostic(kDiagMpi, std::to_string(target_.mpiAddress));
        view_.Diagnostic(kDiagAddressLabel, "log BG-Adr.:");
        view_.Diagnostic(kDiagAddress, std::to_string(target_.moduleAddress));
    }
    for (int notice : check.notices) view_.Message(notice);
    if (check.message) return endBeforeSending(check.message);
    diagnostic(kDiagWriteLabel, "DS_WR> Auftrag:");
    diagnostic(kDiagReadLabel, "DS_RD> Autr.:  Status:");
    if (!view_.Confirm(kFwLoadQuestion)) return endBeforeSending(0);
    auto image = ReadImage(set_.imagePath);
    if (!image) return endBeforeSending(kFwImageUnreadable);
    image_ = std::move(*image);
    remaining_ = image_.size();
    if (registry_) WriteFirmwarePath(*registry_, set_.selected.indexPath);
    intro_ = IntroductionJob(set_, static_cast<uint32_t>(image_.size()), longJob_);
    view_.SendingStarts();
    phase_ = Phase::Idle;
    return wait(0);
}

FirmwareTransfer::Step FirmwareTransfer::writeIdle() {
    diagnostic(kDiagJob, "BG-Idle      0");
    if (!write(shortJob(kCmdIdle))) {
        view_.Message(kFwWriteFailed);
        outcome_.firmwareMissing = true;
        phase_ = Phase::Ended;
        return {true, 0};
    }
    phase_ = Phase::Poll;
    return wait(0);
}

FirmwareTransfer::Step FirmwareTransfer::poll() {
    if (cancel_) {
        flagMissing_ = true;
        return end();
    }
    std::vector<uint8_t> answer(answer_ + 4, 0);
    answer[4] = answer[5] = kSentinel;
    // the channel fills in what the module sent; bytes it did not send keep the marks
    if (channel_->ReadRecord(FirmwareReadAddress(target_.moduleAddress, static_cast<uint16_t>(answer_)), answer,
                             answer.size()) != 0) {
        flagMissing_ = true;
        view_.Message(kFwReadFailed);
        return end();
    }
    if (answer.size() < answer_ + 4) answer.resize(answer_ + 4, 0);
    const uint8_t echo = answer[4], status = answer[5];
    const uint16_t ack = static_cast<uint16_t>(answer[8] << 8 | answer[9]);
    diagnostic(kDiagEcho, std::to_string(echo));
    diagnostic(kDiagStatus, std::to_string(status));

    if (echo == kSentinel && status == kSentinel) {
        if (++untouched_ <= kUntouchedLimit) return wait(kWaitMs);
        view_.Message(kFwStatusUnreadable);
        return end();
    }
    if (status == kStatusBusy) {
        if (++zeroes_ > kZeroStatusLimit) {
            view_.Message(kFwNoResponse);
            return end();
        }
        return wait(0);
    }
    zeroes_ = 0;
    switch (status) {
    case kStatusNotResponding: view_.Message(kFwNoResponse); return end();
    case kStatusWrongType: view_.Message(kFwWrongType); return end();
    case kStatusWrongState: view_.Message(kFwWrongState); return end();
    case kStatusWrongMode: view_.Message(kFwWrongMode); return end();
    default: break;
    }
    switch (echo) {
    case kCmdIdle:
        if (status != kStatusOk) {
            view_.Message(kFwUndefined);
            return end();
        }
        if (++idleAnswers_ > kIdleAnswerLimit) {
            view_.Message(kFwNoResponse);
            return end();
        }
        if (!introWritten_) {
            diagnostic(kDiagJob, "Typ Select  8");
            if (!write(intro_)) {
                view_.Message(kFwWriteFailed);
                return end();
            }
            introWritten_ = true;
        }
        return wait(0);
    case kCmdIntroduction:
        if (status == kStatusResetFirst) {
            // the module wants a reset first; the introduction goes out again once it is idle
            introWritten_ = false;
            diagnostic(kDiagJob, "BG-Reset   9");
            if (!write(shortJob(kCmdReset))) {
                view_.Message(kFwWriteFailed);
                return end();
            }
            return wait(kWaitMs);
        }
        return onBlockAnswer(status, ack);
    case kCmdData: return onBlockAnswer(status, ack);
    case kCmdReset:
        if (++resetAnswers_ > kResetAnswerLimit) {
            view_.Message(kFwNoResponse);
            return end();
        }
        return wait(kWaitMs);
    default: view_.Message(kFwWrongJob); return end();
    }
}

FirmwareTransfer::Step FirmwareTransfer::onBlockAnswer(uint8_t status, uint16_t ack) {
    if (status == kStatusComplete) {
        diagnostic(kDiagJob, "BG-Reset   9");
        if (!write(shortJob(kCmdReset))) {
            view_.Message(kFwWriteFailed);
            return end();
        }
        completed_ = remaining_ == 0;
        return end();
    }
    if (status != kStatusOk) {
        view_.Message(kFwUndefined);
        return end();
    }
    // Answers that bring nothing forward: the module still working after the last block, or
    // still acknowledging the block before the one just sent.
    const auto noProgress = [this] {
        if (++noProgress_ > kNoProgressLimit) {
            view_.Message(kFwNoResponse);
            return end();
        }
        return wait(0);
    };
    if (remaining_ == 0) return noProgress();
    if (ack == previous_) {
        // shown once: a module that is slow with every block would otherwise raise it per block
        if (++stale_ == 2 && !staleShown_) {
            staleShown_ = true;
            view_.Message(kFwWriteFailed);
        }
        return noProgress();
    }
    stale_ = 0;
    if (ack != current_) {
        // an acknowledgement of a block that was never sent: the module and the program no
        // longer agree on what it holds, so nothing more is sent
        view_.Message(kFwWrongBlock, {std::to_string(current_), std::to_string(ack)});
        flagMissing_ = true;
        return end();
    }
    return sendBlock();
}

FirmwareTransfer::Step FirmwareTransfer::sendBlock() {
    std::vector<uint8_t> job(longJob_, 0);
    std::fill(job.begin() + 8, job.begin() + 8 + static_cast<std::ptrdiff_t>(chunk_), 0xFF);
    const size_t offset = image_.size() - remaining_;
    const size_t count = std::min(remaining_, chunk_);
    std::copy_n(image_.begin() + static_cast<std::ptrdiff_t>(offset), count, job.begin() + 8);
    remaining_ -= count;
    previous_ = current_;
    ++current_;
    job[0] = kCmdData;
    put16(job, 4, current_);
    put16(job, 6, static_cast<uint16_t>(count));
    diagnostic(kDiagJob, "BG_Daten    4");
    if (!write(job)) {
        view_.Message(kFwWriteFailed);
        return end();
    }
    blocks_.push_back(current_);
    untouched_ = 0;
    outcome_.bytesSent = static_cast<uint32_t>(image_.size() - remaining_);
    view_.Progress(static_cast<int>(outcome_.bytesSent * 100ull / image_.size()));
    return wait(0);
}

FirmwareTransfer::Step FirmwareTransfer::end() {
    phase_ = Phase::Ended;
    outcome_.closeDialog = true;
    if (completed_) {
        view_.Message(kFwDone);
        outcome_.finalMessage = kFwDone;
        outcome_.success = true;
        outcome_.firmwareMissing = false;
        return {true, 0};
    }
    view_.Message(kFwAborted);
    outcome_.finalMessage = kFwAborted;
    channel_->WriteRecord(FirmwareWriteRequest(target_.moduleAddress, shortJob(kCmdIdle)));
    // once the module was told to take new firmware, what it holds is in doubt
    outcome_.firmwareMissing = target_.moduleWithoutFirmware || flagMissing_ || introWritten_ || !blocks_.empty();
    return {true, 0};
}

FirmwareTransfer::Outcome RunFirmwareTransfer(FirmwareTransfer& transfer, const std::function<void(int ms)>& sleep) {
    for (;;) {
        const FirmwareTransfer::Step s = transfer.Next();
        if (s.done) break;
        if (s.waitMs > 0) sleep(s.waitMs);
    }
    return transfer.Result();
}

}  // namespace online
