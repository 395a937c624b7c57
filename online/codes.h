#pragma once
// The result codes of the online library and of the connection. 0 is success everywhere; any
// other value ends the step that got it.
#include <cstdint>

namespace online {

// The connection's own codes.
constexpr std::int32_t kObjectNotFound = static_cast<std::int32_t>(0x8000001F);   // interface object missing
constexpr std::int32_t kRecordMissing = static_cast<std::int32_t>(0xFFF5005F);    // no online-access record
constexpr std::int32_t kRecordUnreadable = static_cast<std::int32_t>(0xFFF5012C); // online-access record not usable
constexpr std::int32_t kSzlLengthMismatch = static_cast<std::int32_t>(0xFFF50006);

// The library's codes for what went wrong between the program and the station.
constexpr std::int32_t kNoStation = static_cast<std::int32_t>(0xFFF60001);      // the endpoint cannot be reached
constexpr std::int32_t kTimeout = static_cast<std::int32_t>(0xFFF60002);        // the station did not answer in time
constexpr std::int32_t kConnectionLost = static_cast<std::int32_t>(0xFFF60003); // the station closed the connection
constexpr std::int32_t kBadFrame = static_cast<std::int32_t>(0xFFF60004);       // an answer that cannot be read
constexpr std::int32_t kUnknownHandle = static_cast<std::int32_t>(0xFFF60005);  // no open connection with this handle
constexpr std::int32_t kBadRequest = static_cast<std::int32_t>(0xFFF60006);     // a request the station cannot take
constexpr std::int32_t kNoSuchRecord = static_cast<std::int32_t>(0xFFF60007);   // no module answers that record
constexpr std::int32_t kNoSuchSzl = static_cast<std::int32_t>(0xFFF60008);      // the station has no such SZL extract
constexpr std::int32_t kBadArgument = static_cast<std::int32_t>(0xFFF60009);    // a call with missing or short buffers

// DSOpenConnection's result when the module cannot be reached on the direct route.
constexpr std::int32_t kDirectUnreachable = -30;

}  // namespace online
