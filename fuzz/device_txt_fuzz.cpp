// Feeds arbitrary bytes to the DEVICE.TXT reader as file contents and builds the report from the
// result. Checks the invariants every read must keep, whatever the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "image/device_config_reader.h"
#include "image/user_isp_report.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrix;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    image::DeviceConfig config;
    image::ReadDeviceConfigFromText(text, config);

    Require(config.manufacturerLength <= config.manufacturer.size());
    Require(config.productLength <= config.product.size());
    Require(config.serial[12] == 0);
    Require(config.romCodeFile.size() <= 12);
    Require(config.msRomCodeFile.size() <= 12);
    Require(config.bmpMapFile.size() <= 12);
    Require(config.stringAddressFile.size() <= 12);
    Require(config.bmpMapGiven == !config.bmpMapFile.empty());

    // A second read over the first must give the same result: nothing carries over from the
    // earlier contents except the stored bytes of absent keys.
    image::DeviceConfig again = config;
    image::ReadDeviceConfigFromText(text, again);
    Require(again.vidActive == config.vidActive && again.vid == config.vid);
    Require(again.deviceSetting == config.deviceSetting);
    Require(again.inquiryIdentityFa == config.inquiryIdentityFa);

    const std::string report =
        image::BuildUserIspReport(config, core::OsKind::Win98, true, "DRIVER.SYS");
    Require(!report.empty());
    return 0;
}
