#include "trace/tracing_host.h"

#include <algorithm>

#include "platform/aspi_layout.h"
#include "trace/request_decoding.h"

namespace kestrix::trace {

namespace {

Record Call(const char* name) {
    Record record;
    record["call"] = name;
    return record;
}

// The drive letters a GetLogicalDrives mask names, "CDE".
std::string DriveLetters(std::uint32_t mask) {
    std::string letters;
    for (unsigned i = 0; i < 26; ++i) {
        if ((mask >> i) & 1u) letters.push_back(static_cast<char>('A' + i));
    }
    return letters;
}

}  // namespace

TracingHost::TracingHost(platform::Kernel& kernel, platform::Registry& registry,
                         platform::Modules& modules, std::ostream& out)
    : kernel_(kernel), registry_(registry), modules_(modules), writer_(out) {}

// Kernel ------------------------------------------------------------------------------------

std::uint32_t TracingHost::GetVersion() {
    const std::uint32_t version = kernel_.GetVersion();
    Record record = Call("GetVersion");
    record["result"] = HexNumber(version);
    writer_.Write(record);
    return version;
}

platform::Handle TracingHost::CreateFileA(std::string_view path, std::uint32_t desiredAccess,
                                          std::uint32_t shareMode,
                                          std::uint32_t creationDisposition,
                                          std::uint32_t flagsAndAttributes) {
    const platform::Handle handle = kernel_.CreateFileA(path, desiredAccess, shareMode,
                                                        creationDisposition, flagsAndAttributes);
    Record record = Call("CreateFileA");
    record["path"] = std::string(path);
    record["access"] = HexNumber(desiredAccess);
    record["share"] = HexNumber(shareMode);
    record["disposition"] = creationDisposition;
    record["flags"] = HexNumber(flagsAndAttributes);
    record["result"] = HexNumber(handle);
    writer_.Write(record);
    return handle;
}

bool TracingHost::DeviceIoControl(platform::Handle device, std::uint32_t ioControlCode,
                                  std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output, std::uint32_t& bytesReturned) {
    // Input and output may be one buffer: the request is read before the call answers into it.
    const std::optional<Record> request = DecodeIoControlRequest(ioControlCode, input);
    const bool result =
        kernel_.DeviceIoControl(device, ioControlCode, input, output, bytesReturned);
    Record record = Call("DeviceIoControl");
    record["handle"] = HexNumber(device);
    record["code"] = HexNumber(ioControlCode);
    record["inputLength"] = input.size();
    record["outputLength"] = output.size();
    record["result"] = result;
    record["bytesReturned"] = bytesReturned;
    if (request) record["request"] = *request;
    if (result) {
        if (const auto answer = DecodeIoControlAnswer(ioControlCode, output))
            record["answer"] = *answer;
    }
    writer_.Write(record);
    return result;
}

bool TracingHost::CloseHandle(platform::Handle handle) {
    const bool result = kernel_.CloseHandle(handle);
    Record record = Call("CloseHandle");
    record["handle"] = HexNumber(handle);
    record["result"] = result;
    writer_.Write(record);
    return result;
}

std::uint32_t TracingHost::GetLogicalDrives() {
    const std::uint32_t mask = kernel_.GetLogicalDrives();
    Record record = Call("GetLogicalDrives");
    record["result"] = HexNumber(mask);
    record["drives"] = DriveLetters(mask);
    writer_.Write(record);
    return mask;
}

void TracingHost::Sleep(std::uint32_t milliseconds) {
    Record record = Call("Sleep");
    record["milliseconds"] = milliseconds;
    writer_.Write(record);
    kernel_.Sleep(milliseconds);
}

// Registry ----------------------------------------------------------------------------------

std::string TracingHost::KeyText(platform::RegKey key) const {
    std::lock_guard lock(keysMutex_);
    const auto found = openKeys_.find(key);
    return found == openKeys_.end() ? std::string() : found->second;
}

std::int32_t TracingHost::RegOpenKeyExA(platform::RegKey root, std::string_view subKey,
                                        std::uint32_t desiredAccess, platform::RegKey& result) {
    const std::int32_t status = registry_.RegOpenKeyExA(root, subKey, desiredAccess, result);
    if (status == platform::ErrorSuccess) {
        std::lock_guard lock(keysMutex_);
        openKeys_[result] = std::string(subKey);
    }
    Record record = Call("RegOpenKeyExA");
    record["root"] = HexNumber(root);
    record["key"] = std::string(subKey);
    record["access"] = HexNumber(desiredAccess);
    record["result"] = status;
    if (status == platform::ErrorSuccess) record["handle"] = HexNumber(result);
    writer_.Write(record);
    return status;
}

std::int32_t TracingHost::RegQueryValueExA(platform::RegKey key, std::string_view valueName,
                                           std::span<std::uint8_t> data,
                                           std::uint32_t& dataLength) {
    const std::int32_t status = registry_.RegQueryValueExA(key, valueName, data, dataLength);
    Record record = Call("RegQueryValueExA");
    record["handle"] = HexNumber(key);
    record["key"] = KeyText(key);
    record["value"] = std::string(valueName);
    record["bufferLength"] = data.size();
    record["result"] = status;
    if (status == platform::ErrorSuccess || status == platform::ErrorMoreData) {
        record["dataLength"] = dataLength;
        record["data"] = HexBytes(data.first(std::min<std::size_t>(dataLength, data.size())));
    }
    writer_.Write(record);
    return status;
}

std::int32_t TracingHost::RegCloseKey(platform::RegKey key) {
    const std::string text = KeyText(key);
    const std::int32_t status = registry_.RegCloseKey(key);
    {
        std::lock_guard lock(keysMutex_);
        openKeys_.erase(key);
    }
    Record record = Call("RegCloseKey");
    record["handle"] = HexNumber(key);
    record["key"] = text;
    record["result"] = status;
    writer_.Write(record);
    return status;
}

// Modules -----------------------------------------------------------------------------------

platform::ModuleHandle TracingHost::LoadLibraryA(std::string_view name) {
    const platform::ModuleHandle module = modules_.LoadLibraryA(name);
    Record record = Call("LoadLibraryA");
    record["name"] = std::string(name);
    record["result"] = HexNumber(module);
    writer_.Write(record);
    return module;
}

platform::ProcAddress TracingHost::GetProcAddress(platform::ModuleHandle module,
                                                  std::string_view name) {
    const platform::ProcAddress entry = modules_.GetProcAddress(module, name);
    Record record = Call("GetProcAddress");
    record["module"] = HexNumber(module);
    record["name"] = std::string(name);
    record["result"] = HexNumber(entry);
    writer_.Write(record);
    return entry;
}

bool TracingHost::FreeLibrary(platform::ModuleHandle module) {
    const bool result = modules_.FreeLibrary(module);
    Record record = Call("FreeLibrary");
    record["module"] = HexNumber(module);
    record["result"] = result;
    writer_.Write(record);
    return result;
}

std::uint32_t TracingHost::CallGetAspi32SupportInfo(platform::ProcAddress entry) {
    const std::uint32_t info = modules_.CallGetAspi32SupportInfo(entry);
    Record record = Call("GetASPI32SupportInfo");
    record["entry"] = HexNumber(entry);
    record["result"] = HexNumber(info);
    record["adapters"] = platform::aspi::SupportAdapterCount(info);
    record["status"] = platform::aspi::SupportStatus(info);
    writer_.Write(record);
    return info;
}

std::uint32_t TracingHost::CallSendAspi32Command(platform::ProcAddress entry,
                                                 std::span<std::uint8_t> requestBlock,
                                                 platform::AspiPostRoutine postRoutine) {
    // The block belongs to the request once it is sent (its completion may free it), so it is
    // read before.
    Record record = Call("SendASPI32Command");
    record["entry"] = HexNumber(entry);
    if (auto request = DecodeAspiRequest(requestBlock)) record.update(*request);
    const std::uint32_t status =
        modules_.CallSendAspi32Command(entry, requestBlock, std::move(postRoutine));
    record["result"] = status;
    writer_.Write(record);
    return status;
}

}  // namespace kestrix::trace
