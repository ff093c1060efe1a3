#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/sim/world.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::MustParse;

TEST(WorldParser, EmptyObjectGivesWindowsXpWithOnlyDriveC) {
    const World world = MustParse("{}");
    EXPECT_EQ(world.version, 0x0A280105u);
    EXPECT_FALSE(world.realTime);
    EXPECT_FALSE(world.date);
    EXPECT_TRUE(world.devices.empty());
    EXPECT_EQ(world.drives, std::vector<char>{'C'});
    EXPECT_TRUE(world.drivers.empty());
    EXPECT_FALSE(world.aspi);
}

TEST(WorldParser, OsNamesGiveTheirVersions) {
    struct Case {
        const char* os;
        std::uint8_t major;
        std::uint8_t minor;
        bool family9x;
    };
    const Case cases[] = {
        {"win95", 4, 0, true},    {"win98", 4, 10, true}, {"winme", 4, 90, true},
        {"nt4", 4, 0, false},     {"win2k", 5, 0, false}, {"winxp", 5, 1, false},
        {"win2003", 5, 2, false}, {"vista", 6, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.os);
        const World world = MustParse(std::string(R"({"os":")") + c.os + "\"}");
        EXPECT_EQ(world.version & 0xFF, c.major);
        EXPECT_EQ((world.version >> 8) & 0xFF, c.minor);
        EXPECT_EQ((world.version & 0x80000000u) != 0, c.family9x);
    }
}

TEST(WorldParser, RawVersionAsNumberOrHexString) {
    EXPECT_EQ(MustParse(R"({"version": 2147486212})").version, 0x80000A04u);
    EXPECT_EQ(MustParse(R"({"version": "0xC0005A04"})").version, 0xC0005A04u);
}

TEST(WorldParser, TopLevelKeys) {
    const World world = MustParse(R"({
        "os": "win98", "date": "2007-03-09", "realTime": true,
        "drives": ["c", "D"], "drivers": ["qxdkpdrv", "QX20DISK"],
        "aspi": {"library": "no-SendASPI32Command", "adapters": 2, "status": "0x04"},
        "registry": {"Enum\\X": {"Value": "text"}}
    })");
    EXPECT_EQ(world.version, 0x80000A04u);
    ASSERT_TRUE(world.date);
    EXPECT_EQ(world.date->year, 2007);
    EXPECT_EQ(world.date->month, 3);
    EXPECT_EQ(world.date->day, 9);
    EXPECT_TRUE(world.realTime);
    EXPECT_EQ(world.drives, (std::vector<char>{'C', 'D'}));
    EXPECT_EQ(world.drivers, (std::set<std::string>{"QXDKPDRV", "QX20DISK"}));
    ASSERT_TRUE(world.aspi);
    EXPECT_EQ(world.aspi->library, AspiLibrary::NoSendCommand);
    EXPECT_EQ(world.aspi->adapters, 2);
    EXPECT_EQ(world.aspi->status, 4);
    EXPECT_EQ(world.registry.at("Enum\\X").at("Value"), "text");
}

TEST(WorldParser, AspiDefaultsToPresentWithOneAdapterCompleted) {
    const World world = MustParse(R"({"aspi": {}})");
    ASSERT_TRUE(world.aspi);
    EXPECT_EQ(world.aspi->library, AspiLibrary::Present);
    EXPECT_EQ(world.aspi->adapters, 1);
    EXPECT_EQ(world.aspi->status, 1);
}

