// The online library over TCP loopback against the station simulator's server: the endpoint
// from the registry, a whole connection with state, SZL and records, and the ways a station can
// fail to answer - each giving a code, none a hang.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "document/codes.h"
#include "host/registry.h"
#include "online/codes.h"
#include "online/online_connection.h"
#include "online/record_address.h"
#include "online/y5lib.h"
#include "tests/support/memory_registry.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"
#include "tools/cpsim/cpsim_options.h"
#include "tools/cpsim/tcp_server.h"

namespace {

using namespace online;
using Bytes = std::vector<std::uint8_t>;
const std::string kKey = std::string(kAccessPointKey) + kDefaultAccessPoint;

// A record that answers what was last written to it.
class Echo : public cpsim::RecordServer {
public:
    std::vector<std::uint16_t> Records() const override { return {239}; }
    cpsim::RecordResult Write(std::uint16_t, std::span<const std::uint8_t> data) override {
        last.assign(data.begin(), data.end());
        return {};
    }
    cpsim::RecordResult Read(std::uint16_t, std::uint16_t length) override {
        Bytes d = last;
        if (d.size() > length) d.resize(length);
        return {0, d};
    }
    Bytes last;
};

class OnlineTcp : public ::testing::Test {
protected:
    OnlineTcp() {
        SetRegistry(&registry);
        port = server.Listen(0);
        server.Start();
        Point(std::to_string(port));
        doc.m_nRack = 0;
        doc.m_nSlot = 5;
    }
    ~OnlineTcp() override { SetRegistry(nullptr); }

    void Point(const std::string& portText, int requestMs = 500) {
        registry.write(host::Hive::LocalMachine, kKey, "Endpoint", "127.0.0.1:" + portText);
        registry.write(host::Hive::LocalMachine, kKey, "RequestTimeoutMs", std::to_string(requestMs));
    }

    support::MemoryRegistry registry;
    cpsim::Station station;
    cpsim::TcpServer server{station};
    std::uint16_t port = 0;
    support::ModuleDocument module{kCP731, 0, 81};
    CPtpDoc& doc = module.doc;
    COnlineConnection connection{doc};
    std::uint32_t handle = 0, directHandle = 0;
};

TEST_F(OnlineTcp, WholeConnectionOverLoopback) {
    ASSERT_NE(port, 0);
    auto echo = std::make_shared<Echo>();
    station.AddRecordServer(echo, RackSlotModuleAddress(0, 5));
    station.SetState(cpsim::kRun);
    ASSERT_EQ(connection.OpenConnection(false, false, handle, directHandle), 1) << connection.LastResult();
    EXPECT_EQ(station.LastOpen().parameters.at(51), 5);

    int state = -1;
    ASSERT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, 8);
    station.SetState(cpsim::kStop);
    ASSERT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, kStateStop);

    // A record larger than one TCP segment goes and comes back whole.
    Bytes data(3000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    auto channel = connection.Channel();
    const std::uint16_t address = RackSlotModuleAddress(0, 5);
    ASSERT_EQ(channel->WriteRecord(RecordWriteRequest(239, address, data)), 0);
    EXPECT_EQ(echo->last, data);
    Bytes response;
    ASSERT_EQ(channel->ReadRecord(RecordAddress(3000, 239, address), response, 3004), 0);
    EXPECT_EQ(Bytes(response.begin() + 4, response.end()), data);

    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    EXPECT_EQ(OpenHandleCount(), 0u);
}

TEST_F(OnlineTcp, DirectRouteOverLoopback) {
    ASSERT_EQ(connection.OpenConnection(true, true, handle, directHandle), 1);
    EXPECT_NE(directHandle, 0u);
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(connection.CloseConnection(handle, directHandle), 0);
    EXPECT_EQ(OpenHandleCount(), 0u);
}

// A station that takes the request and never answers: the call comes back with the timeout.
TEST_F(OnlineTcp, SilentStationTimesOut) {
    station.SetFaults({.silentAfter = 1});
    Point(std::to_string(port), 200);
    ASSERT_EQ(connection.OpenConnection(true, false, handle, directHandle), 1);
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), kTimeout);
    EXPECT_EQ(connection.CloseConnection(handle, 0), kConnectionLost);
}

TEST_F(OnlineTcp, DroppedConnectionAndSlowStation) {
    station.SetFaults({.latencyMs = 20, .dropAfter = 1});
    ASSERT_EQ(connection.OpenConnection(true, false, handle, directHandle), 1);
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), kConnectionLost);
    connection.CloseConnection(handle, 0);
    station.SetFaults({.latencyMs = 1000});
    Point(std::to_string(port), 100);
    EXPECT_EQ(connection.OpenConnection(true, false, handle, directHandle), 0);
    EXPECT_EQ(connection.LastResult(), kTimeout);
    EXPECT_EQ(OpenHandleCount(), 0u);
}

