// Text image: reading into the document's form, every text, and building again.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sdb/text_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto store = std::make_unique<sdb::TextStore>();
    sdb::ReadTextImage({data, size}, *store);
    const auto* begin = reinterpret_cast<const char*>(store->area.data());
    const auto* end = begin + store->area.size();
    for (const auto& [n, t] : store->texts()) {
        if (t.data() < begin || t.data() + t.size() > end) __builtin_trap();
        if (store->text(n) != t) __builtin_trap();
        if (n > store->lowest() + 40) break;  // text() sums from the lowest number on
    }
    sdb::BuildContext ctx;
    ctx.moduleType = 731;
    ctx.clock = [] { return sdb::LocalTime{}; };
    sdb::BuildTextImage(ctx, *store);
    if (size > 2) store->setText(data[0] * 16 + data[1], {reinterpret_cast<const char*>(data), size % 300});
    sdb::BuildTextImage(ctx, *store);
    return 0;
}
