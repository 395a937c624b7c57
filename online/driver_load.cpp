#include "online/driver_load.h"

#include <algorithm>

#include "document/ptp_doc.h"
#include "online/driver_jobs.h"

namespace online {

using namespace driver;

namespace {

constexpr int kIdleWaitMs = 100;  // between the idle job and the introduction

}  // namespace

std::uint16_t DriverComponent::codeBytes() const {
    if (introduction.size() < 41) return 0;
    return static_cast<std::uint16_t>(introduction[39] << 8 | introduction[40]);
}

DriverComponents DriverComponentsOf(CPtpDoc& doc) {
    DriverComponents components;
    for (int part = CPtpDoc::kPartCode; part <= CPtpDoc::kPartProtocol; ++part) {
        DriverComponent& c = components[static_cast<size_t>(part)];
        std::vector<std::uint8_t> intro(kIntroductionSize, 0);
        if (doc.BuildDriverPartIntro(part, intro) < 1) continue;
        c.introduction = std::move(intro);
        c.path = doc.DriverFilePath(part);
        const std::int64_t offset = doc.m_DriverFileOffsets[static_cast<size_t>(part)];
        c.codeOffset = offset < 0 ? 0 : static_cast<std::uint64_t>(offset) + 64;
    }
    return components;
}

const char* ComponentStatusText(int component) {
    switch (component) {
    case 0: return "KP:";
    case 1: return "SCC:";
    case 2: return "PTP:";
    default: return "";
    }
}

std::uint16_t LoadPercent(std::uint32_t total, std::uint32_t remaining) {
    if (total == 0) return 0;
    return static_cast<std::uint16_t>((total - remaining) * 100u / total);
}

DriverLoadJob::DriverLoadJob(ModuleChannel& channel, std::uint16_t moduleAddress, DriverComponents components)
    : channel_(channel), address_(moduleAddress), components_(std::move(components)) {}

void DriverLoadJob::show(int id) {
    messages_.push_back(id);
    ShowMessage(id);
}

std::int32_t DriverLoadJob::write(std::span<const std::uint8_t> data) { return WriteJob(channel_, address_, data); }

DriverLoadJob::Step DriverLoadJob::finish(End end, int message) {
    if (file_.is_open()) file_.close();
    state_ = State::Finished;
    end_ = end;
    if (message) show(message);
    return {true, 0};
}

DriverLoadJob::Step DriverLoadJob::Next() {
    switch (state_) {
    case State::Finished: return {true, 0};

    case State::CheckCpu: {
        // nothing is written unless the controller is in STOP
        const std::optional<int> state = ReadOperatingState(channel_);
        if (!state) return finish(End::Failed, kMsgConnectionDisturbed);
        if (*state != kStateStop) return finish(End::Failed, kMsgNotStop);
        state_ = State::OpenComponent;
        return {false, 0};
    }

    case State::OpenComponent: {
        ++component_;
        while (component_ < 3 && !components_[static_cast<size_t>(component_)].present()) {
            // without a code part there is no driver to load
            if (component_ == 0) return finish(End::NothingToLoad);
            ++component_;
        }
        if (component_ >= 3) return finish(End::Loaded);
        const DriverComponent& c = components_[static_cast<size_t>(component_)];
        file_.open(c.path, std::ios::binary);
        if (!file_.is_open()) return finish(End::Failed, kMsgCodeFile + component_);
        total_ = remaining_ = 0;
        block_ = 0;
        untouched_ = busy_ = stale_ = 0;
        const std::vector<std::uint8_t> idle(kLoadJobSize, 0);
        if (write(idle) != 0) return finish(End::Failed, kMsgWriteFailed);
        state_ = State::WriteIntroduction;
        return {false, kIdleWaitMs};
    }

    case State::WriteIntroduction: {
        const DriverComponent& c = components_[static_cast<size_t>(component_)];
        std::vector<std::uint8_t> job(kLoadJobSize, 0);
        job[0] = kJobIntroduction;
        job[5] = 1;
        job[9] = kIntroductionSize;
        job[10] = 2;
        std::copy_n(c.introduction.begin(), std::min(c.introduction.size(), kIntroductionSize), job.begin() + kIntroductionAt);
        if (write(job) != 0) return finish(End::Failed, kMsgWriteFailed);
        block_ = 1;
        state_ = State::Poll;
        return {false, 0};
    }

    case State::Poll: return poll();
    }
    return {true, 0};
}

DriverLoadJob::Step DriverLoadJob::poll() {
    const Answer a = ReadAnswer(channel_, address_, kLoadAnswerSize);
    if (a.code != 0) return endComponent(Result::LibraryCode, kMsgReadFailed);
    if (a.untouched) {
        // counted over the whole component
        if (++untouched_ > kUntouchedLimit) return endComponent(Result::Error, kMsgStatusUnreadable);
        return {false, 0};
    }
    if (a.status() == kStatusBusy) {
        if (++busy_ > kBusyLimit) return endComponent(Result::Error, kMsgNoReaction);
        return {false, 0};
    }
    busy_ = 0;
    switch (a.status()) {
    case kStatusAccepted: break;
    case kStatusAlreadyPresent: return endComponent(Result::AlreadyPresent, kMsgAlreadyPresent);
    case kStatusRefused: return endComponent(Result::Error, kMsgRefused);
    case kStatusWrongDriver: return endComponent(Result::Error, kMsgWrongDriver);
    default: return endComponent(Result::Error, kMsgUndefined);
    }
    if (a.echo() != kJobIntroduction && a.echo() != kJobDataBlock) return endComponent(Result::Error, kMsgSequence);
    // An answer for an earlier block (or an earlier introduction) is read again; a module that
    // never answers for the last block sent ends the component after kStaleLimit such answers.
    if (a.be16(4) != block_ || (a.echo() == kJobIntroduction) != (block_ == 1)) {
        if (++stale_ > kStaleLimit) return endComponent(Result::Error);
        return {false, 0};
    }
    if (a.echo() == kJobIntroduction) {
        total_ = remaining_ = components_[static_cast<size_t>(component_)].codeBytes();
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(components_[static_cast<size_t>(component_)].codeOffset));
    }
    if (remaining_ == 0) return endComponent(Result::Ok);
    return sendBlock();
}