// A port nobody listens on, a listener that never accepts the frames' answers, an endpoint that
// is no endpoint.
TEST_F(OnlineTcp, UnreachableEndpointsGiveNoStation) {
    const int closed = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(closed, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::getsockname(closed, reinterpret_cast<sockaddr*>(&a), &len), 0);
    const std::string unused = std::to_string(ntohs(a.sin_port));  // bound, not listening
    struct Case {
        const char* what;
        std::string endpoint;
        std::int32_t result;
    } cases[] = {
        {"nobody listens", "127.0.0.1:" + unused, kNoStation},
        {"no port number", "127.0.0.1:x", kNoStation},
        {"port out of range", "127.0.0.1:70000", kNoStation},
        {"no host", ":" + std::to_string(port), kNoStation},
    };
    for (const Case& c : cases) {
        registry.write(host::Hive::LocalMachine, kKey, "Endpoint", c.endpoint);
        EXPECT_EQ(connection.OpenConnection(true, false, handle, directHandle), 0) << c.what;
        EXPECT_EQ(connection.LastResult(), c.result) << c.what;
    }
    ::close(closed);
}

// Without a registry given, the library reads the programs' registry files (QORB4_REGISTRY).
TEST_F(OnlineTcp, EndpointFromTheProgramsRegistryFiles) {
    SetRegistry(nullptr);
    support::ScratchDir dir("online_registry");
    const char* before = std::getenv("QORB4_REGISTRY");
    const std::string saved = before ? before : "";
    ::setenv("QORB4_REGISTRY", dir.path.c_str(), 1);
    {
        host::IniRegistry ini;
        ASSERT_TRUE(ini.write(host::Hive::LocalMachine, kKey, "Endpoint", "127.0.0.1:" + std::to_string(port)));
    }
    EXPECT_EQ(connection.OpenConnection(true, false, handle, directHandle), 1) << connection.LastResult();
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    if (before)
        ::setenv("QORB4_REGISTRY", saved.c_str(), 1);
    else
        ::unsetenv("QORB4_REGISTRY");
}

TEST(OnlineEndpoint, RegistryValues) {
    support::MemoryRegistry r;
    auto e = EndpointOf(r, "Y5ONLINE");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->host, "127.0.0.1");
    EXPECT_EQ(e->port, kDefaultPort);
    r.write(host::Hive::LocalMachine, kKey, "Endpoint", "station.local");
    r.write(host::Hive::LocalMachine, kKey, "ConnectTimeoutMs", "250");
    e = EndpointOf(r, "Y5ONLINE");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->host, "station.local");
    EXPECT_EQ(e->port, kDefaultPort);
    EXPECT_EQ(e->timeouts.connectMs, 250);
    EXPECT_TRUE(EndpointOf(r, "OTHER"));  // another access point: its own (absent) entry
    r.write(host::Hive::LocalMachine, kKey, "RequestTimeoutMs", "0");
    EXPECT_FALSE(EndpointOf(r, "Y5ONLINE"));
}

