#include "fake_readers.h"

#include <algorithm>

#include "core/byte_order.h"
#include "device/device_info_layout.h"
#include "device/drive_paths.h"
#include "platform/pass_through_layout.h"

namespace kestrix::device_test {

namespace {

namespace layout = device::info_layout;
namespace header = platform::pass_through;

constexpr std::size_t DataArea = 80;
constexpr std::size_t InquiryIdentityOffset = 8;

template <std::size_t N>
void Put(device::DeviceInfoBlock& info, std::size_t offset,
         const std::array<std::uint8_t, N>& bytes) {
    std::copy(bytes.begin(), bytes.end(), info.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::array<std::uint8_t, 36> Inquiry(std::string_view vendor, std::string_view product,
                                     std::string_view revision) {
    std::array<std::uint8_t, 36> inquiry{};
    const auto v = Padded<8>(vendor);
    const auto p = Padded<16>(product);
    const auto r = Padded<4>(revision);
    std::copy(v.begin(), v.end(), inquiry.begin() + InquiryIdentityOffset);
    std::copy(p.begin(), p.end(), inquiry.begin() + InquiryIdentityOffset + 8);
    std::copy(r.begin(), r.end(), inquiry.begin() + InquiryIdentityOffset + 24);
    return inquiry;
}

}  // namespace

FakeReader MakeReader(std::string_view serial, std::string_view vendor, std::string_view product,
                      std::string_view revision) {
    FakeReader reader;
    reader.inquiry = Inquiry(vendor, product, revision);
    device::DeviceInfoBlock& info = reader.info;
    core::PutLe16(info, layout::VidOffset, 0x1234);
    core::PutLe16(info, layout::PidOffset, 0x5678);
    for (std::size_t i = 0; i < serial.size() && i < layout::SerialUnits; ++i)
        info[layout::SerialOffset + 2 * i] = static_cast<std::uint8_t>(serial[i]);
    Put(info, layout::InquiryVendorOffset, Padded<8>(vendor));
    Put(info, layout::InquiryProductOffset, Padded<16>(product));
    Put(info, layout::InquiryRevisionOffset, Padded<4>(revision));
    Put(info, layout::HardwareCodeOffset, std::array<std::uint8_t, 3>{0x20, 0x35, 0x01});
    reader.revision = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x01, 0x02};
    Put(info, layout::FirmwareRevisionOffset, reader.revision);
    return reader;
}

FakeMachine::FakeMachine(Bench& bench) : bench_(bench) {
    bench_.kernel.onIo = [this](const IoCall& call, std::span<std::uint8_t> output) {
        return OnIo(call, output);
    };
}

void FakeMachine::AddDrive(char letter, std::size_t reader) {
    drives_[letter] = reader;
    bench_.kernel.logicalDrives |= 1u << (letter - 'A');
    bench_.kernel.openable[device::DrivePath(static_cast<std::uint8_t>(letter))] =
        DriveHandle(letter);
}

void FakeMachine::AddOtherDrive(char letter, std::string_view vendor, std::string_view product) {
    otherDrives_[letter] = Inquiry(vendor, product, "1.0");
    bench_.kernel.logicalDrives |= 1u << (letter - 'A');
    bench_.kernel.openable[device::DrivePath(static_cast<std::uint8_t>(letter))] =
        DriveHandle(letter);
}

void FakeMachine::AddUnopenableDrive(char letter) {
    bench_.kernel.logicalDrives |= 1u << (letter - 'A');
}

void FakeMachine::AddDriver(std::string_view name, platform::Handle handle) {
    bench_.kernel.openable[std::string(device::DevicePathPrefix) + std::string(name)] = handle;
}

bool FakeMachine::Fails(const FakeReader& reader, const std::string& command) const {
    return reader.failing.contains(command);
}

FakeReader* FakeMachine::ReaderAt(std::uint32_t device) {
    return device < readers.size() ? &readers[device] : nullptr;
}

bool FakeMachine::OnIo(const IoCall& call, std::span<std::uint8_t> output) {
    if (call.handle == PortDriverHandle) return OnPortDriver(call, output);
    for (const auto& [letter, reader] : drives_) {
        if (call.handle == DriveHandle(letter)) return OnDrive(letter, call, output);
    }
    for (const auto& [letter, inquiry] : otherDrives_) {
        if (call.handle != DriveHandle(letter)) continue;
        if (call.code != header::IoctlScsiPassThrough || output.size() < DataArea) return false;
        if (call.input[header::CdbOffset] == 0x12 && output.size() >= DataArea + inquiry.size()) {
            std::copy(inquiry.begin(), inquiry.end(), output.begin() + DataArea);
            output[header::ScsiStatusOffset] = 0;
        } else {
            output[header::ScsiStatusOffset] = 2;  // check condition: not a reader
        }
        return true;
    }
    return false;
}

bool FakeMachine::OnDrive(char letter, const IoCall& call, std::span<std::uint8_t> output) {
    FakeReader& reader = readers[drives_[letter]];
    if (call.code != header::IoctlScsiPassThrough || call.input.size() < header::HeaderSize ||
        output.size() < DataArea)
        return false;
    const std::uint8_t operation = call.input[header::CdbOffset];
    const std::uint8_t sub = call.input[header::CdbOffset + 1];
    std::string command;
    std::span<const std::uint8_t> answer;
    if (operation == 0x12) {
        command = "Inquiry";
        answer = reader.inquiry;
    } else if (operation == 0x06 && sub == 0x05) {
        command = "ReadDeviceInfo";
        answer = reader.info;
    } else if (operation == 0xFF && (sub == 0x13 || sub == 0x03)) {
        command = sub == 0x13 ? "ReadBlocksAlt" : "ReadBlocks";
        answer = std::span(reader.info).first(512);
    } else {
        return false;
    }
    received.push_back(command + "@" + letter);
    if (Fails(reader, command)) return false;
    if (output.size() < DataArea + answer.size()) return false;
    std::copy(answer.begin(), answer.end(), output.begin() + DataArea);
    output[header::ScsiStatusOffset] = 0;
    return true;
}

bool FakeMachine::OnPortDriver(const IoCall& call, std::span<std::uint8_t> output) {
    (void)output;
    const auto& in = call.input;
    const std::uint32_t function = Word(in, 0);
    const auto count = [&]() -> std::uint8_t {
        return reportedDeviceCount.value_or(static_cast<std::uint8_t>(readers.size()));
    };
    auto answerCount = [&](std::uint8_t value, std::uint32_t token, const std::string& name) {
        received.push_back(name);
        auto answer = bench_.Resolve(token, 8);
        if (answer.empty()) return false;
        answer[0] = value;
        return true;
    };
    auto deliver = [&](FakeReader* reader, const std::string& name, std::uint32_t device,
                       std::span<const std::uint8_t> bytes, std::uint32_t token) {
        received.push_back(name + "@" + std::to_string(device));
        if (reader == nullptr || Fails(*reader, name)) return false;
        auto answer = bench_.Resolve(token, bytes.size());
        if (answer.empty()) return false;
        std::copy(bytes.begin(), bytes.end(), answer.begin());
        return true;
    };

    if (in.size() == 16) {
        const std::uint32_t device = Word(in, 8) >> 24;
        const std::uint32_t token = Word(in, 12);
        FakeReader* reader = ReaderAt(device);
        const bool dialectA = call.code == 0x41;
        if ((dialectA && function == 0x0A) || (!dialectA && function == 1))
            return answerCount(count(), token, "GetDeviceCount");
        if ((dialectA && function == 0x0B) || (!dialectA && function == 2)) {
            if (reader != nullptr && Fails(*reader, "GetSlotCount")) return false;
            return answerCount(reader ? reader->slots : 0, token,
                               "GetSlotCount@" + std::to_string(device));
        }
        if (!dialectA) return false;
        if (function == 0x1F || function == 0x01)
            return deliver(reader, function == 0x1F ? "ReadBlocksAlt" : "ReadBlocks", device,
                           reader ? std::span<const std::uint8_t>(reader->info).first(512)
                                  : std::span<const std::uint8_t>(),
                           token);
        if (function == 0x1A)
            return deliver(reader, "ReadFirmwareRevision", device,
                           reader ? std::span<const std::uint8_t>(reader->revision)
                                  : std::span<const std::uint8_t>(),
                           token);
        return false;
    }
    if (in.size() == 40 && call.code == 0x42 && function == 3) {
        const std::uint32_t device = Word(in, 4);
        const std::uint32_t token = Word(in, 36);
        if (in[12] == 0x06 && in[13] == 0x05) {
            FakeReader* reader = ReaderAt(device);
            return deliver(reader, "ReadDeviceInfo", device,
                           reader ? std::span<const std::uint8_t>(reader->info)
                                  : std::span<const std::uint8_t>(),
                           token);
        }
    }
    return false;
}

}  // namespace kestrix::device_test
