#pragma once
// The section file of the CP 831: the data transfer file that takes the place of the record
// container. A 6-byte start (interface number, section count, protocol code, interface
// byte) and the sections, each a type byte, a 4-byte length and the data.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sdb {

constexpr size_t kSectionFileCapacity = 0x50000;
constexpr int kMaxSections = 5;

enum SectionType : uint8_t {
    kSectionParam = 1,
    kSectionText = 2,
    kSectionDriverCode = 3,
    kSectionDriverFirmware = 4,
    kSectionDriverProtocol = 5,
};

struct SectionFileInput {
    uint8_t interfaceNo = 0;
    int sectionCount = 1;                    // the document's block count
    uint16_t protocolId = 0;                 // wProtocolId; written limited to 4096
    uint16_t interfaceByte = 0;              // byInterface of the protocol record
    std::span<const uint8_t> paramImage;
    std::optional<std::span<const uint8_t>> textImage;
    // Driver part images (code, firmware, protocol part), as built or as read.
    std::array<std::optional<std::span<const uint8_t>>, 3> driverParts;
};

enum class SectionWriteStatus { Ok, TooLarge };
struct SectionWriteResult {
    SectionWriteStatus status = SectionWriteStatus::TooLarge;
    std::vector<uint8_t> bytes;
    int sectionsWritten = 0;
};

// Section 1 always; with a section count above 1 also the texts and driver parts that are
// given, in the order 2, 3, 4, 5. Byte 1 holds the number of sections actually written, so
// that a reader never walks into a section that is not there.
SectionWriteResult WriteSectionFile(const SectionFileInput& in);

// Takes the data of driver sections (types 3 to 5) as they are read. A sink that does not
// take a section leaves it to be kept as raw bytes.
class DriverSectionSink {
public:
    virtual ~DriverSectionSink() = default;
    // Returns true when the section was taken over.
    virtual bool onDriverSection(uint8_t type, std::span<const uint8_t> data) = 0;
};

struct SectionEntry {
    uint8_t type = 0;
    size_t offset = 0;   // of the section's type byte
    uint32_t length = 0;
};

enum class SectionReadStatus {
    Ok,
    BadCount,    // fewer than 6 bytes, or a section count outside 1 to 5: the CP 831 defaults
    Truncated,   // a section runs past the end: the sections before it were read
};

struct SectionFileContents {
    SectionReadStatus status = SectionReadStatus::BadCount;
    uint8_t interfaceNo = 0;
    uint8_t sectionCount = 0;
    uint16_t protocolId = 0;
    uint16_t interfaceByte = 0;
    std::vector<SectionEntry> directory;  // every section walked, unknown types included
    std::optional<std::vector<uint8_t>> paramImage;
    std::optional<std::vector<uint8_t>> textImage;
    // Driver sections no sink took: kept as read, to be written back unchanged.
    std::array<std::optional<std::vector<uint8_t>>, 3> driverParts;
};

// Reads at most 0x50000 bytes of a section file.
SectionFileContents ReadSectionFile(std::span<const uint8_t> bytes, DriverSectionSink* sink = nullptr);

}  // namespace sdb
