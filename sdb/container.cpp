#include "sdb/container.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "document/records.h"
#include "sdb/bytes.h"

SdbRecordList* SdbNewRecordList(int count) {
    if (count < 0 || count > 255) return nullptr;
    const size_t bytes = sizeof(SdbRecordList) + static_cast<size_t>(count) * sizeof(SdbRecord);
    static_assert(sizeof(SdbRecordList) % alignof(SdbRecord) == 0);
    void* mem = std::malloc(bytes);
    if (!mem) return nullptr;
    // the whole piece starts as 0xFB, so that an entry nobody filled is recognisable
    std::memset(mem, 0xFB, bytes);
    auto* list = static_cast<SdbRecordList*>(mem);
    list->byCount = static_cast<uint8_t>(count);
    list->pEntries = reinterpret_cast<SdbRecord*>(static_cast<unsigned char*>(mem) + sizeof(SdbRecordList));
    return list;
}

int SdbFreeRecordList(SdbRecordList* list) {
    std::free(list);
    return 0;
}

int SdbPackRecords(const SdbRecordList* list, uint8_t* out, size_t capacity) {
    if (!list || !list->pEntries || list->byCount == 0) return 0;
    const int n = list->byCount;
    size_t d = 6 + 6 * static_cast<size_t>(n);
    size_t total = d;
    for (int i = 0; i < n; ++i) {
        const SdbRecord& r = list->pEntries[i];
        if (r.byLength && !r.pData) return 0;
        // the directory keeps 15 bits of offset; a record starting beyond them cannot be found again
        if (total > 0x7FFF) return 0;
        total += r.byLength;
    }
    if (total > capacity || !out) return static_cast<int>(total);

    sdb::ImageWriter w({out, total});
    w.u16(0, list->byKind & 7);
    w.u16(2, list->byCount);
    w.u16(4, list->wBlockType);
    for (int i = 0; i < n; ++i) {
        const SdbRecord& r = list->pEntries[i];
        const size_t e = 6 + 6 * static_cast<size_t>(i);
        w.u16(e, static_cast<uint16_t>(d | (r.byFlag ? 0x8000 : 0)));
        w.u8(e + 2, r.byNumber);
        w.u8(e + 3, r.byLength);
        w.u8(e + 4, 0);
        w.u8(e + 5, r.byAttribute);
        if (r.byLength) w.bytes(d, {r.pData, r.byLength});
        d += r.byLength;
    }
    return static_cast<int>(total);
}

int SdbUnpackRecords(const uint8_t* container, size_t size, SdbRecordList** list) {
    if (!list) return -1;
    *list = nullptr;
    if (!container || size < 6) return -2;
    sdb::ImageReader r({container, size});
    const int n = r.u8(3);
    SdbRecordList* l = SdbNewRecordList(n);
    if (!l) return -1;
    *list = l;
    l->byKind = r.u8(1) & 7;
    l->wBlockType = r.u16(4);
    for (int i = 0; i < n; ++i) {
        const size_t e = 6 + 6 * static_cast<size_t>(i);
        if (e + 6 > size) return -2;
        const uint16_t word = r.u16(e);
        const size_t offset = word & 0x7FFF;
        const uint8_t length = r.u8(e + 3);
        if (offset > size || length > size - offset) return -2;
        SdbRecord& rec = l->pEntries[i];
        rec.pData = container + offset;
        rec.byFlag = (word & 0x8000) ? 1 : 0;
        rec.byNumber = r.u8(e + 2);
        rec.byLength = length;
        rec.byAttribute = r.u8(e + 5);
    }
    return n;
}

