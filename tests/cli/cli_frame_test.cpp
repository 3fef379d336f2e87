// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line tool as a process: usage errors, the link and settings commands' output, and
// info, ppm and convert (exit codes, messages, formats, one lossless round trip).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <iterator>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "image/image.h"
#include "support/pictures.h"

namespace {

using clitest::Args;
using clitest::Cli;
namespace fs = std::filesystem;

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
                             ";trace 1 2;info;ppm a.bmp b.bmp;convert a.bmp"
                             ";export --svg --scaling-map -;export --scaling-map --svg -");
    for (std::string call; std::getline(calls, call, ';');) {
        std::istringstream words(call);
        const Args args{std::istream_iterator<std::string>(words), {}};
        const auto r = Cli(args, "<map>\r\n</map>", &home);
        EXPECT_EQ(r.exitCode, 2) << call;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage: zer-evizi-cli " + args[0] + " "), r.err.npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(home.File("config")));
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
    // Each name listed is one the tool runs (a bare call gets its usage, not
    // "unknown command"), so an empty or garbled list fails here.
    ASSERT_FALSE(listed.empty());
    for (const std::string& name : listed)
        EXPECT_EQ(Cli({name, "--no-such-option"}).err.find("unknown command"), std::string::npos)
            << name;
    EXPECT_EQ(described, listed);
}

// The program the picture and markup commands start in loads neither Qt nor
// ICU; the commands that need them say so plainly when their program is not
// beside it, and the others still run.
TEST(CliUsage, OnlyTheDesktopCommandsNeedQtOrX11) {
    const auto loaded = testutil::RunProcess({"/usr/bin/env", "LD_TRACE_LOADED_OBJECTS=1", ZE_CLI});
    ASSERT_NE(loaded.out.find("libjpeg"), std::string::npos) << loaded.out;
    EXPECT_EQ(loaded.out.find("libQt"), std::string::npos) << loaded.out;
    EXPECT_EQ(loaded.out.find("libicu"), std::string::npos) << loaded.out;

    testutil::TempDir alone;
    const std::string copy = alone.File("zer-evizi-cli");
    fs::copy_file(ZE_CLI, copy);
    const auto r = testutil::RunProcess({copy, "skeleton", "a.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(
        r.err.starts_with("zer-evizi-cli: cannot run skeleton: zer-evizi-cli-desktop was "
                          "found neither in " +
                          alone.path().string() + " nor in "))
        << r.err;
    EXPECT_EQ(testutil::RunProcess({copy, "link", "a", "b"}).out, "../b\n");
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

TEST(CliImage, FailuresSayWhyInOneLine) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("deep.bmp"), testutil::TinyBmp(1, 1));
    testutil::WriteFile(dir.File("wide.bmp"), testutil::TinyBmp(16384, 1));
    testutil::WriteFile(dir.File("junk.bmp"), "not a picture at all, just some text here....");
    testutil::WriteFile(dir.File("pic.tif"), testutil::TinyBmp(1, 1));
    const std::pair<clitest::Args, const char*> cases[] = {
        {{"info", dir.File("pic.tif")}, "unsupported format"},
        {{"readout", dir.File("pic.tif"), "1", "2"}, "unsupported format"},
        {{"readout", dir.File("junk.bmp"), "1", "2"}, "cannot read"},
        {{"convert", dir.File("junk.bmp"), dir.File("o.png")}, "cannot read"},
        {{"convert", dir.File("deep.bmp"), dir.File("d.gif"), "--quality", "50"},
         "--quality is for JPEG, WebP and AVIF only"},
        {{"convert", dir.File("wide.bmp"), dir.File("w.webp")},
         "WebP holds at most 16383 pixels a side (the picture is 16384x1)"},
    };
    for (const auto& [args, message] : cases) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir.File("o.png")) || fs::exists(dir.File("d.gif")) ||
                 fs::exists(dir.File("w.webp")));

    // A picture that cannot be read: the reason, after the file's name.
    testutil::WriteFile(dir.File("broken.jpg"), "not a picture");
    testutil::WriteFile(dir.File("cut.bmp"), testutil::TinyBmp(2, 2).substr(0, 20));
    const std::pair<clitest::Args, const char*> reasons[] = {
        {{"info", dir.File("broken.jpg")}, "not a JPEG file"},
        {{"ppm", dir.File("cut.bmp")}, "the file is cut off at byte 20"},
        {{"convert", dir.File("gone.gif"), dir.File("o.png")}, "no such file"},
        {{"skeleton", dir.File("cut.bmp")}, "the file is cut off at byte 20"},
    };
    for (const auto& [args, reason] : reasons)
        EXPECT_EQ(Cli(args).err, "zer-evizi-cli: cannot read " + args[1] + ": " + reason + "\n");

    // Damage the libraries only warn about (a text chunk with a broken CRC, a
    // JPEG cut in its data) loads in silence.
    const auto small = testutil::Gradient(8, 8);
    for (const char* name : {"ok.png", "ok.jpg"}) ASSERT_EQ(small->Save(dir.File(name), -1), 1);
    std::string png = testutil::ReadFile(dir.File("ok.png"));
    png.insert(33, std::string("\0\0\0\x05tEXtab\0cd\x01\x02\x03\x04", 17));
    testutil::WriteFile(dir.File("text.png"), png);
    const std::string jpeg = testutil::ReadFile(dir.File("ok.jpg"));
    testutil::WriteFile(dir.File("short.jpg"), jpeg.substr(0, jpeg.size() - 10));
    for (const char* name : {"text.png", "short.jpg"}) {
        const auto r = Cli({"info", dir.File(name)});
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_TRUE(r.out.starts_with("8x8 depth=")) << name << r.out;
        EXPECT_EQ(r.err, "") << name;
    }
}

