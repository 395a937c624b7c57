#include "tools/cpsim/cpsim_options.h"

#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>

namespace cpsim {

const char* const kUsage =
    "usage: cpsim [options]\n"
    "The controller:\n"
    "  --port P               listen on 127.0.0.1:P (0: a free port; the port is printed)\n"
    "  --detach               serve in the background once listening; the process number is printed\n"
    "  --state S              operating state STOP, STARTUP, RUN, HOLD, DEFECT or 0..15 (default STOP)\n"
    "  --latency-ms N         wait N ms before every answer\n"
    "  --drop-after N         close a connection at its request N+1\n"
    "  --silent-after N       answer no request of a connection after its first N\n"
    "  --open-result C        refuse every open with the code C\n"
    "The module (records 200, 239, 248):\n"
    "  --module-address A     answer only this module address (default: every address)\n"
    "  --driver NAME[:H.L]    the loadable driver the module holds, with its version\n"
    "  --driver-present       answer every driver introduction with 'already present'\n"
    "  --driver-untouched N   leave N reads untouched after each driver job\n"
    "  --driver-busy N        answer busy N times after each driver job\n"
    "  --driver-stale N       answer N times for the block before\n"
    "  --driver-wrong-block B acknowledge every driver data block as block B\n"
    "  --driver-status S      the status of every driver answer\n"
    "  --driver-echo E        answer every driver job with the echo E instead of its own\n"
    "  --driver-ident-length N  claim N identification bytes in the driver identification answer\n"
    "  --driver-fail-write N  fail the N-th write of record 200 (--driver-fail-read N: the N-th read)\n"
    "  --fw-untouched N       leave N reads untouched after each firmware job (-1: every read)\n"
    "  --fw-busy N            answer busy N times after each firmware job\n"
    "  --fw-stale N           answer N times for the block before\n"
    "  --fw-wrong-block B     acknowledge every firmware data block as block B\n"
    "  --fw-intro-status S    the status of the answer to the firmware introduction\n"
    "  --fw-block-status S    the status of the answer to every firmware data block\n"
    "  --fw-reset-first       answer the first introduction with 'reset first'\n"
    "  --fw-fail-write N      fail the N-th write of record 239 (--fw-fail-read N: the N-th read)\n"
    "  --fail-code C          the code of the failed writes and reads (default -1)\n"
    "  --ident F              record 248: long, short, none or missing (default long)\n"
    "  --order-no TEXT        the module's order number\n"
    "  --hw-version A.B.C     its hardware version\n"
    "  --fw-version A.B.C     its firmware version\n"
    "  --short-version N      the number of the short identification\n";

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

// An option that is unset unless given.
template <typename T>
bool number(const std::string& text, std::optional<T>& out, long long low, long long high) {
    T v{};
    if (!number(text, v, low, high)) return false;
    out = v;
    return true;
}

// A library result code: a signed 32-bit number or the same bits unsigned (-1 or 0xFFFFFFFF).
bool resultCode(const std::string& text, std::int32_t& out) {
    long long code = 0;
    if (!number(text, code, std::numeric_limits<std::int32_t>::min(), 0xFFFFFFFFLL)) return false;
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
    return true;
}

// "A.B.C" -> {'V', A, B, C}.
bool version(const std::string& text, std::array<std::uint8_t, 4>& out) {
    std::array<std::uint8_t, 4> v{'V', 0, 0, 0};
    std::size_t start = 0;
    for (int i = 1; i <= 3; ++i) {
        const std::size_t dot = text.find('.', start);
        if ((i < 3) != (dot != std::string::npos)) return false;
        if (!number(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start), v[i], 0, 255))
            return false;
        start = dot + 1;
    }
    out = v;
    return true;
}

// "NAME" or "NAME:H.L".
bool driver(const std::string& text, DriverRecords::Options& d) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    if (name.empty() || name.size() > 8) return false;
    d.driverName = name;
    if (colon == std::string::npos) return true;
    const std::string ver = text.substr(colon + 1);
    const std::size_t dot = ver.find('.');
    return dot != std::string::npos && number(ver.substr(0, dot), d.verHi, 0, 255) &&
           number(ver.substr(dot + 1), d.verLo, 0, 255);
}

constexpr long long kMaxInt = std::numeric_limits<int>::max();

}  // namespace

