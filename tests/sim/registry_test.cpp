#include <gtest/gtest.h>

#include "platform/sim/info_block.h"
#include "platform/sim/published_keys.h"
#include "platform/sim/sim_host.h"
#include "sim/sim_test_support.h"

namespace kestrix::sim {
namespace {

using test::Bytes;

Reader ExampleReader() {
    Reader r;
    r.vid = 0x1A2B;
    r.pid = 0x00C5;
    r.serial = "SN0000000042";
    r.inquiryVendor = "AB CD   ";
    r.inquiryProduct = "CARD READER     ";
    r.inquiryRevision = "1.00";
    r.slots = {'E', 'F'};
    return r;
}

TEST(RegistryKeyParts, PlainAndTrimmed) {
    struct Case {
        Bytes field;
        const char* plain;
        const char* trimmed;
    };
    const Case cases[] = {
        {{'A', 'B', ' ', 'C', 'D', ' ', ' ', ' '}, "AB_CD___", "AB_CD"},
        {{'C', 'A', 'R', 'D', ' ', 'R', 'E', 'A', 'D', 'E', 'R', ' ', ' ', ' ', ' ', ' '},
         "CARD_READER_____",
         "CARD_READER"},
        {{'1', '.', '0', '0'}, "1.00", "1.00"},
        {{' ', ' ', 'X', ' '}, "__X_", "__X"},
        {{' ', ' ', ' ', ' '}, "____", ""},
        {{'A', 0, 'B', 0, ' '}, "AB_", "AB"},  // a zero byte adds nothing
        {{}, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlainKeyPart(c.field), c.plain);
        EXPECT_EQ(TrimmedKeyPart(c.field), c.trimmed);
    }
}

TEST(RegistryKeyTexts, FromTheReaderIdentity) {
    const InfoBlock block = BuildInfoBlock(ExampleReader(), false);
    EXPECT_EQ(AspiKeyText(block, 0),
              "Enum\\SCSI\\AB_CD___CARD_READER_____1\\USBSTOR&DISK&VEN_AB_CD&PROD_CARD_READER&REV_"
              "1.00&SN0000000042&000");
    EXPECT_EQ(AspiKeyText(block, 5).substr(AspiKeyText(block, 5).size() - 4), "&500");
    EXPECT_EQ(PortDriverAKeyText(block, 1),
              "Enum\\SCSI\\________USB_DISK_DRIVER_0\\QXSYSDRV&DISK&0000USB&VID_1a2b&PID_00c5&"
              "SN000000004201");
    EXPECT_EQ(PortDriverBKeyText(block, 0),
              "Enum\\SCSI\\AB_CD___CARD_READER_____1\\QX20SYSD&DISK&0000USB&VID_1a2b&PID_00c5&"
              "SN000000004200");
    // Slots above 5 have no key.
    EXPECT_EQ(AspiKeyText(block, 6), "");
    EXPECT_EQ(PortDriverAKeyText(block, 6), "");
    EXPECT_EQ(PortDriverBKeyText(block, 6), "");
}

std::set<std::string> PublishedKeys(const World& world) {
    SimHost host(world);
    std::set<std::string> keys;
    for (const auto& [key, values] : host.RegistryValues()) keys.insert(key);
    return keys;
}

TEST(RegistryPublication, EachDriverPublishesItsKeys) {
    const InfoBlock block = BuildInfoBlock(ExampleReader(), false);
    struct Case {
        const char* name;
        std::set<std::string> drivers;
        std::optional<AspiLibrary> aspi;
        std::set<std::string> keys;
    };
    const Case cases[] = {
        {"port driver A",
         {"QXDKPDRV"},
         std::nullopt,
         {PortDriverAKeyText(block, 0), PortDriverAKeyText(block, 1)}},
        {"the other port driver A",
         {"ZN_URDR"},
         std::nullopt,
         {PortDriverAKeyText(block, 0), PortDriverAKeyText(block, 1)}},
        {"port driver B",
         {"QX20DISK"},
         std::nullopt,
         {PortDriverBKeyText(block, 0), PortDriverBKeyText(block, 1)}},
        {"ASPI", {}, AspiLibrary::Present, {AspiKeyText(block, 0), AspiKeyText(block, 1)}},
        {"no ASPI library", {}, AspiLibrary::Missing, {}},
        {"self driver only", {"HVBRDG"}, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        world.devices = {ExampleReader()};
        world.drivers = c.drivers;
        if (c.aspi) world.aspi = AspiConfig{*c.aspi, 1, 1};
        EXPECT_EQ(PublishedKeys(world), c.keys);
    }
}

TEST(RegistryPublication, OnlySixSlotsHaveKeys) {
    World world;
    Reader reader = ExampleReader();
    reader.slots = {'E', 'F', 'G', 'H', 'I', 'J', 'K'};
    world.devices = {reader};
    world.drivers = {"QXDKPDRV"};
    EXPECT_EQ(PublishedKeys(world).size(), 6u);
}

class RegistryReads : public ::testing::Test {
  protected:
    void SetUp() override {
        World world;
        world.devices = {ExampleReader()};
        world.drivers = {"QXDKPDRV"};
        world.registry["Software\\Extra"]["Name"] = "a longer text";
        host_ = std::make_unique<SimHost>(std::move(world));
        key_ = PortDriverAKeyText(BuildInfoBlock(ExampleReader(), false), 1);
    }

    std::unique_ptr<SimHost> host_;
    std::string key_;
};

TEST_F(RegistryReads, DriveLetterOfASlot) {
    platform::RegKey key = 0;
    ASSERT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, key_, platform::KeyAllAccess, key),
              platform::ErrorSuccess);
    Bytes data(5, 0xEE);
    std::uint32_t length = 0;
    ASSERT_EQ(host_->RegQueryValueExA(key, "CurrentDriveLetterAssignment", data, length),
              platform::ErrorSuccess);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(data, (Bytes{'F', 0, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(host_->OpenRegistryKeyCount(), 1u);
    EXPECT_EQ(host_->RegCloseKey(key), platform::ErrorSuccess);
    EXPECT_EQ(host_->RegCloseKey(key), platform::ErrorInvalidHandle);
    EXPECT_EQ(host_->OpenRegistryKeyCount(), 0u);
    EXPECT_EQ(host_->RegQueryValueExA(key, "CurrentDriveLetterAssignment", data, length),
              platform::ErrorInvalidHandle);
}

TEST_F(RegistryReads, NamesIgnoreCaseAndParentKeysExist) {
    std::string lower = key_;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    platform::RegKey key = 0;
    ASSERT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, lower, 0, key),
              platform::ErrorSuccess);
    Bytes data(5);
    std::uint32_t length = 0;
    EXPECT_EQ(host_->RegQueryValueExA(key, "currentdriveletterassignment", data, length),
              platform::ErrorSuccess);
    EXPECT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, "Enum\\SCSI", 0, key),
              platform::ErrorSuccess);
    EXPECT_EQ(host_->RegQueryValueExA(key, "CurrentDriveLetterAssignment", data, length),
              platform::ErrorFileNotFound);
}

