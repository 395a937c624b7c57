#include "document/record_fields.h"

#include <cstdio>

namespace {

template <typename T>
std::string num(T v) { return std::to_string(static_cast<long long>(v)); }

}  // namespace

std::string JoinNumbers(const uint8_t* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i) s += ',';
        s += std::to_string(p[i]);
    }
    return s;
}

std::string ShowChars(const char* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            s += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            s += buf;
        }
    }
    return s;
}

FieldList DescribeDb(const CDb& d, const std::string& p) {
    return {
        {p + "wRecordType", num(d.wRecordType)},
        {p + "achDriverName", ShowChars(d.achDriverName, 8)},
        {p + "byDriverVerHi", num(d.byDriverVerHi)},
        {p + "byDriverVerLo", num(d.byDriverVerLo)},
        {p + "achSccName", ShowChars(d.achSccName, 8)},
        {p + "bySccVerHi", num(d.bySccVerHi)},
        {p + "bySccVerLo", num(d.bySccVerLo)},
        {p + "wReserved1", num(d.wReserved1)},
        {p + "byTypeCode1", num(d.byTypeCode1)},
        {p + "byTypeCode2", num(d.byTypeCode2)},
        {p + "wProtocolId", num(d.wProtocolId)},
        {p + "wDriverWord", num(d.wDriverWord)},
        {p + "byInterface", num(d.byInterface)},
        {p + "wRecvDbNo", num(d.wRecvDbNo)},
        {p + "wRecvAux", num(d.wRecvAux)},
        {p + "byClearRecvBuf", num(d.byClearRecvBuf)},
        {p + "byBaud", num(d.byBaud)},
        {p + "byParity", num(d.byParity)},
        {p + "byDataBits", num(d.byDataBits)},
        {p + "byStopBits", num(d.byStopBits)},
        {p + "byFlowCtrl", num(d.byFlowCtrl)},
        {p + "byMode", num(d.byMode)},
        {p + "byPriority", num(d.byPriority)},
        {p + "wCharDelay", num(d.wCharDelay)},
        {p + "wAckDelay", num(d.wAckDelay)},
        {p + "byConnectTries", num(d.byConnectTries)},
        {p + "bySendTries", num(d.bySendTries)},
        {p + "byRecvEndCount", num(d.byRecvEndCount)},
        {p + "byRecvEnd1", num(d.byRecvEnd1)},
        {p + "byRecvEnd2", num(d.byRecvEnd2)},
        {p + "byXonChar", num(d.byXonChar)},
        {p + "byXoffChar", num(d.byXoffChar)},
        {p + "byV24Signals", num(d.byV24Signals)},
        {p + "wXonWait", num(d.wXonWait)},
        {p + "wRtsOffTime", num(d.wRtsOffTime)},
        {p + "wOutputWait", num(d.wOutputWait)},
        {p + "wTelegramLen", num(d.wTelegramLen)},
        {p + "byBufferedTelegrams", num(d.byBufferedTelegrams)},
        {p + "byNoOverwrite", num(d.byNoOverwrite)},
        {p + "byBreakOff", num(d.byBreakOff)},
        {p + "byLinePreset", num(d.byLinePreset)},
        {p + "bySendMode", num(d.bySendMode)},
        {p + "bySendEndCount", num(d.bySendEndCount)},
        {p + "bySendEnd1", num(d.bySendEnd1)},
        {p + "bySendEnd2", num(d.bySendEnd2)},
        {p + "byExtErrDisplay", num(d.byExtErrDisplay)},
        {p + "byReserved4", num(d.byReserved4)},
        {p + "wReactionWait", num(d.wReactionWait)},
        {p + "byOpMode830", num(d.byOpMode830)},
        {p + "by830a", num(d.by830a)},
        {p + "by830b", num(d.by830b)},
        {p + "byEndCrit830", num(d.byEndCrit830)},
        {p + "byEndLink830", num(d.byEndLink830)},
        {p + "aby830Ext1", JoinNumbers(d.aby830Ext1, 8)},
        {p + "w830Word", num(d.w830Word)},
        {p + "aby830Ext2", JoinNumbers(d.aby830Ext2, 20)},
    };
}