bool ParseOptions(int argc, char** argv, Options& o, std::string& error) {
    using Setter = std::function<bool(const std::string&)>;
    std::int32_t failCode = -1;
    const std::map<std::string, std::function<void()>> flags{
        {"--help", [&] { o.help = true; }},
        {"-h", [&] { o.help = true; }},
        {"--detach", [&] { o.detach = true; }},
        {"--driver-present", [&] { o.driver.driverPresent = true; }},
        {"--fw-reset-first", [&] { o.firmware.resetFirst = true; }},
    };
    const std::map<std::string, Setter> valued{
        {"--port", [&](const std::string& v) { return number(v, o.port, 0, 65535); }},
        {"--state",
         [&](const std::string& v) {
             auto s = StateFromName(v);
             if (s) o.state = *s;
             return s.has_value();
         }},
        {"--latency-ms", [&](const std::string& v) { return number(v, o.faults.latencyMs, 0, 600000); }},
        {"--drop-after", [&](const std::string& v) { return number(v, o.faults.dropAfter, 0, kMaxInt); }},
        {"--silent-after", [&](const std::string& v) { return number(v, o.faults.silentAfter, 0, kMaxInt); }},
        {"--open-result", [&](const std::string& v) { return resultCode(v, o.faults.openResult); }},
        {"--module-address", [&](const std::string& v) { return number(v, o.moduleAddress, 0, 0xFFFF); }},
        {"--driver", [&](const std::string& v) { return driver(v, o.driver); }},
        {"--driver-untouched", [&](const std::string& v) { return number(v, o.driver.untouchedAnswers, 0, kMaxInt); }},
        {"--driver-busy", [&](const std::string& v) { return number(v, o.driver.busyAnswers, 0, kMaxInt); }},
        {"--driver-stale", [&](const std::string& v) { return number(v, o.driver.staleAnswers, 0, kMaxInt); }},
        {"--driver-wrong-block", [&](const std::string& v) { return number(v, o.driver.wrongBlock, 0, 0xFFFF); }},
        {"--driver-status", [&](const std::string& v) { return number(v, o.driver.status, 0, 255); }},
        {"--driver-echo", [&](const std::string& v) { return number(v, o.driver.echo, 0, 255); }},
        {"--driver-ident-length", [&](const std::string& v) { return number(v, o.driver.identLength, 0, 0xFFFF); }},
        {"--driver-fail-write", [&](const std::string& v) { return number(v, o.driver.failWrite, 0, kMaxInt); }},
        {"--driver-fail-read", [&](const std::string& v) { return number(v, o.driver.failRead, 0, kMaxInt); }},
        {"--fw-untouched", [&](const std::string& v) { return number(v, o.firmware.untouchedAnswers, -1, kMaxInt); }},
        {"--fw-busy", [&](const std::string& v) { return number(v, o.firmware.busyAnswers, 0, kMaxInt); }},
        {"--fw-stale", [&](const std::string& v) { return number(v, o.firmware.staleAnswers, 0, kMaxInt); }},
        {"--fw-wrong-block", [&](const std::string& v) { return number(v, o.firmware.wrongBlock, 0, 0xFFFF); }},
        {"--fw-intro-status", [&](const std::string& v) { return number(v, o.firmware.introStatus, 0, 255); }},
        {"--fw-block-status", [&](const std::string& v) { return number(v, o.firmware.blockStatus, 0, 255); }},
        {"--fw-fail-write", [&](const std::string& v) { return number(v, o.firmware.failWrite, 0, kMaxInt); }},
        {"--fw-fail-read", [&](const std::string& v) { return number(v, o.firmware.failRead, 0, kMaxInt); }},
        {"--fail-code", [&](const std::string& v) { return resultCode(v, failCode); }},
        {"--ident",
         [&](const std::string& v) {
             static const std::map<std::string, IdentRecords::Form> forms{{"long", IdentRecords::Form::Long},
                                                                          {"short", IdentRecords::Form::Short},
                                                                          {"none", IdentRecords::Form::NoEntry},
                                                                          {"missing", IdentRecords::Form::Missing}};
             auto it = forms.find(v);
             if (it == forms.end()) return false;
             o.identForm = it->second;
             return true;
         }},
        {"--order-no",
         [&](const std::string& v) {
             if (v.size() > 20) return false;
             o.ident.orderNo = v;
             return true;
         }},
        {"--hw-version", [&](const std::string& v) { return version(v, o.ident.hardware); }},
        {"--fw-version", [&](const std::string& v) { return version(v, o.ident.firmware); }},
        {"--short-version", [&](const std::string& v) { return number(v, o.shortVersion, 0, 0xFFFF); }},
    };

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (auto f = flags.find(arg); f != flags.end()) {
            f->second();
            continue;
        }
        auto setter = valued.find(arg);
        if (setter == valued.end()) {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + arg;
            return false;
        }
        const std::string value = argv[++i];
        if (!setter->second(value)) {
            error = "bad value '" + value + "' for " + arg;
            return false;
        }
    }
    o.driver.failCode = failCode;
    o.firmware.failCode = failCode;
    return true;
}

void Configure(Station& station, const Options& o) {
    station.SetState(o.state);
    station.SetFaults(o.faults);
    station.AddRecordServer(std::make_shared<DriverRecords>(o.driver), o.moduleAddress);
    station.AddRecordServer(std::make_shared<FirmwareRecords>(o.firmware), o.moduleAddress);
    station.AddRecordServer(std::make_shared<IdentRecords>(o.identForm, o.ident, o.shortVersion), o.moduleAddress);
    station.SetSzl(0x0011, ModuleIdentList(o.ident));
}

}  // namespace cpsim
