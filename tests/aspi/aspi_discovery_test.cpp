#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "device/aspi_discovery.h"
#include "device/device_table_ops.h"
#include "fake_aspi_host.h"
#include "platform/aspi_layout.h"

namespace kestrix::aspi_test {
namespace {

namespace layout = platform::aspi;

using Address = std::pair<int, int>;

constexpr const char* NoAspiMessage =
    " No ASPI for WIN32 support detected.\n This program need ASPI in WinMe system.";
constexpr const char* StatusErrorMessage = "Windows ASPI status Error";
constexpr const char* LoadFailureLine = "Load WNASPI32.DLL or Get Function Address Fail \n";

// Registry key of slot `suffix` ("000", "100", ...) of the default reader.
std::string SlotKey(const std::string& serial, const std::string& suffix) {
    return "Enum\\SCSI\\Kestrix_Card_Reader_____1\\USBSTOR&DISK&VEN_Kestrix&PROD_Card_Reader"
           "&REV_1.00&" +
           serial + "&" + suffix;
}

std::string Text(const auto& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class AspiDiscoveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Only the second identity fits the reader.
        ReaderIdentity other;
        other.vendor = "Other";
        other.product = "Thing";
        world.config.inquiryIdentityFa = IdentityFor(other);
        world.config.inquiryIdentityFb = IdentityFor(reader);
        device::ResetDeviceTable(world.context);
    }

    std::uint8_t Discover(bool showMessages = false) {
        return device::DiscoverAspi(world.context, showMessages);
    }

    // The (adapter, target) pairs the requests with operation `operation` went to.
    std::vector<Address> SentTo(std::uint8_t operation) const {
        std::vector<Address> addresses;
        for (const SentRequest& request : world.aspi.Sent()) {
            if (request.block[layout::CdbOffset] == operation)
                addresses.emplace_back(request.block[layout::AdapterOffset],
                                       request.block[layout::TargetOffset]);
        }
        return addresses;
    }

    const device::DeviceTable& Table() const { return world.state->table; }

    AspiWorld world;
    ReaderIdentity reader;
};

TEST_F(AspiDiscoveryTest, ScansEveryTargetOfEveryAdapter) {
    world.aspi.supportInfo = 0x0102;
    world.aspi.targets[{1, 0}] = TargetFor(reader);
    world.registry.letters[SlotKey(reader.serial, "000")] = "E";

    EXPECT_EQ(Discover(), 0);

    std::vector<Address> expected;
    for (int h = 0; h < 2; ++h)
        for (int t = 0; t < 8; ++t) expected.emplace_back(h, t);
    EXPECT_EQ(SentTo(0x12), expected);
    EXPECT_EQ(SentTo(0x06), (std::vector<Address>{{1, 0}}));

    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Table().selectedIndex, 0u);
    const device::DeviceRecord& record = Table().records[0];
    EXPECT_EQ(record.inUse, 1u);
    EXPECT_EQ(record.slotCount, 1);
    EXPECT_EQ(record.aspiAdapter, 1);
    EXPECT_EQ(record.aspiTarget, 0);
    EXPECT_EQ(Text(record.serialNumber), reader.serial);
    EXPECT_EQ(record.driveLetters[0], 'E');
    EXPECT_EQ(world.aspi.LoadedReferences(), 0);
    EXPECT_EQ(world.state->aspi.library, 0u);
    for (const std::uint32_t sleep : world.kernel.sleeps) EXPECT_EQ(sleep, 10u);
    EXPECT_TRUE(world.MessageBoxes().empty());
}

TEST_F(AspiDiscoveryTest, TargetsOfOneReaderBecomeItsSlots) {
    world.aspi.targets[{0, 0}] = TargetFor(reader);
    world.aspi.targets[{0, 1}] = TargetFor(reader);
    world.registry.letters[SlotKey(reader.serial, "000")] = "E";
    world.registry.letters[SlotKey(reader.serial, "100")] = "F";

    EXPECT_EQ(Discover(), 0);

    EXPECT_EQ(Table().deviceCount, 1u);
    const device::DeviceRecord& record = Table().records[0];
    EXPECT_EQ(record.slotCount, 2);
    EXPECT_EQ(Table().currentSlotCount, 2u);
    EXPECT_EQ(record.aspiTarget, 0);
    EXPECT_EQ(record.driveLetters, (std::array<std::uint8_t, 5>{'E', 'F', 0, 0, 0}));
    EXPECT_EQ(Table().records[1].inUse, 0u);
}

TEST_F(AspiDiscoveryTest, AReaderKeepsAtMostFiveSlots) {
    for (int t = 0; t < 7; ++t) world.aspi.targets[{0, t}] = TargetFor(reader);
    const char* suffixes[] = {"000", "100", "200", "300", "400", "500"};
    for (int k = 0; k < 6; ++k)
        world.registry.letters[SlotKey(reader.serial, suffixes[k])] = std::string(1, 'E' + k);

    EXPECT_EQ(Discover(), 0);

    const device::DeviceRecord& record = Table().records[0];
    EXPECT_EQ(record.slotCount, 5);
    EXPECT_EQ(record.driveLetters, (std::array<std::uint8_t, 5>{'E', 'F', 'G', 'H', 'I'}));
    EXPECT_EQ(Table().deviceCount, 1u);
}

