// The command-line tool's link and settings commands, run as a process.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/test_util.h"

namespace {

using testutil::ProcessResult;
using testutil::RunProcess;

ProcessResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv);
}

TEST(CliLink, PrintsTheLinkText) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"--windows", "C:\\web", "C:\\web\\img\\a.gif"}, "img/a.gif\n"},
        {{"--windows", "C:\\web", "D:\\pics\\a.gif"}, "file:///D|/pics/a.gif\n"},
        {{"--windows", "c:\\web", "C:\\web\\a.gif"}, "file:///C|/web/a.gif\n"},
        {{"--windows", "C:\\", "C:\\a.gif"}, "a.gif\n"},
        {{"--windows", "", "C:\\web\\my pic.gif"}, "my pic.gif\n"},
        {{"/home/u/web/site", "/home/u/web/img/a.gif"}, "../img/a.gif\n"},
        {{"", "/home/u/地図.gif"}, "地図.gif\n"},
        // An empty path still prints its line.
        {{"--windows", "", ""}, "\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = Cli([&] {
            std::vector<std::string> a{"link"};
            a.insert(a.end(), c.args.begin(), c.args.end());
            return a;
        }());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliLink, UsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"link"},
             {"link", "C:\\web"},
             {"link", "--windows", "C:\\web"},
             {"link", "a", "b", "c"},
         }) {
        const ProcessResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zer-evizi-cli link [--windows] BASE PATH\n"),
                  std::string::npos)
            << r.err;
    }
}

// Runs the tool with its settings in `home` only.
class CliSettings : public ::testing::Test {
protected:
    ProcessResult Settings(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"/usr/bin/env", "XDG_CONFIG_HOME=" + m_home.File("config"),
                                      "HOME=" + m_home.File("home"), ZE_CLI, "settings"};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv);
    }
    std::string FileLine() const {
        return "file=" + m_home.File("config") + "/SEKKA/Zer Evizi SEKKA.conf\n";
    }
    std::string File() const { return m_home.File("config/SEKKA/Zer Evizi SEKKA.conf"); }

    testutil::TempDir m_home;
};

TEST_F(CliSettings, RoundTripThroughTheUsersFile) {
    ProcessResult r = Settings({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "BaseDir=\ntag=0\n" + FileLine());

    r = Settings({"--base", "/home/u/ウェブ, 1", "--tag", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "BaseDir=/home/u/ウェブ, 1\ntag=1\n" + FileLine());
    EXPECT_NE(testutil::ReadFile(File()).find("[General]\n"), std::string::npos);

    // Alone, each option leaves the other value as it was.
    r = Settings({"--tag", "0"});
    EXPECT_EQ(r.out, "BaseDir=/home/u/ウェブ, 1\ntag=0\n" + FileLine());
    r = Settings({"--base", ""});
    EXPECT_EQ(r.out, "BaseDir=\ntag=0\n" + FileLine());

    // A value written into the file from outside is what the next run reads.
    testutil::WriteFile(File(), "[General]\nBaseDir=/srv/www\ntag=5\n");
    r = Settings({});
    EXPECT_EQ(r.out, "BaseDir=/srv/www\ntag=5\n" + FileLine());
    testutil::WriteFile(File(), "[General]\ntag=five\n");
    r = Settings({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "BaseDir=\ntag=0\n" + FileLine());
}

TEST_F(CliSettings, UsageErrorsWriteNothing) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--tag"},
                                               {"--tag", "x"},
                                               {"--tag", "99999999999"},
                                               {"--base"},
                                               {"--base", "a", "--base", "b"},
                                               {"--tag", "1", "extra"},
                                               {"--color", "red"}}) {
        const ProcessResult r = Settings(args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zer-evizi-cli settings [--base TEXT] [--tag N]\n"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(CliSettings, UnwritableStoreIsAFailure) {
    // The config folder is a plain file: nothing can be stored below it.
    testutil::WriteFile(m_home.File("config"), "");
    const ProcessResult r = Settings({"--tag", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("zer-evizi-cli: cannot store tag in "), std::string::npos) << r.err;
    // Reading still works and gives the defaults.
    EXPECT_EQ(Settings({}).out, "BaseDir=\ntag=0\n" + FileLine());
}

}  // namespace
