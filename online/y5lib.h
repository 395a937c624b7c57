#pragma once
// The online library of the host: opening a connection to a station through an access point,
// reading SZL extracts, writing and reading module data records, and the direct route to a
// module. Each handle is one connection to the station that the access point leads to: by
// default the endpoint host:port in the registry entry of the access point, over TCP; tests
// lead an access point to a station in the same process. All calls return 0 or a non-zero code
// (online/codes.h, or the station's own code).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/aut.h"
#include "online/transport.h"

namespace host {
class Registry;
}

namespace online {

using Y5Window = std::uintptr_t;  // the calling window; 0 for none

constexpr std::size_t kParameterBlockSize = 126;
constexpr std::size_t kWorkAreaSize = 136;
constexpr std::size_t kAccessPointSize = 20;
constexpr char kDefaultAccessPoint[] = "Y5ONLINE";

// What y5db_open is given: the access point and its parameter block (kParameterBlockSize bytes).
struct ConnectionDescriptor {
    std::uint16_t count = 0;  // 1: one access point
    const char* accessPoint = nullptr;
    std::uint8_t* parameters = nullptr;
};

// The result area of one item of a variable write.
struct ItemResult {
    std::int32_t result = 0;
};

// --- where an access point leads ---
constexpr char kAccessPointKey[] = "Software\\Quenral\\QORB4\\2.0\\Online\\";  // + access point name
constexpr std::uint16_t kDefaultPort = 41102;
constexpr char kDefaultHost[] = "127.0.0.1";

struct Endpoint {
    std::string host = kDefaultHost;
    std::uint16_t port = kDefaultPort;
    Timeouts timeouts;
};
// The endpoint of an access point from machine values of `registry` under kAccessPointKey + name:
// "Endpoint" (host:port, or host alone with the default port), "ConnectTimeoutMs",
// "RequestTimeoutMs". Missing values keep the defaults; nullopt for a value that is no endpoint
// or no positive number.
std::optional<Endpoint> EndpointOf(host::Registry& registry, const std::string& accessPoint);

// The registry the library reads endpoints from; without one, the host's INI registry of the
// program's folder as the programs read it (QORB4_REGISTRY names another). Null goes back to that.
void SetRegistry(host::Registry* registry);

// Leads the access point `name` to whatever `connect` makes (a station in the same process) in
// place of its endpoint; an empty function removes the lead. `connect` gives null and sets the
// code when it cannot connect.
using Connector = std::function<std::unique_ptr<Transport>(std::int32_t& error)>;
void RouteAccessPoint(const std::string& name, Connector connect);

// Number of handles (library and direct) the library holds open: lets tests see that nothing
// was left behind.
std::size_t OpenHandleCount();

}  // namespace online

// The library's operations, in the host's order of parameters.
std::int32_t y5db_open(std::uint32_t connection, std::int32_t, std::int32_t, const online::ConnectionDescriptor* descriptor,
                       std::uint32_t* handle, std::uint8_t* workArea, std::uint32_t workAreaSize);
std::int32_t y5db_close(std::uint32_t handle, std::int32_t, std::int32_t);
std::int32_t y5ag_read_szl(std::uint32_t handle, online::Y5Window window, std::int32_t, std::uint16_t id,
                           std::uint16_t index, std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* length);
std::int32_t y5ag_bub_write_var(std::uint32_t handle, online::Y5Window window, std::int32_t, std::int32_t items,
                                const std::uint8_t* request, std::uint32_t requestLength, online::ItemResult* results,
                                std::int32_t resultCount, std::uint16_t* status);
std::int32_t y5ag_bub_read_var(std::uint32_t handle, online::Y5Window window, std::int32_t, std::int32_t items,
                               const std::uint8_t* address, std::uint32_t addressLength, std::uint8_t* response,
                               std::uint32_t responseSize, std::uint16_t* status);

// The direct route to a module.
std::int32_t DSOpenConnection(std::uint32_t* direct, HAUTOBJ module, std::int32_t, std::int32_t, std::int32_t);
std::int32_t DSGethY5Dos(std::uint32_t direct, std::uint32_t* handle);
std::int32_t DSCloseConnection(std::uint32_t direct);
