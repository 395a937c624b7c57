// A firmware image of 256 KiB sent to a CP 830 through the station simulator on TCP loopback,
// with 2 ms latency on every request. Reported: the requests, the time they must cost at least
// (requests x 2 ms + the fixed waits the transfer asked for), the elapsed time and the CPU time
// of the program (which stays small: the transfer waits for answers, it does not poll busily).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>
#include <tuple>

#include "host/registry.h"
#include "online/firmware_transfer.h"
#include "online/online_connection.h"
#include "online/y5lib.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/station.h"
#include "tools/cpsim/tcp_server.h"
#include "tools/sample_firmware/sample_firmware.h"

namespace {

constexpr std::size_t kImageSize = 256 * 1024;
constexpr int kLatencyMs = 2;

struct Registry : host::Registry {
    std::map<std::tuple<host::Hive, std::string, std::string>, std::string> values;
    std::optional<std::string> read(host::Hive h, const std::string& k, const std::string& v) override {
        auto it = values.find({h, k, v});
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool write(host::Hive h, const std::string& k, const std::string& v, const std::string& d) override {
        values[{h, k, v}] = d;
        return true;
    }
};

// Counts the requests that reach the station.
class Counting : public online::ModuleChannel {
public:
    explicit Counting(online::ModuleChannel& next) : next_(next) {}
    std::int32_t WriteRecord(std::span<const std::uint8_t> request) override {
        ++requests;
        return next_.WriteRecord(request);
    }
    std::int32_t ReadRecord(std::span<const std::uint8_t> address, std::vector<std::uint8_t>& response,
                            std::size_t size) override {
        ++requests;
        return next_.ReadRecord(address, response, size);
    }
    std::int32_t ReadSzl(std::uint16_t id, std::uint16_t index, std::vector<std::uint8_t>& response,
                         std::size_t size) override {
        ++requests;
        return next_.ReadSzl(id, index, response, size);
    }
    long requests = 0;

private:
    online::ModuleChannel& next_;
};

class Quiet : public online::FirmwareView {
public:
    void Message(int id, const std::vector<std::string>&) override { last = id; }
    bool Confirm(int) override { return true; }
    int last = 0;
};

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_FirmwareTransfer256KiB(benchmark::State& state) {
    char folderTemplate[] = "/tmp/ptp_bench_fw_XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    samplefw::Options options;
    options.size = kImageSize;
    samplefw::WriteUpdateSet(folder, options);

    cpsim::Station station;
    cpsim::Faults faults;
    faults.latencyMs = kLatencyMs;
    station.SetFaults(faults);
    auto module = std::make_shared<cpsim::FirmwareRecords>();
    station.AddRecordServer(module);
    cpsim::TcpServer server(station);
    const std::uint16_t port = server.Listen(0);
    server.Start();
    Registry registry;
    registry.write(host::Hive::LocalMachine, std::string(online::kAccessPointKey) + online::kDefaultAccessPoint, "Endpoint",
                   "127.0.0.1:" + std::to_string(port));
    online::SetRegistry(&registry);

    long requests = 0, waitedMs = 0;
    double cpu = 0, elapsed = 0;
    for (auto _ : state) {
        std::array<std::uint8_t, online::kParameterBlockSize> block{};
        std::array<std::uint8_t, online::kWorkAreaSize> work{};
        const online::ConnectionDescriptor descriptor{1, online::kDefaultAccessPoint, block.data()};
        std::uint32_t handle = 0;
        if (y5db_open(0, 0, 0, &descriptor, &handle, work.data(), online::kWorkAreaSize) != 0) {
            state.SkipWithError("the station cannot be reached");
            break;
        }
        auto library = online::LibraryChannel(handle);
        Counting channel(*library);
        Quiet view;
        online::FirmwareTarget target;
        target.moduleAddress = 512;
        online::FirmwareTransfer transfer(&channel, target, folder + "/header.upd", view, &registry);
        const double cpu0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        online::RunFirmwareTransfer(transfer, [&waitedMs](int ms) {
            waitedMs += ms;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        });
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - cpu0;
        requests += channel.requests;
        library.reset();
        y5db_close(handle, 0, 0);
        if (view.last != online::kFwDone || module->Image() != samplefw::MakeImage(kImageSize)) {
            state.SkipWithError("the module did not receive the image");
            break;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["requests"] = static_cast<double>(requests) / runs;
    state.counters["floor_ms"] = (static_cast<double>(requests) * kLatencyMs + static_cast<double>(waitedMs)) / runs;
    state.counters["fixed_waits_ms"] = static_cast<double>(waitedMs) / runs;
    state.counters["elapsed_ms"] = elapsed * 1000 / runs;
    state.counters["cpu_ms"] = cpu * 1000 / runs;
    state.counters["cpu_per_elapsed"] = elapsed > 0 ? cpu / elapsed : 0;
    online::SetRegistry(nullptr);
    server.Stop();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FirmwareTransfer256KiB)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
