#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The reader's vendor command set as SCSI command blocks: the 0x06 family (drive letter,
// port driver B and ASPI), the 0xFF family (drive letter with the self driver) and the
// standard INQUIRY. Pure builders; the transports send them.
namespace kestrix::device {

// ISP status bytes answered by GetIspStatus.
inline constexpr std::uint8_t StatusInIsp = 0x9C;
inline constexpr std::uint8_t StatusBlockWritten = 0xA5;
inline constexpr std::uint8_t StatusVerifyPass = 0x5A;
inline constexpr std::uint8_t StatusVerifyFail = 0x33;

// Reading 512 bytes here returns the start of the device information answer; writing 512
// bytes here hands the device a control block.
inline constexpr std::uint32_t InfoBlockAddress = 0x04A55A30u;

enum class IspWriteMode : std::uint8_t { Program = 0, Verify = 1 };

inline constexpr std::size_t CdbSize = 12;
using Cdb = std::array<std::uint8_t, CdbSize>;
inline constexpr std::size_t AspiInquiryCdbSize = 6;
using AspiInquiryCdb = std::array<std::uint8_t, AspiInquiryCdbSize>;

// Data lengths of the commands.
inline constexpr std::uint32_t InquiryLength = 36;      // drive handle
inline constexpr std::uint32_t AspiInquiryLength = 40;  // through ASPI
inline constexpr std::uint32_t BlockLength = 512;
inline constexpr std::uint32_t DeviceInfoBlockLength = 528;
inline constexpr std::uint32_t CountAnswerLength = 8;
inline constexpr std::uint32_t IspStatusLength = 8;           // drive handle
inline constexpr std::uint32_t ExtendedIspStatusLength = 28;  // port driver B and ASPI
inline constexpr std::uint32_t MaxIspBlockLength = 65536;

// Byte positions inside the command blocks.
namespace cdb {
inline constexpr std::size_t OperationOffset = 0;
inline constexpr std::size_t SubCodeOffset = 1;
// 0x06 family, WriteIspBlock.
inline constexpr std::size_t ModeOffset = 2;
inline constexpr std::size_t RomSelectOffset = 3;
inline constexpr std::size_t LengthLowOffset = 4;
inline constexpr std::size_t LengthHighOffset = 5;
inline constexpr std::size_t UnitsOffset = 6;
// 0xFF family block reads: big-endian address, block count.
inline constexpr std::size_t AddressOffset = 2;
inline constexpr std::size_t BlockCountOffset = 8;
// INQUIRY.
inline constexpr std::size_t InquiryLunOffset = 1;
inline constexpr std::size_t InquiryLengthOffset = 4;

inline constexpr std::uint8_t VendorOperation = 0x06;
inline constexpr std::uint8_t DriverOperation = 0xFF;
inline constexpr std::uint8_t InquiryOperation = 0x12;
}  // namespace cdb

// Which JumpToIsp block a transport sends: the drive-letter form, or the form port driver B
// and ASPI send, with byte 5 set.
enum class JumpToIspForm { DriveLetter, Extended };

// 0x06 family.
[[nodiscard]] Cdb ReadDeviceInfoCdb();
[[nodiscard]] Cdb JumpToIspCdb(JumpToIspForm form);
[[nodiscard]] Cdb GetIspStatusCdb();
// `length` is the block's true length L (its low 16 bits travel), `paddedLength` P, the
// length rounded up to whole 512-byte units (P / 512 travels as one byte).
[[nodiscard]] Cdb WriteIspBlockCdb(IspWriteMode mode, std::uint8_t romSelectCode,
                                   std::uint32_t length, std::uint32_t paddedLength);

// 0xFF family.
[[nodiscard]] Cdb GetDeviceCountCdb();
[[nodiscard]] Cdb GetSlotCountCdb();
[[nodiscard]] Cdb ReadBlocksCdb(std::uint32_t address, std::uint8_t count);
[[nodiscard]] Cdb ReadBlocksAltCdb(std::uint32_t address, std::uint8_t count);

// INQUIRY on a drive handle (12-byte block) and through ASPI (6-byte block).
[[nodiscard]] Cdb InquiryCdb(std::uint8_t lun);
[[nodiscard]] AspiInquiryCdb AspiInquiryCdbBytes();

// L rounded up to the next multiple of 512 (L itself when already one), at most 65,536.
[[nodiscard]] std::uint32_t PaddedLength(std::uint32_t length);

}  // namespace kestrix::device
