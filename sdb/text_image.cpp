#include "sdb/text_image.h"

#include <algorithm>

#include "sdb/bytes.h"
#include "sdb/field_image.h"

namespace sdb {

void WriteTextName(const CDbtex& tex, std::span<uint8_t, CDbtex::kSize> out) {
    ImageWriter w(out);
    WriteFields(TextNameFields(), tex, w);
}

std::optional<CDbtex> ReadTextName(std::span<const uint8_t> in) {
    if (in.size() < CDbtex::kSize) return std::nullopt;
    CDbtex tex;
    ReadFields(TextNameFields(), ImageReader(in), tex);
    return tex;
}

TextStore::TextStore() {
    SetHeadDefault(head, HeadDefault::Text);
    SetTextNameDefault(name);
}

size_t TextStore::textByteCount() const {
    size_t n = CDbtex::kSize;
    for (uint16_t l : lengths) n += l;
    return n;
}

size_t TextStore::areaOffset(int number) const {
    size_t at = 0;
    for (int n = std::max(lowest(), 0); n < number && n < kMessageNumbers; ++n) at += lengths[static_cast<size_t>(n)];
    return at;
}

std::string_view TextStore::text(int number) const {
    if (number < 0 || number >= kMessageNumbers || number < lowest()) return {};
    const size_t len = lengths[static_cast<size_t>(number)];
    const size_t at = areaOffset(number);
    if (!len || at >= area.size()) return {};
    return {reinterpret_cast<const char*>(area.data()) + at, std::min(len, area.size() - at)};
}

std::vector<std::pair<int, std::string_view>> TextStore::texts() const {
    std::vector<std::pair<int, std::string_view>> out;
    size_t at = 0;
    for (int n = std::max(lowest(), 0); n < kMessageNumbers; ++n) {
        const size_t len = lengths[static_cast<size_t>(n)];
        if (len && at < area.size())
            out.emplace_back(n, std::string_view(reinterpret_cast<const char*>(area.data()) + at, std::min(len, area.size() - at)));
        at += len;
    }
    return out;
}

bool TextStore::setText(int number, std::string_view t) {
    if (number < 0 || number >= kMessageNumbers || t.size() > 0xFFFF) return false;
    if (count == 0) {
        if (t.empty()) return true;
        head.wFirstIndex = head.wLastIndex = static_cast<uint16_t>(number);
    } else {
        // the texts of numbers outside the range take no room in the area
        const int low = std::min(lowest(), number), high = std::max(lowest() + count - 1, number);
        head.wFirstIndex = static_cast<uint16_t>(low);
        head.wLastIndex = static_cast<uint16_t>(high);
    }
    count = highest() - lowest() + 1;
    const size_t at = std::min(areaOffset(number), area.size());
    const size_t old = std::min<size_t>(lengths[static_cast<size_t>(number)], area.size() - at);
    area.erase(area.begin() + static_cast<std::ptrdiff_t>(at), area.begin() + static_cast<std::ptrdiff_t>(at + old));
    area.insert(area.begin() + static_cast<std::ptrdiff_t>(at), t.begin(), t.end());
    lengths[static_cast<size_t>(number)] = static_cast<uint16_t>(t.size());
    return true;
}

void TextStore::clear() {
    lengths.fill(0);
    area.clear();
    count = 0;
    head.wFirstIndex = head.wLastIndex = 0;
}

TextBuildResult BuildTextImage(const BuildContext& ctx, const TextStore& store) {
    TextBuildResult res;
    const int m = std::max(store.count, 0);
    const int low = store.lowest();
    auto lengthOf = [&](int j) -> size_t {  // j = 0 .. M-1
        const int n = low + j;
        return n < kMessageNumbers ? store.lengths[static_cast<size_t>(n)] : 0;
    };
    size_t texts = 0;
    for (int j = 0; j < m; ++j) texts += lengthOf(j);
    const size_t table = 2 * (static_cast<size_t>(m) + 1);
    const size_t headLen = CDbHead::kSize + table;
    const size_t body = CDbtex::kSize + texts;
    if (headLen > 0xFFFF || body > 0xFFFF) return res;

    CDbHead& h = res.head;
    h = store.head;
    h.byKind = 2;
    h.wHeadLen = static_cast<uint16_t>(headLen);
    h.wBodyLen = static_cast<uint16_t>(body);
    FillTime(h, ctx.clock);
    FillVersion(h, ctx.releaseVersion);
    FillVariantBytes(h, ImageKind::Text, ctx);

    res.image.assign(headLen + body, 0);
    std::span<uint8_t> image(res.image);
    WriteHead(h, image.first<CDbHead::kSize>());
    ImageWriter w(image);
    w.u16(CDbHead::kSize, static_cast<uint16_t>(table));
    size_t offset = table + CDbtex::kSize;
    for (int j = 0; j < m; ++j) {
        const size_t len = lengthOf(j);
        w.u16(CDbHead::kSize + 2 * (static_cast<size_t>(j) + 1), len ? static_cast<uint16_t>(offset) : 0);
        offset += len;
    }
    WriteTextName(store.name, image.subspan(headLen).first<CDbtex::kSize>());
    // the area holds the texts from the lowest number on; a short area leaves zeros
    w.bytes(headLen + CDbtex::kSize, std::span(store.area).first(std::min(texts, store.area.size())));
    res.ok = true;
    return res;
}

TextReadResult ReadTextImage(std::span<const uint8_t> image, TextStore& store) {
    TextReadResult res;
    store = TextStore{};
    if (!HeadPresent(image)) return res;

    ImageReader r(image);
    std::array<uint8_t, CDbHead::kSize> headBytes{};
    r.copy(0, headBytes);
    store.head = *ReadHead(headBytes);
    const CDbHead& h = store.head;
    const long words = h.wHeadLen >= CDbHead::kSize ? (h.wHeadLen - CDbHead::kSize) / 2 : 0;
    const long table = 2 * words;
    res.truncated = image.size() < static_cast<size_t>(h.wHeadLen) + h.wBodyLen;

    long end = h.wBodyLen;
    long number = h.wLastIndex;
    for (long j = words - 1; j >= 1; --j, --number) {
        const uint16_t w = r.u16(CDbHead::kSize + 2 * static_cast<size_t>(j));
        if (!w) continue;
        const long start = static_cast<long>(w) - table;
        if (start < 0 || start > end || number < 0 || number >= kMessageNumbers) {
            res.lengthsClipped = true;
            continue;
        }
        store.lengths[static_cast<size_t>(number)] = static_cast<uint16_t>(end - start);
        end = start;
    }
    store.count = static_cast<int>(std::max(words - 1, 0L));
    const size_t nameAt = 27 + 2 * static_cast<size_t>(store.count);
    // The entries end at the highest number, so the lowest is where they begin, whatever the
    // head says: a store then writes every text back under the number it was read with.
    if (store.count > 0) {
        const long first = std::max(static_cast<long>(h.wLastIndex) - (store.count - 1), 0L);
        store.head.wFirstIndex = static_cast<uint16_t>(first);
        store.count = static_cast<int>(h.wLastIndex - first + 1);
    }
    if (auto name = ReadTextName(r.bytes(nameAt, CDbtex::kSize))) store.name = *name;
    const auto area = r.bytes(nameAt + CDbtex::kSize, h.wBodyLen >= CDbtex::kSize ? h.wBodyLen - CDbtex::kSize : 0);
    store.area.assign(area.begin(), area.end());
    if (store.textByteCount() - CDbtex::kSize > store.area.size()) res.lengthsClipped = true;
    res.status = TextReadStatus::Ok;
    return res;
}

}  // namespace sdb
