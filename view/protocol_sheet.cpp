#include "view/protocol_sheet.h"

#include "document/ptp_doc.h"

rules::SheetContext SheetContextFor(const CPtpDoc& doc) {
    rules::SheetContext s;
    s.check = rules::makeCheckContext(doc.m_nModuleType, doc.m_nInterfaceCode, doc.m_nProductVersion,
                                      doc.m_bExtendedModule, doc.App().hostNewFeatures != 0, doc.m_bOnline != 0);
    s.protocol = doc.m_nProtocol;
    s.interfaceNo = doc.m_nInterfaceNo;
    return s;
}

std::optional<rules::SheetModel> OpenProtocolSheet(const CPtpDoc& doc) {
    return rules::SheetModel::open(SheetContextFor(doc), doc.m_CurParams);
}

void TakeProtocolSheet(CPtpDoc& doc, const rules::SheetModel& sheet) {
    sheet.writeBack(doc.m_CurParams);
    if (!doc.m_bOnline) doc.SetModifiedFlag(true);
}
