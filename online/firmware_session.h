#pragma once
// The firmware update of a document's module: which module address and route it uses, the
// connection it opens for reading the module's version and for a transfer, and the messages
// through the host's message service. The dialog and the command line both run on this.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "online/firmware_transfer.h"
#include "online/module_channel.h"

class CPtpDoc;

namespace online {

class COnlineConnection;

// The model switches the dialog is opened with: `first` for a CP 731 (small records), `second`
// for a CP 731 or CP 830 (identification through records; off for a CP 831).
struct FirmwareModel {
    bool first = false;
    bool second = false;
};
FirmwareModel FirmwareModelOf(const CPtpDoc& doc);

// The module address of the firmware jobs: the document's, or for an output address (bit 15)
// rack x 128 + slot x 16 + 192 on a CP 731 and 512 on the others.
std::uint16_t FirmwareModuleAddress(CPtpDoc& doc);

// An open connection for one firmware step; closed when it goes.
class FirmwareConnection {
public:
    enum class Purpose { ModuleInfo, Transfer };
    FirmwareConnection(CPtpDoc& doc, Purpose purpose);
    ~FirmwareConnection();
    FirmwareConnection(const FirmwareConnection&) = delete;
    FirmwareConnection& operator=(const FirmwareConnection&) = delete;
    // The channel of the open connection, or null when it could not be opened.
    ModuleChannel* Channel() const { return channel_.get(); }

private:
    std::unique_ptr<COnlineConnection> connection_;
    std::unique_ptr<ModuleChannel> channel_;
    std::uint32_t handle_ = 0, direct_ = 0;
};

// What the dialog shows of the module when it opens.
struct ModuleInfo {
    bool connected = false;
    std::optional<std::string> version;  // nullopt: the module holds no readable firmware
};
ModuleInfo ReadModuleInfo(CPtpDoc& doc);

// Messages and the question of a transfer through the host's message service, under caption 2001.
class HostFirmwareView : public FirmwareView {
public:
    void Message(int id, const std::vector<std::string>& inserts) override;
    bool Confirm(int id) override;
};

}  // namespace online
