#pragma once
// What the firmware tests share: a station in the same process with the module's record 239 and
// identification records, a library connection to it, and a view that records what the
// transfer shows.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "online/firmware_transfer.h"
#include "online/module_channel.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/ident_records.h"
#include "tools/cpsim/station.h"

namespace fwtest {

constexpr std::uint16_t kModuleAddress = 0x0120;

// The station with the module at kModuleAddress and a library connection to it over the frames
// of the online library.
struct StationLink {
    explicit StationLink(cpsim::FirmwareRecords::Options options = {},
                         cpsim::IdentRecords ident = cpsim::IdentRecords());
    ~StationLink();
    cpsim::Station station;
    std::shared_ptr<cpsim::FirmwareRecords> firmware;
    std::shared_ptr<cpsim::IdentRecords> ident;
    std::uint32_t handle = 0;
    std::unique_ptr<online::ModuleChannel> channel;
};

struct Shown {
    int id = 0;
    std::vector<std::string> inserts;
};

class RecordingView : public online::FirmwareView {
public:
    void Message(int id, const std::vector<std::string>& inserts) override { shown.push_back({id, inserts}); }
    bool Confirm(int id) override {
        asked.push_back(id);
        return answerYes;
    }
    void SendingStarts() override { ++sendingStarts; }
    void Progress(int percent) override { progress.push_back(percent); }
    void Diagnostic(int control, const std::string& text) override { diagnostics.emplace_back(control, text); }
    std::vector<int> ids() const {
        std::vector<int> out;
        for (const auto& s : shown) out.push_back(s.id);
        return out;
    }

    bool answerYes = true;
    std::vector<Shown> shown;
    std::vector<int> asked;
    int sendingStarts = 0;
    std::vector<int> progress;
    std::vector<std::pair<int, std::string>> diagnostics;
};

// Runs a transfer to its end; every wait it asks for is noted instead of slept.
struct Run {
    online::FirmwareTransfer::Outcome outcome;
    std::vector<int> waits;  // the non-zero waits, in order
};
Run RunToEnd(online::FirmwareTransfer& transfer);

}  // namespace fwtest
