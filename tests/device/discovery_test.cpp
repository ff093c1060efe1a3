#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/device_info_layout.h"
#include "device/device_table_ops.h"
#include "device/discovery.h"
#include "device/open_transport.h"
#include "device/port_driver_discovery.h"
#include "device/registry_keys.h"
#include "fake_platform.h"
#include "fake_readers.h"

namespace kestrix::device_test {
namespace {

namespace layout = device::info_layout;

std::string Letters(const device::DeviceRecord& record) {
    std::string text;
    for (const std::uint8_t letter : record.driveLetters) text.push_back(letter ? letter : '.');
    return text;
}

std::string Serial(const device::DeviceRecord& record) {
    return {record.serialNumber.begin(), record.serialNumber.end()};
}

class Discovery : public ::testing::Test {
  protected:
    Discovery() : machine(bench) {
        bench.config.inquiryIdentityFa = Padded<28>("KESTRIX CARD READER     1.00");
        bench.config.inquiryIdentityFb = Padded<28>("OTHERVENOTHER PRODUCT   2.00");
    }

    device::DeviceTable& Table() { return bench.state->table; }

    Bench bench;
    FakeMachine machine;
};

class DriveLetterDiscovery : public Discovery {
  protected:
    DriveLetterDiscovery() { bench.app.osKind = core::OsKind::WinXP; }
};

TEST_F(DriveLetterDiscovery, TheSlotsOfOneReaderEndInOneRecord) {
    machine.readers.push_back(MakeReader("FOURSLOTS001"));
    for (const char letter : std::string("EFGH")) machine.AddDrive(letter, 0);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Table().records[0].slotCount, 4);
    EXPECT_EQ(Letters(Table().records[0]), "EFGH.");
    EXPECT_EQ(Table().records[1].inUse, 0u);
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
    EXPECT_EQ(bench.state->driveHandle, 0u);
}

TEST_F(DriveLetterDiscovery, ReadersAreRecordedInTheOrderOfTheirFirstLetters) {
    machine.readers.push_back(MakeReader("SECOND000002"));
    machine.readers.push_back(MakeReader("FIRST0000001"));
    machine.AddDrive('H', 0);
    machine.AddDrive('F', 1);
    machine.AddDrive('G', 0);
    machine.AddDrive('K', 1);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 2u);
    EXPECT_EQ(Serial(Table().records[0]), "FIRST0000001");
    EXPECT_EQ(Letters(Table().records[0]), "FK...");
    EXPECT_EQ(Serial(Table().records[1]), "SECOND000002");
    EXPECT_EQ(Letters(Table().records[1]), "GH...");
}

TEST_F(DriveLetterDiscovery, DrivesThatAreNotReadersAreIgnored) {
    machine.AddOtherDrive('C', "ATA", "HARD DISK");
    machine.AddUnopenableDrive('D');
    machine.readers.push_back(MakeReader("NOMATCH00001", "ACME", "CARD READER"));
    machine.AddDrive('E', 0);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 1);
    EXPECT_EQ(Table().deviceCount, 0u);
    // Only what answered the identity was asked for its information.
    EXPECT_EQ(std::count(machine.received.begin(), machine.received.end(), "ReadDeviceInfo@E"), 0);
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
}

TEST_F(DriveLetterDiscovery, EitherIdentityMatchesOnVendorAndProductOnly) {
    machine.readers.push_back(MakeReader("BYFA00000001", "KESTRIX", "CARD READER", "9.99"));
    machine.readers.push_back(MakeReader("BYFB00000002", "OTHERVEN", "OTHER PRODUCT", "0.01"));
    machine.AddDrive('E', 0);
    machine.AddDrive('F', 1);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    EXPECT_EQ(Table().deviceCount, 2u);
}

TEST_F(DriveLetterDiscovery, OnlyLettersCToZAreProbed) {
    bench.kernel.logicalDrives = 0xFFFFFFFFu;
    (void)device::DiscoverDevices(bench.context, false);
    ASSERT_EQ(bench.kernel.creates.size(), 24u);
    EXPECT_EQ(bench.kernel.creates.front().path, "\\\\.\\C:");
    EXPECT_EQ(bench.kernel.creates.back().path, "\\\\.\\Z:");
}

