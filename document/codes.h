#pragma once
// The numbers the system passes around for modules, interfaces, protocols and blocks, by
// name. Code compares against these names, never against the bare numbers.
#include <cstdint>

// Module type codes (m_nModuleType).
enum ModuleType : int {
    kModuleUnknown = 0,
    kCP730 = 730,
    kCP731 = 731,
    kCP830 = 830,
    kCP8311 = 8311,
    kCP8312 = 8312,
};

inline bool isCP831(int moduleType) { return moduleType == kCP8311 || moduleType == kCP8312; }
// CP 731, CP 831-1 and CP 831-2 share one family of sheets and pages.
inline bool isCP731Family(int moduleType) { return moduleType == kCP731 || isCP831(moduleType); }

// Interface codes (m_nInterfaceCode). The host passes CP 831's plug-in interfaces; the
// CP 730 and CP 731 interfaces come from the order number.
enum InterfaceCode : int {
    kIfNone = 0,        // CP 831 without interface module
    kIfRs232 = 26,      // from the order number
    kIfTty = 27,
    kIfRs422 = 28,      // RS 422/485 (X27)
    kIfHostRs422 = 66,  // as the host passes them
    kIfHostTty = 67,
    kIfHostRs232 = 81,
};

inline bool isRs232(int interfaceCode) { return interfaceCode == kIfRs232 || interfaceCode == kIfHostRs232; }
inline bool isTty(int interfaceCode) { return interfaceCode == kIfTty || interfaceCode == kIfHostTty; }
inline bool isRs422(int interfaceCode) { return interfaceCode == kIfRs422 || interfaceCode == kIfHostRs422; }

// The interface letter of the protocol record (byInterface).
enum InterfaceLetter : uint8_t {
    kLetterRs232 = 'Q',
    kLetterTty = 'C',
    kLetterRs422 = 'B',
};

// Protocol codes of the document (m_nProtocol); a low byte of 255 marks a loadable driver,
// the installed-driver index in the byte above it.
enum ProtocolCode : int {
    kProtNone = 0,
    kProt3964 = 1,
    kProtAscii = 2,
    kProtRk512 = 3,
    kProtPrinter = 4,
};
inline bool isLoadableDriver(int protocol) { return (protocol & 0xFF) == 255; }
inline int driverProtocol(int driverIndex) { return driverIndex * 256 + 255; }
inline int driverIndexOf(int protocol) { return protocol >> 8; }

// Protocol identifiers as the blocks store them (wProtocolId).
enum ProtocolId : uint16_t {
    kIdRk512 = 0x20,
    kIdAscii = 0x30,
    kId3964 = 0x31,
    kIdPrinter = 0x32,
    kIdDriverBase = 0x1000,
};

// Block types of the record container, one per module that stores in the project.
enum BlockType : uint16_t {
    kBlockTypeCP730 = 7361,
    kBlockTypeCP731 = 7363,
    kBlockTypeCP830 = 7304,
};
