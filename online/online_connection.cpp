#include "online/online_connection.h"

#include <algorithm>
#include <cstring>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "online/codes.h"
#include "online/record_address.h"

namespace online {
namespace {

void putLe32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t getLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t getLe16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

constexpr std::size_t kBlockAt = 8, kNameAt = 136;

std::function<void(bool)>& waitIndicator() {
    static std::function<void(bool)> indicator;
    return indicator;
}

// Shows the wait indicator while it lives.
struct Waiting {
    Waiting() {
        if (waitIndicator()) waitIndicator()(true);
    }
    ~Waiting() {
        if (waitIndicator()) waitIndicator()(false);
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;
};

class Channel : public ModuleChannel {
public:
    Channel(std::uint32_t handle, Y5Window window) : handle_(handle), window_(window) {}

    std::int32_t WriteRecord(std::span<const std::uint8_t> request) override {
        ItemResult result;
        std::uint16_t status = 0;
        return y5ag_bub_write_var(handle_, window_, 0, 1, request.data(), static_cast<std::uint32_t>(request.size()),
                                  &result, 1, &status);
    }

    std::int32_t ReadRecord(std::span<const std::uint8_t> address, std::vector<std::uint8_t>& response,
                            std::size_t responseSize) override {
        // The caller's first bytes (its 0x55 marks) stay where the station sends less.
        if (response.size() < responseSize) response.resize(responseSize);
        std::uint16_t status = 0;
        const std::int32_t rc =
            y5ag_bub_read_var(handle_, window_, 0, 1, address.data(), static_cast<std::uint32_t>(address.size()),
                              response.data(), static_cast<std::uint32_t>(responseSize), &status);
        response.resize(responseSize);
        return rc;
    }

