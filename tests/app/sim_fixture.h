#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/system.h"
#include "app/upgrade_dialog.h"
#include "platform/host.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/world.h"
#include "platform/window_model.h"

namespace kestrix::app::testing {

class RecordingConsole : public platform::Console {
  public:
    void WriteStdout(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

// The dialog on the simulated host described by a world file, working in a scratch
// directory.
class SimFixture {
  public:
    explicit SimFixture(const std::string& worldJson, const std::string& deviceTxt) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        workDir = std::filesystem::temp_directory_path() /
                  ("kestrix-sim-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(workDir);
        std::ofstream(workDir / "DEVICE.TXT", std::ios::binary) << deviceTxt;

        sim::WorldLoadResult loaded = sim::ParseWorld(worldJson, "test-world.json");
        EXPECT_TRUE(loaded.world) << loaded.error;
        simHost = std::make_unique<sim::SimHost>(loaded.world ? *loaded.world : sim::DemoWorld());
        host = std::make_unique<platform::Host>(platform::Host{
            *simHost, *simHost, *simHost, *simHost, console, window, simHost->Memory()});
        system = std::make_unique<System>(*host, workDir);
        dialog = std::make_unique<UpgradeDialog>(*system);
    }
    ~SimFixture() {
        dialog.reset();
        system.reset();
        simHost.reset();
        std::error_code ignored;
        std::filesystem::remove_all(workDir, ignored);
    }

    [[nodiscard]] std::string MainText(int control) {
        return window.GetItemText(platform::MainDialogId, control);
    }

    std::filesystem::path workDir;
    RecordingConsole console;
    platform::WindowModel window;
    std::unique_ptr<sim::SimHost> simHost;
    std::unique_ptr<platform::Host> host;
    std::unique_ptr<System> system;
    std::unique_ptr<UpgradeDialog> dialog;
};

}  // namespace kestrix::app::testing