FieldList DescribeDbdr(const CDbdr& d, const std::string& p) {
    FieldList f = {
        {p + "byCharSet", num(d.byCharSet)},
        {p + "byEmulation", num(d.byEmulation)},
        {p + "byLinesPerPage", num(d.byLinesPerPage)},
        {p + "byLeftMargin", num(d.byLeftMargin)},
        {p + "byHeaderLines", num(d.byHeaderLines)},
        {p + "byFooterLines", num(d.byFooterLines)},
        {p + "byLineEnd", num(d.byLineEnd)},
        {p + "byCtrlCount", num(d.byCtrlCount)},
        {p + "byCtrlLength", num(d.byCtrlLength)},
        {p + "abyCtrlTable", JoinNumbers(d.abyCtrlTable.data(), d.byCtrlLength)},
        {p + "abyCharTable", JoinNumbers(d.abyCharTable.data(), d.abyCharTable.size())},
    };
    for (int i = 0; i < CDbdr::kTextLines; ++i)
        f.emplace_back(p + "achTextLine" + std::to_string(i + 1),
                       ShowChars(d.achTextLine[i].data(), d.achTextLine[i].size()));
    return f;
}

FieldList DescribeHead(const CDbHead& h, const std::string& p) {
    return {
        {p + "byKind", num(h.byKind)},
        {p + "wHeadLen", num(h.wHeadLen)},
        {p + "wBodyLen", num(h.wBodyLen)},
        {p + "byModuleCode", num(h.byModuleCode)},
        {p + "byB6", num(h.byB6)},
        {p + "byB7", num(h.byB7)},
        {p + "wFirstIndex", num(h.wFirstIndex)},
        {p + "wLastIndex", num(h.wLastIndex)},
        {p + "abyVersion", JoinNumbers(h.abyVersion.data(), 4)},
        {p + "abyTime", JoinNumbers(h.abyTime.data(), 6)},
        {p + "byVariant1", num(h.byVariant1)},
        {p + "byVariant2", num(h.byVariant2)},
        {p + "byVariant3", num(h.byVariant3)},
    };
}

FieldList DescribeSon(const CDbSon& s, const std::string& p) {
    std::string words, values;
    for (size_t i = 0; i < s.awWords.size(); ++i) words += (i ? "," : "") + num(s.awWords[i]);
    for (size_t i = 0; i < s.adwValues.size(); ++i) values += (i ? "," : "") + num(s.adwValues[i]);
    return {
        {p + "achName", ShowChars(s.achName.data(), 8)},
        {p + "byVerHi", num(s.byVerHi)},
        {p + "byVerLo", num(s.byVerLo)},
        {p + "wType", num(s.wType)},
        {p + "wBodyLen", num(s.wBodyLen)},
        {p + "wWord", num(s.wWord)},
        {p + "dwHwBits", num(s.dwHwBits)},
        {p + "byB22", num(s.byB22)},
        {p + "byB23", num(s.byB23)},
        {p + "awWords", words},
        {p + "adwValues", values},
        {p + "abyBytes", JoinNumbers(s.abyBytes.data(), s.abyBytes.size())},
        {p + "dwValue", num(s.dwValue)},
    };
}

FieldList DescribeTex(const CDbtex& t, const std::string& p) {
    return {
        {p + "achName", ShowChars(t.achName.data(), 8)},
        {p + "byVerHi", num(t.byVerHi)},
        {p + "byVerLo", num(t.byVerLo)},
    };
}

std::string FormatFields(const FieldList& fields) {
    std::string out;
    for (const auto& [name, value] : fields) out += name + "=" + value + "\n";
    return out;
}