// BMP -> PNG -> BMP keeps every pixel, ppm writes the rows top down, info
// tells how the picture loaded and readout what the view's status line shows
// at the view's zoom levels. The codecs' own cases are tested in tests/image.
TEST(CliImage, RoundTripPpmAndInfo) {
    testutil::TempDir dir;
    ASSERT_EQ(testutil::Gradient(45, 23)->Save(dir.File("a.bmp"), kImageBmp), 1);
    std::string ppm = "P6\n45 23\n255\n";  // the top row first
    for (int r = 0; r < 23; ++r)
        for (int c = 0; c < 45; ++c) ppm += {char(c), char(r), 7};
    auto convert = [&](const char* in, const char* out) {
        const auto r = Cli({"convert", dir.File(in), dir.File(out)});
        EXPECT_EQ(r.exitCode, 0) << out << r.err;
        EXPECT_EQ(r.out + r.err, "") << out;
        return Cli({"ppm", dir.File(out)}).out;
    };
    EXPECT_EQ(convert("a.bmp", "b.png"), ppm);
    EXPECT_EQ(convert("b.png", "c.BMP"), ppm);
    // Output that cannot be written is a failure, not a picture.
    const auto full = testutil::RunProcess(
        {"/bin/sh", "-c", std::string(ZE_CLI) + " ppm '" + dir.File("a.bmp") + "' >/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "zer-evizi-cli: cannot write the picture to the standard output\n");
    EXPECT_EQ(Cli({"info", dir.File("a.bmp")}).out,
              "45x23 depth=24 colortype=2 palette=0 transparent=-1\n");
    // Zoom levels given as percentages read and draw the view's pixels.
    const std::pair<clitest::Args, const char*> zoomed[] = {
        {{"readout", dir.File("a.bmp"), "4", "0", "--zoom", "2", "--scroll", "3,0"},
         "X座標 = 4 Y座標 = 0   RGB(3, 0, 7)\n"},
        {{"readout", dir.File("a.bmp"), "10", "5", "--zoom", "66.7%"},
         "X座標 = 15 Y座標 = 7   RGB(15, 7, 7)\n"},
        {{"readout", dir.File("a.bmp"), "1", "1", "--zoom", "6.25%"},
         "X座標 = 16 Y座標 = 16   RGB(16, 16, 7)\n"},
        {{"area", "rect", "3,3", "30,21", "--zoom", "33.3%"},
         "<area shape=\"rect\" coords=\"9,9,90,63\" alt=\"\" href=\"\">\r\n</map>"},
        {{"area", "circle", "8,8", "8,18", "--zoom", "400%", "--scroll", "2,0"},
         "<area shape=\"circle\" coords=\"2,2,2\" alt=\"\" href=\"\">\r\n</map>"},
    };
    for (const auto& [args, out] : zoomed) EXPECT_EQ(Cli(args, "</map>").out, out) << args[4];
    EXPECT_NE(Cli({"readout", dir.File("a.bmp"), "1", "1", "--zoom", "25"}).exitCode, 0);
}

// A save that cannot be done says why, in the one line, and leaves the file
// that was there; so does one ended by SIGTERM while its temporary file is
// written, which goes with the process.
TEST(CliImage, FailedSaveSaysWhyAndKeepsTheFile) {
    testutil::TempDir dir;
    CImage big;
    big.Create(3000, 3000, 24, -1);
    ASSERT_EQ(big.Save(dir.File("big.bmp"), kImageBmp), 1);
    testutil::WriteFile(dir.File("in.bmp"), testutil::TinyBmp(8, 8));
    testutil::WriteFile(dir.File("ro.png"), "old");
    ::chmod(dir.File("ro.png").c_str(), 0444);
    fs::create_directory(dir.File("d.png"));
    const std::pair<std::string, const char*> cases[] = {
        {dir.File("ro.png"), "permission denied"},
        {dir.File("none/x.jpg"), "folder missing"},
        {dir.File("d.png"), "not a regular file"},
    };
    for (const auto& [target, reason] : cases) {
        const auto r = Cli({"convert", dir.File("in.bmp"), target});
        EXPECT_EQ(r.exitCode, 1) << target;
        EXPECT_EQ(r.err, "zer-evizi-cli: cannot write " + target + " (" + reason + ")\n");
    }
    EXPECT_EQ(testutil::ReadFile(dir.File("ro.png")), "old");

    bool stopped = false;
    for (int attempt = 0; attempt < 5 && !stopped; ++attempt) {
        testutil::WriteFile(dir.File("out.bmp"), "old");
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::execl(ZE_CLI, ZE_CLI, "convert", dir.File("big.bmp").c_str(),
                    dir.File("out.bmp").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Stopped as soon as its temporary file is there.
        int status = 0;
        bool writing = false;
        pid_t ended = 0;
        while (!writing && (ended = ::waitpid(pid, &status, WNOHANG)) == 0)
            for (const auto& e : fs::directory_iterator(dir.path()))
                writing |= e.path().filename().string().find(".zesave-") != std::string::npos;
        if (ended == 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, &status, 0);
        }
        // Unless the save finished first: then it is tried again.
        stopped = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
        if (stopped) {
            EXPECT_EQ(testutil::ReadFile(dir.File("out.bmp")), "old");
        }
        const auto entries = std::distance(fs::directory_iterator(dir.path()), {});
        EXPECT_EQ(entries, 5) << "big.bmp, in.bmp, ro.png, d.png and out.bmp only";
    }
    EXPECT_TRUE(stopped);
}

}  // namespace
