// Which pages a sheet shows, in which order, and under which condition.
#include "pages/sheet_model.h"

namespace rules {

bool hasInterfacePage(Sheet sheet, const CheckContext& c) {
    const int m = c.moduleType;
    switch (sheet) {
    case Sheet::CP730_3964:
    case Sheet::CP730_Ascii:
    case Sheet::CP730_Printer: return c.interfaceCode == kIfRs422;
    case Sheet::CP830_3964:
    case Sheet::CP830_Ascii: return true;
    case Sheet::CP731_3964:
    case Sheet::CP731_Rk512:
        return (m == kCP731 && c.interfaceCode == kIfRs422) || (isCP831(m) && c.interfaceCode == kIfHostRs422);
    case Sheet::CP731_Ascii: return c.interfaceCode == kIfHostRs422 || (m == kCP731 && c.interfaceCode == kIfRs422);
    case Sheet::CP731_Printer: return isRs422(c.interfaceCode);
    }
    return false;
}

const char* sheetClassName(Sheet sheet) {
    switch (sheet) {
    case Sheet::CP730_3964: return "CPP3964";
    case Sheet::CP730_Ascii: return "CPASC";
    case Sheet::CP730_Printer: return "C730_Druck";
    case Sheet::CP830_3964: return "C830_3964";
    case Sheet::CP830_Ascii: return "C830_ASCII";
    case Sheet::CP731_3964: return "CKP3964";
    case Sheet::CP731_Rk512: return "CKRK512";
    case Sheet::CP731_Ascii: return "CKASC";
    case Sheet::CP731_Printer: return "CDruck";
    }
    return "";
}

std::vector<PageInfo> sheetPages(Sheet sheet, const CheckContext& ctx) {
    using K = PageKind;
    std::vector<PageInfo> pages;
    PageInfo iface{};
    switch (sheet) {
    case Sheet::CP730_3964:
        pages = {{K::Protocol, "CPP39_P1", "3964(R)", 135}, {K::Receive, "CPP39_P2", "Datenempfang", 137}};
        iface = {K::Interface, "CPP39_P4", "Schnittstelle", 218};
        break;
    case Sheet::CP730_Ascii:
        pages = {{K::Protocol, "CPASC_P1", "ASCII", 130},
                 {K::Transmission, "CPASC_P2", "Übertragung", 132},
                 {K::Receive, "CPASC_P3", "Datenempfang", 133}};
        iface = {K::Interface, "CPASC_P4", "Schnittstelle", 195};
        break;
    case Sheet::CP730_Printer:
        pages = {{K::Protocol, "C730_DRUCK_P1", "Drucker", 219}};
        iface = {K::Interface, "C730_DRUCK_P4", "Schnittstelle", 220};
        break;
    case Sheet::CP830_3964:
        pages = {{K::Protocol, "C830_3964_P1", "3964(R)", 217}, {K::Receive, "C830_3964_P3", "Datenempfang", 196}};
        iface = {K::Interface, "C830_3964_P4", "Schnittstelle", 216};
        break;
    case Sheet::CP830_Ascii:
        pages = {{K::Protocol, "C830_ASCII_P1", "ASCII", 215},
                 {K::Transmission, "C830_ASCII_P2", "Übertragung", 214},
                 {K::Receive, "C830_ASCII_P3", "Datenempfang", 213}};
        iface = {K::Interface, "C830_ASCII_P4", "Schnittstelle", 212};
        break;
    case Sheet::CP731_3964:
        pages = {{K::Protocol, "CKP39_P1", "3964(R)", 139}, {K::Receive, "CKP39_P2", "Datenempfang", 141}};
        iface = {K::Interface, "CKRK39_P3", "Schnittstelle", 194};
        break;
    case Sheet::CP731_Rk512:
        pages = {{K::Protocol, "CKRK_P1", "RK 512", 143}, {K::Receive, "CKRK_P2", "Datenempfang", 145}};
        iface = {K::Interface, "CKRK39_P3", "Schnittstelle", 194};
        break;
    case Sheet::CP731_Ascii:
        pages = {{K::Protocol, "CKASC_P1", "ASCII", 190},
                 {K::Transmission, "CKASC_P2", "Übertragung", 192},
                 {K::Receive, "CKASC_P3", "Datenempfang", 193}};
        iface = {K::Interface, "CKASC_P4", "Schnittstelle", 194};
        break;
    case Sheet::CP731_Printer:
        pages = {{K::Protocol, "CDruck_P1", "Drucker", 175}};
        iface = {K::Interface, "CKASC_P4", "Schnittstelle", 194};
        break;
    }
    if (hasInterfacePage(sheet, ctx)) pages.push_back(iface);
    return pages;
}

}  // namespace rules
