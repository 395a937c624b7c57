#pragma once
// The 25-byte block head that starts every image, and what a build writes into it.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "document/records.h"

namespace sdb {

// A moment of the local clock.
struct LocalTime {
    int day = 1, month = 1, year = 2000, hour = 0, minute = 0, second = 0;
};
using Clock = std::function<LocalTime()>;
LocalTime LocalTimeNow();

// Who the module is and when the build happens: everything a head build looks at.
struct BuildContext {
    int moduleType = 0;         // 730, 731, 830, 8311, 8312
    int interfaceCode = 0;      // m_nInterfaceCode
    int interfaceNo = 0;        // m_nInterfaceNo
    std::string orderNo;        // m_szOrderNo
    bool extendedModule = false;
    std::string releaseVersion; // "a.b.c.d"
    int protocol = 0;           // document protocol code (low byte 255: loadable driver)
    Clock clock;                // empty: the local clock
};

void WriteHead(const CDbHead& head, std::span<uint8_t, CDbHead::kSize> out);
// nullopt when fewer than 25 bytes are given.
std::optional<CDbHead> ReadHead(std::span<const uint8_t> in);
// A stored image counts as present when its byte 0 (kind) or byte 6 is not 0.
bool HeadPresent(std::span<const uint8_t> image);

// The four numbers of a dotted version text, one byte each; a missing number is 0 and a
// number above 255 is taken as 255.
std::array<uint8_t, 4> VersionBytes(std::string_view version);
// Day, month, year % 100, hour, minute, second, each as two BCD digits.
std::array<uint8_t, 6> TimeBytes(const LocalTime& t);
void FillTime(CDbHead& head, const Clock& clock);
void FillVersion(CDbHead& head, std::string_view releaseVersion);

// Module code of the parameter head: CP 730 0, CP 731 3 (2 while a loadable driver runs),
// CP 830 5, CP 831 2.
uint8_t ModuleCode(int moduleType, int protocol);

// Variant byte 22 of a CP 831 head: 2 on a CP 831-1, the interface number on a CP 831-2.
uint8_t Cp831Variant(const BuildContext& ctx);

enum class ImageKind { Param = 1, Text = 2, DriverCode = 3, DriverFirmware = 4, DriverProtocol = 5 };
// Sets bytes 22 to 24 for an image of `kind`; bytes the rules leave alone keep their value.
void FillVariantBytes(CDbHead& head, ImageKind kind, const BuildContext& ctx);

}  // namespace sdb
