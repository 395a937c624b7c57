#pragma once
// What the driver job tests share: a CP 731 configured for the sample driver, and a channel that
// hands every record access to the simulator's record 200 and answers the operating state.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "app/app_settings.h"
#include "document/ptp_doc.h"
#include "online/module_channel.h"
#include "tools/cpsim/driver_records.h"
#include "tools/sample_driver/driver_package.h"

namespace drvonline {

// A channel to one module: record accesses decoded from their record address and given to the
// record server; the operating state from the state bits given.
class SimChannel : public online::ModuleChannel {
public:
    explicit SimChannel(cpsim::RecordServer& server) : server_(server) {}
    std::int32_t WriteRecord(std::span<const std::uint8_t> request) override;
    std::int32_t ReadRecord(std::span<const std::uint8_t> address, std::vector<std::uint8_t>& response,
                            std::size_t responseSize) override;
    std::int32_t ReadSzl(std::uint16_t id, std::uint16_t index, std::vector<std::uint8_t>& response,
                         std::size_t bufferSize) override;

    std::uint8_t stateBits = 3;        // STOP
    bool szlFails = false;
    std::vector<std::uint16_t> addresses;  // the module address of every record access

private:
    cpsim::RecordServer& server_;
};

// The sample driver installed into `folder` with parts of the given lengths, and a CP 731
// configured for it (the driver's defaults applied). The document keeps a pointer to `app`.
struct SampleDriverModule {
    SampleDriverModule(const std::filesystem::path& folder, const driverpkg::Options& options);
    AppSettings app;
    std::unique_ptr<CPtpDoc> doc;
    bool ready = false;
};

// The body of the record of `file` whose head names the part the introduction data describes
// (name in bytes 25 to 32, type in bytes 37 and 38): the code the module must receive.
std::optional<std::vector<std::uint8_t>> ExpectedCode(const std::filesystem::path& file,
                                                      const std::vector<std::uint8_t>& introduction);

}  // namespace drvonline
