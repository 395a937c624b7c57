// The firmware update's readers of outside bytes: the index and description files of an update
// set, and the module's identification answers (directory of record 248, identification lists,
// the short identification). The first input byte picks the reader; the rest is its input.
// Checks: whatever is taken holds 1 to 6 entries, an order number of 20 bytes and a version of
// a letter and three numbers or four zeros; a shown version text is short.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "online/firmware_version.h"
#include "online/update_files.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<uint8_t> bytes(data + 1, data + size);
    switch (pick % 4) {
    case 0: {
        // index and description: the text split at the first NUL
        const size_t split = text.find('\0');
        const std::string index(text.substr(0, split));
        const std::string description(split == std::string_view::npos ? std::string_view() : text.substr(split + 1));
        online::SelectedSet selected;
        selected.valid = true;
        selected.folder = "/set/";
        const online::UpdateSetCheck r = online::CheckUpdateSetTexts(selected, index, description);
        if (r.message == 0) {
            check(!r.set.entries.empty() && r.set.entries.size() <= online::kMaxEntries);
            check(r.set.structureSelector >= 0 && r.set.structureSelector <= 255);
            check(r.set.imagePath.size() == selected.folder.size() + 6 + 4);
            for (const auto& e : r.set.entries) check(e.version[0] != 0 || (e.version[1] | e.version[2] | e.version[3]) == 0);
        }
        break;
    }
    case 1: {
        const online::Profile p = online::Profile::Parse(text);
        for (const char* key : {"komp_name", "anzahl_einträge", "Version_Stand_1"}) {
            const auto v = p.Get("bg_abl", key, 19);
            check(!v || v->size() <= 19);
            (void)p.GetNumber("n_Einträge", key);
        }
        const auto v = online::EncodeVersion(text);
        check(v[0] != 0 || (v[1] | v[2] | v[3]) == 0 || text.empty() || text[0] == '\0');
        break;
    }
    case 2: {
        const auto version = online::VersionFromIdentList(bytes, (pick & 4) != 0);
        check(!version || version->size() <= 12);
        const auto shortVersion = online::VersionFromShortIdent(bytes);
        check(!shortVersion || shortVersion->size() <= 5);
        break;
    }
    default: {
        const auto d = online::ParseIdentDirectory(bytes);
        check(!d || d->longRecord != 0 || d->shortRecord != 0);
        break;
    }
    }
    return 0;
}
