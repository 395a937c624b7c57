#include "document/protocol_list.h"

#include <cctype>

#include "document/codes.h"
#include "resources/strings.h"

namespace {

enum StringId {
    kText3964 = 10446,
    kTextAscii = 10447,
    kTextRk512 = 10448,
    kTextPrinter = 10449,
};

ProtocolItem item(int code) {
    switch (code) {
    case kProt3964: return {code, res::text(kText3964)};
    case kProtAscii: return {code, res::text(kTextAscii)};
    case kProtRk512: return {code, res::text(kTextRk512)};
    default: return {code, res::text(kTextPrinter)};
    }
}

// The character `offset` places behind the start of `fragment` minus '0'; 0 when the order
// number ends before it or it is no digit.
int digitAt(const std::string& order, size_t fragmentAt, size_t offset) {
    size_t at = fragmentAt + offset;
    if (at >= order.size() || !std::isdigit(static_cast<unsigned char>(order[at]))) return 0;
    return order[at] - '0';
}

}  // namespace

ProtocolChoice ProtocolsForOrderNumber(int moduleType, std::string_view orderNo, const std::vector<std::string>& drivers) {
    std::string order(orderNo);
    for (auto& c : order) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ProtocolChoice out;
    auto set = [&](std::initializer_list<int> codes, int version, bool withDrivers = false) {
        out.matched = true;
        for (int c : codes) out.items.push_back(item(c));
        out.productVersion = version;
        if (withDrivers)
            for (size_t n = 0; n < drivers.size(); ++n) out.items.push_back({driverProtocol(static_cast<int>(n)), drivers[n]});
    };
    // The first of `fragments` the order number contains, with its position.
    auto find = [&](std::initializer_list<const char*> fragments, size_t& at) {
        for (const char* f : fragments)
            if ((at = order.find(f)) != std::string::npos) return true;
        return false;
    };
    size_t at = 0;
    switch (moduleType) {
    case kCP730:
        if (find({"730-1KM00"}, at)) set({kProt3964, kProtAscii}, 0);
        else if (find({"730-1KM01", "730-1KM02"}, at)) set({kProt3964, kProtAscii, kProtPrinter}, digitAt(order, at, 8));
        else if (find({"730-1LM00", "730-1LM02"}, at)) set({kProt3964, kProtAscii, kProtPrinter}, digitAt(order, at, 8));
        else if (find({"730-1NM00", "730-1NM02"}, at)) set({kProt3964, kProtAscii, kProtPrinter}, digitAt(order, at, 8));
        break;
    case kCP731: {
        // the ninth character from the start of "731-1" is the product version
        at = order.find("731-1");
        const int version = at == std::string::npos ? 0 : digitAt(order, at, 8);
        if (version > 1) set({kProt3964, kProtRk512, kProtAscii, kProtPrinter}, version, true);
        else set({kProt3964, kProtRk512, kProtAscii}, version, true);
        break;
    }
    case kCP830:
        set({kProt3964, kProtAscii}, 0);
        break;
    case kCP8311:
    case kCP8312:
        if (find({"831-1KK00"}, at)) set({kProt3964}, 0);
        else if (find({"831-1KK01", "831-1KK02", "831-1KK03", "831-1KK04", "831-1KK05"}, at))
            set({kProt3964, kProtAscii, kProtPrinter}, digitAt(order, at, 8));
        else if (find({"831-2KK00"}, at)) set({kProt3964, kProtRk512}, 0);
        else if (find({"831-2KK01"}, at)) set({kProt3964, kProtRk512, kProtAscii, kProtPrinter}, 1);
        else if (find({"831-2KK02", "831-2KK03", "831-2KK04", "831-2KK05"}, at))
            set({kProt3964, kProtRk512, kProtAscii, kProtPrinter}, digitAt(order, at, 8), true);
        break;
    default:
        break;
    }
    return out;
}

int ProtocolFromIdentifier(uint16_t id, int driverProtocol, int unknown) {
    switch (id >= kIdDriverBase ? static_cast<uint16_t>(kIdDriverBase) : id) {
    case kId3964: return kProt3964;
    case kIdAscii: return kProtAscii;
    case kIdRk512: return kProtRk512;
    case kIdPrinter: return kProtPrinter;
    case kIdDriverBase: return driverProtocol;
    default: return unknown;
    }
}
