#include "tools/cpsim/station.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "online/codes.h"
#include "online/record_address.h"

namespace cpsim {

using online::wire::Operation;
using online::wire::Request;
using online::wire::Response;

namespace {

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

// One connection: counts its requests for the faults, waits the latency, answers the frame.
class Session : public online::FrameSession {
public:
    explicit Session(Station& station) : station_(station) {}

    online::Reply Serve(std::span<const std::uint8_t> frame) override {
        using Kind = online::Reply::Kind;
        const Faults faults = station_.CurrentFaults();
        ++requests_;
        if (faults.dropAfter >= 0 && requests_ > faults.dropAfter) return {Kind::Drop, {}};
        if (faults.silentAfter >= 0 && requests_ > faults.silentAfter) return {Kind::Silence, {}};
        if (frame.size() < 4) return {Kind::Drop, {}};
        auto length = online::wire::BodyLength(std::span<const std::uint8_t, 4>(frame.data(), 4));
        if (!length || frame.size() != 4 + static_cast<std::size_t>(*length)) return {Kind::Drop, {}};
        auto request = online::wire::DecodeRequest(frame.subspan(4));
        // A frame that is no request leaves nothing to answer: the station hangs up.
        if (!request) return {Kind::Drop, {}};
        if (faults.latencyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(faults.latencyMs));
        return {Kind::Answer, online::wire::EncodeResponse(request->op, station_.Handle(*request))};
    }

private:
    Station& station_;
    int requests_ = 0;
};

}  // namespace

std::optional<int> StateFromName(const std::string& name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const std::map<std::string, int> names{
        {"STOP", kStop}, {"STARTUP", kStartup}, {"RUN", kRun}, {"HOLD", kHold}, {"DEFECT", kDefect}};
    if (auto it = names.find(upper); it != names.end()) return it->second;
    if (upper.empty() || upper.size() > 2 || !std::all_of(upper.begin(), upper.end(), ::isdigit)) return std::nullopt;
    const int v = std::stoi(upper);
    if (v > 15) return std::nullopt;
    return v;
}

void Station::SetState(int bits) {
    std::lock_guard lock(mutex_);
    state_ = bits & 0x0F;
}

int Station::State() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void Station::SetSzl(std::uint16_t id, std::vector<std::uint8_t> response) {
    std::lock_guard lock(mutex_);
    if (response.empty())
        szl_.erase(id);
    else
        szl_[id] = std::move(response);
}

void Station::SetFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

Faults Station::CurrentFaults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void Station::AddRecordServer(std::shared_ptr<RecordServer> server, std::optional<std::uint16_t> moduleAddress) {
    std::lock_guard lock(mutex_);
    modules_.push_back({moduleAddress, std::move(server)});
}

OpenSeen Station::LastOpen() const {
    std::lock_guard lock(mutex_);
    return lastOpen_;
}

std::size_t Station::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return handles_.size() + directs_.size();
}

std::unique_ptr<online::FrameSession> Station::Connect() { return std::make_unique<Session>(*this); }

RecordServer* Station::ServerFor(std::uint16_t moduleAddress, std::uint16_t record) {
    RecordServer* any = nullptr;
    for (const Module& m : modules_) {
        const auto records = m.server->Records();
        if (std::find(records.begin(), records.end(), record) == records.end()) continue;
        if (m.address == moduleAddress) return m.server.get();
        if (!m.address && !any) any = m.server.get();
    }
    return any;
}

std::vector<std::uint8_t> Station::Szl(std::uint16_t id, std::uint16_t index, std::int32_t& result) {
    result = 0;
    if (auto it = szl_.find(id); it != szl_.end()) return it->second;
    if (id != 0x0424) {
        result = online::kNoSuchSzl;
        return {};
    }
    // One record: its byte 3 (byte 11 of the response) holds the state in its low four bits.
    std::vector<std::uint8_t> r(8 + kStateRecordLength, 0);
    put16(r, 0, id);
    put16(r, 2, index);
    put16(r, 4, kStateRecordLength);
    put16(r, 6, 1);
    r[11] = static_cast<std::uint8_t>(state_ & 0x0F);
    return r;
}

Response Station::Handle(const Request& q) {
    std::lock_guard lock(mutex_);
    Response a;
    switch (q.op) {
    case Operation::Open:
        lastOpen_ = {q.accessPoint, q.parameters, q.connection, 0, false};
        a.result = faults_.openResult;
        if (a.result == 0) {
            a.handle = next_++;
            handles_[a.handle] = false;
        }
        break;
    case Operation::Close:
        if (!Known(q.handle) || handles_[q.handle])
            a.result = online::kUnknownHandle;
        else
            handles_.erase(q.handle);
        break;
    case Operation::DirectOpen:
        lastOpen_ = {{}, {}, 0, q.moduleObject, true};
        a.result = faults_.openResult;
        if (a.result == 0) {
            a.handle = next_++;
            directs_[a.handle];
        }
        break;
    case Operation::DirectHandle:
        if (!directs_.count(q.handle)) {
            a.result = online::kUnknownHandle;
        } else {
            a.handle = next_++;
            handles_[a.handle] = true;
            directs_[q.handle].push_back(a.handle);
        }
        break;
    case Operation::DirectClose:
        if (auto it = directs_.find(q.handle); it == directs_.end()) {
            a.result = online::kUnknownHandle;
        } else {
            for (std::uint32_t h : it->second) handles_.erase(h);
            directs_.erase(it);
        }
        break;
    case Operation::ReadSzl:
        if (!Known(q.handle)) {
            a.result = online::kUnknownHandle;
        } else {
            a.data = Szl(q.szlId, q.szlIndex, a.result);
            if (a.data.size() > q.size) a.data.resize(q.size);
        }
        break;
    case Operation::WriteVar: {
        if (!Known(q.handle)) {
            a.result = online::kUnknownHandle;
            break;
        }
        auto write = online::ParseRecordWrite(q.data);
        RecordServer* server = write ? ServerFor(write->target.moduleAddress, write->target.record) : nullptr;
        if (!write)
            a.result = online::kBadRequest;
        else if (!server)
            a.result = online::kNoSuchRecord;
        else
            a.result = server->Write(write->target.record, write->data).code;
        a.status = static_cast<std::uint16_t>(a.result);
        break;
    }
    case Operation::ReadVar: {
        if (!Known(q.handle)) {
            a.result = online::kUnknownHandle;
            break;
        }
        auto target = q.data.size() == online::kRecordAddressSize ? online::ParseRecordAddress(q.data) : std::nullopt;
        RecordServer* server = target ? ServerFor(target->moduleAddress, target->record) : nullptr;
        if (!target) {
            a.result = online::kBadRequest;
        } else if (!server) {
            a.result = online::kNoSuchRecord;
        } else {
            RecordResult r = server->Read(target->record, target->length);
            a.result = r.code;
            if (r.code == 0) {
                if (r.data.size() > target->length) r.data.resize(target->length);
                // The head {0x00, 0x09, number of data bytes}, then the data.
                a.data = {0x00, 0x09, static_cast<std::uint8_t>(r.data.size() >> 8),
                          static_cast<std::uint8_t>(r.data.size())};
                a.data.insert(a.data.end(), r.data.begin(), r.data.end());
                if (a.data.size() > q.size) a.data.resize(q.size);
            }
        }
        a.status = static_cast<std::uint16_t>(a.result);
        break;
    }
    }
    return a;
}

online::Connector InProcess(Station& station) {
    return [&station](std::int32_t& error) {
        error = 0;
        return online::ConnectInProcess(station.Connect());
    };
}

}  // namespace cpsim