TEST_F(DriveLetterDiscovery, AReaderWhoseInformationFailsIsSkipped) {
    machine.readers.push_back(MakeReader("BROKEN000001"));
    machine.readers.push_back(MakeReader("WORKING00002"));
    machine.readers[0].failing.insert("ReadDeviceInfo");
    machine.AddDrive('E', 0);
    machine.AddDrive('F', 1);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Serial(Table().records[0]), "WORKING00002");
    EXPECT_EQ(Letters(Table().records[0]), "F....");
}

TEST_F(DriveLetterDiscovery, ASixthLetterOfOneReaderIsLeftOut) {
    machine.readers.push_back(MakeReader("SIXSLOTS0001"));
    for (const char letter : std::string("EFGHIJ")) machine.AddDrive(letter, 0);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    EXPECT_EQ(Table().records[0].slotCount, 5);
    EXPECT_EQ(Letters(Table().records[0]), "EFGHI");
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
}

TEST_F(DriveLetterDiscovery, DiscoveryStartsFromAnEmptyTableAndReport) {
    Table().records[7].inUse = 1;
    Table().deviceCount = 8;
    Table().selectedIndex = 7;
    bench.app.statusLog = "\nold";
    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 1);
    EXPECT_EQ(Table().records[7].inUse, 0u);
    EXPECT_EQ(Table().deviceCount, 0u);
    EXPECT_EQ(Table().selectedIndex, 0u);
    EXPECT_EQ(bench.app.statusLog, "");
}

TEST_F(DriveLetterDiscovery, TheSelfDriverSettingChangesNothingOnXp) {
    bench.app.selfDriverSel = 1;
    machine.readers.push_back(MakeReader("XP0000000001"));
    machine.AddDrive('E', 0);
    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    EXPECT_EQ(machine.received, (std::vector<std::string>{"Inquiry@E", "ReadDeviceInfo@E"}));
}

class SelfDriverDiscovery : public Discovery {
  protected:
    SelfDriverDiscovery() {
        bench.app.osKind = core::OsKind::Win2K;
        bench.app.selfDriverSel = 1;
    }
};

TEST_F(SelfDriverDiscovery, MatchesTheFixedIdentityAndFallsBackToThePlainBlockRead) {
    machine.readers.push_back(MakeReader("ALTFAILS0001", "", "USB Reader", "01.A"));
    machine.readers.push_back(MakeReader("BOTHFAIL0002", "", "USB Reader", "01.A"));
    machine.readers.push_back(MakeReader("WRONGREV0003", "", "USB Reader", "01.B"));
    machine.readers[0].failing.insert("ReadBlocksAlt");
    machine.readers[1].failing = {"ReadBlocksAlt", "ReadBlocks"};
    machine.AddDrive('E', 0);
    machine.AddDrive('F', 1);
    machine.AddDrive('G', 2);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Serial(Table().records[0]), "ALTFAILS0001");
    EXPECT_EQ(machine.received,
              (std::vector<std::string>{"Inquiry@E", "ReadBlocksAlt@E", "ReadBlocks@E", "Inquiry@F",
                                        "ReadBlocksAlt@F", "ReadBlocks@F", "Inquiry@G"}));
}

TEST_F(SelfDriverDiscovery, BlockReadsFillOnlyTheFirst512Bytes) {
    FakeReader reader = MakeReader("USB20REV0001", "", "USB Reader", "01.A");
    std::fill(reader.info.begin() + 512, reader.info.end(), 0x77);
    machine.readers.push_back(reader);
    machine.AddDrive('E', 0);

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    // Bytes 0x200.. keep what the reset put there.
    EXPECT_EQ(Table().records[0].usb20FirmwareRevision, (std::array<std::uint8_t, 8>{}));
}

class PortDriverADiscovery : public Discovery {
  protected:
    PortDriverADiscovery() {
        bench.app.osKind = core::OsKind::Win98;
        bench.app.driverFileName = "QXDKPDRV.PDR";
        bench.state->portDriverHandle = FakeMachine::PortDriverHandle;
        bench.kernel.openable["\\\\.\\QXDKPDRV"] = FakeMachine::PortDriverHandle;
    }