    std::int32_t ReadSzl(std::uint16_t id, std::uint16_t index, std::vector<std::uint8_t>& response,
                         std::size_t bufferSize) override {
        response.assign(bufferSize, 0);
        std::uint32_t length = 0;
        const std::int32_t rc = y5ag_read_szl(handle_, window_, 0, id, index, response.data(),
                                              static_cast<std::uint32_t>(bufferSize), &length);
        response.resize(rc == 0 ? length : 0);
        return rc;
    }

private:
    std::uint32_t handle_;
    Y5Window window_;
};

}  // namespace

int CpuStateCode(int lowBits) {
    switch (lowBits & 0x0F) {
    case 1:
    case 2:
    case 3:
    case 4:
        return kStateStop;
    case 6:
    case 7:
        return 6;
    case 8:
        return 8;
    case 10:
        return 10;
    case 13:
        return 13;
    default:
        return 0;
    }
}

std::array<std::uint8_t, kOnlineAccessSize> OnlineAccessRecord(const std::string& accessPoint,
                                                               const std::array<std::uint8_t, kParameterBlockSize>& block) {
    std::array<std::uint8_t, kOnlineAccessSize> r{};
    putLe32(&r[0], 5);
    std::copy(block.begin(), block.end(), r.begin() + kBlockAt);
    std::copy_n(accessPoint.begin(), std::min(accessPoint.size(), kAccessPointSize - 1), r.begin() + kNameAt);
    r[kOnlineAccessDescriptor] = 1;
    putLe32(&r[kOnlineAccessDescriptor + 4], kNameAt);
    putLe32(&r[kOnlineAccessDescriptor + 8], kBlockAt);
    putLe32(&r[304], 16);
    return r;
}

void SetWaitIndicator(std::function<void(bool)> indicator) { waitIndicator() = std::move(indicator); }

std::int32_t CompleteRecordCount(std::uint32_t length, SzlHead& head) {
    if (head.recordCount != 0xFFFF) return 0;
    if (length >= 8 && head.recordLength != 0 && (length - 8) % head.recordLength == 0) {
        head.recordCount = static_cast<std::uint16_t>((length - 8) / head.recordLength);
        return 0;
    }
    head.recordCount = 0;
    return kSzlLengthMismatch;
}

std::unique_ptr<ModuleChannel> LibraryChannel(std::uint32_t handle, Y5Window window) {
    return std::make_unique<Channel>(handle, window);
}

COnlineConnection::COnlineConnection(CPtpDoc& doc) : doc_(doc), descriptor_(&defaultDescriptor_) {}

void COnlineConnection::FindProjectRoute(long ids[6]) const {
    std::fill(ids, ids + 6, 0L);
    const HAUTOBJ module = doc_.m_hModuleObject;
    std::uint8_t subnet = 0;
    if (AUTGetByteAttribute(module, kAttrRouteSubnet, subnet) != 0) return;
    const HAUTOBJ station = AUTHwGethHwStation(module);
    if (!station) return;

    HAUTOBJ online = 0;
    AutObjectArray* linked = AUTObjectArrayCreate();
    if (AUTGetLinkedObjects(station, 0, 0, linked) >= 0) {
        for (long i = 0; i < AUTObjectArraySize(linked) && !online; ++i) {
            const HAUTOBJ o = AUTObjectArrayGetAt(linked, i);
            long kind = 0;
            std::uint8_t theirs = 0;
            if (AUTGetLongAttribute(o, kAttrRouteKind, kind) == 0 && kind == kRouteKindOnline &&
                AUTGetByteAttribute(o, kAttrRouteSubnet, theirs) == 0 && theirs == subnet)
                online = o;
        }
    }
    AUTObjectArrayDelete(linked);
    if (!online) return;

    AutObjectArray* access = AUTObjectArrayCreate();
    if (AUTGetLinkedObjects(online, 0, kLinkOnlineAccess, access) >= 0 && AUTObjectArraySize(access) == 1) {
        const HAUTOBJ o = AUTObjectArrayGetAt(access, 0);
        ids[0] = AUTGetObjectType(o);
        ids[1] = AUTGetObjectID(o);
        ids[2] = AUTGetUnitType(o);
        ids[3] = AUTGetUnitID(o);
        ids[4] = AUTGetEnvType(o);
        ids[5] = AUTGetEnvID(o);
    }
    AUTObjectArrayDelete(access);
}

std::int32_t COnlineConnection::ReadOnlineAccess() {
    access_.fill(0);
    putLe32(&access_[0], 5);
    putLe32(&access_[304], 16);
    const long n = AUTGetLongBinaryAttribute(interfaceObject_, kAttrOnlineAccess, access_.data(),
                                             static_cast<long>(access_.size()));
    if (n == -1) return kRecordMissing;
    if (n < 0) return kRecordUnreadable;
    // The descriptor's references must stay inside the record: a name with its end, a whole
    // parameter block. A record that does not even hold the descriptor cannot be used.
    const std::uint8_t* d = &access_[kOnlineAccessDescriptor];
    const std::uint32_t nameAt = getLe32(d + 4), blockAt = getLe32(d + 8);
    if (n < static_cast<long>(kOnlineAccessDescriptor + 12) || getLe16(d) < 1 || nameAt >= kOnlineAccessSize ||
        blockAt > kOnlineAccessSize - kParameterBlockSize)
        return kRecordUnreadable;
    const std::size_t room = std::min(kAccessPointSize, kOnlineAccessSize - nameAt);
    const auto* name = reinterpret_cast<const char*>(&access_[nameAt]);
    const std::size_t length = strnlen(name, room);
    if (length == room) return kRecordUnreadable;
    projectAccessPoint_.fill(0);
    std::copy_n(name, length, projectAccessPoint_.begin());
    projectDescriptor_.count = getLe16(d);
    projectDescriptor_.accessPoint = projectAccessPoint_.data();
    projectDescriptor_.parameters = &access_[blockAt];
    return 0;
}

void COnlineConnection::UseDefaultRoute() {
    accessPoint_.fill(0);
    std::copy_n(kDefaultAccessPoint, sizeof kDefaultAccessPoint - 1, accessPoint_.begin());
    block_.fill(0);
    block_[1] = 2;
    block_[2] = 1;
    block_[34] = 12;
    block_[36] = 1;
    block_[40] = static_cast<std::uint8_t>(doc_.m_nStationAddress);
    block_[41] = 0;
    block_[46] = 1;
    block_[48] = 2;
    block_[50] = 1;
    defaultDescriptor_.count = 1;
    defaultDescriptor_.accessPoint = accessPoint_.data();
    defaultDescriptor_.parameters = block_.data();
    descriptor_ = &defaultDescriptor_;
}

int COnlineConnection::OpenConnection(bool keepRackSlotZero, bool directRoute, std::uint32_t& handle,
                                      std::uint32_t& directHandle) {
    const Waiting waiting;
    lastResult_ = 0;
    connected_ = 0;
    handle_ = 0;
    directHandle_ = 0;
    handle = 0;
    directHandle = 0;

    long ids[6];
    FindProjectRoute(ids);
    if (std::any_of(ids, ids + 6, [](long id) { return id != 0; })) {
        interfaceObject_ = AUTGetObject(ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]);
        if (!interfaceObject_) {
            lastResult_ = kObjectNotFound;
            return connected_;
        }
        if ((lastResult_ = ReadOnlineAccess()) != 0) return connected_;
        descriptor_ = &projectDescriptor_;
    } else {
        interfaceObject_ = 0;
        UseDefaultRoute();
    }