TEST_F(RegistryReads, MissingKeysValuesAndOtherRoots) {
    platform::RegKey key = 0;
    EXPECT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, key_ + "X", 0, key),
              platform::ErrorFileNotFound);
    EXPECT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, "Enum\\SC", 0, key),
              platform::ErrorFileNotFound);
    EXPECT_EQ(host_->RegOpenKeyExA(0x80000001u, key_, 0, key), platform::ErrorFileNotFound);
    ASSERT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, key_, 0, key),
              platform::ErrorSuccess);
    Bytes data(5);
    std::uint32_t length = 0;
    EXPECT_EQ(host_->RegQueryValueExA(key, "Other", data, length), platform::ErrorFileNotFound);
}

TEST_F(RegistryReads, WorldValuesAndShortBuffers) {
    platform::RegKey key = 0;
    ASSERT_EQ(host_->RegOpenKeyExA(platform::HkeyLocalMachine, "Software\\Extra", 0, key),
              platform::ErrorSuccess);
    Bytes data(5);
    std::uint32_t length = 0;
    EXPECT_EQ(host_->RegQueryValueExA(key, "Name", data, length), platform::ErrorMoreData);
    EXPECT_EQ(length, 14u);
    EXPECT_EQ(data, (Bytes{'a', ' ', 'l', 'o', 'n'}));
}

}  // namespace
}  // namespace kestrix::sim
