#pragma once
// The firmware update of a module: the update set is checked, the image goes into data record
// 239 in blocks, and the module's answers in the same record are polled. A state machine: each
// Step() does one piece of work and says how long to wait before the next, so the dialog (a
// timer) and the command line (a sleep) run it without waiting busily and keep their windows and
// Cancel alive.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "online/module_channel.h"
#include "online/record_address.h"
#include "online/update_files.h"

namespace host {
class Registry;
}

namespace online {

// The messages of the firmware update (shown under caption 2001 "Firmware laden").
enum FirmwareMessage : int {
    kFwCaption = 2001,
    kFwNotConnected = 2002,
    kFwNotInStop = 2003,
    kFwStatusUnreadable = 2004,
    kFwNoResponse = 2005,
    kFwUndefined = 2006,
    kFwReadFailed = 2017,
    kFwWriteFailed = 2018,
    kFwImageUnreadable = 2023,
    kFwWrongType = 2028,
    kFwWrongState = 2029,
    kFwWrongMode = 2030,
    kFwWrongJob = 2031,
    kFwLoadQuestion = 2033,
    kFwAborted = 2034,
    kFwDone = 2035,
    kFwStateUnreadable = 2037,
    kFwWrongBlock = 2040,
};

// The registry value that remembers the index file.
inline constexpr const char* kFwRegistryKey = "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro";
inline constexpr const char* kFwRegistryValue = "FwPathFile";
std::string ReadFirmwarePath(host::Registry& registry);
bool WriteFirmwarePath(host::Registry& registry, const std::string& indexPath);

// The job commands of record 239 (kFirmwareRecord).
enum FirmwareCommand : uint8_t { kCmdIdle = 0, kCmdData = 4, kCmdIntroduction = 8, kCmdReset = 9 };
// Data bytes of the short job and of the long job and answer per model.
constexpr size_t kShortJobSize = 6;
constexpr size_t kLongJobSmall = 206, kLongJobLarge = 240;
constexpr size_t kAnswerSmall = 6, kAnswerLarge = 240;
constexpr size_t kChunkSmall = 198, kChunkLarge = 232;

// What the transfer shows of itself: messages, the question before loading, progress and the
// diagnostic fields.
class FirmwareView {
public:
    virtual ~FirmwareView() = default;
    virtual void Message(int id, const std::vector<std::string>& inserts = {}) = 0;
    // Question 2033; true for Yes.
    virtual bool Confirm(int id) = 0;
    // Sending begins: the dialog disables loading, the file search and the path field.
    virtual void SendingStarts() {}
    virtual void Progress(int /*percent*/) {}
    // A diagnostic field (1436 to 1448) gets a text; shown only when the set asks for it.
    virtual void Diagnostic(int /*control*/, const std::string& /*text*/) {}
};

struct FirmwareTarget {
    bool smallRecord = false;  // CP 731: 206-byte jobs, 6-byte answers, 198-byte chunks
    uint16_t moduleAddress = 0;
    int mpiAddress = 0;
    bool moduleWithoutFirmware = false;  // reading the module's version failed when the dialog opened
};

// A job for record 239 as written: record address, data head, data.
std::vector<uint8_t> FirmwareWriteRequest(uint16_t moduleAddress, const std::vector<uint8_t>& data);
// The record address of a read of `length` data bytes of record 239.
std::vector<uint8_t> FirmwareReadAddress(uint16_t moduleAddress, uint16_t length);
// The introduction job (command 8, block 1) for an image of `imageLength` bytes.
std::vector<uint8_t> IntroductionJob(const UpdateSet& set, uint32_t imageLength, size_t jobSize);

// The operating-state code (CpuStateCode) of the controller from an SZL 0x0424 answer; nullopt
// when the answer is too short to hold it.
std::optional<int> CpuStateFromSzl(const std::vector<uint8_t>& response);

class FirmwareTransfer {
public:
    struct Step {
        bool done = false;
        int waitMs = 0;  // before the next Step()
    };
    struct Outcome {
        bool success = false;        // the module took the whole image and confirmed it (2035)
        bool closeDialog = true;     // false only for a controller not in STOP
        bool firmwareMissing = false;  // the document's m_bFirmwareMissing afterwards
        int finalMessage = 0;        // 2035, 2034 or 0
        bool refused = false;        // ended before sending: the update set, the question, not STOP
        uint32_t bytesSent = 0;
    };
    // Bounds of the polling: answers that leave the sentinel bytes, status 0 in a row, idle
    // answers, answers that bring no progress (the acknowledgement of the block before the
    // current one, the module still busy after the last block, reset answers).
    static constexpr int kUntouchedLimit = 10;
    static constexpr int kZeroStatusLimit = 100;
    static constexpr int kIdleAnswerLimit = 1000;
    static constexpr int kNoProgressLimit = 1000;
    static constexpr int kResetAnswerLimit = 60;
    static constexpr int kWaitMs = 1000;

    // `channel` is the open connection, or null when the connection could not be opened.
    // `pathText` is the text of the path field; `registry` receives the index path when the
    // set is taken (may be null).
    FirmwareTransfer(ModuleChannel* channel, const FirmwareTarget& target, std::string pathText, FirmwareView& view,
                     host::Registry* registry);

    Step Next();
    // Cancel: the transfer ends at its next poll.
    void Cancel() { cancel_ = true; }
    bool Running() const { return phase_ != Phase::Ended; }
    const Outcome& Result() const { return outcome_; }
    // Block numbers written with command 4, in order (for the tests and the progress line).
    const std::vector<uint16_t>& BlocksWritten() const { return blocks_; }

private:
    enum class Phase { CheckState, Validate, Idle, Poll, Ended };
    Step checkState();
    Step validate();
    Step writeIdle();
    Step poll();
    Step onBlockAnswer(uint8_t status, uint16_t ack);
    Step sendBlock();
    Step end();
    Step endBeforeSending(int message);
    Step wait(int ms) { return {false, ms}; }
    bool write(const std::vector<uint8_t>& data);
    std::vector<uint8_t> shortJob(uint8_t command) const;
    void diagnostic(int control, const std::string& text);

    ModuleChannel* channel_;
    FirmwareTarget target_;
    std::string pathText_;
    FirmwareView& view_;
    host::Registry* registry_;
    Phase phase_ = Phase::CheckState;
    Outcome outcome_;

    UpdateSet set_;
    std::vector<uint8_t> image_;
    std::vector<uint8_t> intro_;
    size_t chunk_ = kChunkLarge, longJob_ = kLongJobLarge, answer_ = kAnswerLarge;
    size_t remaining_ = 0;
    uint16_t current_ = 1, previous_ = 0;
    bool introWritten_ = false;
    bool cancel_ = false;
    bool staleShown_ = false;
    bool flagMissing_ = false;  // a failure that leaves the module's firmware in doubt
    bool completed_ = false;    // status 17 answered and the reset written
    int untouched_ = 0, zeroes_ = 0, idleAnswers_ = 0, stale_ = 0, noProgress_ = 0, resetAnswers_ = 0;
    std::vector<uint16_t> blocks_;
};

// Runs a transfer to its end, sleeping where it says to wait (the command line).
FirmwareTransfer::Outcome RunFirmwareTransfer(FirmwareTransfer& transfer,
                                              const std::function<void(int ms)>& sleep);

}  // namespace online
