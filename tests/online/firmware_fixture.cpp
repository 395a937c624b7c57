#include "tests/online/firmware_fixture.h"

#include <array>

#include "online/online_connection.h"
#include "online/y5lib.h"

namespace fwtest {

StationLink::StationLink(cpsim::FirmwareRecords::Options options, cpsim::IdentRecords identRecords)
    : firmware(std::make_shared<cpsim::FirmwareRecords>(options)),
      ident(std::make_shared<cpsim::IdentRecords>(identRecords)) {
    station.AddRecordServer(firmware, kModuleAddress);
    station.AddRecordServer(ident, kModuleAddress);
    online::RouteAccessPoint(online::kDefaultAccessPoint, cpsim::InProcess(station));
    std::array<std::uint8_t, online::kParameterBlockSize> block{};
    std::array<std::uint8_t, online::kWorkAreaSize> work{};
    const online::ConnectionDescriptor descriptor{1, online::kDefaultAccessPoint, block.data()};
    if (y5db_open(0, 0, 0, &descriptor, &handle, work.data(), online::kWorkAreaSize) == 0)
        channel = online::LibraryChannel(handle);
}

StationLink::~StationLink() {
    channel.reset();
    if (handle) y5db_close(handle, 0, 0);
    online::RouteAccessPoint(online::kDefaultAccessPoint, {});
}

Run RunToEnd(online::FirmwareTransfer& transfer) {
    Run run;
    run.outcome = online::RunFirmwareTransfer(transfer, [&run](int ms) { run.waits.push_back(ms); });
    return run;
}

}  // namespace fwtest
