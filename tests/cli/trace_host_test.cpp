#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/app_state.h"
#include "device/device_state.h"
#include "device/discovery.h"
#include "device/open_transport.h"
#include "device/port_driver_request.h"
#include "device/self_driver_request.h"
#include "image/device_config.h"
#include "platform/sim/sim_host.h"
#include "platform/window_model.h"
#include "trace/tracing_host.h"

namespace kestrix::trace {
namespace {

using nlohmann::json;

std::vector<json> Lines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(json::parse(line));
    return lines;
}

// True when every field of `expected` is in `actual` with the same value (objects compared
// the same way, field by field).
bool Contains(const json& actual, const json& expected) {
    if (!expected.is_object()) return actual == expected;
    if (!actual.is_object()) return false;
    for (const auto& [key, value] : expected.items()) {
        if (!actual.contains(key) || !Contains(actual[key], value)) return false;
    }
    return true;
}

// The first line that has all the fields of `expected`, or null.
json FindLine(const std::vector<json>& lines, const json& expected) {
    for (const json& line : lines) {
        if (Contains(line, expected)) return line;
    }
    return nullptr;
}

class NullConsole : public platform::Console {
  public:
    void WriteStdout(std::string_view) override {}
};

// Discovery on the simulated host, once through the trace.
struct TracedRun {
    explicit TracedRun(sim::World world) : sim(std::move(world)) {}

    std::uint8_t Discover() {
        (void)device::OpenTransport(context);
        return device::DiscoverDevices(context, true);
    }

