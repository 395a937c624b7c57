#include "tests/support/module_factory.h"

#include <gtest/gtest.h>

namespace support {

std::string StartupString(const StartupLine& l) {
    std::string s = l.file + "," + l.model + "," + std::to_string(l.interfaceCode) + "," +
                    std::to_string(l.interfaceNo) + "," + l.name + "," + l.orderNo + "," + l.station + "," +
                    std::to_string(l.rack) + "," + std::to_string(l.slot) + "," + std::to_string(l.online) +
                    ",0," + std::to_string(l.address);
    for (long id : {l.ids.objType, l.ids.objId, l.ids.unitType, l.ids.unitId, l.ids.envType, l.ids.envId})
        s += "," + std::to_string(id);
    return s;
}

std::string StartupString(const std::string& file, const std::string& model, int interfaceCode,
                          const std::string& orderNo, int online) {
    StartupLine l;
    l.file = file;
    l.model = model;
    l.interfaceCode = interfaceCode;
    l.orderNo = orderNo;
    l.online = online;
    return StartupString(l);
}

std::unique_ptr<CPtpDoc> OpenDocument(AppSettings& app, const std::string& line) {
    auto d = std::make_unique<CPtpDoc>(app);
    EXPECT_EQ(d->ParseStartupString(line), 0) << line;
    return d;
}

DefaultSet DefaultSetFor(int moduleType, int protocol) {
    if (moduleType == kCP730)
        return protocol == kProt3964 ? DefaultSet::A : protocol == kProtAscii ? DefaultSet::B : DefaultSet::C;
    if (moduleType == kCP830) return protocol == kProtAscii ? DefaultSet::I : DefaultSet::H;
    switch (protocol) {
    case kProt3964: return DefaultSet::D3964;
    case kProtRk512: return DefaultSet::DRk512;
    case kProtAscii: return DefaultSet::E;
    default: return DefaultSet::G;
    }
}

CDb DefaultRecord(int moduleType, int protocol) {
    CDb db{};
    SetDbDefaults(db, DefaultSetFor(moduleType, protocol), isCP831(moduleType));
    return db;
}

ModuleDocument::ModuleDocument(int moduleType, int protocol, int interfaceCode, unsigned productVersion) {
    doc.m_nModuleType = moduleType;
    doc.m_nProtocol = protocol;
    doc.m_nInterfaceCode = interfaceCode;
    doc.m_nProductVersion = productVersion;
}

}  // namespace support
