#include <gtest/gtest.h>

#include <string>

#include "device/device_info_layout.h"
#include "device/device_table_ops.h"
#include "fake_platform.h"
#include "fake_readers.h"

namespace kestrix::device_test {
namespace {

using device::DeviceRecord;
namespace layout = device::info_layout;

std::string Text(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

class DeviceTableOps : public ::testing::Test {
  protected:
    // Makes `reader`'s answer the current one.
    void Answer(const FakeReader& reader) { bench.state->infoBlock = reader.info; }

    Bench bench;
    device::DeviceTable& table = bench.state->table;
};

TEST_F(DeviceTableOps, ResetEmptiesTableAnswerAndReport) {
    bench.state->infoBlock.fill(0x77);
    table.records[3].inUse = 1;
    table.records[3].slotCount = 2;
    table.deviceCount = 4;
    table.currentSlotCount = 2;
    table.selectedIndex = 3;
    bench.app.statusLog = "\nold report";

    device::ResetDeviceTable(bench.context);

    for (std::size_t i = 0; i < bench.state->infoBlock.size(); ++i) {
        const bool presetByte = i == layout::OemCodeOffset || i == layout::CemCodeOffset;
        ASSERT_EQ(bench.state->infoBlock[i], presetByte ? 0xFF : 0x00) << "offset " << i;
    }
    EXPECT_EQ(table.records[3].inUse, 0u);
    EXPECT_EQ(table.records[3].slotCount, 0);
    EXPECT_EQ(table.deviceCount, 0u);
    EXPECT_EQ(table.currentSlotCount, 0u);
    EXPECT_EQ(table.selectedIndex, 0u);
    EXPECT_EQ(bench.app.statusLog, "");
}

TEST_F(DeviceTableOps, IdentifyCopiesEveryFieldFromItsOffset) {
    FakeReader reader = MakeReader("SN0123456789", "VEND", "PRODUCT", "2.10");
    auto& info = reader.info;
    for (std::size_t i = 0; i < 24; ++i) info[layout::UsbManufacturerOffset + i] = 'a' + i % 26;
    for (std::size_t i = 0; i < 16; ++i) info[layout::UsbProductOffset + i] = 'A' + i;
    for (std::size_t i = 0; i < 8; ++i) info[layout::InfoExtraOffset + i] = 0xE0 + i;
    for (std::size_t i = 0; i < 8; ++i) info[layout::Usb20FirmwareRevisionOffset + i] = 0x20 + i;
    for (std::size_t i = 0; i < 4; ++i) info[layout::OrgFirmwareRevisionOffset + i] = 0x40 + i;
    // The high bytes of the serial's UTF-16 units are not part of the serial number.
    for (std::size_t i = 0; i < 12; ++i) info[layout::SerialOffset + 2 * i + 1] = 0x30;
    Answer(reader);

    device::IdentifyDevice(bench.context, 2);

    const DeviceRecord& record = table.records[2];
    EXPECT_EQ(record.inUse, 1u);
    EXPECT_EQ(Text(record.usbManufacturer), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(Text(record.usbProduct), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Text(record.serialNumber), "SN0123456789");
    EXPECT_EQ(Text(record.inquiryVendor), "VEND    ");
    EXPECT_EQ(Text(record.inquiryProduct), "PRODUCT         ");
    EXPECT_EQ(Text(record.inquiryRevision), "2.10");
    EXPECT_EQ(record.infoExtra,
              (std::array<std::uint8_t, 8>{0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7}));
    EXPECT_EQ(record.firmwareRevision, reader.revision);
    EXPECT_EQ(record.usb20FirmwareRevision,
              (std::array<std::uint8_t, 8>{0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27}));
    EXPECT_EQ(record.orgFirmwareRevision, (std::array<std::uint8_t, 4>{0x40, 0x41, 0x42, 0x43}));
    // VID 0x1234 and PID 0x5678 arrive little-endian and are kept high byte first.
    EXPECT_EQ(record.vid, (std::array<std::uint8_t, 2>{0x12, 0x34}));
    EXPECT_EQ(record.pid, (std::array<std::uint8_t, 2>{0x56, 0x78}));
    // Discovery's fields are left alone.
    EXPECT_EQ(record.slotCount, 0);
    EXPECT_EQ(record.driveLetters, (std::array<std::uint8_t, 5>{}));
}

struct HardwareCodeCase {
    std::array<std::uint8_t, 3> reported;
    std::array<std::uint8_t, 3> stored;
    const char* text;
};

class HardwareCodeValidation : public DeviceTableOps,
                               public ::testing::WithParamInterface<HardwareCodeCase> {};

TEST_P(HardwareCodeValidation, KeepsKnownCodesAndShowsTheRawOne) {
    FakeReader reader = MakeReader("SERIAL000001");
    std::copy(GetParam().reported.begin(), GetParam().reported.end(),
              reader.info.begin() + layout::HardwareCodeOffset);
    Answer(reader);

    device::IdentifyDevice(bench.context, 0);

    EXPECT_EQ(table.records[0].hardwareCode, GetParam().stored);
    EXPECT_EQ(bench.app.hardwareCodeText, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, HardwareCodeValidation,
    ::testing::Values(HardwareCodeCase{{0x10, 0x06, 0x43}, {0x10, 0x06, 0x43}, "100643"},
                      HardwareCodeCase{{0x10, 0x01, 0x47}, {0x10, 0x01, 0x47}, "100147"},
                      // Exact codes need all three bytes.
                      HardwareCodeCase{{0x10, 0x01, 0x48}, {0, 0, 0}, "100148"},
                      HardwareCodeCase{{0x10, 0x06, 0x44}, {0, 0, 0}, "100644"},
                      // Families take any third byte.
                      HardwareCodeCase{{0x20, 0x35, 0x00}, {0x20, 0x35, 0x00}, "203500"},
                      HardwareCodeCase{{0x20, 0x35, 0xFF}, {0x20, 0x35, 0xFF}, "2035ff"},
                      HardwareCodeCase{{0x10, 0x26, 0x41}, {0x10, 0x26, 0x41}, "102641"},
                      HardwareCodeCase{{0x23, 0x01, 0x7A}, {0x23, 0x01, 0x7A}, "23017a"},
                      HardwareCodeCase{{0x21, 0x44, 0x01}, {0x21, 0x44, 0x01}, "214401"},
                      HardwareCodeCase{{0x12, 0x34, 0x56}, {0, 0, 0}, "123456"},
                      HardwareCodeCase{{0x35, 0x20, 0x01}, {0, 0, 0}, "352001"}));

TEST_F(DeviceTableOps, MemoryStickRevisionIsUnswappedOnlyForTheMemoryStickCode) {
    const std::string stored = "evMr.1b2";
    FakeReader reader = MakeReader("SERIAL000001");
    std::copy(stored.begin(), stored.end(), reader.info.begin() + layout::MsRevisionOffset);

    reader.info[layout::HardwareCodeOffset] = 0x10;
    reader.info[layout::HardwareCodeOffset + 1] = 0x06;
    reader.info[layout::HardwareCodeOffset + 2] = 0x43;
    Answer(reader);
    device::IdentifyDevice(bench.context, 0);
    EXPECT_EQ(Text(table.records[0].msFirmwareRevision), "verM1.2b");

    // Another code touches only byte 4 of what the record held.
    reader.info[layout::HardwareCodeOffset + 1] = 0x01;
    reader.info[layout::HardwareCodeOffset + 2] = 0x47;
    Answer(reader);
    table.records[1].msFirmwareRevision = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    device::IdentifyDevice(bench.context, 1);
    EXPECT_EQ(table.records[1].msFirmwareRevision,
              (std::array<std::uint8_t, 8>{'a', 'b', 'c', 'd', 0, 'f', 'g', 'h'}));
}

TEST_F(DeviceTableOps, IdentifyOutsideTheTableChangesNothing) {
    Answer(MakeReader("SERIAL000001"));
    bench.app.hardwareCodeText = "kept";
    device::IdentifyDevice(bench.context, device::DeviceTableCapacity);
    EXPECT_EQ(bench.app.hardwareCodeText, "kept");
}

TEST_F(DeviceTableOps, SlotsOfOneSerialMergeInDiscoveryOrder) {
    device::ResetDeviceTable(bench.context);
    Answer(MakeReader("SAME00000001"));
    const auto first = device::PlaceDevice(bench.context, std::uint8_t{'E'});
    const auto second = device::PlaceDevice(bench.context, std::uint8_t{'G'});

    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->isNew);
    EXPECT_FALSE(second->isNew);
    EXPECT_EQ(second->index, first->index);
    EXPECT_EQ(table.deviceCount, 1u);
    EXPECT_EQ(table.currentSlotCount, 2u);
    EXPECT_EQ(table.records[0].slotCount, 2);
    EXPECT_EQ(table.records[0].driveLetters, (std::array<std::uint8_t, 5>{'E', 'G', 0, 0, 0}));
}

TEST_F(DeviceTableOps, EmptySerialNumbersStillMergeWithoutMatchingFreeRecords) {
    // A free record's zero serial number must not count as a match for an all-zero key.
    device::ResetDeviceTable(bench.context);
    EXPECT_FALSE(device::FindRecordBySerial(table, device::SerialKey{}));
    Answer(MakeReader(""));
    ASSERT_TRUE(device::PlaceDevice(bench.context, std::uint8_t{'D'}));
    ASSERT_TRUE(device::PlaceDevice(bench.context, std::uint8_t{'E'}));
    EXPECT_EQ(table.deviceCount, 1u);
    EXPECT_EQ(table.records[0].slotCount, 2);
}

TEST_F(DeviceTableOps, ASixthSlotOfOneDeviceIsLeftOut) {
    device::ResetDeviceTable(bench.context);
    Answer(MakeReader("FIVESLOTS001"));
    for (const char letter : std::string("DEFGH"))
        ASSERT_TRUE(device::PlaceDevice(bench.context, static_cast<std::uint8_t>(letter)));

    EXPECT_FALSE(device::PlaceDevice(bench.context, std::uint8_t{'I'}));
    EXPECT_FALSE(device::PlaceDevice(bench.context, std::nullopt));

    EXPECT_EQ(table.records[0].slotCount, device::MaxDriveLetters);
    EXPECT_EQ(table.records[0].driveLetters,
              (std::array<std::uint8_t, 5>{'D', 'E', 'F', 'G', 'H'}));
    EXPECT_EQ(table.currentSlotCount, 5u);
    EXPECT_EQ(table.deviceCount, 1u);
    EXPECT_EQ(table.records[1].inUse, 0u);
}

TEST_F(DeviceTableOps, AnEleventhSerialFindsNoRecord) {
    device::ResetDeviceTable(bench.context);
    for (int i = 0; i < 10; ++i) {
        Answer(MakeReader("SERIAL00000" + std::to_string(i)));
        ASSERT_TRUE(device::PlaceDevice(bench.context, std::nullopt));
    }
    Answer(MakeReader("SERIAL0000XX"));
    EXPECT_FALSE(device::PlaceDevice(bench.context, std::nullopt));
    EXPECT_EQ(table.deviceCount, 10u);

    // A known serial still merges when the table is full.
    Answer(MakeReader("SERIAL000004"));
    const auto merged = device::PlaceDevice(bench.context, std::uint8_t{'Q'});
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->index, 4u);
    EXPECT_EQ(table.records[4].driveLetters[1], 'Q');
}

TEST_F(DeviceTableOps, PlacementTakesTheFirstFreeRecord) {
    device::ResetDeviceTable(bench.context);
    table.records[0].inUse = 1;
    table.records[0].serialNumber = {'O', 'T', 'H', 'E', 'R'};
    Answer(MakeReader("NEW000000001"));
    const auto placed = device::PlaceDevice(bench.context, std::uint8_t{'K'});
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->index, 1u);
    EXPECT_EQ(table.records[1].slotCount, 1);
    EXPECT_EQ(table.records[1].driveLetters[0], 'K');
    EXPECT_EQ(table.deviceCount, 1u);
}

}  // namespace
}  // namespace kestrix::device_test