    sim::SimHost sim;
    std::ostringstream out;
    TracingHost tracing{sim, sim, sim, out};
    NullConsole console;
    platform::WindowModel window;
    platform::Host host{tracing.Kernel(), tracing.Registry(), tracing.Modules(), sim, console,
                        window,           sim.Memory()};
    core::AppState app;
    image::DeviceConfig config;
    std::unique_ptr<device::DeviceState> state = std::make_unique<device::DeviceState>();
    device::DeviceContext context{host, app, config, *state};
};

sim::Reader TestReader() {
    sim::Reader reader;
    reader.inquiryVendor = "Kestrix";
    reader.inquiryProduct = "Card Reader";
    reader.inquiryRevision = "1.00";
    reader.slots = {'E'};
    return reader;
}

image::InquiryIdentity TestIdentity() {
    image::InquiryIdentity identity = image::BlankInquiryIdentity();
    const std::string text = "Kestrix Card Reader     1.00";
    std::copy(text.begin(), text.end(), identity.begin());
    return identity;
}

TEST(TracingHostTest, DiscoveryOnEveryTransportIsTracedAndUnchanged) {
    struct Case {
        const char* name;
        const char* os;
        core::OsKind osKind;
        std::function<void(sim::World&, core::AppState&)> setUp;
        std::vector<json> expected;  // lines that must appear (fields compared)
    };
    const Case cases[] = {
        {"drive letter pass-through",
         "winxp",
         core::OsKind::WinXP,
         [](sim::World&, core::AppState&) {},
         {
             {{"call", "GetLogicalDrives"}, {"drives", "CE"}},
             {{"call", "CreateFileA"},
              {"path", "\\\\.\\E:"},
              {"access", "0xc0000000"},
              {"share", "0x3"},
              {"disposition", 3},
              {"flags", "0x0"}},
             {{"call", "DeviceIoControl"},
              {"code", "0x4d004"},
              {"inputLength", 44},
              {"outputLength", 116},
              {"result", true},
              {"request",
               {{"kind", "passThrough"},
                {"length", 44},
                {"targetId", 1},
                {"cdbLength", 12},
                {"senseInfoLength", 24},
                {"dataIn", 1},
                {"dataTransferLength", 36},
                {"timeOutValue", 2},
                {"dataBufferOffset", 80},
                {"senseInfoOffset", 48},
                {"cdb", "12 00 00 00 24 00 00 00 00 00 00 00"}}},
              {"answer", {{"scsiStatus", 0}}}},
             {{"call", "DeviceIoControl"},
              {"request", {{"cdb", "06 05 00 00 00 00 00 00 80 00 00 00"}}}},
             {{"call", "CloseHandle"}, {"result", true}},
         }},
        {"port driver, dialect A",
         "win98",
         core::OsKind::Win98,
         [](sim::World& world, core::AppState& app) {
             world.drivers = {"QXDKPDRV"};
             app.driverFileName = "QXDKPDRV.PDR";
         },
         {
             {{"call", "CreateFileA"}, {"path", "\\\\.\\QXDKPDRV"}},
             {{"call", "DeviceIoControl"},
              {"code", "0x41"},
              {"inputLength", 16},
              {"request",
               {{"kind", "portDriverA"}, {"function", "0xa"}, {"device", 0}, {"countOrMode", 0}}}},
             {{"call", "DeviceIoControl"},
              {"code", "0x41"},
              {"request",
               {{"kind", "portDriverA"},
                {"function", "0x1f"},
                {"parameter", "0x4a55a30"},
                {"countOrMode", 1}}}},
             {{"call", "RegOpenKeyExA"},
              {"root", "0x80000002"},
              {"access", "0xf003f"},
              {"result", 0}},
             {{"call", "RegQueryValueExA"},
              {"value", "CurrentDriveLetterAssignment"},
              {"result", 0},
              {"data", "45 00"}},
         }},
        {"port driver, dialect B",
         "win98",
         core::OsKind::Win98,
         [](sim::World& world, core::AppState& app) {
             world.drivers = {"QX20DISK"};
             app.driverFileName = "QX20DISK.PDR";
             app.usePortDriverB = 1;
         },
         {
             {{"call", "DeviceIoControl"},
              {"code", "0x42"},
              {"request", {{"kind", "portDriverB"}, {"function", "0x1"}}}},
             {{"call", "DeviceIoControl"},
              {"code", "0x42"},
              {"inputLength", 40},
              {"request",
               {{"kind", "portDriverB"},
                {"function", "0x3"},
                {"device", 0},
                {"target", 0},
                {"cdb", "06 05 00 00 00 00 00 00 80 00 00 00 00 00 00 00"},
                {"direction", 1},
                {"transferLength", 528}}}},
         }},
        {"ASPI",
         "winme",
         core::OsKind::WinMe,
         [](sim::World& world, core::AppState&) { world.aspi = sim::AspiConfig{}; },
         {
             {{"call", "LoadLibraryA"}, {"name", "WNASPI32"}},
             {{"call", "GetProcAddress"}, {"name", "SendASPI32Command"}},
             {{"call", "GetASPI32SupportInfo"},
              {"result", "0x101"},
              {"adapters", 1},
              {"status", 1}},
             {{"call", "SendASPI32Command"},
              {"command", 2},
              {"adapter", 0},
              {"target", 0},
              {"lun", 0},
              {"flags", "0x9"},
              {"bufferLength", 40},
              {"senseLength", 14},
              {"cdbLength", 6},
              {"cdb", "12 00 00 00 28 00"},
              {"result", 0}},
             {{"call", "SendASPI32Command"},
              {"bufferLength", 528},
              {"cdb", "06 05 00 00 00 00 00 00 80 00 00 00"}},
             {{"call", "Sleep"}, {"milliseconds", 10}},
             {{"call", "RegQueryValueExA"}, {"data", "45 00"}},
             {{"call", "FreeLibrary"}, {"result", true}},
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::World world;
        world.version = *sim::VersionOfOs(c.os);
        world.devices.push_back(TestReader());
        core::AppState app;
        c.setUp(world, app);
        app.osKind = c.osKind;

        TracedRun run(world);
        run.app = app;
        run.config.inquiryIdentityFa = TestIdentity();
        EXPECT_EQ(run.Discover(), 0);
        EXPECT_EQ(run.state->table.deviceCount, 1u);
        EXPECT_EQ(run.state->table.records[0].driveLetters[0], 'E');
        EXPECT_EQ(run.sim.Rejections(), std::vector<std::string>{});

        const std::vector<json> lines = Lines(run.out.str());
        for (const json& expected : c.expected)
            EXPECT_FALSE(FindLine(lines, expected).is_null()) << "no line with " << expected;
    }
}

// A kernel, registry and module host that answer with fixed values and remember what they
// were given.
class Stub : public platform::Kernel, public platform::Registry, public platform::Modules {
  public:
    std::vector<std::uint8_t> lastInput;
    std::uint32_t lastCode = 0;

    std::uint32_t GetVersion() override { return 0xC0000A04; }
    platform::Handle CreateFileA(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                                 std::uint32_t) override {
        return 0x44;
    }
    bool DeviceIoControl(platform::Handle, std::uint32_t code, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output, std::uint32_t& bytesReturned) override {
        lastCode = code;
        lastInput.assign(input.begin(), input.end());
        // Answers over the whole output, which for a pass-through request is the buffer the
        // request came in; byte 2 is its SCSI status.
        std::fill(output.begin(), output.end(), 0xEE);
        if (output.size() > 2) output[2] = 0x02;
        bytesReturned = static_cast<std::uint32_t>(output.size());
        return true;
    }
    bool CloseHandle(platform::Handle) override { return false; }
    std::uint32_t GetLogicalDrives() override { return 0x14; }
    void Sleep(std::uint32_t) override {}

    std::int32_t RegOpenKeyExA(platform::RegKey, std::string_view, std::uint32_t,
                               platform::RegKey& result) override {
        result = 0x77;
        return platform::ErrorSuccess;
    }
    std::int32_t RegQueryValueExA(platform::RegKey, std::string_view, std::span<std::uint8_t> data,
                                  std::uint32_t& dataLength) override {
        data[0] = 'G';
        data[1] = 0;
        dataLength = 2;
        return platform::ErrorSuccess;
    }
    std::int32_t RegCloseKey(platform::RegKey) override { return platform::ErrorSuccess; }

    platform::ModuleHandle LoadLibraryA(std::string_view) override { return 0x500; }
    platform::ProcAddress GetProcAddress(platform::ModuleHandle, std::string_view) override {
        return 0x600;
    }
    bool FreeLibrary(platform::ModuleHandle) override { return true; }
    std::uint32_t CallGetAspi32SupportInfo(platform::ProcAddress) override { return 0x0102; }
    std::uint32_t CallSendAspi32Command(platform::ProcAddress, std::span<std::uint8_t>,
                                        platform::AspiPostRoutine) override {
        return 0;
    }
};

class TracingStubTest : public ::testing::Test {
  protected:
    [[nodiscard]] json LastLine() const { return Lines(out.str()).back(); }

    Stub stub;
    std::ostringstream out;
    TracingHost tracing{stub, stub, stub, out};
};

TEST_F(TracingStubTest, DecodesTheRequestADeviceIoControlCarries) {
    struct Case {
        const char* name;
        std::uint32_t code;
        std::vector<std::uint8_t> input;
        json request;  // null: no decoded request expected
    };
    std::vector<std::uint8_t> selfWrite(device::self_driver::RequestSize);
    const std::vector<std::uint8_t> firmware(700, 0x5A);
    device::self_driver::BuildWriteIspBlockRequest(
        std::span<std::uint8_t, device::self_driver::RequestSize>(selfWrite), firmware,
        device::IspWriteMode::Verify, 0x12340);
    const auto slotCount = device::port_driver_a::GetSlotCountRequest(2, 0x20000);
    const auto writeB = device::port_driver_b::WriteIspBlockRequest(
        0, 0, device::IspWriteMode::Verify, 0x5C, 0x1234, 0x1400, 0x30000);

    const Case cases[] = {
        {"dialect A request words",
         0x41,
         {slotCount.begin(), slotCount.end()},
         {{"kind", "portDriverA"},
          {"function", "0xb"},
          {"parameter", "0x0"},
          {"device", 2},
          {"unit", 0},
          {"countOrMode", 0},
          {"buffer", "0x20000"}}},
        {"dialect B command request",
         0x42,
         {writeB.begin(), writeB.end()},
         {{"kind", "portDriverB"},
          {"function", "0x3"},
          {"cdb", "06 b2 01 5c 34 12 0a 00 00 00 00 00 00 00 00 00"},
          {"direction", 2},
          {"transferLength", 0x1400},
          {"buffer", "0x30000"}}},
        {"self driver ISP request",
         0x22200C,
         selfWrite,
         {{"kind", "selfDriver"},
          {"code", "0x22200c"},
          {"length", 700},
          {"mode", 1},
          {"answer", "0x12340"}}},
        {"pass-through header too short", 0x4D004, std::vector<std::uint8_t>(20), nullptr},
        {"a code this tool does not send", 0x1234, std::vector<std::uint8_t>(64), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> answer(8);
        std::uint32_t returned = 0;
        EXPECT_TRUE(tracing.DeviceIoControl(0x44, c.code, c.input, answer, returned));
        EXPECT_EQ(stub.lastCode, c.code);
        EXPECT_EQ(stub.lastInput, c.input);
        EXPECT_EQ(returned, 8u);

        const json line = LastLine();
        EXPECT_EQ(line["call"], "DeviceIoControl");
        EXPECT_EQ(line["code"], HexNumber(c.code));
        EXPECT_EQ(line["inputLength"], c.input.size());
        EXPECT_EQ(line["outputLength"], 8);
        EXPECT_EQ(line["bytesReturned"], 8);
        if (c.request.is_null()) {
            EXPECT_FALSE(line.contains("request"));
        } else {
            EXPECT_TRUE(Contains(line["request"], c.request)) << line["request"];
        }
    }
}

TEST_F(TracingStubTest, PassThroughRequestIsReadBeforeTheAnswerOverwritesIt) {
    // One buffer for request and answer: the stub writes the SCSI status over byte 2.
    std::vector<std::uint8_t> buffer(116);
    buffer[0] = 44;
    buffer[6] = 6;
    buffer[28] = 0x12;
    buffer[32] = 0x24;
    std::uint32_t returned = 0;
    ASSERT_TRUE(tracing.DeviceIoControl(0x44, 0x4D004, buffer, buffer, returned));
    const json line = LastLine();
    EXPECT_EQ(line["request"]["cdb"], "12 00 00 00 24 00");
    EXPECT_EQ(line["answer"]["scsiStatus"], 2);
}

TEST_F(TracingStubTest, ForwardsResultsAndOutputs) {
    EXPECT_EQ(tracing.GetVersion(), 0xC0000A04u);
    EXPECT_EQ(tracing.CreateFileA("\\\\.\\HVBRDG", 0xC0000000u, 0, 3, 0), 0x44u);
    EXPECT_FALSE(tracing.CloseHandle(0x44));
    EXPECT_EQ(tracing.GetLogicalDrives(), 0x14u);
    platform::RegKey key = 0;
    EXPECT_EQ(tracing.RegOpenKeyExA(platform::HkeyLocalMachine, "Enum\\SCSI\\X", 0xF003F, key), 0);
    EXPECT_EQ(key, 0x77u);
    std::array<std::uint8_t, 5> data{};
    std::uint32_t length = 0;
    EXPECT_EQ(tracing.RegQueryValueExA(key, "CurrentDriveLetterAssignment", data, length), 0);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(data[0], 'G');
    EXPECT_EQ(tracing.RegCloseKey(key), 0);
    EXPECT_EQ(tracing.LoadLibraryA("WNASPI32"), 0x500u);
    EXPECT_EQ(tracing.GetProcAddress(0x500, "GetASPI32SupportInfo"), 0x600u);
    EXPECT_EQ(tracing.CallGetAspi32SupportInfo(0x600), 0x0102u);
    EXPECT_TRUE(tracing.FreeLibrary(0x500));

    const std::vector<json> lines = Lines(out.str());
    const std::vector<json> expected = {
        {{"call", "GetVersion"}, {"result", "0xc0000a04"}},
        {{"call", "CreateFileA"}, {"path", "\\\\.\\HVBRDG"}, {"result", "0x44"}},
        {{"call", "CloseHandle"}, {"handle", "0x44"}, {"result", false}},
        {{"call", "GetLogicalDrives"}, {"result", "0x14"}, {"drives", "CE"}},
        {{"call", "RegOpenKeyExA"}, {"key", "Enum\\SCSI\\X"}, {"handle", "0x77"}, {"result", 0}},
        {{"call", "RegQueryValueExA"},
         {"key", "Enum\\SCSI\\X"},
         {"value", "CurrentDriveLetterAssignment"},
         {"bufferLength", 5},
         {"dataLength", 2},
         {"data", "47 00"}},
        {{"call", "RegCloseKey"}, {"key", "Enum\\SCSI\\X"}, {"result", 0}},
        {{"call", "LoadLibraryA"}, {"name", "WNASPI32"}, {"result", "0x500"}},
        {{"call", "GetProcAddress"},
         {"module", "0x500"},
         {"name", "GetASPI32SupportInfo"},
         {"result", "0x600"}},
        {{"call", "GetASPI32SupportInfo"}, {"result", "0x102"}, {"adapters", 2}, {"status", 1}},
        {{"call", "FreeLibrary"}, {"module", "0x500"}, {"result", true}},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(Contains(lines[i], expected[i])) << lines[i] << "\nexpected " << expected[i];
}

TEST_F(TracingStubTest, LinesFromSeveralThreadsStayWhole) {
    constexpr int Threads = 4;
    constexpr int CallsEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < CallsEach; ++i) tracing.Sleep(static_cast<std::uint32_t>(t));
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::array<int, Threads> perThread{};
    for (const json& line : Lines(out.str())) ++perThread.at(line["milliseconds"].get<int>());
    for (const int count : perThread) EXPECT_EQ(count, CallsEach);
}

}  // namespace
}  // namespace kestrix::trace