namespace sdb {

uint16_t BlockTypeCode(int moduleType) {
    switch (moduleType) {
    case kCP730: return kBlockTypeCP730;
    case kCP731: return kBlockTypeCP731;
    case kCP830: return kBlockTypeCP830;
    default: return 0;
    }
}

ContainerBuildResult BuildContainer(const ContainerBuildInput& in) {
    ContainerBuildResult res;
    const uint16_t blockType = BlockTypeCode(in.moduleType);
    if (!blockType) {
        res.status = ContainerBuildStatus::NoContainer;
        return res;
    }
    const size_t s = in.paramImage.size();
    res.paramRecords = static_cast<int>(s / kRecordSize) + 1;
    res.tooManyParamRecords = res.paramRecords + 1 > kMaxParamRecords + 1;
    if (in.texts) {
        res.textRecords = static_cast<int>(in.textImage.size() / kRecordSize) + 1;
        res.tooManyTextRecords = res.textRecords > kMaxTextRecords;
    }
    if (res.tooManyParamRecords || res.tooManyTextRecords) {
        res.status = ContainerBuildStatus::TooManyRecords;
        return res;
    }

    SdbRecordListPtr list(SdbNewRecordList(1 + res.paramRecords + res.textRecords));
    if (!list) return res;
    list->byKind = 2;
    list->wBlockType = blockType;

    // A stored header record longer than 32 bytes goes back with its whole length; only
    // its first 32 bytes were kept, the rest is written as zeros.
    std::array<uint8_t, 255> header{};
    std::copy(in.header.bytes.begin(), in.header.bytes.end(), header.begin());
    SdbRecord* e = list->pEntries;
    *e++ = SdbRecord{header.data(), static_cast<uint8_t>(in.header.flag ? 1 : 0), 0, in.header.length,
                     in.header.attribute};

    auto cut = [&](std::span<const uint8_t> image, int records, int firstNumber) {
        for (int i = 0; i < records; ++i) {
            const size_t from = static_cast<size_t>(i) * kRecordSize;
            const size_t len = std::min<size_t>(kRecordSize, image.size() - from);
            *e++ = SdbRecord{len ? image.data() + from : header.data(),
                             static_cast<uint8_t>(in.pair.flag ? 1 : 0),
                             static_cast<uint8_t>(firstNumber + i), static_cast<uint8_t>(len),
                             in.pair.attribute};
        }
    };
    cut(in.paramImage, res.paramRecords, kFirstParamRecord);
    if (in.texts) cut(in.textImage, res.textRecords, kFirstTextRecord);

    res.bytes.assign(kContainerCapacity, 0);
    const int size = SdbPackRecords(list.get(), res.bytes.data(), res.bytes.size());
    if (size <= 0 || static_cast<size_t>(size) > res.bytes.size()) {
        res.bytes.clear();
        res.status = ContainerBuildStatus::PackFailed;
        return res;
    }
    res.bytes.resize(static_cast<size_t>(size));
    res.status = ContainerBuildStatus::Ok;
    return res;
}

void ReadContainer(std::span<const uint8_t> bytes, ContainerContents& out) {
    out.status = ContainerReadStatus::NoRecords;
    out.headerPresent = false;
    out.header = HeaderRecord{};
    out.pair = RecordPair{};
    out.param.fill(0);
    out.text.fill(0);
    out.paramSize = out.textSize = 0;
    out.textPresent = false;

    const auto data = bytes.first(std::min(bytes.size(), kContainerCapacity));
    SdbRecordList* raw = nullptr;
    out.unpackResult = SdbUnpackRecords(data.data(), data.size(), &raw);
    SdbRecordListPtr list(raw);
    if (out.unpackResult <= 0) return;

    for (int i = 0; i < list->byCount; ++i) {
        const SdbRecord& r = list->pEntries[i];
        const std::span<const uint8_t> d{r.pData, r.byLength};
        const int number = r.byNumber;
        if (number == 0) {
            out.header.bytes.fill(0);
            std::copy_n(d.begin(), std::min<size_t>(d.size(), kHeaderRecordSize), out.header.bytes.begin());
            out.header.length = r.byLength;
            out.header.flag = r.byFlag;
            out.header.attribute = r.byAttribute;
            out.headerPresent = true;
        } else if (number >= kFirstParamRecord && number <= kLastParamRecord) {
            if (number == kFirstParamRecord) out.pair = RecordPair{r.byFlag, r.byAttribute};
            const size_t at = static_cast<size_t>(number - kFirstParamRecord) * kRecordSize;
            std::copy(d.begin(), d.end(), out.param.begin() + static_cast<std::ptrdiff_t>(at));
            out.paramSize = std::min(out.paramSize + d.size(), out.param.size());
        } else if (number >= kFirstTextRecord && number <= kLastTextRecord) {
            if (number == kFirstTextRecord) {
                out.pair = RecordPair{r.byFlag, r.byAttribute};
                out.textPresent = true;
            }
            const size_t at = static_cast<size_t>(number - kFirstTextRecord) * kRecordSize;
            std::copy(d.begin(), d.end(), out.text.begin() + static_cast<std::ptrdiff_t>(at));
            out.textSize = std::min(out.textSize + d.size(), out.text.size());
        }
    }
    out.status = ContainerReadStatus::Ok;
}

}  // namespace sdb