    // Publishes `letter` for slot `slot` of reader `reader` under the dialect A key.
    void Publish(std::size_t reader, unsigned slot, const char* letter) {
        device::DeviceRecord record;
        bench.state->infoBlock = machine.readers[reader].info;
        device::IdentifyRecord(bench.context, record);
        bench.registry.values[device::PortDriverARegistryKey(record, slot)] = letter;
    }
};

TEST_F(PortDriverADiscovery, EachDeviceFillsItsRecordWithLettersFromTheRegistry) {
    machine.readers.push_back(MakeReader("PORTA0000001"));
    machine.readers.push_back(MakeReader("PORTA0000002"));
    machine.readers[1].slots = 2;
    Publish(0, 0, "E");
    Publish(1, 0, "F");
    Publish(1, 1, "G");

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 2u);
    EXPECT_EQ(Serial(Table().records[0]), "PORTA0000001");
    EXPECT_EQ(Letters(Table().records[0]), "E....");
    EXPECT_EQ(Table().records[1].slotCount, 2);
    EXPECT_EQ(Letters(Table().records[1]), "FG...");
    EXPECT_EQ(Table().selectedIndex, 0u);
    EXPECT_EQ(bench.state->portDriverHandle, FakeMachine::PortDriverHandle);  // stays open
}

TEST_F(PortDriverADiscovery, NoDevicesReportedMeansOneDeviceWithOneSlot) {
    machine.readers.push_back(MakeReader("PORTA0000001"));
    machine.readers[0].slots = 3;
    machine.reportedDeviceCount = 0;

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Table().records[0].slotCount, 1);
    EXPECT_EQ(Table().records[0].inUse, 1u);
    EXPECT_EQ(std::count(machine.received.begin(), machine.received.end(), "GetSlotCount@0"), 0);
}

TEST_F(PortDriverADiscovery, ADeviceWithMoreSlotsThanLettersIsSkippedButCounted) {
    machine.readers.push_back(MakeReader("SIXSLOTS0001"));
    machine.readers.push_back(MakeReader("TWOSLOTS0002"));
    machine.readers[0].slots = 6;
    machine.readers[1].slots = 2;

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().deviceCount, 2u);
    EXPECT_EQ(Table().records[0].inUse, 0u);
    EXPECT_EQ(Table().records[0].slotCount, 0);
    EXPECT_EQ(Table().records[1].inUse, 1u);
    EXPECT_EQ(Table().records[1].slotCount, 2);
}

TEST_F(PortDriverADiscovery, DevicesBeyondTheTableAreCountedButNotExamined) {
    for (int i = 0; i < 12; ++i)
        machine.readers.push_back(MakeReader("MANY0000000" + std::to_string(i % 10)));
    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);
    EXPECT_EQ(Table().deviceCount, 12u);
    EXPECT_EQ(Table().records[9].inUse, 1u);
    EXPECT_EQ(std::count(machine.received.begin(), machine.received.end(), "GetSlotCount@10"), 0);
}

TEST_F(PortDriverADiscovery, AReaderAnsweringOnlyItsRevisionStaysUnidentified) {
    machine.readers.push_back(MakeReader("NOBLOCKS0001"));
    machine.readers.push_back(MakeReader("WORKING00002"));
    machine.readers[0].failing = {"ReadBlocksAlt", "ReadBlocks"};
    machine.readers[0].revision = {9, 8, 7, 6, 5, 4, 3, 2};

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().records[0].inUse, 0u);
    EXPECT_EQ(Table().records[0].slotCount, 1);
    EXPECT_EQ(Table().records[1].inUse, 1u);
    const std::vector<std::string> firstDevice(machine.received.begin(),
                                               machine.received.begin() + 5);
    EXPECT_EQ(firstDevice,
              (std::vector<std::string>{"GetDeviceCount", "GetSlotCount@0", "ReadBlocksAlt@0",
                                        "ReadBlocks@0", "ReadFirmwareRevision@0"}));
}

TEST_F(PortDriverADiscovery, TheRevisionOfAnUnreadableDeviceLandsInTheAnswer) {
    machine.readers.push_back(MakeReader("NOBLOCKS0001"));
    machine.readers[0].failing = {"ReadBlocksAlt", "ReadBlocks"};
    machine.readers[0].revision = {9, 8, 7, 6, 5, 4, 3, 2};

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    const auto& info = bench.state->infoBlock;
    EXPECT_TRUE(std::equal(info.begin() + layout::FirmwareRevisionOffset,
                           info.begin() + layout::FirmwareRevisionOffset + 8,
                           machine.readers[0].revision.begin()));
    EXPECT_EQ(info[layout::SerialOffset], 0);  // nothing else came from the device
}

