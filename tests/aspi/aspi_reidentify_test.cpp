#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/aspi_reidentify.h"
#include "device/aspi_transport.h"
#include "device/device_info_layout.h"
#include "device/device_table_ops.h"
#include "fake_aspi_host.h"
#include "platform/aspi_layout.h"

namespace kestrix::aspi_test {
namespace {

namespace layout = platform::aspi;

// What re-identification must leave alone in a record.
auto Summary(const device::DeviceRecord& r) {
    return std::make_tuple(r.inUse, r.slotCount, r.driveLetters, r.serialNumber, r.usbManufacturer,
                           r.usbProduct, r.inquiryVendor, r.inquiryProduct, r.firmwareRevision,
                           r.hardwareCode, r.aspiAdapter, r.aspiTarget);
}

class ReidentifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A reader at (0, 2) in record 0, and another device the table holds in record 9.
        world.aspi.targets[{0, 2}] = TargetFor(reader);
        device::ResetDeviceTable(world.context);
        world.state->infoBlock = InfoAnswer(reader);
        ASSERT_TRUE(device::PlaceDevice(world.context, 'E'));
        world.state->table.records[0].aspiTarget = 2;

        ReaderIdentity other = reader;
        other.serial = "999999999999";
        world.state->infoBlock = InfoAnswer(other);
        device::IdentifyDevice(world.context, 9);
        world.state->table.records[9].slotCount = 1;

        // The configured identities do not fit the reader: re-identification compares with
        // the record's own texts.
        world.app.hardwareCodeText = "203501";
        ASSERT_EQ(device::aspi::LoadAspi(world.context), device::aspi::LoadSucceeded);
    }

    AspiWorld world;
    ReaderIdentity reader;
};

TEST_F(ReidentifyTest, ComparesTheDeviceAtTheAddressWithTheSelectedRecord) {
    struct Case {
        const char* name;
        std::function<void(FakeTarget&, const ReaderIdentity&)> change;
        std::uint8_t expected;
        std::vector<std::string> boxes;
        bool readsInformation;
    };
    const Case cases[] = {
        {"same device", [](FakeTarget&, const ReaderIdentity&) {}, 0, {}, true},
        {"serial number changed",
         [](FakeTarget& t, const ReaderIdentity& r) {
             ReaderIdentity changed = r;
             changed.serial = "000000000777";
             t.info = InfoAnswer(changed);
         },
         1,
         {},
         true},
        {"firmware revision changed",
         [](FakeTarget& t, const ReaderIdentity&) {
             t.info[device::info_layout::FirmwareRevisionOffset] = 9;
         },
         1,
         {},
         true},
        {"hardware code alone changed",
         [](FakeTarget& t, const ReaderIdentity&) {
             t.info[device::info_layout::HardwareCodeOffset + 2] = 0x7F;
         },
         0,
         {},
         true},
        {"inquiry names another product",
         [](FakeTarget& t, const ReaderIdentity& r) {
             ReaderIdentity changed = r;
             changed.product = "Other Reader";
             t.inquiry = InquiryAnswer(changed);
         },
         1,
         {},
         false},
        {"information read fails",
         [](FakeTarget& t, const ReaderIdentity&) { t.infoStatus = layout::StatusError; },
         1,
         {"Windows ASPI status Error"},
         true},
    };
    const auto tableBefore = world.state->table;
    const image::InquiryIdentity fa = world.config.inquiryIdentityFa;
    const image::InquiryIdentity fb = world.config.inquiryIdentityFb;
    const std::uint8_t adapter = tableBefore.records[0].aspiAdapter;
    const std::uint8_t target = tableBefore.records[0].aspiTarget;
    ASSERT_EQ(target, 2);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeTarget saved = world.aspi.targets[{adapter, target}];
        c.change(world.aspi.targets[{adapter, target}], reader);
        world.window.ClearEvents();
        const std::size_t sentBefore = world.aspi.Sent().size();

        EXPECT_EQ(device::ReidentifyAspiDevice(world.context, adapter, target), c.expected);

        EXPECT_EQ(world.MessageBoxes(), c.boxes);
        EXPECT_EQ(world.aspi.Sent().size() - sentBefore, c.readsInformation ? 2u : 1u);
        EXPECT_EQ(world.config.inquiryIdentityFa, fa);
        EXPECT_EQ(world.config.inquiryIdentityFb, fb);
        for (std::size_t i = 0; i < device::DeviceTableCapacity; ++i)
            EXPECT_EQ(Summary(world.state->table.records[i]), Summary(tableBefore.records[i]))
                << "record " << i;
        EXPECT_EQ(world.app.hardwareCodeText, "203501");
        world.aspi.targets[{adapter, target}] = saved;
    }
}

TEST_F(ReidentifyTest, NoDeviceAtTheAddressIsNotTheSelectedOne) {
    EXPECT_EQ(device::ReidentifyAspiDevice(world.context, 0, 5), 1);
    EXPECT_TRUE(world.MessageBoxes().empty());
}

}  // namespace
}  // namespace kestrix::aspi_test
