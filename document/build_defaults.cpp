// The default selection: which default set, head and sub-block lengths belong to a
// module and protocol, and how the interface adjusts them.
#include "document/ptp_doc.h"

namespace {

void setLengths(std::array<uint16_t, 11>& bl, std::initializer_list<std::pair<int, uint16_t>> values) {
    for (auto [i, v] : values) bl[i] = v;
}

void addPrinterLengths(std::array<uint16_t, 11>& bl) { setLengths(bl, {{3, 7}, {4, 65}, {5, 256}}); }

// Half or full duplex without connection attempts, and the receive lines preset.
void rs422Ascii(CDb& rec) {
    rec.byConnectTries = 0;
    rec.bySendTries = 0;
    rec.byLinePreset = 1;
}

}  // namespace

int CPtpDoc::BuildDefaults(CDb& rec) {
    BlockLengths.fill(0);
    const int iface = m_nInterfaceCode;
    bool printer = false;
    bool matched = true;

    switch (m_nModuleType) {
    case kCP730:
        switch (m_nProtocol) {
        case kProt3964: SetDbDefaults(rec, DefaultSet::A, false); break;
        case kProtAscii: SetDbDefaults(rec, DefaultSet::B, false); break;
        case kProtPrinter: SetDbDefaults(rec, DefaultSet::C, false); printer = true; break;
        default: matched = false; break;
        }
        if (!matched) break;
        SetHeadDefault(m_CurHead, HeadDefault::CP730);
        setLengths(BlockLengths, {{0, 2}, {2, 41}});
        break;

    case kCP731:
        switch (m_nProtocol) {
        case kProt3964:
        case kProtRk512:
            SetDbDefaults(rec, m_nProtocol == kProt3964 ? DefaultSet::D3964 : DefaultSet::DRk512, false);
            if (iface == kIfRs422) rec.byLinePreset = 1;
            break;
        case kProtAscii:
        case kProtPrinter:
            printer = m_nProtocol == kProtPrinter;
            SetDbDefaults(rec, printer ? DefaultSet::G : DefaultSet::E, false);
            if (iface == kIfRs422) rs422Ascii(rec);
            break;
        default: matched = false; break;
        }
        if (!matched) break;
        SetHeadDefault(m_CurHead, HeadDefault::CP731);
        setLengths(BlockLengths, {{0, 2}, {1, 24}, {2, 49}});
        break;

    case kCP830:
        switch (m_nProtocol) {
        case kProt3964: SetDbDefaults(rec, DefaultSet::H, false); rec.byLinePreset = 1; break;
        case kProtAscii: SetDbDefaults(rec, DefaultSet::I, false); rs422Ascii(rec); break;
        default: matched = false; break;
        }
        if (!matched) break;
        SetHeadDefault(m_CurHead, HeadDefault::CP830);
        setLengths(BlockLengths, {{0, 2}, {1, 24}, {2, 163}});
        break;

    case kCP8311:
    case kCP8312:
        switch (m_nProtocol) {
        case kProt3964: SetDbDefaults(rec, DefaultSet::D3964, true); break;
        case kProtRk512:
            if (m_nModuleType != kCP8312) matched = false;
            else SetDbDefaults(rec, DefaultSet::DRk512, true);
            break;
        case kProtAscii: SetDbDefaults(rec, DefaultSet::E, true); break;
        case kProtPrinter: SetDbDefaults(rec, DefaultSet::G, true); printer = true; break;
        default: matched = false; break;
        }
        if (!matched) break;
        if (iface == kIfHostRs422) {
            if (m_nProtocol == kProtAscii || m_nProtocol == kProtPrinter) {
                rs422Ascii(rec);
                rec.byBreakOff = 0;
            } else {
                rec.byLinePreset = 1;
            }
        }
        if (m_nProtocol == kProtAscii && m_nProductVersion > 4) rec.wCharDelay = 2;
        SetHeadDefault(m_CurHead, HeadDefault::CP831);
        setLengths(BlockLengths, {{1, 24}, {2, 49}});
        break;

    default:
        matched = false;
        break;
    }

    if (!matched) return 0;
    if (printer) {
        addPrinterLengths(BlockLengths);
        SetPrinterDefaults(m_DefPrinter, m_app.language);
        SetHeadDefault(m_TextHead, HeadDefault::Text);
        SetTextNameDefault(m_DefTextName);
    }
    m_bTextPresent = 0;
    if (m_nModuleType != kCP730) m_nDrvBlockMask = 0;
    return 0;
}
