#include "sdb/dump.h"

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "document/record_fields.h"
#include "document/cdb_fields.h"
#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "sdb/param_image.h"
#include "sdb/protocol_image.h"
#include "sdb/section_file.h"
#include "sdb/text_image.h"

namespace sdb {

namespace {

class Out {
public:
    void line(const std::string& name, const std::string& value) { s_ += name + "=" + value + "\n"; }
    void line(const std::string& name, long long value) { line(name, std::to_string(value)); }
    void fields(const FieldList& f) { s_ += FormatFields(f); }
    std::string take() { return std::move(s_); }

private:
    std::string s_;
};

template <typename T, size_t N>
std::string joined(const std::array<T, N>& a, size_t n = N) {
    std::string s;
    for (size_t i = 0; i < n && i < N; ++i) s += (i ? "," : "") + std::to_string(a[i]);
    return s;
}

std::string hex(std::span<const uint8_t> b) {
    std::string s;
    s.reserve(b.size() * 3);
    char buf[4];
    for (size_t i = 0; i < b.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", b[i]);
        s += buf;
    }
    return s;
}

const char* moduleName(int module) {
    switch (module) {
    case kCP730: return "CP 730";
    case kCP731: return "CP 731";
    case kCP830: return "CP 830";
    case kCP8311:
    case kCP8312: return "CP 831";
    default: return "unbekannt";
    }
}

int moduleFromBlockType(uint16_t type) {
    switch (type) {
    case kBlockTypeCP730: return kCP730;
    case kBlockTypeCP731: return kCP731;
    case kBlockTypeCP830: return kCP830;
    default: return kModuleUnknown;
    }
}

int moduleFromHeadCode(uint8_t code) {
    switch (code) {
    case 0: return kCP730;
    case 2:
    case 3: return kCP731;
    case 5: return kCP830;
    default: return kModuleUnknown;
    }
}

// Only the fields the module's image carries mean anything in a dump.
FieldList carriedFields(int module, const CDb& db) {
    std::set<std::string> names;
    for (const CdbField& f : CdbFields())
        for (const ImageField& i : ProtocolImageFields(module))
            if (i.recordOffset < f.offset + f.count && f.offset < i.recordOffset + i.count) names.insert(std::string("CDb.") + f.name);
    FieldList out;
    for (auto& kv : DescribeDb(db))
        if (names.count(kv.first)) out.push_back(kv);
    return out;
}

void dumpParamImage(Out& o, int module, std::span<const uint8_t> image) {
    o.line("ParamImage.size", static_cast<long long>(image.size()));
    std::vector<uint8_t> driver(kDriverDataCapacity);
    ParamDecodeInput in;
    in.moduleType = module;
    in.image = image;
    in.driverBuffer = driver;
    const ParamDecodeResult r = DecodeParamImage(in);
    if (r.status == ParamDecodeStatus::Absent) {
        o.line("ParamImage", "leer (Byte 0 und 6 sind 0)");
        return;
    }
    if (r.status == ParamDecodeStatus::UnknownModule) {
        o.line("ParamImage", "Baugruppe unbekannt");
        return;
    }
    o.fields(DescribeHead(r.head));
    if (r.truncated) o.line("ParamImage.truncated", 1);
    o.line("OffsetTable.entries", r.table.count);
    o.line("OffsetTable", joined(r.table.words, static_cast<size_t>(std::min(r.table.count, kSubBlocks))));
    o.line("BlockLengths", joined(r.lengths));
    o.fields(carriedFields(module, r.params));
    if (r.printerRead) o.fields(DescribeDbdr(r.printer));
    if (r.driverDataRead) {
        o.line("DriverData.length", static_cast<long long>(r.driverDataLength));
        if (r.driverDataTruncated) o.line("DriverData.truncated", 1);
        o.line("DriverData.oldLayout", r.oldLayout ? 1 : 0);
        o.line("DriverData", hex(std::span(driver).first(r.driverDataLength)));
    }
}

void dumpTextImage(Out& o, std::span<const uint8_t> image) {
    o.line("TextImage.size", static_cast<long long>(image.size()));
    auto store = std::make_unique<TextStore>();
    const TextReadResult r = ReadTextImage(image, *store);
    if (r.status == TextReadStatus::Absent) {
        o.line("TextImage", "leer (Byte 0 und 6 sind 0)");
        return;
    }
    o.fields(DescribeHead(store->head, "TextHead."));
    if (r.truncated) o.line("TextImage.truncated", 1);
    if (r.lengthsClipped) o.line("TextImage.lengthsClipped", 1);
    o.fields(DescribeTex(store->name));
    o.line("Texts.numberCount", store->count);
    for (const auto& [n, t] : store->texts())
        o.line("Text." + std::to_string(n), "\"" + ShowChars(t.data(), t.size()) + "\"");
}

void dumpDriverImage(Out& o, int type, std::span<const uint8_t> image) {
    const std::string p = "Driver" + std::to_string(type) + ".";
    o.line(p + "size", static_cast<long long>(image.size()));
    auto d = ReadDriverImage(image);
    if (!d) {
        o.line(p + "image", "zu kurz");
        return;
    }
    o.fields(DescribeHead(d->head, p + "CDbHead."));
    o.fields(DescribeSon(d->son, p + "CDbSon."));
    o.line(p + "body.length", static_cast<long long>(d->body.size()));
    if (d->truncated) o.line(p + "truncated", 1);
}

std::string dumpContainer(std::span<const uint8_t> bytes) {
    Out o;
    o.line("Format", "Datensatz-Container");
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(bytes.data(), bytes.size(), &raw);
    SdbRecordListPtr list(raw);
    o.line("Container.size", static_cast<long long>(bytes.size()));
    o.line("Container.unpack", n);
    if (!list) return o.take();
    o.line("Container.kind", list->byKind);
    o.line("Container.count", list->byCount);
    o.line("Container.blockType", list->wBlockType);
    // entries beyond a failed one were never filled in
    const int filled = n > 0 ? n : 0;
    for (int i = 0; i < filled; ++i) {
        const SdbRecord& r = list->pEntries[i];
        o.line("Record." + std::to_string(i),
               "number " + std::to_string(r.byNumber) + ", offset " + std::to_string(r.pData - bytes.data()) +
                   ", length " + std::to_string(r.byLength) + ", flag " + std::to_string(r.byFlag) + ", attribute " +
                   std::to_string(r.byAttribute));
    }
    auto c = std::make_unique<ContainerContents>();
    ReadContainer(bytes, *c);
    if (c->status != ContainerReadStatus::Ok) {
        o.line("Container", "keine Datensätze");
        return o.take();
    }
    if (c->headerPresent) {
        o.line("HeaderRecord.length", c->header.length);
        o.line("HeaderRecord.flag", c->header.flag);
        o.line("HeaderRecord.attribute", c->header.attribute);
        o.line("HeaderRecord", hex(std::span(c->header.bytes).first(std::min<size_t>(c->header.length, kHeaderRecordSize))));
    }
    o.line("RecordPair", "flag " + std::to_string(c->pair.flag) + ", attribute " + std::to_string(c->pair.attribute));

    int module = moduleFromBlockType(list->wBlockType);
    if (!module && c->paramSize > 5) module = moduleFromHeadCode(c->param[5]);
    o.line("Module", moduleName(module));
    dumpParamImage(o, module, c->paramImage());
    o.line("TextsPresent", c->textPresent ? 1 : 0);
    if (c->textPresent) dumpTextImage(o, c->textImage());
    return o.take();
}

std::string dumpSectionFile(const SectionFileContents& s) {
    Out o;
    o.line("Format", "Sektionsdatei");
    o.line("Section.interfaceNo", s.interfaceNo);
    o.line("Section.count", s.sectionCount);
    o.line("Section.protocolId", s.protocolId);
    o.line("Section.interface", s.interfaceByte);
    for (size_t i = 0; i < s.directory.size(); ++i) {
        const SectionEntry& e = s.directory[i];
        o.line("Section." + std::to_string(i),
               "type " + std::to_string(e.type) + ", offset " + std::to_string(e.offset) + ", length " +
                   std::to_string(e.length));
    }
    if (s.status == SectionReadStatus::Truncated) o.line("Section.truncated", 1);
    o.line("Module", moduleName(kCP8312));
    if (s.paramImage) dumpParamImage(o, kCP8312, *s.paramImage);
    if (s.textImage) dumpTextImage(o, *s.textImage);
    for (size_t i = 0; i < s.driverParts.size(); ++i)
        if (s.driverParts[i]) dumpDriverImage(o, static_cast<int>(kSectionDriverCode + i), *s.driverParts[i]);
    return o.take();
}

}  // namespace

std::string DumpDataTransferFile(std::span<const uint8_t> bytes, bool* recognised) {
    if (recognised) *recognised = true;
    if (bytes.size() >= 6 && moduleFromBlockType(static_cast<uint16_t>((bytes[4] << 8) | bytes[5])))
        return dumpContainer(bytes);
    const SectionFileContents s = ReadSectionFile(bytes);
    if (s.status == SectionReadStatus::Ok && !s.directory.empty()) return dumpSectionFile(s);
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(bytes.data(), bytes.size(), &raw);
    SdbFreeRecordList(raw);
    if (n > 0) return dumpContainer(bytes);
    if (s.status != SectionReadStatus::BadCount) return dumpSectionFile(s);
    if (recognised) *recognised = false;
    Out o;
    o.line("Format", "nicht erkannt");
    o.line("Size", static_cast<long long>(bytes.size()));
    return o.take();
}

}  // namespace sdb
