// The dump of a data transfer file of any shape.
#include <cstddef>
#include <cstdint>

#include "sdb/dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = sdb::DumpDataTransferFile({data, size});
    if (text.empty()) __builtin_trap();
    return 0;
}
