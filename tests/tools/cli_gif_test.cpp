// zer-evizi-cli info, ppm and convert over GIF files.

#include <algorithm>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../image/bmp_files.h"
#include "../image/gif_peer.h"
#include "common/test_util.h"

namespace {

testutil::ProcessResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return testutil::RunProcess(argv);
}

TEST(CliGif, InfoPpmAndConvertBothWays) {
    testutil::TempDir dir;
    gifpeer::File f;
    f.gif89 = true;
    f.colors = gifpeer::MakeColors(16, 3);
    f.frames.resize(1);
    gifpeer::Frame& fr = f.frames[0];
    fr.width = 21, fr.height = 9, fr.interlaced = true, fr.transparent = 2;
    fr.pixels = gifpeer::MakePixels(21, 9, 16);
    ASSERT_TRUE(gifpeer::Write(dir.File("t.gif"), f));
    // Each pixel's palette colour; the transparent entry shows black.
    std::string want = "P6\n21 9\n255\n";
    f.colors[2] = {0, 0, 0};
    for (uint8_t p : fr.pixels) want.append(f.colors[p].begin(), f.colors[p].end());

    EXPECT_EQ(Cli({"info", dir.File("t.gif")}).out,
              "21x9 depth=8 colortype=3 palette=256 transparent=2\n");
    EXPECT_EQ(Cli({"ppm", dir.File("t.gif")}).out, want);
    // GIF to GIF keeps the transparent index; GIF to BMP and back keeps
    // every colour.
    for (const char* out : {"u.GIF", "t.bmp"}) {
        ASSERT_EQ(Cli({"convert", dir.File("t.gif"), dir.File(out)}).exitCode, 0);
        EXPECT_EQ(Cli({"ppm", dir.File(out)}).out, want);
    }
    EXPECT_EQ(gifpeer::Read(dir.File("u.GIF")).transparent, 2);
    ASSERT_EQ(Cli({"convert", dir.File("t.bmp"), dir.File("v.gif")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("v.gif")}).out, want);
}

TEST(CliGif, PackedBmpConvertsAndDeepBmpIsRefused) {
    testutil::TempDir dir;
    bmpfile::Spec four;
    four.width = 5, four.height = 2, four.depth = 4;
    four.table = bmpfile::Table(16);
    four.pixels = std::string("\x01\x23\x40\x00\xfe\xdc\xb0\x00", 8);  // bottom row first
    testutil::WriteFile(dir.File("four.bmp"), bmpfile::Make(four));
    ASSERT_EQ(Cli({"convert", dir.File("four.bmp"), dir.File("four.gif")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("four.gif")}).out, Cli({"ppm", dir.File("four.bmp")}).out);
    EXPECT_EQ(gifpeer::Read(dir.File("four.gif")).pixels,
              (std::vector<uint8_t>{15, 14, 13, 12, 11, 0, 1, 2, 3, 4}));

    bmpfile::Spec deep;
    deep.pixels = std::string("\x01\x02\x03\x00", 4);
    testutil::WriteFile(dir.File("deep.bmp"), bmpfile::Make(deep));
    const auto r = Cli({"convert", dir.File("deep.bmp"), dir.File("deep.gif")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("GIF Images must be 8 bit or less"), std::string::npos) << r.err;
    // The library's message is folded into the command's one failure line.
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("deep.gif")));
}

}  // namespace
