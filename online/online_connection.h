#pragma once
// COnlineConnection: the short-lived connection of an online dialog to the station of its
// module. It finds the route (the project's online-access record, or the default access point
// "Y5ONLINE"), opens the library or the direct connection, reads SZL extracts and the
// controller's operating state, and closes again. The caller keeps the handles it is given.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/aut.h"
#include "online/module_channel.h"
#include "online/y5lib.h"

class CPtpDoc;

namespace online {

// Attributes, link type and record of the route lookup.
constexpr long kAttrRouteSubnet = 110816;          // byte: the module's (and its interface's) subnet
constexpr long kAttrRouteKind = 110660;            // long: 16 on the station's online interface
constexpr long kRouteKindOnline = 16;
constexpr int kLinkOnlineAccess = 1327363;         // 0x144103: interface -> its online-access object
constexpr long kAttrOnlineAccess = 121;            // long binary: the online-access record
constexpr std::size_t kOnlineAccessSize = 316;
constexpr std::size_t kOnlineAccessDescriptor = 164;  // the connection descriptor inside it
constexpr std::size_t kSzlBufferSize = 108;
constexpr std::uint16_t kSzlCpuState = 0x0424;
constexpr std::uint16_t kSzlModuleIdent = 0x0011;
constexpr int kStateStop = 4;

// The operating-state code of the low four bits of the state byte: 1-4 STOP (4), 6 and 7 -> 6,
// 8, 10 and 13 themselves, everything else 0.
int CpuStateCode(int lowBits);

// The online-access record as the project holds it (little-endian words, references as offsets
// from the start of the record): word 0 = 5, the parameter block at byte 8, the access point
// name at byte 136, the descriptor at byte 164 {count 1, name offset at 168, block offset at
// 172}, word 304 = 16. Used by the tools that make projects and by the tests.
std::array<std::uint8_t, kOnlineAccessSize> OnlineAccessRecord(const std::string& accessPoint,
                                                               const std::array<std::uint8_t, kParameterBlockSize>& block);

// The SZL response head in host order.
struct SzlHead {
    std::uint16_t id = 0, index = 0, recordLength = 0, recordCount = 0;
};

// Completes a record count of 0xFFFF from the response length: (length - 8) / record length
// when the length is at least 8 and a whole number of records follows the head. 0, or
// kSzlLengthMismatch with the count set to 0. Other counts stay as they are.
std::int32_t CompleteRecordCount(std::uint32_t length, SzlHead& head);

// What shows that an open is under way (the window program: the wait cursor). It is called with
// true before the first step of OpenConnection and with false after the last, whatever the
// outcome. An empty function shows nothing.
void SetWaitIndicator(std::function<void(bool busy)> indicator);

// A ModuleChannel over an open library handle.
std::unique_ptr<ModuleChannel> LibraryChannel(std::uint32_t handle, Y5Window window = 0);

class COnlineConnection {
public:
    explicit COnlineConnection(CPtpDoc& doc);

    // Opens the connection to the module's station. `keepRackSlotZero` leaves byte 51 of the
    // parameter block 0, otherwise it is rack x 32 + slot; `directRoute` opens the direct module
    // connection in place of the library's. 1 when connected (the handle, and on the direct
    // route the direct handle, are handed back), 0 with LastResult() telling why.
    int OpenConnection(bool keepRackSlotZero, bool directRoute, std::uint32_t& handle, std::uint32_t& directHandle);
    // Closes the direct connection when `direct` is non-zero, else the library connection.
    // 0 (the handle is cleared) or the library's code (the handle stays as it was).
    std::int32_t CloseConnection(std::uint32_t handle, std::uint32_t direct);
    // The operating-state code (CpuStateCode) of the controller from SZL 0x0424. 0, or the read's code.
    std::int32_t ReadCpuState(int& state);
    // Reads SZL `id` (index 0) into the SZL buffer, head in host order; a record count of 0xFFFF
    // is computed from the response length. 0, the library's code or kSzlLengthMismatch.
    std::int32_t ReadSzl(std::uint16_t id);

    // A channel for the jobs over the open connection's handle.
    std::unique_ptr<ModuleChannel> Channel(Y5Window window = 0) const { return LibraryChannel(handle_, window); }

    int Connected() const { return connected_; }
    std::int32_t LastResult() const { return lastResult_; }
    std::uint32_t Handle() const { return handle_; }
    std::uint32_t DirectHandle() const { return directHandle_; }
    HAUTOBJ InterfaceObject() const { return interfaceObject_; }
    // The descriptor in force after the last open: the default one or the project record's.
    const ConnectionDescriptor& Descriptor() const { return *descriptor_; }
    bool ProjectRoute() const { return descriptor_ == &projectDescriptor_; }
    const std::array<std::uint8_t, kSzlBufferSize>& SzlBuffer() const { return szl_; }
    SzlHead Head() const;
    std::uint32_t SzlLength() const { return szlLength_; }

private:
    // The six identifiers of the project's online-access object; all 0 when there is none.
    void FindProjectRoute(long ids[6]) const;
    // Reads the online-access record of the interface object; 0 or the connection's code.
    std::int32_t ReadOnlineAccess();
    void UseDefaultRoute();

    const std::uint32_t connectionNumber_ = 0;
    CPtpDoc& doc_;
    std::uint32_t handle_ = 0;
    HAUTOBJ interfaceObject_ = 0;
    ConnectionDescriptor* descriptor_;
    std::array<char, kAccessPointSize> accessPoint_{};
    std::array<std::uint8_t, kParameterBlockSize> block_{};
    ConnectionDescriptor defaultDescriptor_;
    int connected_ = 0;
    std::int32_t lastResult_ = 0;
    std::uint32_t directHandle_ = 0;
    std::array<std::uint8_t, kSzlBufferSize> szl_{};
    std::uint32_t szlLength_ = 0;
    // The project route: the record read from the host and the descriptor taken from it.
    std::array<std::uint8_t, kOnlineAccessSize> access_{};
    ConnectionDescriptor projectDescriptor_;
    std::array<char, kAccessPointSize + 1> projectAccessPoint_{};
};

}  // namespace online
