#include <gtest/gtest.h>

#include "device/registry_keys.h"
#include "fake_platform.h"
#include "fake_readers.h"

namespace kestrix::device_test {
namespace {

device::DeviceRecord Record(std::string_view vendor, std::string_view product,
                            std::string_view revision) {
    device::DeviceRecord record;
    record.inUse = 1;
    record.inquiryVendor = Padded<8>(vendor);
    record.inquiryProduct = Padded<16>(product);
    record.inquiryRevision = Padded<4>(revision);
    record.vid = {0x0A, 0xBC};
    record.pid = {0x12, 0x3F};
    const std::string serial = "SN0000000042";
    std::copy(serial.begin(), serial.end(), record.serialNumber.begin());
    return record;
}

TEST(RegistryKeys, TextsForEachTransport) {
    const auto record = Record("AB CD", "CARD READER", "1.00");
    EXPECT_EQ(device::PortDriverARegistryKey(record, 0),
              "Enum\\SCSI\\________USB_DISK_DRIVER_0\\QXSYSDRV&DISK&0000USB&"
              "VID_0abc&PID_123f&SN000000004200");
    EXPECT_EQ(device::PortDriverBRegistryKey(record, 3),
              "Enum\\SCSI\\AB_CD___CARD_READER_____1\\QX20SYSD&DISK&0000USB&"
              "VID_0abc&PID_123f&SN000000004203");
    EXPECT_EQ(device::AspiRegistryKey(record, 5),
              "Enum\\SCSI\\AB_CD___CARD_READER_____1\\USBSTOR&DISK&VEN_AB_CD&PROD_CARD_READER"
              "&REV_1.00&SN0000000042&500");
}

TEST(RegistryKeys, ZeroBytesAddNothingAndInnerBlanksBecomeUnderscores) {
    auto record = Record("A B", "X  Y", " 2.0");
    record.serialNumber = {'S', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    record.inquiryVendor[7] = 0;
    EXPECT_EQ(
        device::AspiRegistryKey(record, 1),
        "Enum\\SCSI\\A_B____X__Y_____________\\USBSTOR&DISK&VEN_A_B&PROD_X__Y&REV__2.0&S1&100");
}

TEST(RegistryKeys, SlotsAboveFiveHaveNoKey) {
    const auto record = Record("V", "P", "R");
    for (unsigned slot = 0; slot <= 5; ++slot) {
        EXPECT_FALSE(device::PortDriverARegistryKey(record, slot).empty());
        EXPECT_FALSE(device::PortDriverBRegistryKey(record, slot).empty());
        EXPECT_FALSE(device::AspiRegistryKey(record, slot).empty());
    }
    EXPECT_TRUE(device::PortDriverARegistryKey(record, 6).empty());
    EXPECT_TRUE(device::PortDriverBRegistryKey(record, 6).empty());
    EXPECT_TRUE(device::AspiRegistryKey(record, 6).empty());
}

TEST(ReadDriveLetter, ReadsTheFirstCharacterAndClosesTheKey) {
    Bench bench;
    bench.registry.values["Enum\\SCSI\\X"] = "F";
    EXPECT_EQ(device::ReadDriveLetter(bench.context, "Enum\\SCSI\\X"), 'F');
    EXPECT_EQ(bench.registry.accesses, std::vector<std::uint32_t>{platform::KeyAllAccess});
    EXPECT_EQ(bench.registry.openKeys, 0);
}

TEST(ReadDriveLetter, MissingKeysAndValuesGiveNoLetter) {
    Bench bench;
    EXPECT_EQ(device::ReadDriveLetter(bench.context, "Enum\\SCSI\\Missing"), 0);
    EXPECT_EQ(bench.registry.queries, 0);  // a key that did not open is not read
    // A value too long for the 5-byte buffer is no drive letter either.
    bench.registry.values["Enum\\SCSI\\Long"] = "TOOLONG";
    EXPECT_EQ(device::ReadDriveLetter(bench.context, "Enum\\SCSI\\Long"), 0);
    EXPECT_EQ(bench.registry.openKeys, 0);
    // A slot without a key asks nothing.
    EXPECT_EQ(device::ReadDriveLetter(bench.context, ""), 0);
    EXPECT_EQ(bench.registry.openedKeys.size(), 2u);
}

}  // namespace
}  // namespace kestrix::device_test