    if (!keepRackSlotZero)
        descriptor_->parameters[51] = static_cast<std::uint8_t>(doc_.m_nRack * 32 + doc_.m_nSlot);

    if (!directRoute) {
        std::uint8_t work[kWorkAreaSize];
        const std::int32_t rc = y5db_open(connectionNumber_, 0, 0, descriptor_, &handle_, work, kWorkAreaSize);
        if (rc != 0) {
            handle_ = 0;
            lastResult_ = rc;
            return connected_;
        }
    } else {
        const std::int32_t rc = DSOpenConnection(&directHandle_, doc_.m_hModuleObject, 1, 0, 1);
        if (rc == kDirectUnreachable)
            AUTLogError("", 552, 0, 0, "Error -30 on DSOpenConnection, whats going on?");
        handle_ = 0;
        if (directHandle_ != 0 && DSGethY5Dos(directHandle_, &handle_) != 0) handle_ = 0;
    }
    connected_ = 1;
    lastResult_ = 0;
    handle = handle_;
    directHandle = directHandle_;
    return connected_;
}

std::int32_t COnlineConnection::CloseConnection(std::uint32_t handle, std::uint32_t direct) {
    const std::int32_t rc = direct != 0 ? DSCloseConnection(direct) : y5db_close(handle, 0, 0);
    if (rc == 0) {
        handle_ = 0;
        if (direct != 0) directHandle_ = 0;
        connected_ = 0;
    }
    return rc;
}

std::int32_t COnlineConnection::ReadSzl(std::uint16_t id) {
    szl_.fill(0x78);
    szlLength_ = 0;
    std::uint32_t length = 0;
    const std::int32_t rc =
        y5ag_read_szl(handle_, 0, 0, id, 0, szl_.data(), static_cast<std::uint32_t>(szl_.size()), &length);
    if (rc != 0) return rc;
    szlLength_ = length;
    // The head to host order, in place.
    for (std::size_t at = 0; at < 8; at += 2) {
        const std::uint16_t v = static_cast<std::uint16_t>(szl_[at] << 8 | szl_[at + 1]);
        std::memcpy(&szl_[at], &v, 2);
    }
    SzlHead h = Head();
    const std::int32_t result = CompleteRecordCount(length, h);
    std::memcpy(&szl_[6], &h.recordCount, 2);
    return result;
}

SzlHead COnlineConnection::Head() const {
    SzlHead h;
    std::memcpy(&h.id, &szl_[0], 2);
    std::memcpy(&h.index, &szl_[2], 2);
    std::memcpy(&h.recordLength, &szl_[4], 2);
    std::memcpy(&h.recordCount, &szl_[6], 2);
    return h;
}

std::int32_t COnlineConnection::ReadCpuState(int& state) {
    state = 0;
    if (std::int32_t rc = ReadSzl(kSzlCpuState)) return rc;
    // Without a first record the state byte would be the buffer's fill, not the controller's.
    if (szlLength_ < 12 || Head().recordCount < 1) return kSzlLengthMismatch;
    state = CpuStateCode(szl_[11] & 0x0F);
    return 0;
}

}  // namespace online
