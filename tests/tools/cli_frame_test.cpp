// The command-line tool run as a process: every command's usage errors, and
// the link and settings commands' exact output; the link rules themselves
// and the settings file (outside writes included) are tested on the libraries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <iterator>
#include <set>
#include <sstream>

#include "tools/cli.h"

namespace {

using clitest::Args;
using clitest::Cli;

// A wrong call of any command exits with 2, prints nothing and gives that
// command's usage line; nothing is stored.
TEST(CliUsage, EveryCommandRefusesAWrongCall) {
    testutil::TempDir home;
    std::string poly = "area poly";  // one vertex more than a polygon takes
    for (int i = 0; i < 257; ++i) (poly += ' ') += std::to_string(i) + ",-" + std::to_string(i);
    // The calls are split at ';', their arguments at spaces.
    std::istringstream calls(poly +
                             ";area poly 1,2;area square 1,2 3,4;area rect 1,2 3,4 --zoom 3"
                             ";area rect 1,2 3,x;area rect 1,2 3,4 --upper --lower"
                             ";area rect 1,2 3,99999999999;skeleton a.bmp --base;areas x;hit 1"
                             ";hit 1 2x;extract;extract p.html --image 0;merge p.html p.html;link"
                             ";link --windows C:\\web;link a b c;settings --tag;settings --tag x"
                             ";settings --tag 99999999999;settings --base a --base b"
                             ";settings --color red;readout g.bmp 1;readout g.bmp 1 2 --zoom 3"
                             ";readout g.bmp 1 2 --scroll 5;readout g.bmp 5x 5"
                             ";readout g.bmp 1 2 --scroll -1,0;trace g.bmp 1"
                             ";trace g.bmp 1 2 --tolerance 443;trace g.bmp 1 2 --max-corners 2"
                             ";trace 1 2;info;ppm a.bmp b.bmp;convert a.bmp");
    for (std::string call; std::getline(calls, call, ';');) {
        std::istringstream words(call);
        const Args args{std::istream_iterator<std::string>(words), {}};
        const auto r = Cli(args, "<map>\r\n</map>", &home);
        EXPECT_EQ(r.exitCode, 2) << call;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zer-evizi-cli " + args[0] + " "), r.err.npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(home.File("config")));
}

// The man page describes every command the tool lists, and no other: the
// first word of each entry (the line after ".TP") of its COMMANDS section.
TEST(CliUsage, TheManPageNamesEveryCommand) {
    std::set<std::string> listed, described;
    std::istringstream usage(Cli({}).err),
        page(testutil::ReadFile(testutil::SourcePath("docs/zer-evizi-cli.1")));
    for (std::string line; std::getline(usage, line);)
        if (line.starts_with("  zer-evizi-cli "))
            listed.insert(line.substr(16, line.find(' ', 16) - 16));
    bool inCommands = false, entry = false;
    for (std::string line; std::getline(page, line); entry = line == ".TP") {
        if (line.starts_with(".SH")) inCommands = line == ".SH COMMANDS";
        if (!inCommands || !entry) continue;
        line.erase(0, line.starts_with(".BI ")                              ? 4
                      : line.starts_with(".B ") || line.starts_with("\\fB") ? 3
                                                                            : 0);
        described.insert(line.substr(0, line.find_first_of(" \\")));
    }
    EXPECT_EQ(listed.size(), 18u);
    EXPECT_EQ(described, listed);
}

TEST(CliLink, PrintsTheLinkText) {
    const auto r = Cli({"link", "--windows", "C:\\web", "D:\\pics\\a.gif"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "file:///D|/pics/a.gif\n");
    EXPECT_EQ(Cli({"link", "--windows", "", ""}).out, "\n");  // an empty path still prints its line
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

TEST_F(CliSettings, AnUnwritableStoreFails) {
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
