#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/system.h"
#include "platform/host.h"
#include "platform/window_model.h"

namespace kestrix::app::testing {

// A machine with nothing attached: no drives, no drivers, no ASPI, an empty registry. Only
// the system version is set. Enough for the dialog's own logic.
class EmptyMachine : public platform::Kernel,
                     public platform::Registry,
                     public platform::Modules,
                     public platform::Clock,
                     public platform::Console {
  public:
    std::uint32_t version = 0x0A280105;  // Windows XP
    std::vector<std::string> stdoutLines;

    std::uint32_t GetVersion() override { return version; }
    platform::Handle CreateFileA(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                                 std::uint32_t) override {
        return platform::InvalidHandleValue;
    }
    bool DeviceIoControl(platform::Handle, std::uint32_t, std::span<const std::uint8_t>,
                         std::span<std::uint8_t>, std::uint32_t&) override {
        return false;
    }
    bool CloseHandle(platform::Handle) override { return false; }
    std::uint32_t GetLogicalDrives() override { return 0; }
    void Sleep(std::uint32_t) override {}
    std::int32_t RegOpenKeyExA(platform::RegKey, std::string_view, std::uint32_t,
                               platform::RegKey&) override {
        return platform::ErrorFileNotFound;
    }
    std::int32_t RegQueryValueExA(platform::RegKey, std::string_view, std::span<std::uint8_t>,
                                  std::uint32_t&) override {
        return platform::ErrorFileNotFound;
    }
    std::int32_t RegCloseKey(platform::RegKey) override { return platform::ErrorInvalidHandle; }
    platform::ModuleHandle LoadLibraryA(std::string_view) override { return 0; }
    platform::ProcAddress GetProcAddress(platform::ModuleHandle, std::string_view) override {
        return 0;
    }
    bool FreeLibrary(platform::ModuleHandle) override { return false; }
    std::uint32_t CallGetAspi32SupportInfo(platform::ProcAddress) override { return 0; }
    std::uint32_t CallSendAspi32Command(platform::ProcAddress, std::span<std::uint8_t>,
                                        platform::AspiPostRoutine) override {
        return 0;
    }
    platform::LocalDate GetLocalDate() override { return {2026, 12, 11}; }
    void WriteStdout(std::string_view text) override { stdoutLines.emplace_back(text); }
};

// The empty machine, a window model and a fresh System working in a scratch directory.
struct AppFixture {
    explicit AppFixture(std::uint32_t version = 0x0A280105) {
        machine.version = version;
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        workDir = std::filesystem::temp_directory_path() /
                  ("kestrix-app-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(workDir);
        system = std::make_unique<System>(host, workDir);
    }
    ~AppFixture() {
        std::error_code ignored;
        std::filesystem::remove_all(workDir, ignored);
    }

    void WriteDeviceTxt(const std::string& text) const {
        std::ofstream(workDir / "DEVICE.TXT", std::ios::binary) << text;
    }

    EmptyMachine machine;
    platform::WindowModel window;
    platform::AddressSpace memory;
    platform::Host host{machine, machine, machine, machine, machine, window, memory};
    std::filesystem::path workDir;
    std::unique_ptr<System> system;
};

}  // namespace kestrix::app::testing
