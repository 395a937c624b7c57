#include "view/frame_commands.h"

#include <cstdio>

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

bool ShowsInterfaceNumber(const CPtpDoc& doc) { return doc.m_nModuleType == kCP8312; }

std::string InterfaceNumberText(const CPtpDoc& doc) {
    if (!ShowsInterfaceNumber(doc)) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%-4d", doc.m_nInterfaceNo);
    return text;
}

int CommandHelpTopic(int command) {
    constexpr int kSystemFirst = 61184, kSystemLast = 61190, kSystemOther = 61202;
    if ((command >= kSystemFirst && command <= kSystemLast) || command == kSystemOther || command <= 0) return 0;
    return command + 0x10000;
}

StoreOutcome StoreDocument(CPtpDoc& doc) {
    if (doc.m_bOnline) return StoreOutcome::Online;
    if (!doc.IsModified()) return StoreOutcome::NothingToStore;
    doc.Store();
    return doc.IsModified() ? StoreOutcome::NotStored : StoreOutcome::Stored;
}

std::string StoreOutcomeText(StoreOutcome outcome) {
    switch (outcome) {
    case StoreOutcome::Stored: return "Die Parameter wurden gespeichert.";
    case StoreOutcome::NothingToStore: return "Es gibt keine Änderungen zu speichern.";
    case StoreOutcome::NotStored: return "Die Parameter wurden nicht gespeichert.";
    case StoreOutcome::Online: return "Online werden die Parameter nicht gespeichert.";
    }
    return {};
}
