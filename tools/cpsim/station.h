#pragma once
// The station simulator: a controller with its operating state and SZL extracts, and the
// communication modules behind it, each a set of record servers by module address. It is the
// server side of the online library's frames, in the same process (tests) or over TCP (cpsim).
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "online/transport.h"
#include "online/wire.h"
#include "online/y5lib.h"
#include "tools/cpsim/module_side.h"

namespace cpsim {

// The controller's operating state as the low four bits of its SZL 0x0424 state byte. Any other
// value 0..15 may be set as well (5 is no state the connection knows, for example).
enum StateBits : int { kStop = 4, kStartup = 6, kRun = 8, kHold = 10, kDefect = 13 };
// "STOP", "STARTUP", "RUN", "HOLD", "DEFECT" (any case) or a number 0..15.
std::optional<int> StateFromName(const std::string& name);

struct Faults {
    int latencyMs = 0;        // waited before every answer
    int dropAfter = -1;       // a connection is closed at its request number dropAfter + 1 (-1: never)
    int silentAfter = -1;     // a connection gets no answer from request silentAfter + 1 on (-1: always answers)
    std::int32_t openResult = 0;  // the result of every open (a refusing station)
};

// What the station was last asked to open, for the tests.
struct OpenSeen {
    std::string accessPoint;
    std::vector<std::uint8_t> parameters;
    std::uint32_t connection = 0;
    std::uint64_t moduleObject = 0;  // the direct route's module object
    bool direct = false;
};

class Station {
public:
    static constexpr std::uint16_t kStateRecordLength = 20;

    void SetState(int bits);
    int State() const;
    // The whole SZL response (big-endian head and records) to answer for `id`, in place of what
    // the station would build itself (it builds 0x0424 from the state). Empty removes it.
    void SetSzl(std::uint16_t id, std::vector<std::uint8_t> response);
    void SetFaults(const Faults& faults);
    // `server` answers its records for the module at `moduleAddress`, or for every module
    // address when none is given. A server for a given address wins over one for every address.
    void AddRecordServer(std::shared_ptr<RecordServer> server, std::optional<std::uint16_t> moduleAddress = {});

    OpenSeen LastOpen() const;
    std::size_t OpenHandles() const;

    // One connection to the station.
    std::unique_ptr<online::FrameSession> Connect();
    // Answers one decoded request (no faults, no latency).
    online::wire::Response Handle(const online::wire::Request& request);
    // The faults in force (the sessions read them per request).
    Faults CurrentFaults() const;

private:
    RecordServer* ServerFor(std::uint16_t moduleAddress, std::uint16_t record);
    std::vector<std::uint8_t> Szl(std::uint16_t id, std::uint16_t index, std::int32_t& result);
    bool Known(std::uint32_t handle) const { return handles_.count(handle) != 0; }

    mutable std::mutex mutex_;
    int state_ = kStop;
    Faults faults_;
    std::map<std::uint16_t, std::vector<std::uint8_t>> szl_;
    struct Module {
        std::optional<std::uint16_t> address;
        std::shared_ptr<RecordServer> server;
    };
    std::vector<Module> modules_;
    std::map<std::uint32_t, bool> handles_;  // handle -> opened by a direct connection
    std::map<std::uint32_t, std::vector<std::uint32_t>> directs_;  // direct handle -> handles got from it
    std::uint32_t next_ = 0x100;
    OpenSeen lastOpen_;
};

// Leads the online library's access point to `station` in this process: every open makes a new
// connection (session) to it. The station must outlive the route (RouteAccessPoint(name, {})).
online::Connector InProcess(Station& station);

}  // namespace cpsim
