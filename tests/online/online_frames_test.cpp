// The byte forms of the online library: request and response frames, the record address and
// write request, the operating-state table and the SZL record count.
#include <gtest/gtest.h>

#include <vector>

#include "online/codes.h"
#include "online/online_connection.h"
#include "online/record_address.h"
#include "online/wire.h"

namespace {

using namespace online;
using wire::Operation;
using Bytes = std::vector<std::uint8_t>;

wire::Request request(Operation op) {
    wire::Request r;
    r.op = op;
    switch (op) {
    case Operation::Open:
        r.connection = 0x01020304;
        r.accessPoint = "Y5ONLINE";
        r.parameters.assign(126, 0);
        r.parameters[51] = 36;
        break;
    case Operation::ReadSzl:
        r.handle = 0x100;
        r.szlId = 0x0424;
        r.szlIndex = 7;
        r.size = 108;
        break;
    case Operation::WriteVar:
        r.handle = 0x101;
        r.data = RecordWriteRequest(200, 0x0150, Bytes{1, 2, 3});
        break;
    case Operation::ReadVar: {
        r.handle = 0x102;
        r.size = 240;
        const auto address = RecordAddress(236, 200, 0x0150);  // one array: begin and end of the same
        r.data = Bytes(address.begin(), address.end());
        break;
    }
    case Operation::DirectOpen:
        r.moduleObject = 0x0000000500000007ull;
        break;
    default:
        r.handle = 0xFFFFFFFE;
        break;
    }
    return r;
}

wire::Response response(Operation op) {
    wire::Response a;
    a.result = kTimeout;
    switch (op) {
    case Operation::Open:
    case Operation::DirectOpen:
    case Operation::DirectHandle:
        a.handle = 0x0A0B0C0D;
        break;
    case Operation::ReadSzl:
        a.data = {0x04, 0x24, 0, 0, 0, 20, 0, 1};
        break;
    case Operation::WriteVar:
        a.status = 0xBEEF;
        break;
    case Operation::ReadVar:
        a.status = 7;
        a.data = {0x00, 0x09, 0x00, 0x02, 0x55, 0x55};
        break;
    default:
        break;
    }
    return a;
}

const Operation kAll[] = {Operation::Open,     Operation::Close,      Operation::ReadSzl,      Operation::WriteVar,
                          Operation::ReadVar,  Operation::DirectOpen, Operation::DirectHandle, Operation::DirectClose};

// Every operation survives the way there and back, and its length prefix counts the body.
TEST(OnlineFrames, EveryOperationRoundTrips) {
    for (Operation op : kAll) {
        SCOPED_TRACE(static_cast<int>(op));
        const Bytes q = wire::EncodeRequest(request(op));
        ASSERT_GE(q.size(), 5u);
        EXPECT_EQ(*wire::BodyLength(std::span<const std::uint8_t, 4>(q.data(), 4)), q.size() - 4);
        EXPECT_EQ(q[4], static_cast<std::uint8_t>(op));
        EXPECT_EQ(wire::DecodeRequest(std::span(q).subspan(4)), request(op));

        const Bytes a = wire::EncodeResponse(op, response(op));
        EXPECT_EQ(*wire::BodyLength(std::span<const std::uint8_t, 4>(a.data(), 4)), a.size() - 4);
        EXPECT_EQ(wire::DecodeResponse(op, std::span(a).subspan(4)), response(op));
    }
}

// Numbers go big-endian, whatever the machine.
TEST(OnlineFrames, FieldsAreBigEndian) {
    EXPECT_EQ(wire::EncodeRequest(request(Operation::ReadSzl)),
              (Bytes{0, 0, 0, 13, 3, 0, 0, 0x01, 0x00, 0x04, 0x24, 0, 7, 0, 0, 0, 108}));
    wire::Response a;
    a.result = static_cast<std::int32_t>(0xFFF60005);
    a.handle = 0x102;
    EXPECT_EQ(wire::EncodeResponse(Operation::Open, a), (Bytes{0, 0, 0, 8, 0xFF, 0xF6, 0, 5, 0, 0, 1, 2}));
}

// A frame cut anywhere inside its fixed fields, or with a byte too many after them, is refused
// for every operation whose fields have a fixed end.
TEST(OnlineFrames, CutOrOverlongBodiesAreRefused) {
    for (Operation op : kAll) {
        SCOPED_TRACE(static_cast<int>(op));
        const Bytes q = wire::EncodeRequest(request(op));
        const std::span body = std::span(q).subspan(4);
        const bool openEnded = op == Operation::WriteVar || op == Operation::ReadVar;
        const std::size_t fixed = op == Operation::WriteVar ? 5 : op == Operation::ReadVar ? 9 : body.size();
        for (std::size_t n = 0; n < fixed; ++n) EXPECT_FALSE(wire::DecodeRequest(body.first(n))) << n;
        Bytes longer(body.begin(), body.end());
        longer.push_back(0);
        EXPECT_EQ(wire::DecodeRequest(longer).has_value(), openEnded);

        const Bytes a = wire::EncodeResponse(op, response(op));
        const std::span answer = std::span(a).subspan(4);
        const std::size_t fixedAnswer = op == Operation::ReadSzl ? 4 : op == Operation::ReadVar ? 6 : answer.size();
        for (std::size_t n = 0; n < fixedAnswer; ++n) EXPECT_FALSE(wire::DecodeResponse(op, answer.first(n))) << n;
    }
}

TEST(OnlineFrames, UnknownOperationsAndOversizedFramesAreRefused) {
    struct Case {
        const char* what;
        Bytes body;
    } cases[] = {
        {"operation 0", {0, 0, 0, 0, 1}},
        {"operation 9", {9, 0, 0, 0, 1}},
        {"empty body", {}},
        {"open: name longer than the body", {1, 0, 0, 0, 0, 8, 'Y', '5'}},
        {"open: block longer than the body", {1, 0, 0, 0, 0, 0, 0, 126, 0}},
    };
    for (const Case& c : cases) EXPECT_FALSE(wire::DecodeRequest(c.body)) << c.what;
    const std::uint8_t huge[4] = {0x00, 0x10, 0x00, 0x01};  // one byte over the limit
    EXPECT_FALSE(wire::BodyLength(std::span<const std::uint8_t, 4>(huge, 4)));
    const std::uint8_t limit[4] = {0x00, 0x10, 0x00, 0x00};
    EXPECT_EQ(wire::BodyLength(std::span<const std::uint8_t, 4>(limit, 4)), wire::kMaxFrame);
}

TEST(RecordAddress, BytesOfAddressAndWriteRequest) {
    EXPECT_EQ(RecordAddress(0x00EC, 200, 0x01D0),
              (std::array<std::uint8_t, 12>{0x12, 0x0A, 0x10, 0x03, 0x00, 0xEC, 0x00, 0xC8, 0x01, 0x00, 0x01, 0xD0}));
    const Bytes data{0xA1, 0xA2, 0xA3};
    const Bytes w = RecordWriteRequest(239, 512, data);
    EXPECT_EQ(w, (Bytes{0x12, 0x0A, 0x10, 0x03, 0x00, 0x03, 0x00, 0xEF, 0x01, 0x00, 0x02, 0x00, 0x00, 0x09, 0x00,
                        0x03, 0xA1, 0xA2, 0xA3}));
    EXPECT_EQ(w.size(), 16 + data.size());
    auto parsed = ParseRecordWrite(w);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->target, (RecordTarget{3, 239, 512}));
    EXPECT_EQ(parsed->data, data);
    EXPECT_EQ(RecordWriteRequest(248, 0, {}).size(), 16u);
}

