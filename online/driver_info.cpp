#include "online/driver_info.h"

#include <algorithm>
#include <cstdio>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "online/driver_jobs.h"
#include "online/record_address.h"

namespace online {

using namespace driver;

namespace {

constexpr int kIdleWaitMs = 100;
constexpr int kBusyLimit = 100;   // busy answers in a row tolerated
constexpr std::size_t kIdentLengthAt = 6;
constexpr std::size_t kIdentAt = 8;

std::array<std::uint8_t, kDriverInfoArea> readModuleDriver(CPtpDoc& doc, ModuleChannel& channel, const Pump& pump,
                                                          std::size_t& delivered) {
    std::array<std::uint8_t, kDriverInfoArea> area{};
    delivered = ReadDriverInfo(channel, DriverModuleAddress(doc), kDriverInfoRequest, area, pump);
    return area;
}

DriverShown shownOf(const std::array<std::uint8_t, kDriverInfoArea>& area) {
    return {DriverNameText(std::span<const std::uint8_t>(area.data(), 8)), VersionText(area[8], area[9])};
}

}  // namespace

std::size_t ReadDriverInfo(ModuleChannel& channel, std::uint16_t moduleAddress, std::uint16_t requested,
                           std::span<std::uint8_t, kDriverInfoArea> area, const Pump& pump) {
    std::vector<std::uint8_t> job(kInfoJobSize, 0);
    if (WriteJob(channel, moduleAddress, job) != 0) {
        ShowMessage(kMsgWriteFailed);
        return 0;
    }
    if (pump) pump(kIdleWaitMs);
    job[0] = kJobReadIdentification;
    job[5] = 1;
    job[8] = static_cast<std::uint8_t>(requested >> 8);
    job[9] = static_cast<std::uint8_t>(requested & 0xFF);
    if (WriteJob(channel, moduleAddress, job) != 0) {
        ShowMessage(kMsgWriteFailed);
        return 0;
    }
    for (int busy = 0;;) {
        const Answer a = ReadAnswer(channel, moduleAddress, kInfoAnswerSize);
        if (a.code != 0) {
            ShowMessage(kMsgReadFailed);
            return 0;
        }
        if (a.untouched) {
            ShowMessage(kMsgStatusUnreadable);
            return 0;
        }
        if (a.status() == kStatusBusy) {
            if (++busy > kBusyLimit) {
                ShowMessage(kMsgNoReaction);
                return 0;
            }
            continue;
        }
        if (a.status() == kStatusNoDriver) return 0;
        if (a.status() != kStatusAccepted || a.echo() != kJobReadIdentification) {
            ShowMessage(kMsgUndefined);
            return 0;
        }
        const std::size_t length = a.be16(kIdentLengthAt);
        if (length > kDriverInfoArea) {
            ShowMessage(kMsgReadFailed);
            return 0;
        }
        std::copy_n(a.data.begin() + kIdentAt, length, area.begin());
        return length;
    }
}

std::uint16_t DriverModuleAddress(CPtpDoc& doc) {
    return ModuleAddressOr(doc.GetModuleAddress(), RackSlotModuleAddress(doc.m_nRack, doc.m_nSlot));
}

std::string VersionText(std::uint8_t hi, std::uint8_t lo) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d", hi, lo);
    return text;
}

std::string DriverNameText(std::span<const std::uint8_t> name) {
    std::string text;
    for (std::uint8_t c : name.first(std::min<std::size_t>(name.size(), 8))) {
        if (c == 0) break;
        text += static_cast<char>(c);
    }
    return text;
}

DriverShown InstalledDriver(const CPtpDoc& doc) {
    const auto* name = reinterpret_cast<const std::uint8_t*>(doc.m_DriverInfo.driverName);
    return {DriverNameText(std::span<const std::uint8_t>(name, 8)),
            VersionText(doc.m_DriverInfo.driverVerHi, doc.m_DriverInfo.driverVerLo)};
}

DriverShown ProjectDriver(const CPtpDoc& doc) {
    const auto& stored = doc.m_StoredDriver;
    const auto* name = reinterpret_cast<const std::uint8_t*>(stored.name.data());
    // a project whose stored block names no driver has none to show
    if (std::all_of(stored.name.begin(), stored.name.end(), [](char c) { return c == 0; })) return {};
    return {DriverNameText(std::span<const std::uint8_t>(name, 8)), VersionText(stored.verHi, stored.verLo)};
}

DriverDialogStart StartDriverDialog(CPtpDoc& doc, ModuleChannel* channel, const Pump& pump) {
    DriverDialogStart start;
    doc.m_bDriverLoaded = 0;
    start.installed = InstalledDriver(doc);
    if (!channel) {
        ShowMessage(kMsgNoConnection);
        doc.m_byModuleDrvVerHi = doc.m_byModuleDrvVerLo = 0;
        doc.m_bDriverPending = 0;
        return start;
    }
    start.loadEnabled = true;
    std::size_t delivered = 0;
    const auto area = readModuleDriver(doc, *channel, pump, delivered);
    // the version lies in bytes 8 and 9: an answer without them shows nothing
    if (delivered < 10) return start;
    start.module = shownOf(area);
    doc.m_byModuleDrvVerHi = area[8];
    doc.m_byModuleDrvVerLo = area[9];
    if (start.module.version == start.installed.version)
        doc.m_bModuleDrvKnown = 1;
    else
        doc.m_bDriverPending = 1;
    return start;
}

bool ConfirmDriverLoad(const std::string& buttonText) {
    return host::showMessage(buttonText, kMsgLoadQuestion) == host::kYes;
}

ReadBack ReadBackAfterLoad(CPtpDoc& doc, ModuleChannel& channel, const Pump& pump) {
    ReadBack back;
    std::size_t delivered = 0;
    const auto area = readModuleDriver(doc, channel, pump, delivered);
    if (delivered < kDriverInfoRequest) {
        doc.m_byModuleDrvVerHi = doc.m_byModuleDrvVerLo = 0;
        return back;
    }
    back.module = shownOf(area);
    if (area[8] != doc.m_byModuleDrvVerHi || area[9] != doc.m_byModuleDrvVerLo) {
        doc.m_byModuleDrvVerHi = area[8];
        doc.m_byModuleDrvVerLo = area[9];
        doc.m_bDriverLoaded = 1;
        doc.SetModifiedFlag(true);
        back.documentChanged = true;
    }
    return back;
}

}  // namespace online