TEST(WorldParser, ReaderKeys) {
    const World world = MustParse(R"({"devices": [{
        "vid": "1a2B", "pid": "00ff", "manufacturer": "Maker", "product": "Reader",
        "serial": "AB0123456789", "inquiryVendor": "AB CD", "inquiryProduct": "CARD READER",
        "inquiryRevision": "1.00", "firmwareRevision": "0102030405060708",
        "usb20FirmwareRevision": "1112131415161718", "orgFirmwareRevision": "21222324",
        "hardwareCode": "203541", "msRevision": "verM1.2b", "msIspRevision": "verI2.00",
        "slots": ["G", "h"], "aspi": {"adapter": 1, "targets": [3, 4]},
        "firmware": "de ad be ef", "msFirmware": "0102",
        "faults": {"fail": ["ReadDeviceInfo", "GetSlotCount#2"], "scsiStatus": 2,
                   "deviceCount": 0, "slotCount": "0x06", "ispStatus": {"3": "0x33", "4": 90}}
    }]})");
    ASSERT_EQ(world.devices.size(), 1u);
    const Reader& r = world.devices[0];
    EXPECT_EQ(r.vid, 0x1A2B);
    EXPECT_EQ(r.pid, 0x00FF);
    EXPECT_EQ(r.manufacturer, "Maker");
    EXPECT_EQ(r.product, "Reader");
    EXPECT_EQ(r.serial, "AB0123456789");
    EXPECT_EQ(r.inquiryVendor, "AB CD");
    EXPECT_EQ(r.inquiryProduct, "CARD READER");
    EXPECT_EQ(r.inquiryRevision, "1.00");
    EXPECT_EQ(r.firmwareRevision, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(r.usb20FirmwareRevision,
              (std::array<std::uint8_t, 8>{0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18}));
    EXPECT_EQ(r.orgFirmwareRevision, (std::array<std::uint8_t, 4>{0x21, 0x22, 0x23, 0x24}));
    EXPECT_EQ(r.hardwareCode, (std::array<std::uint8_t, 3>{0x20, 0x35, 0x41}));
    EXPECT_EQ(r.msRevision, "verM1.2b");
    EXPECT_EQ(r.msIspRevision, "verI2.00");
    EXPECT_EQ(r.slots, (std::vector<char>{'G', 'H'}));
    ASSERT_TRUE(r.aspi);
    EXPECT_EQ(r.aspi->adapter, 1);
    EXPECT_EQ(r.aspi->targets, (std::vector<std::uint8_t>{3, 4}));
    EXPECT_EQ(r.firmware, (std::vector<std::uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(r.msFirmware, (std::vector<std::uint8_t>{0x01, 0x02}));
    EXPECT_EQ(r.faults.fail,
              (std::vector<FailRule>{{Command::ReadDeviceInfo, 0}, {Command::GetSlotCount, 2}}));
    EXPECT_EQ(r.faults.scsiStatus, 2);
    EXPECT_EQ(r.faults.deviceCount, 0u);
    EXPECT_EQ(r.faults.slotCount, 6u);
    EXPECT_EQ(r.faults.ispStatus, (std::map<std::uint32_t, std::uint8_t>{{3, 0x33}, {4, 90}}));
}

TEST(WorldParser, ReadersWithoutLettersOrAddressesGetFreeOnes) {
    const World world = MustParse(R"({"drives": ["C", "E"], "aspi": {},
        "devices": [{}, {"slots": ["F", "G"]}, {"aspi": {"adapter": 1, "targets": [4]}}, {}]})");
    ASSERT_EQ(world.devices.size(), 4u);
    // Defaults start at E: and skip the letters in use.
    EXPECT_EQ(world.devices[0].slots, std::vector<char>{'H'});
    EXPECT_EQ(world.devices[2].slots, std::vector<char>{'I'});
    // Distinct serial numbers, so that discovery keeps the readers apart.
    EXPECT_EQ(world.devices[0].serial, "000000000001");
    EXPECT_EQ(world.devices[2].serial, "000000000003");
    // Through ASPI each reader is an adapter of its own, its slots targets 0, 1, ...;
    // defaults skip the adapters that worlds name, and enough adapters are reported.
    const auto address = [&](std::size_t i) {
        return std::pair(world.devices[i].aspi->adapter, world.devices[i].aspi->targets);
    };
    using Address = std::pair<std::uint8_t, std::vector<std::uint8_t>>;
    EXPECT_EQ(address(0), (Address{0, {0}}));
    EXPECT_EQ(address(1), (Address{2, {0, 1}}));
    EXPECT_EQ(address(2), (Address{1, {4}}));
    EXPECT_EQ(address(3), (Address{3, {0}}));
    EXPECT_EQ(world.aspi->adapters, 4);
}

TEST(WorldParser, FirmwareFileIsReadNextToTheWorldFile) {
    const auto dir = std::filesystem::temp_directory_path() / "kestrix_sim_world_test";
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "image.bin", std::ios::binary).write("\x01\x02\x03", 3);
        std::ofstream(dir / "world.json") << R"({"devices": [{"firmwareFile": "image.bin"}]})";
    }
    const WorldLoadResult result = LoadWorldFile(dir / "world.json");
    ASSERT_TRUE(result.world) << result.error;
    EXPECT_EQ(result.world->devices[0].firmware, (std::vector<std::uint8_t>{1, 2, 3}));
    std::filesystem::remove_all(dir);
}

TEST(WorldParser, MissingFileIsNamed) {
    const WorldLoadResult result = LoadWorldFile("/nonexistent/world.json");
    EXPECT_FALSE(result.world);
    EXPECT_EQ(result.error, "/nonexistent/world.json: cannot open the world file");
}

