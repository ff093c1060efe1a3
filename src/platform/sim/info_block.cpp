#include "platform/sim/info_block.h"

#include <algorithm>
#include <span>

#include "core/byte_order.h"

namespace kestrix::sim {

namespace {

// Copies `text` into `field`, cut to its width; the rest of the field is `fill`.
void PutText(std::span<std::uint8_t> field, std::string_view text, std::uint8_t fill) {
    std::fill(field.begin(), field.end(), fill);
    const std::size_t n = std::min(field.size(), text.size());
    for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<std::uint8_t>(text[i]);
}

}  // namespace

InfoBlock BuildInfoBlock(const Reader& reader, bool msIspCode) {
    InfoBlock block{};
    if (reader.infoBlock) {
        block = *reader.infoBlock;
        // A raw answer stands as given, except for the revision the Memory Stick ISP code
        // reports while it runs.
        if (!msIspCode) return block;
    } else {
        const std::span<std::uint8_t> bytes(block);
        core::PutLe16(bytes, info::VidOffset, reader.vid);
        core::PutLe16(bytes, info::PidOffset, reader.pid);
        PutText(bytes.subspan(info::ManufacturerOffset, info::ManufacturerSize),
                reader.manufacturer, 0);
        PutText(bytes.subspan(info::ProductOffset, info::ProductSize), reader.product, 0);
        for (std::size_t i = 0; i < info::SerialChars && i < reader.serial.size(); ++i) {
            core::PutLe16(bytes, info::SerialOffset + 2 * i,
                          static_cast<std::uint8_t>(reader.serial[i]));
        }
        std::copy(reader.firmwareRevision.begin(), reader.firmwareRevision.end(),
                  block.begin() + info::FirmwareRevisionOffset);
        PutText(bytes.subspan(info::InquiryProductOffset, InquiryProductSize),
                reader.inquiryProduct, ' ');
        PutText(bytes.subspan(info::InquiryVendorOffset, InquiryVendorSize), reader.inquiryVendor,
                ' ');
        PutText(bytes.subspan(info::InquiryRevisionOffset, InquiryRevisionSize),
                reader.inquiryRevision, ' ');
        std::copy(reader.orgFirmwareRevision.begin(), reader.orgFirmwareRevision.end(),
                  block.begin() + info::OrgFirmwareRevisionOffset);
        std::copy(reader.hardwareCode.begin(), reader.hardwareCode.end(),
                  block.begin() + info::HardwareCodeOffset);
        std::copy(reader.usb20FirmwareRevision.begin(), reader.usb20FirmwareRevision.end(),
                  block.begin() + info::Usb20FirmwareRevisionOffset);
    }
    // The Memory Stick revision is kept with each byte pair swapped.
    std::array<std::uint8_t, info::MsRevisionSize> revision{};
    PutText(revision, msIspCode ? reader.msIspRevision : reader.msRevision, 0);
    for (std::size_t i = 0; i < info::MsRevisionSize; i += 2) {
        block[info::MsRevisionOffset + i] = revision[i + 1];
        block[info::MsRevisionOffset + i + 1] = revision[i];
    }
    return block;
}

std::array<std::uint8_t, InquiryAnswerSize> BuildInquiry(const InquiryIdentity& id) {
    std::array<std::uint8_t, InquiryAnswerSize> data{};
    data[0] = 0x00;  // connected direct-access device
    data[1] = id.removable ? 0x80 : 0x00;
    data[2] = 0x02;  // SCSI-2
    data[3] = 0x02;  // response data format
    data[4] = StandardInquirySize - 5;
    const std::span<std::uint8_t> bytes(data);
    PutText(bytes.subspan(8, InquiryVendorSize), id.vendor, ' ');
    PutText(bytes.subspan(16, InquiryProductSize), id.product, ' ');
    PutText(bytes.subspan(32, InquiryRevisionSize), id.revision, ' ');
    return data;
}

}  // namespace kestrix::sim
