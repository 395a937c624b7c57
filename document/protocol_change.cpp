// The user's change of the module's protocol: the old protocol's data are given up for the
// new one's defaults, after a question.
#include "document/ptp_doc.h"
#include "host/messages.h"
#include "resources/strings.h"

namespace {
constexpr int kChangedTitle = 560;
constexpr int kChangeQuestion = 561;
}  // namespace

std::string CPtpDoc::ProtocolText(int code) const {
    for (const auto& item : m_ProtocolList)
        if (item.code == code) return item.text;
    return std::to_string(code);
}

CPtpDoc::ProtocolChange CPtpDoc::ChangeProtocol(int code) {
    if (code == m_nProtocol) return ProtocolChange::Unchanged;
    const int answer =
        host::showMessage(res::text(kChangedTitle), kChangeQuestion, {ProtocolText(m_nProtocol), ProtocolText(code)});
    if (answer != host::kYes) return ProtocolChange::Declined;

    const int old = m_nProtocol;
    m_nProtocol = code;
    switch (code & 0xFF) {
    case kProtPrinter:
        BuildDefaults(m_DefParams);
        m_CurPrinter = m_DefPrinter;
        m_bDriverPending = 0;
        break;
    case 0xFF:
        if (ApplyDriverDefaults(m_DefParams) != 0) {
            m_nProtocol = old;  // the message said why
            return ProtocolChange::Failed;
        }
        if (DriverHasTexts()) m_CurPrinter = m_DefPrinter;
        // The CP 731 runs the new driver only once it is loaded onto the module.
        m_bDriverPending = m_nModuleType == kCP731 ? 1 : m_bDriverPending;
        break;
    default:
        BuildDefaults(m_DefParams);
        m_bDriverPending = 0;
        break;
    }
    m_CurParams = m_DefParams;
    SetModifiedFlag(true);
    return ProtocolChange::Changed;
}
