#pragma once
// Small builders shared by the block tests: the document's default records of one module
// and protocol, as the document would hand them to a build.
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "document/records.h"
#include "sdb/head.h"
#include "sdb/param_image.h"

namespace sdbtest {

inline sdb::LocalTime FixedTime() { return {24, 12, 2023, 13, 45, 59}; }

inline sdb::BuildContext Context(int module, int protocol, int interfaceCode) {
    sdb::BuildContext c;
    c.moduleType = module;
    c.protocol = protocol;
    c.interfaceCode = interfaceCode;
    c.interfaceNo = 1;
    c.orderNo = "9QX4 731-1AA01-0AE3";
    c.releaseVersion = "5.0.2.1";
    c.clock = FixedTime;
    return c;
}

// The default set, head and lengths of a built-in protocol (the loadable-driver lengths for
// protocol code 511: installed driver 1).
inline sdb::ParamBuildInput DefaultInput(int module, int protocol, int interfaceCode = 0) {
    sdb::ParamBuildInput in;
    in.ctx = Context(module, protocol, interfaceCode);
    const bool cp831 = isCP831(module);
    std::memset(&in.params, 0, sizeof in.params);
    const bool driver = isLoadableDriver(protocol);
    switch (module) {
    case kCP730:
        SetDbDefaults(in.params, protocol == 1 ? DefaultSet::A : protocol == 2 ? DefaultSet::B : DefaultSet::C, false);
        in.lengths = {2, 0, 41};
        break;
    case kCP830:
        SetDbDefaults(in.params, protocol == 2 ? DefaultSet::I : DefaultSet::H, false);
        in.lengths = {2, 24, 163};
        break;
    default: {
        const DefaultSet set = protocol == 1 ? DefaultSet::D3964 : protocol == 3 ? DefaultSet::DRk512
                               : protocol == 2 ? DefaultSet::E : DefaultSet::G;
        SetDbDefaults(in.params, set, cp831);
        in.lengths = {static_cast<uint16_t>(cp831 ? 0 : 2), 24, 49};
        if (driver) {
            std::memcpy(in.params.achDriverName, "Y5WFPA1X", 8);
            in.params.wProtocolId = 0x1001;
        }
    }
    }
    if (protocol == kProtPrinter) {
        in.lengths[3] = 7;
        in.lengths[4] = 65;
        in.lengths[5] = 256;
    }
    SetHeadDefault(in.head, headDefaultFor(module));
    SetPrinterDefaults(in.printer, 'A');
    return in;
}

inline std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<uint8_t> out;
    for (int b : v) out.push_back(static_cast<uint8_t>(b));
    return out;
}

}  // namespace sdbtest