TEST_F(AspiDiscoveryTest, ReadersOnTwoAdaptersGetARecordEach) {
    world.aspi.supportInfo = 0x0102;
    ReaderIdentity second = reader;
    second.serial = "000000000002";
    world.aspi.targets[{0, 0}] = TargetFor(reader);
    world.aspi.targets[{1, 0}] = TargetFor(second);

    EXPECT_EQ(Discover(), 0);

    EXPECT_EQ(Table().deviceCount, 2u);
    EXPECT_EQ(Text(Table().records[0].serialNumber), reader.serial);
    EXPECT_EQ(Table().records[0].aspiAdapter, 0);
    EXPECT_EQ(Text(Table().records[1].serialNumber), second.serial);
    EXPECT_EQ(Table().records[1].aspiAdapter, 1);
}

TEST_F(AspiDiscoveryTest, ATargetThatDoesNotMatchAddsNoSlot) {
    // Target 1 answers, but as another product; the match of target 0 must not count for it.
    ReaderIdentity other = reader;
    other.product = "Other Reader";
    world.aspi.targets[{0, 0}] = TargetFor(reader);
    world.aspi.targets[{0, 1}] = TargetFor(other);

    EXPECT_EQ(Discover(), 0);

    EXPECT_EQ(Table().records[0].slotCount, 1);
    EXPECT_EQ(SentTo(0x06).size(), 1u);
}

TEST_F(AspiDiscoveryTest, FailuresReportUnloadAndAnswerOne) {
    struct Case {
        const char* name;
        std::function<void(AspiWorld&, const ReaderIdentity&)> setUp;
        bool showMessages;
        std::string console;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"library missing",
         [](AspiWorld& w, const ReaderIdentity&) { w.aspi.libraryPresent = false; },
         false,
         LoadFailureLine,
         {NoAspiMessage}},
        {"entry point missing",
         [](AspiWorld& w, const ReaderIdentity&) { w.aspi.exportsSupportInfo = false; },
         true,
         LoadFailureLine,
         {NoAspiMessage}},
        {"no adapter, messages shown",
         [](AspiWorld& w, const ReaderIdentity&) { w.aspi.supportInfo = 0x0100; },
         true,
         "",
         {NoAspiMessage}},
        {"no adapter, messages not shown",
         [](AspiWorld& w, const ReaderIdentity&) { w.aspi.supportInfo = 0x0100; },
         false,
         "",
         {}},
        {"support status not completed",
         [](AspiWorld& w, const ReaderIdentity&) { w.aspi.supportInfo = 0x0402; },
         true,
         "",
         {NoAspiMessage}},
        {"information read fails",
         [](AspiWorld& w, const ReaderIdentity& r) {
             w.aspi.targets[{0, 0}] = TargetFor(r);
             w.aspi.targets[{0, 0}].infoStatus = layout::StatusError;
         },
         false,
         "",
         {StatusErrorMessage}},
        {"no matching device",
         [](AspiWorld& w, const ReaderIdentity& r) {
             ReaderIdentity other = r;
             other.vendor = "Nobody";
             w.aspi.targets[{0, 2}] = TargetFor(other);
         },
         true,
         "",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AspiWorld fresh;
        fresh.config.inquiryIdentityFb = IdentityFor(reader);
        device::ResetDeviceTable(fresh.context);
        c.setUp(fresh, reader);

        EXPECT_EQ(device::DiscoverAspi(fresh.context, c.showMessages), 1);

        EXPECT_EQ(fresh.console.text, c.console);
        EXPECT_EQ(fresh.MessageBoxes(), c.boxes);
        for (const auto& event : fresh.window.Events()) {
            EXPECT_EQ(event.caption, core::ApplicationTitle);
            EXPECT_EQ(event.icon, platform::MessageIcon::None);
        }
        EXPECT_EQ(fresh.aspi.LoadedReferences(), 0);
        EXPECT_EQ(fresh.state->aspi.library, 0u);
        EXPECT_EQ(fresh.state->aspi.sendCommandEntry, 0u);
    }
}

TEST_F(AspiDiscoveryTest, EachRunLoadsTheLibraryAfresh) {
    world.aspi.targets[{0, 0}] = TargetFor(reader);
    EXPECT_EQ(Discover(), 0);
    device::ResetDeviceTable(world.context);
    EXPECT_EQ(Discover(), 0);
    EXPECT_EQ(world.aspi.loadCalls, 2);
    EXPECT_EQ(world.aspi.LoadedReferences(), 0);
}

}  // namespace
}  // namespace kestrix::aspi_test
