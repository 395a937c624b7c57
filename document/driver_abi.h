#pragma once
// What a loadable driver library sees of the program: the three functions it exports and
// the records they are handed. A driver library is built against this header; the program
// loads it with dlopen and looks the functions up by these names. Plain C layout, so a
// library built apart from the program agrees with it.
#include <cstdint>

#include "document/records.h"

extern "C" {

// The driver identification record: what the installation check found for the configured
// driver, and how the module runs it. Names are 8 characters, not terminated; a name taken
// from the description file alone is 8 blanks.
struct PtpDriverInfo {
    char driverName[8];
    uint8_t driverVerHi, driverVerLo;
    uint32_t codeLength;
    uint16_t codeType;
    uint16_t protocolNumber;     // installed-driver index + 4096
    char firmwareName[8];
    uint8_t firmwareVerHi, firmwareVerLo;
    uint32_t firmwareLength;
    uint16_t firmwareType;
    char protocolName[8];
    uint8_t protocolVerHi, protocolVerLo;
    uint32_t protocolLength;
    uint16_t protocolType;
    char moduleName[16];         // "CP 731" or "CP 831-2", terminated
    uint16_t interfaceNo;
    char use;                    // 'U' once the overview filled the last four fields
    uint8_t online;              // 1: the dialog shows and changes nothing
    uint16_t driverFlag;         // extended module (CP 831-2: and a host that allows it)
    uint16_t productVersion;
};

// The driver's own data area: `capacity` bytes at `data`, of which `*length` are used.
struct PtpDriverData {
    uint8_t* data;
    uint32_t capacity;
    uint32_t* length;
};

// Appends one line to the parameter printout.
typedef void (*PtpAddLine)(void* lines, const char* text);

// Fills the protocol record and the data area with the driver's defaults. The result is
// not used.
typedef int (*PtpDoDefault)(CDb* params, PtpDriverInfo* info, PtpDriverData* data);
// Shows the driver's own parameter dialog (parent: the program's window, a QWidget*, or
// null). 1 when the user changed something and confirmed.
typedef int (*PtpDoProperty)(CDb* params, PtpDriverInfo* info, PtpDriverData* data, void* parent);
// Appends the driver's lines to the parameter printout.
typedef int (*PtpDoDruck)(const CDb* params, const PtpDriverInfo* info, const PtpDriverData* data,
                          PtpAddLine addLine, void* lines);

}  // extern "C"

inline constexpr const char* kPtpDoDefault = "DoDefault";
inline constexpr const char* kPtpDoProperty = "DoProperty";
inline constexpr const char* kPtpDoDruck = "DoDruck";
