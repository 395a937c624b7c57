// The online jobs through the station simulator on TCP loopback, with 2 ms latency on every
// request: a firmware image of 256 KiB to a CP 830, and the sample driver's three parts to a
// CP 731. Reported: the requests, the time they must cost at least (requests x 2 ms + the fixed
// waits the job asked for), the elapsed time and the CPU time of the program (which stays small:
// the jobs wait for answers, they do not poll busily).
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "host/registry.h"
#include "online/driver_info.h"
#include "online/driver_load.h"
#include "online/firmware_transfer.h"
#include "online/online_connection.h"
#include "online/y5lib.h"
#include "tests/online/driver_fixture.h"
#include "tests/support/memory_registry.h"
#include "tests/support/message_recorder.h"
#include "tools/cpsim/driver_records.h"
#include "tools/cpsim/firmware_records.h"
#include "tools/cpsim/station.h"
#include "tools/cpsim/tcp_server.h"
#include "tools/sample_firmware/sample_firmware.h"

namespace {

constexpr std::size_t kImageSize = 256 * 1024;
constexpr int kLatencyMs = 2;

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

// A station on TCP loopback with one record server, slow by kLatencyMs on every request, and
// the default access point's endpoint naming it.
class LoopbackStation {
public:
    explicit LoopbackStation(std::shared_ptr<cpsim::RecordServer> module) : server_(station_) {
        cpsim::Faults faults;
        faults.latencyMs = kLatencyMs;
        station_.SetFaults(faults);
        station_.AddRecordServer(std::move(module));
        const std::uint16_t port = server_.Listen(0);
        server_.Start();
        registry.write(host::Hive::LocalMachine, std::string(online::kAccessPointKey) + online::kDefaultAccessPoint,
                       "Endpoint", "127.0.0.1:" + std::to_string(port));
        online::SetRegistry(&registry);
    }
    ~LoopbackStation() {
        online::SetRegistry(nullptr);
        server_.Stop();
    }
    support::MemoryRegistry registry;

private:
    cpsim::Station station_;
    cpsim::TcpServer server_;
};

// One connection to the station through the online library, counting its requests.
class Connection {
public:
    Connection() {
        const online::ConnectionDescriptor descriptor{1, online::kDefaultAccessPoint, block_.data()};
        if (y5db_open(0, 0, 0, &descriptor, &handle_, work_.data(), online::kWorkAreaSize) != 0) return;
        library_ = online::LibraryChannel(handle_);
        counting_ = std::make_unique<Counting>(*library_);
    }
    ~Connection() {
        counting_.reset();
        if (!library_) return;
        library_.reset();
        y5db_close(handle_, 0, 0);
    }
    Counting* channel() { return counting_.get(); }

private:
    std::array<std::uint8_t, online::kParameterBlockSize> block_{};
    std::array<std::uint8_t, online::kWorkAreaSize> work_{};
    std::uint32_t handle_ = 0;
    std::unique_ptr<online::ModuleChannel> library_;
    std::unique_ptr<Counting> counting_;
};

// What a job cost over all iterations.
struct Costs {
    long requests = 0, waitedMs = 0;
    double cpu = 0, elapsed = 0;

    template <class Job>
    void Measure(Job&& job) {
        const double cpu0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        job();
        elapsed += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - cpu0;
    }
    void Wait(int ms) {
        waitedMs += ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void Report(benchmark::State& state) const {
        const double runs = static_cast<double>(state.iterations());
        state.counters["requests"] = static_cast<double>(requests) / runs;
        state.counters["floor_ms"] = (static_cast<double>(requests) * kLatencyMs + static_cast<double>(waitedMs)) / runs;
        state.counters["fixed_waits_ms"] = static_cast<double>(waitedMs) / runs;
        state.counters["elapsed_ms"] = elapsed * 1000 / runs;
        state.counters["cpu_ms"] = cpu * 1000 / runs;
        state.counters["cpu_per_elapsed"] = elapsed > 0 ? cpu / elapsed : 0;
    }
};

void BM_FirmwareTransfer256KiB(benchmark::State& state) {
    char folderTemplate[] = "/tmp/ptp_bench_fw_XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    samplefw::Options options;
    options.size = kImageSize;
    samplefw::WriteUpdateSet(folder, options);
    auto module = std::make_shared<cpsim::FirmwareRecords>();
    LoopbackStation station(module);

    Costs costs;
    for (auto _ : state) {
        Connection connection;
        if (!connection.channel()) {
            state.SkipWithError("the station cannot be reached");
            break;
        }
        Quiet view;
        online::FirmwareTarget target;
        target.moduleAddress = 512;
        online::FirmwareTransfer transfer(connection.channel(), target, folder + "/header.upd", view, &station.registry);
        costs.Measure([&] { online::RunFirmwareTransfer(transfer, [&costs](int ms) { costs.Wait(ms); }); });
        costs.requests += connection.channel()->requests;
        if (view.last != online::kFwDone || module->Image() != samplefw::MakeImage(kImageSize)) {
            state.SkipWithError("the module did not receive the image");
            break;
        }
    }
    costs.Report(state);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FirmwareTransfer256KiB)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The sample driver's code, firmware and protocol parts loaded into record 200 of a CP 731.
void BM_SampleDriverLoad(benchmark::State& state) {
    char folderTemplate[] = "/tmp/ptp_bench_drv_XXXXXX";
    const std::filesystem::path folder = mkdtemp(folderTemplate);
    support::MessageRecorder messages;  // a document made without a project says so
    drvonline::SampleDriverModule driver(folder, driverpkg::Options{});
    if (!driver.ready) {
        state.SkipWithError("the sample driver cannot be configured");
        return;
    }
    Costs costs;
    for (auto _ : state) {
        auto module = std::make_shared<cpsim::DriverRecords>();
        LoopbackStation station(module);
        Connection connection;
        if (!connection.channel()) {
            state.SkipWithError("the station cannot be reached");
            break;
        }
        online::DriverLoadJob job(*connection.channel(), online::DriverModuleAddress(*driver.doc),
                                  online::DriverComponentsOf(*driver.doc));
        costs.Measure([&] {
            for (auto step = job.Next(); !step.done; step = job.Next())
                if (step.waitMs > 0) costs.Wait(step.waitMs);
        });
        costs.requests += connection.channel()->requests;
        if (job.end() != online::DriverLoadJob::End::Loaded || module->received().size() != 3) {
            state.SkipWithError("the module did not receive the driver");
            break;
        }
    }
    costs.Report(state);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SampleDriverLoad)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
