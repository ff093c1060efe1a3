#include "sim/sim_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrix::sim::test {

namespace pt = platform::pass_through;

World MustParse(const std::string& json) {
    WorldLoadResult result = ParseWorld(json, "test.json");
    EXPECT_TRUE(result.world) << result.error;
    return result.world ? std::move(*result.world) : World{};
}

Reader TestReader(std::vector<char> slots, std::string serial) {
    Reader reader;
    reader.slots = std::move(slots);
    reader.serial = std::move(serial);
    return reader;
}

PassThrough::PassThrough(const Bytes& cdb, std::uint8_t dataIn, std::uint32_t transferLength,
                         std::size_t bufferSize)
    : buffer(bufferSize, 0) {
    core::PutLe16(buffer, pt::LengthOffset, 44);
    buffer[pt::TargetIdOffset] = 1;
    buffer[pt::CdbLengthOffset] = 12;
    buffer[pt::SenseInfoLengthOffset] = 24;
    buffer[pt::DataInOffset] = dataIn;
    core::PutLe32(buffer, pt::DataTransferLengthOffset, transferLength);
    core::PutLe32(buffer, pt::TimeOutValueOffset, 2);
    core::PutLe32(buffer, pt::DataBufferOffsetOffset, 80);
    core::PutLe32(buffer, pt::SenseInfoOffsetOffset, 48);
    std::copy(cdb.begin(), cdb.end(), buffer.begin() + pt::CdbOffset);
    if (dataIn == pt::DataIn) {
        outputLength = 80 + transferLength;
    } else {
        inputLength = 80 + transferLength;
        outputLength = 80 + transferLength;
    }
    if (transferLength == 0) outputLength = 80;
}

bool Send(SimHost& host, platform::Handle handle, PassThrough& request) {
    std::uint32_t returned = 0;
    return host.DeviceIoControl(handle, pt::IoctlScsiPassThrough,
                                std::span(request.buffer).first(request.inputLength),
                                std::span(request.buffer).first(request.outputLength), returned);
}

platform::Handle OpenDrive(SimHost& host, char letter) {
    const std::string path = std::string("\\\\.\\") + letter + ":";
    return host.CreateFileA(path, platform::GenericRead | platform::GenericWrite,
                            platform::FileShareRead | platform::FileShareWrite,
                            platform::OpenExisting, 0);
}

platform::Handle OpenDevice(SimHost& host, const std::string& name) {
    return host.CreateFileA("\\\\.\\" + name, platform::GenericRead | platform::GenericWrite, 0,
                            platform::OpenExisting, 0);
}

std::array<std::uint8_t, 16> ShortRequest(std::uint32_t function, std::uint32_t parameter,
                                          std::uint32_t word, std::uint32_t address) {
    std::array<std::uint8_t, 16> request{};
    core::PutLe32(request, 0, function);
    core::PutLe32(request, 4, parameter);
    core::PutLe32(request, 8, word);
    core::PutLe32(request, 12, address);
    return request;
}

std::array<std::uint8_t, 40> CdbRequest(std::uint32_t device, std::uint32_t target,
                                        const Bytes& cdb, std::uint32_t direction,
                                        std::uint32_t length, std::uint32_t address) {
    std::array<std::uint8_t, 40> request{};
    core::PutLe32(request, 0, 3);
    core::PutLe32(request, 4, device);
    core::PutLe32(request, 8, target);
    std::copy(cdb.begin(), cdb.end(), request.begin() + 12);
    core::PutLe32(request, 28, direction);
    core::PutLe32(request, 32, length);
    core::PutLe32(request, 36, address);
    return request;
}

Bytes SelfDriverRequest(std::uint32_t code, std::uint32_t length, std::uint32_t mode,
                        std::uint32_t answerAddress, const Bytes& data) {
    Bytes request(65552, 0);
    core::PutLe32(request, 0, code);
    core::PutLe32(request, 4, length);
    core::PutLe32(request, 8, mode);
    core::PutLe32(request, 12, answerAddress);
    std::copy(data.begin(), data.end(), request.begin() + 16);
    return request;
}

Bytes WriteIspCdb(std::uint32_t length, std::uint8_t mode, std::uint8_t romSelect) {
    const std::uint32_t padded = (length + 511) / 512 * 512;
    return {0x06,
            static_cast<std::uint8_t>(0xB1 + mode),
            mode,
            romSelect,
            static_cast<std::uint8_t>(length),
            static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(padded / 512),
            0,
            0,
            0,
            0,
            0};
}

Bytes Image(std::size_t length, std::uint8_t seed) {
    Bytes image(length);
    for (std::size_t i = 0; i < length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

bool Rejected(const SimHost& host, const std::string& text) {
    const auto rejections = host.Rejections();
    return std::any_of(rejections.begin(), rejections.end(),
                       [&](const std::string& r) { return r.find(text) != std::string::npos; });
}

}  // namespace kestrix::sim::test
