#include "tools/cpsim/cpsim_options.h"

#include <charconv>
#include <limits>

namespace cpsim {

const char* const kUsage =
    "usage: cpsim [--port P] [--state STOP|STARTUP|RUN|HOLD|DEFECT|0..15] [--latency-ms N]\n"
    "             [--drop-after N] [--silent-after N] [--open-result CODE]\n"
    "  --port P          listen on 127.0.0.1:P (0: a free port; the port is printed)\n"
    "  --state S         the controller's operating state (default STOP)\n"
    "  --latency-ms N    wait N ms before every answer\n"
    "  --drop-after N    close a connection at its request N+1\n"
    "  --silent-after N  answer no request of a connection after its first N\n"
    "  --open-result C   refuse every open with the code C\n";

namespace {

template <typename T>
bool number(const std::string& text, T& out, long long low, long long high) {
    long long v = 0;
    int base = 10;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    bool negative = false;
    if (first != last && *first == '-') {
        negative = true;
        ++first;
    }
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        base = 16;
        first += 2;
    }
    auto [end, ec] = std::from_chars(first, last, v, base);
    if (ec != std::errc() || end != last || first == last) return false;
    if (negative) v = -v;
    if (v < low || v > high) return false;
    out = static_cast<T>(v);
    return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg.rfind("--", 0) == 0 ? "missing value after " + arg : "unknown argument " + arg;
            return false;
        }
        const std::string value = argv[++i];
        bool ok = true;
        if (arg == "--port") {
            ok = number(value, o.port, 0, 65535);
        } else if (arg == "--state") {
            auto s = StateFromName(value);
            ok = s.has_value();
            if (ok) o.state = *s;
        } else if (arg == "--latency-ms") {
            ok = number(value, o.faults.latencyMs, 0, 600000);
        } else if (arg == "--drop-after") {
            ok = number(value, o.faults.dropAfter, 0, std::numeric_limits<int>::max());
        } else if (arg == "--silent-after") {
            ok = number(value, o.faults.silentAfter, 0, std::numeric_limits<int>::max());
        } else if (arg == "--open-result") {
            long long code = 0;
            ok = number(value, code, std::numeric_limits<std::int32_t>::min(), 0xFFFFFFFFLL);
            if (ok) o.faults.openResult = static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + arg;
            return false;
        }
    }
    return true;
}

void Configure(Station& station, const Options& o) {
    station.SetState(o.state);
    station.SetFaults(o.faults);
}

}  // namespace cpsim
