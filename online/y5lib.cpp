// The online library: a handle table over transports, one request frame per call.
#include "online/y5lib.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <mutex>

#include "app/configuration.h"
#include "host/registry.h"
#include "online/codes.h"
#include "online/wire.h"

namespace online {
namespace {

struct Connection {
    std::shared_ptr<Transport> transport;
    std::uint32_t remote = 0;  // the station's handle
};

struct Library {
    std::mutex mutex;
    std::map<std::uint32_t, Connection> handles;
    std::map<std::uint32_t, Connection> directs;
    std::uint32_t next = 1;
    std::map<std::string, Connector> routes;
    host::Registry* registry = nullptr;

    std::uint32_t add(std::map<std::uint32_t, Connection>& table, Connection c) {
        std::lock_guard lock(mutex);
        while (next == 0 || handles.count(next) || directs.count(next)) ++next;
        const std::uint32_t h = next++;
        table.emplace(h, std::move(c));
        return h;
    }
    std::optional<Connection> find(const std::map<std::uint32_t, Connection>& table, std::uint32_t h) {
        std::lock_guard lock(mutex);
        auto it = table.find(h);
        if (h == 0 || it == table.end()) return std::nullopt;
        return it->second;
    }
};

Library& library() {
    static Library lib;
    return lib;
}

// A new connection to the station the access point leads to.
std::shared_ptr<Transport> connect(const std::string& accessPoint, std::int32_t& error) {
    Library& lib = library();
    Connector route;
    host::Registry* registry = nullptr;
    {
        std::lock_guard lock(lib.mutex);
        if (auto it = lib.routes.find(accessPoint); it != lib.routes.end()) route = it->second;
        registry = lib.registry;
    }
    // The programs' own registry files, looked up anew: QORB4_REGISTRY may change between opens.
    std::unique_ptr<host::Registry> ini;
    if (!route && !registry) {
        const std::string folder = config::ProgramFolder();
        ini = std::make_unique<host::IniRegistry>(folder.empty() ? "/" : folder);
        registry = ini.get();
    }
    error = 0;
    if (route) {
        std::shared_ptr<Transport> t = route(error);
        if (!t && error == 0) error = kNoStation;
        return error == 0 ? t : nullptr;
    }
    auto endpoint = EndpointOf(*registry, accessPoint);
    if (!endpoint) {
        error = kNoStation;
        return nullptr;
    }
    std::shared_ptr<Transport> t = ConnectTcp(endpoint->host, endpoint->port, endpoint->timeouts, error);
    return error == 0 ? t : nullptr;
}

// One request and its response; the library code when the exchange or the answer fails.
std::int32_t exchange(Transport& t, const wire::Request& request, wire::Response& response) {
    std::vector<std::uint8_t> frame;
    if (std::int32_t rc = t.Exchange(wire::EncodeRequest(request), frame)) return rc;
    auto decoded = wire::DecodeResponse(request.op, std::span(frame).subspan(4));
    if (!decoded) return kBadFrame;
    response = std::move(*decoded);
    return response.result;
}

std::optional<int> positive(const std::string& text) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v <= 0) return std::nullopt;
    return v;
}

}  // namespace

std::optional<Endpoint> EndpointOf(host::Registry& registry, const std::string& accessPoint) {
    Endpoint e;
    const std::string key = std::string(kAccessPointKey) + accessPoint;
    if (auto text = registry.read(host::Hive::LocalMachine, key, "Endpoint")) {
        const std::string& t = *text;
        const auto colon = t.rfind(':');
        e.host = t.substr(0, colon);
        if (colon != std::string::npos) {
            auto port = positive(t.substr(colon + 1));
            if (!port || *port > 0xFFFF) return std::nullopt;
            e.port = static_cast<std::uint16_t>(*port);
        }
        if (e.host.empty()) return std::nullopt;
    }
    for (auto [name, target] : {std::pair{"ConnectTimeoutMs", &e.timeouts.connectMs},
                                std::pair{"RequestTimeoutMs", &e.timeouts.requestMs}}) {
        if (auto text = registry.read(host::Hive::LocalMachine, key, name)) {
            auto ms = positive(*text);
            if (!ms) return std::nullopt;
            *target = *ms;
        }
    }
    return e;
}

void SetRegistry(host::Registry* registry) {
    std::lock_guard lock(library().mutex);
    library().registry = registry;
}

void RouteAccessPoint(const std::string& name, Connector connect) {
    std::lock_guard lock(library().mutex);
    if (connect)
        library().routes[name] = std::move(connect);
    else
        library().routes.erase(name);
}

std::size_t OpenHandleCount() {
    std::lock_guard lock(library().mutex);
    return library().handles.size() + library().directs.size();
}

}  // namespace online

using namespace online;

std::int32_t y5db_open(std::uint32_t connection, std::int32_t, std::int32_t, const ConnectionDescriptor* descriptor,
                       std::uint32_t* handle, std::uint8_t* workArea, std::uint32_t workAreaSize) {
    if (!descriptor || !handle || descriptor->count < 1 || !descriptor->accessPoint || !descriptor->parameters)
        return kBadArgument;
    *handle = 0;
    if (workArea) std::memset(workArea, 0, workAreaSize);
    const std::string accessPoint(descriptor->accessPoint, strnlen(descriptor->accessPoint, kAccessPointSize));
    std::int32_t rc = 0;
    auto transport = connect(accessPoint, rc);
    if (rc) return rc;
    wire::Request request;
    request.op = wire::Operation::Open;
    request.connection = connection;
    request.accessPoint = accessPoint;
    request.parameters.assign(descriptor->parameters, descriptor->parameters + kParameterBlockSize);
    wire::Response response;
    if ((rc = exchange(*transport, request, response))) return rc;
    *handle = library().add(library().handles, {transport, response.handle});
    return 0;
}

