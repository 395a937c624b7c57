#include "view/driver_properties.h"

#include <algorithm>

#include "document/driver_abi.h"
#include "document/driver_library.h"
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "resources/strings.h"

namespace {
constexpr int kProtocolTitle = 10470;
constexpr int kLibraryNotLoaded = 603;

// The interface as the driver reads it: the CP 731's codes as its letters, else the code.
uint8_t interfaceForDriver(const CPtpDoc& doc) {
    if (doc.m_nModuleType == kCP731) {
        switch (doc.m_nInterfaceCode) {
        case kIfRs232: return 'Q';
        case kIfTty: return 'C';
        case kIfRs422: return 'B';
        }
    }
    return static_cast<uint8_t>(doc.m_nInterfaceCode & 0xFF);
}
}  // namespace

bool CallDriverProperty(CPtpDoc& doc, void* parentWindow) {
    const InstalledDriver* driver = doc.InstalledDriverOf(doc.m_nProtocol);
    DriverLibrary library;
    if (!driver || !library.Open(doc.App().driverFolder + driver->library)) {
        host::showMessage(res::text(kProtocolTitle), kLibraryNotLoaded);
        return false;
    }
    auto doProperty = library.Function<PtpDoProperty>(kPtpDoProperty);
    if (!doProperty) return false;

    doc.m_CurParams.byInterface = interfaceForDriver(doc);
    PtpDriverInfo& info = doc.m_DriverInfo;
    info.use = 'U';
    info.online = doc.m_bOnline ? 1 : 0;
    // A CP 831-2 may use the extended functions only when the host suite allows them.
    const bool extended = doc.m_bExtendedModule != 0;
    info.driverFlag = doc.m_nModuleType == kCP731 ? extended : (extended && doc.App().hostNewFeatures != 0);
    info.productVersion = static_cast<uint16_t>(doc.m_nProductVersion);

    if (!doc.m_pDriverData) doc.m_pDriverData = std::make_unique<std::array<uint8_t, CPtpDoc::kDriverDataSize>>();
    uint32_t length = static_cast<uint32_t>(doc.m_nDriverDataLen);
    PtpDriverData data{doc.m_pDriverData->data(), static_cast<uint32_t>(CPtpDoc::kDriverDataSize), &length};
    const int result = doProperty(&doc.m_CurParams, &info, &data, parentWindow);
    doc.m_nDriverDataLen = std::min<size_t>(length, CPtpDoc::kDriverDataSize);
    if (result != 1 || doc.m_bOnline) return false;
    doc.SetModifiedFlag(true);
    return true;
}
