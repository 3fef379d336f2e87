// The command-line tool's link and settings commands, run as a process: the
// arguments, exit codes and exact output; the link rules themselves and the
// settings file (outside writes included) are tested on the libraries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>

#include "tools/cli.h"

namespace {

using clitest::Args;
using clitest::Cli;

TEST(CliLink, PrintsTheLinkTextOrTheUsage) {
    const auto r = Cli({"link", "--windows", "C:\\web", "D:\\pics\\a.gif"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "file:///D|/pics/a.gif\n");
    EXPECT_EQ(Cli({"link", "--windows", "", ""}).out, "\n");  // an empty path still prints its line
    for (const Args& args :
         {Args{"link"}, Args{"link", "--windows", "C:\\web"}, Args{"link", "a", "b", "c"}}) {
        const auto u = Cli(args);
        EXPECT_EQ(u.exitCode, 2) << args.size();
        EXPECT_EQ(u.out, "");
        EXPECT_NE(u.err.find("usage: zer-evizi-cli link [--windows] BASE PATH\n"), u.err.npos);
    }
}

class CliSettings : public ::testing::Test {
protected:
    testutil::ProcessResult Settings(Args args) {
        args.insert(args.begin(), "settings");
        return Cli(args, {}, &m_home);
    }
    // The values as shown, with the file they live in.
    std::string Shown(const std::string& values) const { return values + "file=" + File() + "\n"; }
    std::string File() const { return m_home.File("config/SEKKA/Zer Evizi SEKKA.conf"); }
    testutil::TempDir m_home;
};

TEST_F(CliSettings, RoundTripThroughTheUsersFile) {
    auto r = Settings({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Shown("BaseDir=\ntag=0\n"));
    r = Settings({"--base", "/home/u/ウェブ, 1", "--tag", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Shown("BaseDir=/home/u/ウェブ, 1\ntag=1\n"));
    // Alone, each option leaves the other value as it was.
    EXPECT_EQ(Settings({"--tag", "0"}).out, Shown("BaseDir=/home/u/ウェブ, 1\ntag=0\n"));
    EXPECT_EQ(Settings({"--base", ""}).out, Shown("BaseDir=\ntag=0\n"));
}

TEST_F(CliSettings, UsageErrorsWriteNothingAndAnUnwritableStoreFails) {
    for (const Args& args : {Args{"--tag"}, Args{"--tag", "x"}, Args{"--tag", "99999999999"},
                             Args{"--base", "a", "--base", "b"}, Args{"--color", "red"}}) {
        const auto r = Settings(args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zer-evizi-cli settings [--base TEXT] [--tag N]\n"),
                  r.err.npos);
    }
    EXPECT_FALSE(std::filesystem::exists(File()));

    // The config folder is a plain file: nothing can be stored below it.
    testutil::WriteFile(m_home.File("config"), "");
    const auto r = Settings({"--tag", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("zer-evizi-cli: cannot store tag in "), r.err.npos) << r.err;
    EXPECT_EQ(Settings({}).out, Shown("BaseDir=\ntag=0\n"));  // reading still works
}

// Many writers at once: a write reports failure only when it failed.
TEST_F(CliSettings, ConcurrentWritersEachSucceed) {
    ASSERT_EQ(Settings({"--tag", "1"}).exitCode, 0);
    std::vector<std::future<testutil::ProcessResult>> runs;
    for (int i = 0; i < 50; ++i)
        runs.push_back(std::async(std::launch::async, [this, i] {
            return Settings({"--base", std::to_string(i)});
        }));
    for (auto& run : runs) EXPECT_EQ(run.get().exitCode, 0);
    const std::string shown = Settings({}).out;
    const int last = std::atoi(shown.c_str() + std::string("BaseDir=").size());
    EXPECT_EQ(shown, Shown("BaseDir=" + std::to_string(last) + "\ntag=1\n"));
}

}  // namespace