std::int32_t y5db_close(std::uint32_t handle, std::int32_t, std::int32_t) {
    Library& lib = library();
    auto c = lib.find(lib.handles, handle);
    if (!c) return kUnknownHandle;
    wire::Request request;
    request.op = wire::Operation::Close;
    request.handle = c->remote;
    wire::Response response;
    const std::int32_t rc = exchange(*c->transport, request, response);
    // Whatever the station says, this side of the connection is gone: the caller forgets the
    // handle after closing, so keeping it would only leak the connection.
    std::lock_guard lock(lib.mutex);
    lib.handles.erase(handle);
    return rc;
}

std::int32_t y5ag_read_szl(std::uint32_t handle, Y5Window, std::int32_t, std::uint16_t id, std::uint16_t index,
                           std::uint8_t* buffer, std::uint32_t bufferSize, std::uint32_t* length) {
    if (!buffer || !length) return kBadArgument;
    *length = 0;
    auto c = library().find(library().handles, handle);
    if (!c) return kUnknownHandle;
    wire::Request request;
    request.op = wire::Operation::ReadSzl;
    request.handle = c->remote;
    request.szlId = id;
    request.szlIndex = index;
    request.size = bufferSize;
    wire::Response response;
    if (std::int32_t rc = exchange(*c->transport, request, response)) return rc;
    const std::size_t n = std::min<std::size_t>(bufferSize, response.data.size());
    std::copy_n(response.data.begin(), n, buffer);
    *length = static_cast<std::uint32_t>(n);
    return 0;
}

std::int32_t y5ag_bub_write_var(std::uint32_t handle, Y5Window, std::int32_t, std::int32_t items,
                                const std::uint8_t* request, std::uint32_t requestLength, ItemResult* results,
                                std::int32_t resultCount, std::uint16_t* status) {
    if (items != 1 || !request || !results || resultCount < 1 || !status) return kBadArgument;
    *status = 0;
    auto c = library().find(library().handles, handle);
    if (!c) return kUnknownHandle;
    wire::Request r;
    r.op = wire::Operation::WriteVar;
    r.handle = c->remote;
    r.data.assign(request, request + requestLength);
    wire::Response response;
    const std::int32_t rc = exchange(*c->transport, r, response);
    results[0].result = rc;
    *status = response.status;
    return rc;
}

std::int32_t y5ag_bub_read_var(std::uint32_t handle, Y5Window, std::int32_t, std::int32_t items,
                               const std::uint8_t* address, std::uint32_t addressLength, std::uint8_t* response,
                               std::uint32_t responseSize, std::uint16_t* status) {
    if (items != 1 || !address || !response || !status) return kBadArgument;
    *status = 0;
    auto c = library().find(library().handles, handle);
    if (!c) return kUnknownHandle;
    wire::Request r;
    r.op = wire::Operation::ReadVar;
    r.handle = c->remote;
    r.size = responseSize;
    r.data.assign(address, address + addressLength);
    wire::Response answer;
    const std::int32_t rc = exchange(*c->transport, r, answer);
    *status = answer.status;
    if (rc) return rc;
    std::copy_n(answer.data.begin(), std::min<std::size_t>(responseSize, answer.data.size()), response);
    return 0;
}

std::int32_t DSOpenConnection(std::uint32_t* direct, HAUTOBJ module, std::int32_t, std::int32_t, std::int32_t) {
    if (!direct) return kBadArgument;
    *direct = 0;
    std::int32_t rc = 0;
    auto transport = connect(kDefaultAccessPoint, rc);
    if (rc) return kDirectUnreachable;
    wire::Request request;
    request.op = wire::Operation::DirectOpen;
    request.moduleObject = static_cast<std::uint64_t>(module);
    wire::Response response;
    if ((rc = exchange(*transport, request, response))) return rc;
    *direct = library().add(library().directs, {transport, response.handle});
    return 0;
}

std::int32_t DSGethY5Dos(std::uint32_t direct, std::uint32_t* handle) {
    if (!handle) return kBadArgument;
    *handle = 0;
    auto c = library().find(library().directs, direct);
    if (!c) return kUnknownHandle;
    wire::Request request;
    request.op = wire::Operation::DirectHandle;
    request.handle = c->remote;
    wire::Response response;
    if (std::int32_t rc = exchange(*c->transport, request, response)) return rc;
    *handle = library().add(library().handles, {c->transport, response.handle});
    return 0;
}

std::int32_t DSCloseConnection(std::uint32_t direct) {
    Library& lib = library();
    auto c = lib.find(lib.directs, direct);
    if (!c) return kUnknownHandle;
    wire::Request request;
    request.op = wire::Operation::DirectClose;
    request.handle = c->remote;
    wire::Response response;
    const std::int32_t rc = exchange(*c->transport, request, response);
    // The handles got from this direct connection go with it.
    std::lock_guard lock(lib.mutex);
    lib.directs.erase(direct);
    std::erase_if(lib.handles, [&](const auto& entry) { return entry.second.transport == c->transport; });
    return rc;
}
