// Parameter image of one module (FUZZ_MODULE): decoding, then building from what was decoded.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sdb/driver_image.h"
#include "sdb/param_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // the driver buffer on the heap, exactly as large as the document's, so that a copy
    // beyond it is caught
    std::vector<uint8_t> driver(sdb::kDriverDataCapacity);
    sdb::ParamDecodeInput in;
    in.moduleType = FUZZ_MODULE;
    in.image = {data, size};
    std::memset(&in.params, 0, sizeof in.params);
    in.driverBuffer = driver;
    const auto r = sdb::DecodeParamImage(in);
    if (r.driverDataLength > driver.size()) __builtin_trap();
    if (r.status != sdb::ParamDecodeStatus::Ok) return 0;

    sdb::ParamBuildInput b;
    b.ctx.moduleType = FUZZ_MODULE;
    b.ctx.protocol = r.params.wProtocolId >= 0x1000 ? 511 : 1;
    b.ctx.extendedModule = size & 1;
    b.params = r.params;
    b.printer = r.printer;
    b.lengths = r.lengths;
    b.head = r.head;
    b.driverDataArea = r.driverDataRead;
    b.driverData = {driver.data(), r.driverDataLength};
    b.oldLayout = r.oldLayout;
    const auto built = sdb::BuildParamImage(b);
    if (built.status == sdb::ParamBuildStatus::Ok && built.image.size() != size_t{built.head.wHeadLen} + built.head.wBodyLen)
        __builtin_trap();
    return 0;
}
