#pragma once
// The module's identification: the directory in data record 248 and the record it names, in the
// long form (an identification list like SZL 0x0011) or the short form (a number at bytes 32
// and 33). The same list serves as the controller's SZL 0x0011 answer for a CP 831.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/cpsim/module_side.h"

namespace cpsim {

struct ModuleIdent {
    std::string orderNo = "6ES7 341-1AH01-0AE0";  // 20 characters at most
    std::array<std::uint8_t, 4> hardware{'V', 1, 0, 0};
    std::array<std::uint8_t, 4> firmware{'V', 2, 1, 3};
};

// The identification list (SZL id 0x0011, index 1, record length 28): record 1 the module with
// its order number and hardware version, record 7 the firmware with its version.
std::vector<std::uint8_t> ModuleIdentList(const ModuleIdent& ident);

class IdentRecords : public RecordServer {
public:
    enum class Form {
        Long,      // the directory names record 249, an identification list
        Short,     // the directory names record 250, the short identification
        NoEntry,   // the directory names neither
        Missing,   // no directory: record 248 cannot be read
    };
    static constexpr std::uint16_t kLongRecord = 249, kShortRecord = 250;

    IdentRecords() = default;
    IdentRecords(Form form, ModuleIdent ident, std::uint16_t shortVersion = 0)
        : form_(form), ident_(std::move(ident)), shortVersion_(shortVersion) {}

    std::vector<std::uint16_t> Records() const override { return {248, kLongRecord, kShortRecord}; }
    RecordResult Write(std::uint16_t record, std::span<const std::uint8_t> data) override;
    RecordResult Read(std::uint16_t record, std::uint16_t length) override;

    // The firmware a completed update brings: the version the module reports from then on.
    void SetFirmware(std::array<std::uint8_t, 4> version) { ident_.firmware = version; }
    const ModuleIdent& Ident() const { return ident_; }

private:
    Form form_ = Form::Long;
    ModuleIdent ident_;
    std::uint16_t shortVersion_ = 0;
};

}  // namespace cpsim
