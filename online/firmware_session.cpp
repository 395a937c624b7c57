#include "online/firmware_session.h"

#include "document/codes.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "online/firmware_version.h"
#include "online/online_connection.h"
#include "online/record_address.h"
#include "resources/strings.h"

namespace online {

FirmwareModel FirmwareModelOf(const CPtpDoc& doc) {
    FirmwareModel m;
    if (doc.m_nModuleType == kCP731 || doc.m_nModuleType == kCP830) {
        m.first = doc.m_nModuleType == kCP731;
        m.second = true;
    }
    return m;
}

std::uint16_t FirmwareModuleAddress(CPtpDoc& doc) {
    const std::uint16_t fallback =
        doc.m_nModuleType == kCP731 ? RackSlotModuleAddress(doc.m_nRack, doc.m_nSlot) : kFirmwareFallbackAddress;
    return ModuleAddressOr(doc.GetModuleAddress(), fallback);
}

FirmwareConnection::FirmwareConnection(CPtpDoc& doc, Purpose purpose)
    : connection_(std::make_unique<COnlineConnection>(doc)) {
    const bool cp731 = doc.m_nModuleType == kCP731, cp830 = doc.m_nModuleType == kCP830;
    // Reading the module information: the rack and slot byte is set for a CP 831 only, and only
    // the CP 830 goes the direct route. A transfer keeps the byte 0 and goes direct except on a CP 731.
    const bool keepZero = purpose == Purpose::Transfer || !isCP831(doc.m_nModuleType);
    const bool direct = purpose == Purpose::Transfer ? !cp731 : cp830;
    if (connection_->OpenConnection(keepZero, direct, handle_, direct_)) channel_ = connection_->Channel();
}

FirmwareConnection::~FirmwareConnection() {
    channel_.reset();
    if (connection_->Connected()) connection_->CloseConnection(handle_, direct_);
}

ModuleInfo ReadModuleInfo(CPtpDoc& doc) {
    ModuleInfo info;
    const std::uint16_t address = FirmwareModuleAddress(doc);
    FirmwareConnection connection(doc, FirmwareConnection::Purpose::ModuleInfo);
    if (!connection.Channel()) return info;
    info.connected = true;
    info.version = ReadModuleVersion(*connection.Channel(), isCP831(doc.m_nModuleType), address);
    return info;
}

void HostFirmwareView::Message(int id, const std::vector<std::string>& inserts) {
    host::showMessage(res::text(kFwCaption), id, inserts);
}

bool HostFirmwareView::Confirm(int id) { return host::showMessage(res::text(kFwCaption), id) == host::kYes; }

}  // namespace online