// What the station refuses to take as a record write: each byte that must have its value, and
// lengths that disagree.
TEST(RecordAddress, MalformedWriteRequestsAreRefused) {
    const Bytes good = RecordWriteRequest(200, 0x150, Bytes{1, 2, 3, 4});
    struct Case {
        const char* what;
        std::size_t at;
        std::uint8_t value;
    } cases[] = {
        {"byte 0", 0, 0x13},       {"byte 1", 1, 0x0B},        {"byte 2", 2, 0x11},
        {"byte 3", 3, 0x02},       {"byte 8", 8, 0x02},        {"byte 9", 9, 0x01},
        {"address length", 5, 5},  {"head byte 0", 12, 0x01}, {"head byte 1", 13, 0x08},
        {"head length", 15, 3},
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.at] = c.value;
        EXPECT_FALSE(ParseRecordWrite(bad)) << c.what;
    }
    Bytes shortData = good;
    shortData.pop_back();
    EXPECT_FALSE(ParseRecordWrite(shortData));
    EXPECT_FALSE(ParseRecordWrite(std::span(good).first(15)));
    EXPECT_FALSE(ParseRecordAddress(std::span(good).first(11)));
}

TEST(RecordAddress, ModuleAddressFallsBackWhenBit15IsSet) {
    EXPECT_EQ(ModuleAddressOr(0x0150, 512), 0x0150);
    EXPECT_EQ(ModuleAddressOr(0x7FFF, 512), 0x7FFF);
    EXPECT_EQ(ModuleAddressOr(0x8000, 512), 512);
    EXPECT_EQ(ModuleAddressOr(0xFFFF, RackSlotModuleAddress(1, 4)), 128 + 64 + 192);
    EXPECT_EQ(RackSlotModuleAddress(0, 5), 272);
}

TEST(CpuState, LowFourBitsMapToStateCodes) {
    const int expected[16] = {0, 4, 4, 4, 4, 0, 6, 6, 8, 0, 10, 0, 0, 13, 0, 0};
    for (int bits = 0; bits < 16; ++bits) EXPECT_EQ(CpuStateCode(bits), expected[bits]) << bits;
    EXPECT_EQ(CpuStateCode(0xF4), kStateStop);  // only the low four bits count
}

TEST(SzlRecordCount, UnknownCountIsComputedFromTheLength) {
    struct Case {
        std::uint32_t length;
        std::uint16_t recordLength, count;
        std::int32_t result;
        std::uint16_t expected;
    } cases[] = {
        {8 + 3 * 20, 20, 0xFFFF, 0, 3},
        {8, 20, 0xFFFF, 0, 0},
        {7, 20, 0xFFFF, kSzlLengthMismatch, 0},
        {8 + 3 * 20 + 1, 20, 0xFFFF, kSzlLengthMismatch, 0},
        {8 + 20, 0, 0xFFFF, kSzlLengthMismatch, 0},
        {7, 20, 2, 0, 2},  // a count the station gave stays
    };
    for (const Case& c : cases) {
        SzlHead h{0x0011, 0, c.recordLength, c.count};
        EXPECT_EQ(CompleteRecordCount(c.length, h), c.result) << c.length;
        EXPECT_EQ(h.recordCount, c.expected) << c.length;
    }
}

}  // namespace
