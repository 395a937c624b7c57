#include "view/frame_commands.h"

#include "document/codes.h"
#include "document/ptp_doc.h"

namespace {
constexpr int kFirmwareUpdateRefused = 615;
}

bool GoToDriverLoadEnabled(const CPtpDoc& doc) {
    return !doc.m_bOnline && doc.m_nModuleType == kCP731 && isLoadableDriver(doc.m_nProtocol);
}

bool GoToDriverInfoEnabled(const CPtpDoc& doc) {
    return !doc.m_bOnline && doc.m_nModuleType == kCP8312 && isLoadableDriver(doc.m_nProtocol);
}

bool FirmwareUpdateEnabled(const CPtpDoc& doc) {
    if (doc.m_bOnline) return false;
    if (doc.m_nModuleType == kCP731 || doc.m_nModuleType == kCP830) return true;
    return isCP831(doc.m_nModuleType) && doc.m_bExtendedModule;
}

int FirmwareUpdateRefusal(const CPtpDoc& doc) {
    return doc.m_nModuleType == kCP731 && doc.m_nProductVersion > 1 ? kFirmwareUpdateRefused : 0;
}