TEST(WorldParser, ProblemsNameTheFileThePathAndTheFault) {
    struct Case {
        const char* json;
        const char* error;
    };
    const std::string infoBlock(1054, '0');
    const Case cases[] = {
        {"[]", "test.json: expected an object, got an array"},
        {R"({"colour": 1})", "test.json: \"colour\": unknown key; expected one of "},
        {R"({"os": "win10"})",
         "test.json: \"os\": expected one of win95, win98, winme, nt4, "
         "win2k, winxp, win2003, vista, got \"win10\""},
        {R"({"os": "winxp", "version": 5})",
         "test.json: \"version\": give either \"os\" or \"version\", not both"},
        {R"({"version": -1})", "test.json: \"version\": expected a whole number from 0 to "},
        {R"({"version": 4294967296})", "test.json: \"version\": expected a whole number"},
        {R"({"version": "5"})", "test.json: \"version\": expected a whole number"},
        {R"({"version": 1.5})", "test.json: \"version\": expected a whole number"},
        {R"({"date": "2007-02-30"})", "test.json: \"date\": no such date: \"2007-02-30\""},
        {R"({"date": "07-02-03"})", "test.json: \"date\": expected a date \"YYYY-MM-DD\""},
        {R"({"realTime": "yes"})", "test.json: \"realTime\": expected true or false, got \"yes\""},
        {R"({"devices": {}})", "test.json: \"devices\": expected an array, got an object"},
        {R"({"devices": [{"vid": "12345"}]})",
         "test.json: \"devices\"[0].\"vid\": expected 4 hex digits, got \"12345\""},
        {R"({"devices": [{"pid": 4660}]})",
         "test.json: \"devices\"[0].\"pid\": expected 4 hex digits, got 4660"},
        {R"({"devices": [{}, {"colour": 1}]})",
         "test.json: \"devices\"[1].\"colour\": unknown key"},
        {R"({"devices": [{"serial": "1234567890123"}]})",
         "test.json: \"devices\"[0].\"serial\": expected at most 12 bytes"},
        {R"({"devices": [{"serial": ""}]})",
         "test.json: \"devices\"[0].\"serial\": expected 1 to 12 printable ASCII characters"},
        {R"({"devices": [{"manufacturer": "0123456789012345678901234"}]})",
         "test.json: \"devices\"[0].\"manufacturer\": expected at most 24 bytes"},
        {R"({"devices": [{"inquiryVendor": "TOOLONGVENDOR"}]})",
         "test.json: \"devices\"[0].\"inquiryVendor\": expected at most 8 bytes"},
        {R"({"devices": [{"hardwareCode": "1006"}]})",
         "test.json: \"devices\"[0].\"hardwareCode\": expected 6 hex digits, got \"1006\""},
        {R"({"devices": [{"firmwareRevision": "01020304050607zz"}]})",
         "test.json: \"devices\"[0].\"firmwareRevision\": expected 16 hex digits"},
        {R"({"devices": [{"slots": []}]})",
         "test.json: \"devices\"[0].\"slots\": expected at least one drive letter"},
        {R"({"devices": [{"slots": ["E1"]}]})",
         "test.json: \"devices\"[0].\"slots\"[0]: expected a drive letter \"A\" to \"Z\", got "
         "\"E1\""},
        {R"({"drives": ["C"], "devices": [{"slots": ["c"]}]})",
         "test.json: \"devices\"[0].\"slots\"[0]: drive letter C is already used by \"drives\"[0]"},
        {R"({"devices": [{"slots": ["E", "F"], "aspi": {"targets": [0]}}]})",
         "test.json: \"devices\"[0].\"aspi\".\"targets\": expected one target per slot (2), got 1"},
        {R"({"devices": [{"aspi": {"targets": [8]}}]})",
         "test.json: \"devices\"[0].\"aspi\".\"targets\"[0]: expected a whole number from 0 to 7"},
        {R"({"devices": [{"aspi": {"targets": [2]}}, {"aspi": {"targets": [2]}}]})",
         "test.json: \"devices\"[1].\"aspi\".\"targets\"[0]: adapter 0 target 2 is already used by "
         "\"devices\"[0].\"aspi\".\"targets\"[0]"},
        {R"({"devices": [{"infoBlock": "00"}]})",
         "test.json: \"devices\"[0].\"infoBlock\": expected 528 bytes (1056 hex digits), got 1 "
         "bytes"},
        {R"({"devices": [{"firmware": "0g"}]})",
         "test.json: \"devices\"[0].\"firmware\": expected pairs of hex digits, got \"0g\""},
        {R"({"devices": [{"firmware": "00", "firmwareFile": "x.bin"}]})",
         "test.json: \"devices\"[0].\"firmwareFile\": give the firmware either as hex or as a "
         "file, "
         "not both"},
        {R"({"devices": [{"firmwareFile": "no-such-image.bin"}]})",
         "test.json: \"devices\"[0].\"firmwareFile\": cannot read the file \"no-such-image.bin\""},
        {R"({"devices": [{"faults": {"fail": ["Frobnicate"]}}]})",
         "test.json: \"devices\"[0].\"faults\".\"fail\"[0]: unknown command \"Frobnicate\"; "
         "expected "
         "one of Inquiry, ReadDeviceInfo, "},
        {R"({"devices": [{"faults": {"fail": ["GetSlotCount#0"]}}]})",
         "test.json: \"devices\"[0].\"faults\".\"fail\"[0]: expected a command name"},
        {R"({"devices": [{"faults": {"ispStatus": {"x": 1}}}]})",
         "test.json: \"devices\"[0].\"faults\".\"ispStatus\".\"x\": expected a call number from 1"},
        {R"({"devices": [{"faults": {"deviceCount": 256}}]})",
         "test.json: \"devices\"[0].\"faults\".\"deviceCount\": expected a whole number from 0 to "
         "255"},
        {R"({"drivers": ["FOO"]})",
         "test.json: \"drivers\"[0]: expected one of HVBRDG, QXDKPDRV, ZN_URDR, QX20DISK, got "
         "\"FOO\""},
        {R"({"aspi": {"library": "maybe"}})", "test.json: \"aspi\".\"library\": expected one of "},
        {R"({"aspi": {"adapters": 300}})",
         "test.json: \"aspi\".\"adapters\": expected a whole number from 0 to 255"},
        {R"({"registry": {"K": {"V": 1}}})",
         "test.json: \"registry\".\"K\".\"V\": expected a string, got 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const WorldLoadResult result = ParseWorld(c.json, "test.json");
        EXPECT_FALSE(result.world);
        EXPECT_TRUE(result.error.starts_with(c.error)) << result.error;
    }
    const WorldLoadResult result =
        ParseWorld(R"({"devices": [{"infoBlock": ")" + infoBlock + "\"}]}", "test.json");
    EXPECT_NE(result.error.find("got 527 bytes"), std::string::npos) << result.error;
}

