// Reading DEVICE.TXT: a typical file with every key, and files padded with comment text to
// show that the cost grows with the file size, not with keys times size.
#include <benchmark/benchmark.h>

#include <string>

#include "image/device_config_reader.h"

namespace {

const char* const TypicalEntries = R"(VID = "04b4";
PID = "6830";
String_Manufacture = "Generic";
String_Product = "Card Reader";
KV~@$^_Str_Serial = "000000000001";
Inquiry_Manufacture = "Generic";
Inquiry_Product = "Multi Card Reader";
Inquiry_Version = "1.00";
ISP_ROMCODE = "FW01.BIN";
MS_ISP_ROMCODE = "MSFW.BIN";
BmpMap_file = "BMP01.BIN";
FA_Inquiry_Manufacture = "Generic";
FA_Inquiry_Product = "Multi Card Reader";
FA_Inquiry_Version = "1.00";
FB_Inquiry_Manufacture = "Generic";
FB_Inquiry_Product = "Card  Reader";
FB_Inquiry_Version = "1.01";
Device_setting = "0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,0x0b,0x0c,0x0d";
ROM_setting = "0x21";
)";

// Comment lines up to about size bytes, then every key: each lookup has to pass the whole
// comment to reach its entry.
std::string PaddedFile(std::size_t size) {
    static const std::string line = "; a comment line that names no key, only plain words.\n";
    std::string text;
    while (text.size() + line.size() < size) text += line;
    return text + TypicalEntries;
}

void BM_ReadTypicalDeviceTxt(benchmark::State& state) {
    const std::string text = TypicalEntries;
    kestrix::image::DeviceConfig config;
    for (auto _ : state) {
        kestrix::image::ReadDeviceConfigFromText(text, config);
        benchmark::DoNotOptimize(config);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadTypicalDeviceTxt);

void BM_ReadPaddedDeviceTxt(benchmark::State& state) {
    const std::string text = PaddedFile(static_cast<std::size_t>(state.range(0)));
    kestrix::image::DeviceConfig config;
    for (auto _ : state) {
        kestrix::image::ReadDeviceConfigFromText(text, config);
        benchmark::DoNotOptimize(config);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadPaddedDeviceTxt)->RangeMultiplier(4)->Range(4 << 10, 1 << 20)->Complexity();

}  // namespace
