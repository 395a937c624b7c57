#pragma once
// The driver jobs' side of data record 200 and what they read of the controller: writing a job
// into the record, reading the module's answer with the two sentinel bytes, and the controller's
// operating state from its system status list. Shared by the driver load and the driver
// information read.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "online/module_channel.h"
#include "online/record_address.h"

namespace online::driver {

inline constexpr std::uint16_t kRecord = kDriverRecord;
// Jobs written into record 200 (data byte 0) and echoed by the module's answers.
inline constexpr std::uint8_t kJobIdle = 0;
inline constexpr std::uint8_t kJobReadIdentification = 2;
inline constexpr std::uint8_t kJobDataBlock = 4;
inline constexpr std::uint8_t kJobIntroduction = 8;
// The module's status (data byte 1 of an answer).
inline constexpr std::uint8_t kStatusBusy = 0;
inline constexpr std::uint8_t kStatusAccepted = 1;
inline constexpr std::uint8_t kStatusAlreadyPresent = 2;
inline constexpr std::uint8_t kStatusRefused = 18;
inline constexpr std::uint8_t kStatusWrongDriver = 19;
inline constexpr std::uint8_t kStatusNoDriver = 0x31;
// What the reader puts into the first two answer bytes before a read: still there afterwards,
// the module has not answered.
inline constexpr std::uint8_t kSentinel = 0x55;

// The sizes of the jobs: the load writes 206 data bytes and reads 6; the information read
// writes 14 and reads 206.
inline constexpr std::size_t kLoadJobSize = 206;
inline constexpr std::size_t kLoadAnswerSize = 6;
inline constexpr std::size_t kInfoJobSize = 14;
inline constexpr std::size_t kInfoAnswerSize = 206;
// Code bytes of one data block, from data byte 8 on.
inline constexpr std::size_t kBlockCodeSize = 198;
inline constexpr std::size_t kBlockCodeAt = 8;
// Introduction data of a component: its block head and its part descriptor.
inline constexpr std::size_t kIntroductionSize = 89;
inline constexpr std::size_t kIntroductionAt = 12;

// Messages of the driver jobs; every one is shown under caption kCaption.
enum Message : int {
    kCaption = 2000,            // "Treiber laden"
    kMsgNoConnection = 2002,
    kMsgNotStop = 2003,
    kMsgStatusUnreadable = 2004,
    kMsgNoReaction = 2005,
    kMsgUndefined = 2006,
    kMsgCodeFile = 2007,        // 2008 firmware file, 2009 protocol file
    kMsgWriteFailed = 2010,
    kMsgReadFailed = 2011,
    kMsgSequence = 2012,
    kMsgAlreadyPresent = 2013,
    kMsgRefused = 2014,
    kMsgAborted = 2016,
    kMsgConnectionDisturbed = 2037,
    kMsgWrongDriver = 2038,
    kMsgLoadQuestion = 606,
};

// Shows a driver message under "Treiber laden"; returns the button.
int ShowMessage(int id);

// Writes `data` into record 200 (address, data head {0x00, 0x09, length}, data). 0, or the
// library's code.
std::int32_t WriteJob(ModuleChannel& channel, std::uint16_t moduleAddress, std::span<const std::uint8_t> data);

// One answer of the module read from record 200.
struct Answer {
    std::int32_t code = 0;          // 0, or the library's code of a failed read
    bool untouched = false;         // both sentinel bytes came back unchanged
    std::vector<std::uint8_t> data; // `size` data bytes; those the read did not deliver stay as set before it
    std::uint8_t echo() const { return data[0]; }
    std::uint8_t status() const { return data[1]; }
    std::uint16_t be16(std::size_t at) const { return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]); }
};
// Sets the sentinel bytes and reads `size` data bytes of record 200.
Answer ReadAnswer(ModuleChannel& channel, std::uint16_t moduleAddress, std::size_t size);

// The controller's operating state code (4 STOP, 6, 8, 10, 13, 0 for any other), from the
// status list extract 0x0424; nullopt when it cannot be read.
inline constexpr int kStateStop = 4;
std::optional<int> ReadOperatingState(ModuleChannel& channel);
// The state code of the low four bits of the extract's state byte.
int OperatingStateCode(std::uint8_t bits);

}  // namespace online::driver
