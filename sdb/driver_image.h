#pragma once
// The 64-byte driver descriptor (CDbSon) and the images of a loadable driver's code,
// firmware and protocol part (block head of kind 3, 4 or 5, descriptor, body).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "document/records.h"
#include "sdb/head.h"

namespace sdb {

constexpr uint16_t kDriverHeadLength = CDbHead::kSize + CDbSon::kSize;  // 89
// The document's data area of a loadable driver.
constexpr size_t kDriverDataCapacity = 10240;

void WriteSon(const CDbSon& son, std::span<uint8_t, CDbSon::kSize> out);
// nullopt when fewer than 64 bytes are given.
std::optional<CDbSon> ReadSon(std::span<const uint8_t> in);

// The head of a driver part image: kind 3, 4 or 5, head length 89, the body length, module
// code and bytes 6 and 7 from the parameter head, indexes 0, time, version and variant bytes.
// `current` supplies what the build leaves alone.
CDbHead MakeDriverHead(const BuildContext& ctx, ImageKind kind, const CDbHead& paramHead, const CDbHead& current,
                       uint16_t bodyLength);

// Head, descriptor and body of a driver part. Empty when the kind is not a driver part or
// the body does not fit the 16-bit body length.
std::vector<uint8_t> BuildDriverImage(const CDbHead& head, const CDbSon& son, std::span<const uint8_t> body);

// A driver part image read back: head, descriptor and the body bytes the image holds.
struct DriverImage {
    CDbHead head;
    CDbSon son;
    std::span<const uint8_t> body;  // inside the given image
    bool truncated = false;         // the image ends before head length + body length
};
std::optional<DriverImage> ReadDriverImage(std::span<const uint8_t> image);

}  // namespace sdb
