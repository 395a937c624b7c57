#include "view/module_properties.h"

#include "document/codes.h"
#include "document/ptp_doc.h"
#include "resources/strings.h"

namespace {
constexpr int kTextYes = 10515;
constexpr int kTextNo = 10516;
// Help topics of dialogs are numbered from this base plus the dialog's number.
constexpr int kDialogHelpBase = 0x20000;
constexpr int kModuleDialog = 177;
constexpr int kInterfaceDialog = 183;

// The kept header record's first byte says whether the module raises alarms: 1 yes, 0 no,
// anything else is shown as nothing.
std::string alarmText(const CPtpDoc& doc) {
    switch (doc.m_HeaderRecord.bytes[0]) {
    case 1: return res::text(kTextYes);
    case 0: return res::text(kTextNo);
    default: return {};
    }
}
}  // namespace

ModuleProperties DescribeModuleProperties(const CPtpDoc& doc) {
    ModuleProperties p;
    switch (doc.m_nModuleType) {
    case kCP730:
    case kCP731:
    case kCP830:
        p.form = ModuleProperties::Form::Module;
        p.helpTopic = kDialogHelpBase + kModuleDialog;
        break;
    case kCP8311:
    case kCP8312:
        p.form = ModuleProperties::Form::Interface;
        p.helpTopic = kDialogHelpBase + kInterfaceDialog;
        break;
    default: return p;
    }
    PropertyGroup module{"Baugruppe",
                         {{"m_szModuleName", "Kurzbezeichnung:", doc.m_szModuleName},
                          {"m_szOrderNo", "Bestellnummer:", doc.m_szOrderNo},
                          {"m_szStationName", "Station:", doc.m_szStationName},
                          {"m_strRack", "Baugruppenträger:", doc.m_strRack},
                          {"m_strSlot", "Steckplatz (S):", doc.m_strSlot}}};
    if (p.form == ModuleProperties::Form::Interface) {
        module.lines.push_back({"m_nInterfaceNo", "Schnittstelle:", std::to_string(doc.m_nInterfaceNo)});
        module.lines.push_back({"m_szInterfaceName", "Modul:", doc.m_szInterfaceName});
        p.groups.push_back(std::move(module));
    } else {
        p.groups.push_back(std::move(module));
        p.groups.push_back({"Grundparameter", {{"alarmGeneration", "Alarmgenerierung:", alarmText(doc)}}});
    }
    return p;
}
