#include "device/vendor_commands.h"

#include <algorithm>

#include "core/byte_order.h"

namespace kestrix::device {

namespace {

constexpr std::uint8_t SubReadDeviceInfo = 0x05;
constexpr std::uint8_t SubJumpToIsp = 0xBF;
constexpr std::uint8_t SubGetIspStatus = 0xB0;
constexpr std::uint8_t SubWriteIspBlock = 0xB1;  // + mode
constexpr std::uint8_t SubGetDeviceCount = 0x01;
constexpr std::uint8_t SubGetSlotCount = 0x02;
constexpr std::uint8_t SubReadBlocks = 0x03;
constexpr std::uint8_t SubReadBlocksAlt = 0x13;

// Fixed bytes of some 0x06-family blocks.
constexpr std::size_t ReadDeviceInfoFlagOffset = 8;
constexpr std::uint8_t ReadDeviceInfoFlag = 0x80;
constexpr std::size_t IspSelectOffset = 4;
constexpr std::uint8_t IspSelect = 0x08;
constexpr std::size_t ExtendedJumpOffset = 5;
constexpr std::uint8_t ExtendedJump = 0x08;

Cdb Block(std::uint8_t operation, std::uint8_t subCode) {
    Cdb block{};
    block[cdb::OperationOffset] = operation;
    block[cdb::SubCodeOffset] = subCode;
    return block;
}

Cdb BlockRead(std::uint8_t subCode, std::uint32_t address, std::uint8_t count) {
    Cdb block = Block(cdb::DriverOperation, subCode);
    core::PutBe32(block, cdb::AddressOffset, address);
    block[cdb::BlockCountOffset] = count;
    return block;
}

}  // namespace

Cdb ReadDeviceInfoCdb() {
    Cdb block = Block(cdb::VendorOperation, SubReadDeviceInfo);
    block[ReadDeviceInfoFlagOffset] = ReadDeviceInfoFlag;
    return block;
}

Cdb JumpToIspCdb(JumpToIspForm form) {
    Cdb block = Block(cdb::VendorOperation, SubJumpToIsp);
    block[IspSelectOffset] = IspSelect;
    if (form == JumpToIspForm::Extended) block[ExtendedJumpOffset] = ExtendedJump;
    return block;
}

Cdb GetIspStatusCdb() {
    Cdb block = Block(cdb::VendorOperation, SubGetIspStatus);
    block[IspSelectOffset] = IspSelect;
    return block;
}

Cdb WriteIspBlockCdb(IspWriteMode mode, std::uint8_t romSelectCode, std::uint32_t length,
                     std::uint32_t paddedLength) {
    const auto modeByte = static_cast<std::uint8_t>(mode);
    Cdb block = Block(cdb::VendorOperation, static_cast<std::uint8_t>(SubWriteIspBlock + modeByte));
    block[cdb::ModeOffset] = modeByte;
    block[cdb::RomSelectOffset] = romSelectCode;
    core::PutLe16(block, cdb::LengthLowOffset, static_cast<std::uint16_t>(length));
    block[cdb::UnitsOffset] = static_cast<std::uint8_t>(paddedLength / BlockLength);
    return block;
}

Cdb GetDeviceCountCdb() {
    return Block(cdb::DriverOperation, SubGetDeviceCount);
}

Cdb GetSlotCountCdb() {
    return Block(cdb::DriverOperation, SubGetSlotCount);
}

Cdb ReadBlocksCdb(std::uint32_t address, std::uint8_t count) {
    return BlockRead(SubReadBlocks, address, count);
}

Cdb ReadBlocksAltCdb(std::uint32_t address, std::uint8_t count) {
    return BlockRead(SubReadBlocksAlt, address, count);
}

Cdb InquiryCdb(std::uint8_t lun) {
    Cdb block{};
    block[cdb::OperationOffset] = cdb::InquiryOperation;
    block[cdb::InquiryLunOffset] = static_cast<std::uint8_t>(lun * 32);
    block[cdb::InquiryLengthOffset] = static_cast<std::uint8_t>(InquiryLength);
    return block;
}

AspiInquiryCdb AspiInquiryCdbBytes() {
    AspiInquiryCdb block{};
    block[cdb::OperationOffset] = cdb::InquiryOperation;
    block[cdb::InquiryLengthOffset] = static_cast<std::uint8_t>(AspiInquiryLength);
    return block;
}

std::uint32_t PaddedLength(std::uint32_t length) {
    const std::uint64_t rounded =
        (std::uint64_t{length} + BlockLength - 1) / BlockLength * BlockLength;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(rounded, MaxIspBlockLength));
}

}  // namespace kestrix::device
