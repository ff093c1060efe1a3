#include "fake_platform.h"

#include <algorithm>

#include "core/byte_order.h"

namespace kestrix::device_test {

std::vector<platform::Handle> FakeKernel::OpenHandles() const {
    return opened_;
}

platform::Handle FakeKernel::CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                         std::uint32_t shareMode, std::uint32_t creationDisposition,
                                         std::uint32_t flagsAndAttributes) {
    creates.push_back(
        {std::string(path), desiredAccess, shareMode, creationDisposition, flagsAndAttributes});
    const auto it = openable.find(std::string(path));
    if (it == openable.end()) return platform::InvalidHandleValue;
    opened_.push_back(it->second);
    return it->second;
}

bool FakeKernel::DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode,
                                 std::span<const std::uint8_t> input,
                                 std::span<std::uint8_t> output, std::uint32_t& bytesReturned) {
    IoCall call{device, ioControlCode, {input.begin(), input.end()}, output.size()};
    ios.push_back(call);
    bytesReturned = 0;
    if (!onIo) return false;
    return onIo(call, output);
}

bool FakeKernel::CloseHandle(platform::Handle handle) {
    closed.push_back(handle);
    const auto it = std::find(opened_.begin(), opened_.end(), handle);
    if (it == opened_.end()) return false;
    opened_.erase(it);
    return true;
}

std::int32_t FakeRegistry::RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                                         std::uint32_t desiredAccess, platform::RegKey& result) {
    openedKeys.emplace_back(subKey);
    accesses.push_back(desiredAccess);
    if (root != platform::HkeyLocalMachine || !values.contains(std::string(subKey)))
        return platform::ErrorFileNotFound;
    result = next_++;
    handles_[result] = std::string(subKey);
    ++openKeys;
    return platform::ErrorSuccess;
}

std::int32_t FakeRegistry::RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                            std::span<std::uint8_t> data,
                                            std::uint32_t& dataLength) {
    ++queries;
    const auto it = handles_.find(key);
    if (it == handles_.end()) return platform::ErrorInvalidHandle;
    if (valueName != "CurrentDriveLetterAssignment") return platform::ErrorFileNotFound;
    const std::string& value = values[it->second];
    dataLength = static_cast<std::uint32_t>(value.size() + 1);
    if (dataLength > data.size()) return platform::ErrorMoreData;
    std::copy(value.begin(), value.end(), data.begin());
    data[value.size()] = 0;
    return platform::ErrorSuccess;
}

std::int32_t FakeRegistry::RegCloseKey(platform::RegKey key) {
    if (handles_.erase(key) == 0) return platform::ErrorInvalidHandle;
    --openKeys;
    return platform::ErrorSuccess;
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return core::GetLe32(bytes, offset);
}

}  // namespace kestrix::device_test
