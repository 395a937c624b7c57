#pragma once
// Loading a loadable driver onto the module: up to three components (code, firmware and
// protocol part) from the installed driver files, each sent into data record 200 as an
// introduction block and data blocks of 198 code bytes while the module's answers are polled in
// the same record.
//
// The load is a state machine: every Step() does at most one record access and says how long
// to wait before the next one, so the progress dialog (a timer) and the command line (a sleep)
// both run it without waiting busily and without a thread.
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "online/module_channel.h"

class CPtpDoc;

namespace online {

// One component as the load takes it: its introduction data (empty when the driver has no
// such component), the file that holds its code and where the code starts in it.
struct DriverComponent {
    std::vector<std::uint8_t> introduction;  // 89 bytes: block head and part descriptor
    std::string path;
    std::uint64_t codeOffset = 0;
    bool present() const { return !introduction.empty(); }
    // The number of code bytes: bytes 39 and 40 of the introduction data.
    std::uint16_t codeBytes() const;
};
using DriverComponents = std::array<DriverComponent, 3>;

// The components of the document's configured driver: the introduction data the document
// builds, the driver file and the offset of the matched record's body.
DriverComponents DriverComponentsOf(CPtpDoc& doc);

// The status text of a component ("KP:", "SCC:", "PTP:").
const char* ComponentStatusText(int component);

// (total − remaining) × 100 / total, as the progress shows it; 0 while total is 0.
std::uint16_t LoadPercent(std::uint32_t total, std::uint32_t remaining);

class DriverLoadJob {
public:
    // How the load ended.
    enum class End {
        Running,
        Loaded,          // every present component was accepted
        NothingToLoad,   // the driver has no code part: nothing was written
        AlreadyPresent,  // the module has the driver already (2013)
        Failed,          // a message said why
    };
    struct Step {
        bool done = false;
        int waitMs = 0;  // before the next Step()
    };
    // Re-reads tolerated: untouched answers over a whole component, busy answers in a row, and
    // answers for another block than the last one sent.
    static constexpr int kUntouchedLimit = 101;
    static constexpr int kBusyLimit = 100;
    static constexpr int kStaleLimit = 100;

    DriverLoadJob(ModuleChannel& channel, std::uint16_t moduleAddress, DriverComponents components);

    // The next step of the load; after `done` it does nothing more.
    Step Next();

    End end() const { return end_; }
    bool started() const { return state_ != State::CheckCpu; }
    // The component being loaded (0 code, 1 firmware, 2 protocol part); -1 before the first.
    int component() const { return component_; }
    const char* statusText() const { return component_ < 0 ? "" : ComponentStatusText(component_); }
    std::uint32_t total() const { return total_; }
    std::uint32_t remaining() const { return remaining_; }
    // The messages shown, in order.
    const std::vector<int>& messages() const { return messages_; }

private:
    enum class State { CheckCpu, OpenComponent, WriteIntroduction, Poll, Finished };
    // How a component ended.
    enum class Result { Ok, LibraryCode, AlreadyPresent, Error };

    Step finish(End end, int message = 0);
    Step endComponent(Result result, int message = 0);
    Step poll();
    Step sendBlock();
    void show(int id);
    std::int32_t write(std::span<const std::uint8_t> data);

    ModuleChannel& channel_;
    std::uint16_t address_;
    DriverComponents components_;
    State state_ = State::CheckCpu;
    End end_ = End::Running;
    int component_ = -1;
    std::ifstream file_;
    std::uint32_t total_ = 0, remaining_ = 0;
    std::uint16_t block_ = 0;        // the last block number sent
    int untouched_ = 0, busy_ = 0, stale_ = 0;
    std::vector<int> messages_;
};

}  // namespace online