TEST(CpsimOptions, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        int port, state, latency, drop, silent;
        std::int32_t openResult;
    } cases[] = {
        {{}, true, kDefaultPort, cpsim::kStop, 0, -1, -1, 0},
        {{"--port", "0", "--state", "RUN", "--latency-ms", "15", "--drop-after", "3"}, true, 0, cpsim::kRun, 15, 3, -1, 0},
        {{"--silent-after", "2", "--open-result", "0xFFF60001"}, true, kDefaultPort, cpsim::kStop, 0, -1, 2,
         kNoStation},
        {{"--state", "5"}, true, kDefaultPort, 5, 0, -1, -1, 0},
        {{"--driver-present", "--state", "RUN", "--fw-reset-first"}, true, kDefaultPort, cpsim::kRun, 0, -1, -1, 0},
        {{"--port", "65536"}, false, 0, 0, 0, 0, 0, 0},
        {{"--state", "WAIT"}, false, 0, 0, 0, 0, 0, 0},
        {{"--latency-ms", "-1"}, false, 0, 0, 0, 0, 0, 0},
        {{"--drop-after"}, false, 0, 0, 0, 0, 0, 0},
        {{"--colour", "red"}, false, 0, 0, 0, 0, 0, 0},
        {{"--driver", "NINECHARS"}, false, 0, 0, 0, 0, 0, 0},
        {{"--driver", "ASCII:1"}, false, 0, 0, 0, 0, 0, 0},
        {{"--fw-version", "2.1"}, false, 0, 0, 0, 0, 0, 0},
        {{"--fw-version", "2.1.256"}, false, 0, 0, 0, 0, 0, 0},
        {{"--ident", "medium"}, false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv{const_cast<char*>("cpsim")};
        for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
        cpsim::Options o;
        std::string error;
        const bool ok = cpsim::ParseOptions(static_cast<int>(argv.size()), argv.data(), o, error);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        ASSERT_EQ(ok, c.ok) << error;
        if (!ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(o.port, c.port);
        EXPECT_EQ(o.state, c.state);
        EXPECT_EQ(o.faults.latencyMs, c.latency);
        EXPECT_EQ(o.faults.dropAfter, c.drop);
        EXPECT_EQ(o.faults.silentAfter, c.silent);
        EXPECT_EQ(o.faults.openResult, c.openResult);
    }
}

// The module the options describe answers its records and gives its identification list as the
// controller's SZL 0x0011.
TEST(CpsimOptions, ModuleOfTheCommandLine) {
    const char* args[] = {"cpsim", "--module-address", "0x150", "--driver", "PRNT:1.2", "--fw-version", "3.4.5",
                          "--order-no", "9QX4 731-1L", "--fail-code", "0xFFF60003", "--fw-fail-read", "2", "--driver-echo", "9",
                          "--driver-ident-length", "193"};
    cpsim::Options o;
    std::string error;
    ASSERT_TRUE(cpsim::ParseOptions(std::size(args), const_cast<char**>(args), o, error)) << error;
    EXPECT_EQ(o.driver.driverName, "PRNT");
    EXPECT_EQ(o.driver.verHi, 1);
    EXPECT_EQ(o.driver.verLo, 2);
    EXPECT_EQ(o.ident.firmware, (std::array<std::uint8_t, 4>{'V', 3, 4, 5}));
    EXPECT_EQ(o.firmware.failRead, 2);
    EXPECT_EQ(o.driver.echo, 9);
    EXPECT_EQ(o.driver.identLength, 193);
    EXPECT_EQ(o.firmware.failCode, kConnectionLost);
    EXPECT_EQ(o.driver.failCode, kConnectionLost);

    cpsim::Station station;
    cpsim::Configure(station, o);
    RouteAccessPoint("CPSIM", [&](std::int32_t& e) {
        e = 0;
        return ConnectInProcess(station.Connect());
    });
    std::array<std::uint8_t, kParameterBlockSize> block{};
    ConnectionDescriptor d{1, "CPSIM", block.data()};
    std::uint32_t h = 0;
    ASSERT_EQ(y5db_open(0, 0, 0, &d, &h, nullptr, 0), 0);
    auto channel = LibraryChannel(h);
    Bytes szl;
    ASSERT_EQ(channel->ReadSzl(0x0011, 0, szl, 108), 0);
    EXPECT_EQ(szl, cpsim::ModuleIdentList(o.ident));
    Bytes response;
    EXPECT_EQ(channel->ReadRecord(RecordAddress(12, 248, 0x150), response, 16), 0);
    EXPECT_EQ(channel->ReadRecord(RecordAddress(12, 248, 0x160), response, 16), kNoSuchRecord);
    EXPECT_EQ(y5db_close(h, 0, 0), 0);
    RouteAccessPoint("CPSIM", {});
}

// The program: started on a free port, it says which, answers the library and ends on SIGTERM.
TEST(CpsimProgram, ServesOnThePortItPrints) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::execl(PTP_CPSIM, "cpsim", "--port", "0", "--state", "RUN", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    const std::string prefix = "cpsim: listening on 127.0.0.1:";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;

    support::MemoryRegistry registry;
    registry.write(host::Hive::LocalMachine, kKey, "Endpoint", line.substr(prefix.size() - 10));
    SetRegistry(&registry);
    support::ModuleDocument module{kCP731, 0, 81};
    COnlineConnection connection{module.doc};
    std::uint32_t handle = 0, direct = 0;
    EXPECT_EQ(connection.OpenConnection(true, false, handle, direct), 1) << connection.LastResult();
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, 8);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    SetRegistry(nullptr);

    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// --detach: the call returns once the station listens, with the serving process's number on
// standard output and nothing of the station holding the caller's pipe open.
TEST(CpsimProgram, DetachedStationListensWhenTheCallReturns) {
    const std::string command = std::string(PTP_CPSIM) + " --detach --port 0 --state STOP 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string said;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) said += buffer;  // ends only when the pipe is let go
    ASSERT_EQ(::pclose(pipe), 0) << said;
    const std::string prefix = "cpsim: listening on ";
    const size_t at = said.find(prefix + "127.0.0.1:");
    ASSERT_NE(at, std::string::npos) << said;
    const size_t lineEnd = said.find('\n', at);
    const std::string endpoint = said.substr(at + prefix.size(), lineEnd - at - prefix.size());
    std::string rest = said.substr(0, at) + said.substr(lineEnd + 1);
    const pid_t pid = static_cast<pid_t>(std::atol(rest.c_str()));
    ASSERT_GT(pid, 0) << said;

    support::MemoryRegistry registry;
    registry.write(host::Hive::LocalMachine, kKey, "Endpoint", endpoint);
    SetRegistry(&registry);
    support::ModuleDocument module{kCP731, 0, 81};
    COnlineConnection connection{module.doc};
    std::uint32_t handle = 0, direct = 0;
    EXPECT_EQ(connection.OpenConnection(true, false, handle, direct), 1) << connection.LastResult() << " " << endpoint;
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, 4);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    SetRegistry(nullptr);
    EXPECT_EQ(::kill(pid, SIGTERM), 0);
}

}  // namespace
