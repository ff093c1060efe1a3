#include "cli/cli_runner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace kestrix::cli {
namespace {

using nlohmann::json;

// A scratch working directory per test, removed afterwards.
class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("kestrix-cli-" + std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }

    int Run(std::vector<std::string> arguments) {
        out_.str("");
        err_.str("");
        return RunCli(arguments, out_, err_);
    }

    std::vector<json> JsonLines() const {
        std::vector<json> lines;
        std::istringstream in(out_.str());
        std::string line;
        while (std::getline(in, line)) lines.push_back(json::parse(line));
        return lines;
    }

    std::filesystem::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(CliTest, BadUsageExitsWithTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--bogus"}, {"frobnicate"}, {"--world"}, {"isp"}}) {
        EXPECT_EQ(Run(arguments), ExitUsage) << arguments[0];
        EXPECT_NE(err_.str().find("usage:"), std::string::npos);
        EXPECT_EQ(out_.str(), "");
    }
}

TEST_F(CliTest, BadWorldFileNamesTheFileAndExitsWithTwo) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {{"broken.json", "{ \"os\": "},
                 {"wrongtype.json", "{ \"os\": 5 }"},
                 {"unknownos.json", "{ \"os\": \"beos\" }"},
                 {"binary.json", "\x01\x02\xff\xfe"}};
    for (const auto& c : cases) {
        const auto path = Write(c.name, c.text);
        EXPECT_EQ(Run({"--world", path.string(), "getinfo"}), ExitUsage) << c.name;
        EXPECT_NE(err_.str().find(c.name), std::string::npos) << err_.str();
    }
    EXPECT_EQ(Run({"--world", (dir_ / "missing.json").string()}), ExitUsage);
    EXPECT_NE(err_.str().find("missing.json"), std::string::npos) << err_.str();
}

TEST_F(CliTest, RefusedSystemShowsOneBoxAndEndsTheDialog) {
    const auto world = Write("w.json", R"({"os":"win2003"})");
    ASSERT_EQ(
        Run({"--world", world.string(), "--workdir", dir_.string(), "--json", "getinfo", "close"}),
        ExitOk);
    // Keys stand in the documented order, "event" first.
    EXPECT_EQ(out_.str(),
              "{\"event\":\"messagebox\",\"caption\":\"kestrix-upgrade\",\"icon\":\"none\","
              "\"text\":\"This program must run under win9x or WinMe or Win2K or WinXP\"}\n"
              "{\"event\":\"end\",\"result\":\"IDCANCEL\"}\n");
    const auto lines = JsonLines();
    ASSERT_EQ(lines.size(), 2u) << out_.str();
    EXPECT_EQ(lines[0],
              json({{"event", "messagebox"},
                    {"caption", "kestrix-upgrade"},
                    {"icon", "none"},
                    {"text", "This program must run under win9x or WinMe or Win2K or WinXP"}}));
    EXPECT_EQ(lines[1], json({{"event", "end"}, {"result", "IDCANCEL"}}));
}

TEST_F(CliTest, ActionsAfterTheDialogEndedAreIgnored) {
    const auto world = Write("w.json", R"({"os":"winxp"})");
    ASSERT_EQ(Run({"--world", world.string(), "--workdir", dir_.string(), "--json", "escape",
                   "getinfo", "close"}),
              ExitOk);
    std::vector<std::string> actions;
    for (const auto& line : JsonLines()) {
        if (line["event"] == "action") actions.push_back(line["name"]);
    }
    EXPECT_EQ(actions, std::vector<std::string>{"escape"});
    EXPECT_EQ(JsonLines().back(), json({{"event", "end"}, {"result", "IDCANCEL"}}));
}

TEST_F(CliTest, StateFileHoldsTheApplicationState) {
    const auto world = Write("w.json", R"({"os":"win98"})");
    const auto state = dir_ / "state.json";
    ASSERT_EQ(Run({"--world", world.string(), "--workdir", dir_.string(), "--state", state.string(),
                   "isp-ena"}),
              ExitOk);
    std::ifstream file(state);
    const json j = json::parse(file);
    EXPECT_EQ(j["osKind"], "Win98");
    EXPECT_EQ(j["ispEnabled"], 1);
    EXPECT_EQ(j["driverFileName"], "QXDKPDRV.PDR");
    EXPECT_EQ(j["counters"], json({{"success", 0}, {"error", 0}, {"total", 0}}));
    EXPECT_TRUE(j.contains("deviceConfig"));
    EXPECT_TRUE(j["deviceTable"].contains("deviceCount"));
}

TEST_F(CliTest, UnknownComboEntryIsNotedAndTheRunGoesOn) {
    const auto world = Write("w.json", R"({"os":"win98"})");
    ASSERT_EQ(Run({"--world", world.string(), "--workdir", dir_.string(), "--json",
                   "driver=NOPE.PDR", "enter"}),
              ExitOk);
    const auto lines = JsonLines();
    bool noted = false;
    for (const auto& line : lines) noted |= line["event"] == "notice";
    EXPECT_TRUE(noted);
    EXPECT_EQ(lines.back(), json({{"event", "end"}, {"result", "IDOK"}}));
}

TEST_F(CliTest, TraceFileGetsOneJsonObjectPerPlatformCall) {
    const auto trace = dir_ / "trace.jsonl";
    ASSERT_EQ(Run({"--workdir", dir_.string(), "--trace", trace.string(), "getinfo"}), ExitOk);
    std::ifstream file(trace);
    std::vector<std::string> calls;
    std::string line;
    while (std::getline(file, line)) calls.push_back(json::parse(line)["call"]);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "GetVersion");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "DeviceIoControl"), calls.end());

    EXPECT_EQ(Run({"--trace", (dir_ / "no-such-dir" / "t.jsonl").string()}), ExitUsage);
}

}  // namespace
}  // namespace kestrix::cli