TEST_F(PortDriverADiscovery, ADeviceAnsweringNothingEndsDiscoveryAndClosesTheDriver) {
    machine.readers.push_back(MakeReader("SILENT000001"));
    machine.readers.push_back(MakeReader("NEVERASKED02"));
    machine.readers[0].failing = {"ReadBlocksAlt", "ReadBlocks", "ReadFirmwareRevision"};

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 2);

    EXPECT_EQ(bench.state->portDriverHandle, 0u);
    EXPECT_EQ(bench.kernel.closed, std::vector<platform::Handle>{FakeMachine::PortDriverHandle});
    EXPECT_EQ(Table().records[1].inUse, 0u);
    EXPECT_EQ(Table().selectedIndex, 0u);
}

TEST_F(PortDriverADiscovery, AUsb20RevisionIsKeptOnlyForItsOemCode) {
    machine.readers.push_back(MakeReader("USB20OEM0001"));
    machine.readers.push_back(MakeReader("OTHEROEM0002"));
    machine.readers[0].revision = {2, 1, 0, 4, 5, 6, 0x07, 0x01};
    machine.readers[1].revision = {2, 1, 0, 4, 5, 6, 0x08, 0x01};

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Table().records[0].usb20FirmwareRevision, machine.readers[0].revision);
    EXPECT_EQ(Table().records[1].usb20FirmwareRevision, (std::array<std::uint8_t, 8>{}));
}

TEST_F(PortDriverADiscovery, CalledDirectlyItKeepsTheRecordsItDoesNotReach) {
    machine.readers.push_back(MakeReader("ONLYONE00001"));
    Table().records[4].inUse = 1;
    Table().records[4].serialNumber = {'K', 'E', 'P', 'T'};
    Table().deviceCount = 5;

    EXPECT_EQ(device::DiscoverPortDriverA(bench.context), 0);

    EXPECT_EQ(Table().deviceCount, 1u);
    EXPECT_EQ(Table().records[4].inUse, 1u);
    EXPECT_EQ(Serial(Table().records[0]), "ONLYONE00001");
}

class PortDriverBDiscovery : public Discovery {
  protected:
    PortDriverBDiscovery() {
        bench.app.osKind = core::OsKind::Win98;
        bench.app.usePortDriverB = 1;
        bench.app.driverFileName = "QX20DISK.PDR";
        bench.kernel.openable["\\\\.\\QX20DISK"] = FakeMachine::PortDriverHandle;
        EXPECT_EQ(device::OpenTransport(bench.context), 0);
    }
};

TEST_F(PortDriverBDiscovery, ReadsEachDeviceAndClosesTheDriver) {
    machine.readers.push_back(MakeReader("PORTB0000001"));
    machine.readers[0].slots = 2;
    device::DeviceRecord record;
    bench.state->infoBlock = machine.readers[0].info;
    device::IdentifyRecord(bench.context, record);
    bench.registry.values[device::PortDriverBRegistryKey(record, 1)] = "H";

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 0);

    EXPECT_EQ(Serial(Table().records[0]), "PORTB0000001");
    EXPECT_EQ(Letters(Table().records[0]), ".H...");
    EXPECT_EQ(bench.state->portDriverHandle, 0u);
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
}

TEST_F(PortDriverBDiscovery, AFailedInformationReadEndsWithOneAndClosesTheDriver) {
    machine.readers.push_back(MakeReader("PORTB0000001"));
    machine.readers.push_back(MakeReader("PORTB0000002"));
    machine.readers[1].failing.insert("ReadDeviceInfo");

    EXPECT_EQ(device::DiscoverDevices(bench.context, false), 1);

    EXPECT_EQ(bench.state->portDriverHandle, 0u);
    EXPECT_TRUE(bench.kernel.OpenHandles().empty());
    EXPECT_EQ(Table().records[0].inUse, 1u);
    EXPECT_EQ(Table().selectedIndex, 0u);
}

}  // namespace
}  // namespace kestrix::device_test
