#pragma once
// Driver information: the driver identification read from the module through data record 200,
// and what the driver dialogs show of the installed driver, the project's driver and the
// module's driver, with what they record in the document.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "online/module_channel.h"

class CPtpDoc;

namespace online {

// A driver name or version that cannot be read.
inline constexpr const char* kNoDriverVersion = "- - - -";
// The identification area of ReadDriverInfo.
inline constexpr std::size_t kDriverInfoArea = 192;
// What the driver dialogs request from the module.
inline constexpr std::uint16_t kDriverInfoRequest = 64;

// Waits the given milliseconds while the caller's own work goes on (the window's events, or a
// plain sleep on the command line).
using Pump = std::function<void(int ms)>;

// Reads the driver identification of the module into `area`: the idle job, `pump`(100), the
// read job for `requested` bytes, then the answer. The number of identification bytes
// delivered; 0 on every failure (after its message) and for a module without a loadable
// driver (status 0x31, no message).
std::size_t ReadDriverInfo(ModuleChannel& channel, std::uint16_t moduleAddress, std::uint16_t requested,
                           std::span<std::uint8_t, kDriverInfoArea> area, const Pump& pump);

// The module address of the driver jobs: the document's, or rack × 128 + slot × 16 + 192 when
// the document has none (bit 15 set).
std::uint16_t DriverModuleAddress(CPtpDoc& doc);

// A driver as a dialog shows it.
struct DriverShown {
    std::string name = kNoDriverVersion;
    std::string version = kNoDriverVersion;
};
std::string VersionText(std::uint8_t hi, std::uint8_t lo);
// The name of 8 characters as shown: up to the first zero byte.
std::string DriverNameText(std::span<const std::uint8_t> name);
// The driver installed on this machine (the document's driver identification).
DriverShown InstalledDriver(const CPtpDoc& doc);
// The driver the project's stored block names.
DriverShown ProjectDriver(const CPtpDoc& doc);

// The driver dialog at its start: the installed driver, and the module's driver as the module
// reports it. Without a channel (no connection) message 2002, the module's driver unknown, the
// document's module driver version 0.0 and no driver pending. With one, the module's version
// becomes the document's module driver version and the document learns whether it is the
// installed one (module driver known) or not (driver pending).
struct DriverDialogStart {
    DriverShown installed;
    DriverShown module;
    bool loadEnabled = false;
};
DriverDialogStart StartDriverDialog(CPtpDoc& doc, ModuleChannel* channel, const Pump& pump);

// "Treiber laden", before anything is sent: question 606 under the button's text. True for Yes.
bool ConfirmDriverLoad(const std::string& buttonText);

// After a load: the module's driver read back. Fewer than 64 bytes show nothing and make the
// document's module driver version 0.0; a version that differs from the document's is stored
// there, the document notes that a new driver was loaded and is modified.
struct ReadBack {
    DriverShown module;
    bool documentChanged = false;
};
ReadBack ReadBackAfterLoad(CPtpDoc& doc, ModuleChannel& channel, const Pump& pump);

}  // namespace online