DriverLoadJob::Step DriverLoadJob::sendBlock() {
    const std::size_t wanted = std::min<std::size_t>(remaining_, kBlockCodeSize);
    std::vector<std::uint8_t> job(kLoadJobSize, 0);
    // the last block of a component is padded with 0xFF up to 198 bytes
    if (remaining_ <= kBlockCodeSize) std::fill(job.begin() + kBlockCodeAt, job.end(), 0xFF);
    file_.read(reinterpret_cast<char*>(job.data() + kBlockCodeAt), static_cast<std::streamsize>(wanted));
    const auto got = static_cast<std::size_t>(file_.gcount());
    // a file that ends before its code does would send empty blocks for ever
    if (got != wanted) return endComponent(Result::Error);
    ++block_;
    stale_ = 0;
    job[0] = kJobDataBlock;
    job[4] = static_cast<std::uint8_t>(block_ >> 8);
    job[5] = static_cast<std::uint8_t>(block_ & 0xFF);
    job[6] = static_cast<std::uint8_t>(got >> 8);
    job[7] = static_cast<std::uint8_t>(got & 0xFF);
    remaining_ -= static_cast<std::uint32_t>(got);
    if (write(job) != 0) return endComponent(Result::LibraryCode, kMsgWriteFailed);
    return {false, 0};
}

DriverLoadJob::Step DriverLoadJob::endComponent(Result result, int message) {
    file_.close();
    if (message) show(message);
    if (result == Result::AlreadyPresent) return finish(End::AlreadyPresent);
    if (result != Result::Ok || remaining_ != 0) return finish(End::Failed, kMsgAborted);
    state_ = State::OpenComponent;
    return {false, 0};
}

}  // namespace online
