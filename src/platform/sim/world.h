#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

// The machine the simulated host models: its system version, date, card readers, other
// drives, drivers, ASPI library and extra registry values. Read from a JSON world file or
// built in code by tests.
namespace kestrix::sim {

inline constexpr std::size_t InfoBlockSize = 528;

// Commands of the vendor catalogue, as faults and call counts name them.
enum class Command {
    Inquiry,
    ReadDeviceInfo,
    ReadBlocksAlt,
    ReadBlocks,
    WriteBlocks,
    GetDeviceCount,
    GetSlotCount,
    ReadFirmwareRevision,
    JumpToIsp,
    GetIspStatus,
    WriteIspBlock,
};
inline constexpr std::size_t CommandCount = 11;

[[nodiscard]] std::string_view CommandName(Command command);
[[nodiscard]] std::optional<Command> CommandFromName(std::string_view name);

// One "fail" entry: every call of `command` fails, or only its `call`-th (1-based) call.
struct FailRule {
    Command command = Command::Inquiry;
    std::uint32_t call = 0;  // 0 = every call

    friend bool operator==(const FailRule&, const FailRule&) = default;
};

struct Faults {
    std::vector<FailRule> fail;
    // A failing pass-through call succeeds and reports this SCSI status instead.
    std::optional<std::uint8_t> scsiStatus;
    // What the port and self drivers report instead of the real counts.
    std::optional<std::uint32_t> deviceCount;
    std::optional<std::uint32_t> slotCount;
    // The n-th (1-based) GetIspStatus answers this byte instead of the modelled status.
    std::map<std::uint32_t, std::uint8_t> ispStatus;
};

struct AspiAddress {
    std::uint8_t adapter = 0;
    std::vector<std::uint8_t> targets;  // one per slot
};

// One card reader: its identity, the drive letter of each slot, where ASPI reaches it, the
// firmware it holds and the faults to rehearse.
// What a reader with the default identity answers in INQUIRY bytes 8 to 35: a blank vendor,
// the product "USB Reader" and the revision "01.A".
inline constexpr std::string_view DefaultReaderInquiry = "        USB Reader      01.A";

struct Reader {
    std::uint16_t vid = 0x4B58;
    std::uint16_t pid = 0x0101;
    std::string manufacturer = "Kestrix Devices";  // at most 24 bytes
    std::string product = "USB Card Reader";       // at most 16 bytes
    std::string serial = "000000000001";           // at most 12 characters
    std::string inquiryVendor;                     // at most 8, padded with spaces
    std::string inquiryProduct = "USB Reader";     // at most 16, padded with spaces
    std::string inquiryRevision = "01.A";          // at most 4, padded with spaces
    std::array<std::uint8_t, 8> firmwareRevision{0x01, 0x02, 0x03, 0x06, 0x05, 0x14, 0x07, 0x01};
    std::array<std::uint8_t, 8> usb20FirmwareRevision{0x02, 0x01, 0x00, 0x06,
                                                      0x05, 0x14, 0x07, 0x01};
    std::array<std::uint8_t, 4> orgFirmwareRevision{0x01, 0x00, 0x65, 0x14};
    std::array<std::uint8_t, 3> hardwareCode{0x10, 0x06, 0x43};
    std::string msRevision = "verM1.3a";     // 8 characters, main Memory Stick firmware
    std::string msIspRevision = "verI1.00";  // 8 characters, Memory Stick ISP code
    std::vector<char> slots;                 // drive letters, one per logical unit
    std::optional<AspiAddress> aspi;
    std::optional<std::array<std::uint8_t, InfoBlockSize>> infoBlock;  // raw answer override
    std::vector<std::uint8_t> firmware;    // what the device holds; verify compares with it
    std::vector<std::uint8_t> msFirmware;  // same for the Memory Stick side
    Faults faults;
};

enum class AspiLibrary { Present, Missing, NoGetSupportInfo, NoSendCommand };

struct AspiConfig {
    AspiLibrary library = AspiLibrary::Present;
    std::uint8_t adapters = 1;
    bool adaptersGiven = false;  // else: enough adapters for every reader's address
    std::uint8_t status = 1;
};

struct World {
    std::uint32_t version = 0x0A280105;       // Windows XP
    std::optional<platform::LocalDate> date;  // empty: today's local date
    bool realTime = false;
    std::vector<Reader> devices;
    std::vector<char> drives{'C'};   // drive letters that are not card readers
    std::set<std::string> drivers;   // upper-case device names: HVBRDG, QXDKPDRV, ZN_URDR, QX20DISK
    std::optional<AspiConfig> aspi;  // empty: no ASPI library at all
    std::map<std::string, std::map<std::string, std::string>> registry;
};

struct WorldLoadResult {
    std::optional<World> world;
    std::string error;
};

[[nodiscard]] WorldLoadResult LoadWorldFile(const std::filesystem::path& file);
// Parses a world file's text. `sourceName` names it in error messages; files a world names
// ("firmwareFile") are found next to it.
[[nodiscard]] WorldLoadResult ParseWorld(std::string_view json, std::string_view sourceName);

// Windows XP with one reader on E: (hardware code 20 35 41) and disks on C: and D:.
[[nodiscard]] World DemoWorld();

// GetVersion values of the systems a world may name.
[[nodiscard]] std::optional<std::uint32_t> VersionOfOs(std::string_view os);

}  // namespace kestrix::sim
