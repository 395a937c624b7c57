// Record container: unpacking and sorting the records into the document's buffers.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sdb/container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(data, size, &raw);
    SdbRecordListPtr list(raw);
    if (n > 0) {
        // every entry handed out lies inside the container
        for (int i = 0; i < n; ++i) {
            const SdbRecord& r = list->pEntries[i];
            if (r.pData < data || r.pData + r.byLength > data + size) __builtin_trap();
        }
        // and packs again into the same number of bytes or fewer
        std::unique_ptr<uint8_t[]> out(new uint8_t[65536]);
        SdbPackRecords(list.get(), out.get(), 65536);
    }
    auto contents = std::make_unique<sdb::ContainerContents>();
    sdb::ReadContainer({data, size}, *contents);
    if (contents->paramSize > contents->param.size() || contents->textSize > contents->text.size()) __builtin_trap();
    return 0;
}
