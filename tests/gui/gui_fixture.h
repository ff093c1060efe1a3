#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gui/upgrade_session.h"
#include "platform/sim/world.h"

namespace kestrix::gui::testing {

struct ShownBox {
    std::string text;
    std::string caption;
    platform::MessageIcon icon = platform::MessageIcon::None;
};

[[nodiscard]] inline sim::World WorldFromJson(const std::string& json) {
    sim::WorldLoadResult loaded = sim::ParseWorld(json, "test-world.json");
    EXPECT_TRUE(loaded.world) << loaded.error;
    return loaded.world ? *loaded.world : sim::DemoWorld();
}

// The desktop tool on a simulated machine, in a scratch working directory, with message
// boxes answered by the test instead of shown.
class GuiSession {
  public:
    // DEVICE.TXT accepts the readers the simulated worlds hold by default.
    explicit GuiSession(sim::World world = sim::DemoWorld(),
                        const std::string& deviceTxt = "FA_Inquiry_Product = \"USB Reader\";\n") {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        for (char& c : name) {
            if (c == '/') c = '_';
        }
        workDir = std::filesystem::temp_directory_path() /
                  ("kestrix-gui-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(workDir);
        std::ofstream(workDir / "DEVICE.TXT", std::ios::binary) << deviceTxt;
        session = std::make_unique<UpgradeSession>(
            std::move(world), workDir, out,
            [this](QWidget*, const std::string& text, const std::string& caption,
                   platform::MessageIcon icon) {
                boxes.push_back({text, caption, icon});
                if (onBox) onBox();
            });
    }
    ~GuiSession() {
        session.reset();
        std::error_code ignored;
        std::filesystem::remove_all(workDir, ignored);
    }

    [[nodiscard]] QtWindow& Window() { return session->Window(); }
    [[nodiscard]] core::AppState& App() { return session->System().app; }
    template <typename Widget>
    [[nodiscard]] Widget& Control(int id) {
        auto* widget = qobject_cast<Widget*>(Window().MainControl(id));
        EXPECT_NE(widget, nullptr) << "control " << id;
        return *widget;
    }

    std::filesystem::path workDir;
    std::ostringstream out;
    std::vector<ShownBox> boxes;
    std::function<void()> onBox;  // runs while a box is open, as a nested event loop would
    std::unique_ptr<UpgradeSession> session;
};

}  // namespace kestrix::gui::testing