TEST(WorldParser, InvalidJsonGivesTheParserPosition) {
    const WorldLoadResult result = ParseWorld("{\n  \"os\": winxp\n}", "world.json");
    EXPECT_FALSE(result.world);
    EXPECT_TRUE(
        result.error.starts_with("world.json: invalid JSON: parse error at line 2, column "))
        << result.error;
}

TEST(WorldParser, JunkNeverCrashes) {
    const std::string junk[] = {
        "",
        std::string("\0\0\0", 3),
        std::string(100000, '['),
        std::string(100000, '{'),
        "{\"devices\": [" + std::string(50000, '[') + "]}",
        "{\"vid\": \"\xff\xfe\"}",
        "{\"devices\": [{\"serial\": \"\xc3\xa9\xc3\xa9\"}]}",
        "1e999999",
        "{\"devices\": [null, 1, \"x\"]}",
        "{\"devices\": [{\"aspi\": {\"targets\": [1e300]}}]}",
    };
    for (const std::string& text : junk) {
        const WorldLoadResult result = ParseWorld(text, "junk.json");
        EXPECT_FALSE(result.world);
        EXPECT_TRUE(result.error.starts_with("junk.json: ")) << result.error;
    }
    // Random mutations of a valid world: parse or fail, never crash.
    const std::string valid =
        R"({"os":"win98","drivers":["QXDKPDRV"],"devices":[{"vid":"1234","slots":["E","F"],)"
        R"("faults":{"fail":["GetSlotCount#2"],"ispStatus":{"1":"0x9c"}}}]})";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        for (int edits = 0; edits < 3; ++edits) {
            const std::size_t at = random() % text.size();
            text[at] = static_cast<char>(random() % 256);
        }
        const WorldLoadResult result = ParseWorld(text, "mutated.json");
        EXPECT_NE(result.world.has_value(), !result.error.empty());
    }
}

TEST(WorldParser, EveryExampleWorldParses) {
    const auto dir =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "worlds";
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".json") continue;
        SCOPED_TRACE(entry.path().string());
        const WorldLoadResult result = LoadWorldFile(entry.path());
        EXPECT_TRUE(result.world) << result.error;
        ++seen;
    }
    EXPECT_GT(seen, 0u);
}

TEST(WorldParser, DemoWorldIsWindowsXpWithOneReaderOnE) {
    const World world = DemoWorld();
    EXPECT_EQ(world.version, 0x0A280105u);
    ASSERT_EQ(world.devices.size(), 1u);
    EXPECT_EQ(world.devices[0].slots, std::vector<char>{'E'});
}

}  // namespace
}  // namespace kestrix::sim
