// A loadable driver library for the tests: its defaults mark the record and fill the data
// area from what it is handed, so that a test sees the call and its arguments.
#include <cstring>

#include "document/driver_abi.h"

extern "C" __attribute__((visibility("default"))) int DoDefault(CDb* params, PtpDriverInfo* info, PtpDriverData* data) {
    params->wRecvDbNo = 4711;
    params->byBaud = 9;
    // the data area: its length, then the driver's name and version as the check found them
    const uint32_t n = 40;
    if (data->capacity < n) return 0;
    std::memset(data->data, 0xA5, n);
    std::memcpy(data->data, info->driverName, 8);
    data->data[8] = info->driverVerHi;
    data->data[9] = info->driverVerLo;
    data->data[10] = static_cast<uint8_t>(info->protocolNumber >> 8);
    data->data[11] = static_cast<uint8_t>(info->protocolNumber);
    *data->length = n;
    return 1;
}
