#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/upgrade_options.h"
#include "gui/upgrade_runner.h"

namespace kestrix::gui {
namespace {

TEST(UpgradeOptions, CommandLines) {
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
        std::string world;  // expected world file, empty when none
        std::string workDir;
        std::string error;
    };
    const Case cases[] = {
        {{}, true, "", ".", ""},
        {{"--world", "w.json", "--workdir", "demo"}, true, "w.json", "demo", ""},
        {{"--workdir"}, false, "", "", "--workdir needs a value"},
        {{"--json"}, false, "", "", "unknown option --json"},
        {{"getinfo"}, false, "", "", "unexpected argument getinfo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const ParsedUpgradeOptions parsed = ParseUpgradeOptions(c.arguments);
        ASSERT_EQ(parsed.options.has_value(), c.ok) << parsed.error;
        if (!c.ok) {
            EXPECT_EQ(parsed.error, c.error);
            continue;
        }
        EXPECT_EQ(parsed.options->worldFile.value_or("").string(), c.world);
        EXPECT_EQ(parsed.options->workDir.string(), c.workDir);
    }
    EXPECT_TRUE(ParseUpgradeOptions({"--help"}).help);
}

// A command line or world file that cannot be used ends the tool with exit status 2 and a
// message on the error stream, before any window is shown.
TEST(UpgradeRunner, BadInputEndsWithUsageStatus) {
    const std::filesystem::path badWorld =
        std::filesystem::temp_directory_path() /
        ("kestrix-gui-bad-world-" + std::to_string(::getpid()) + ".json");
    std::ofstream(badWorld) << "{ not json";
    struct Case {
        std::vector<std::string> arguments;
        std::string errorStart;
    };
    const Case cases[] = {
        {{"--bogus"}, "kestrix-upgrade: unknown option --bogus\nusage: kestrix-upgrade"},
        {{"--world", "/nonexistent/world.json"}, "kestrix-upgrade: "},
        {{"--world", badWorld.string()}, "kestrix-upgrade: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        std::ostringstream out;
        std::ostringstream err;
        bool boxShown = false;
        EXPECT_EQ(RunUpgrade(c.arguments, out, err,
                             [&](QWidget*, const std::string&, const std::string&,
                                 platform::MessageIcon) { boxShown = true; }),
                  ExitUsage);
        EXPECT_TRUE(err.str().starts_with(c.errorStart)) << err.str();
        EXPECT_GT(err.str().size(), c.errorStart.size());
        EXPECT_FALSE(boxShown);
    }
    std::filesystem::remove(badWorld);
}

}  // namespace
}  // namespace kestrix::gui
