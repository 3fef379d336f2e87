// zer-evizi-cli info, ppm and convert over GIF files written by giflib and by
// our own writer.

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

// The P6 image the picture should give: each pixel's palette colour.
std::string ExpectedPpm(const gifpeer::Frame& f, std::vector<gifpeer::Rgb> colors) {
    if (f.transparent >= 0) colors[f.transparent] = {0, 0, 0};
    std::string s = "P6\n" + std::to_string(f.width) + " " + std::to_string(f.height) + "\n255\n";
    for (uint8_t p : f.pixels) s.append(colors[p].begin(), colors[p].end());
    return s;
}

TEST(CliGif, InfoPpmAndConvertBothWays) {
    testutil::TempDir dir;
    gifpeer::File f;
    f.gif89 = true;
    f.globalColors = gifpeer::MakeColors(16, 3);
    gifpeer::Frame fr;
    fr.width = 21, fr.height = 9;
    fr.pixels = gifpeer::MakePixels(21, 9, 16, 3);
    fr.interlaced = true;
    fr.transparent = 2;
    f.frames.push_back(fr);
    ASSERT_TRUE(gifpeer::Write(dir.File("t.gif"), f));

    auto info = Cli({"info", dir.File("t.gif")});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, "21x9 depth=8 colortype=3 palette=256 transparent=2\n");
    const std::string want = ExpectedPpm(fr, f.globalColors);
    EXPECT_EQ(Cli({"ppm", dir.File("t.gif")}).out, want);

    // GIF to BMP and back to GIF keeps every colour; the GIF written keeps
    // its transparent index.
    ASSERT_EQ(Cli({"convert", dir.File("t.gif"), dir.File("t.bmp")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("t.bmp")}).out, want);
    ASSERT_EQ(Cli({"convert", dir.File("t.gif"), dir.File("u.GIF")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("u.GIF")}).out, want);
    EXPECT_EQ(gifpeer::Read(dir.File("u.GIF")).transparent, 2);
    ASSERT_EQ(Cli({"convert", dir.File("t.bmp"), dir.File("v.gif")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("v.gif")}).out, want);
    EXPECT_EQ(Cli({"info", dir.File("v.gif")}).out,
              "21x9 depth=8 colortype=3 palette=256 transparent=-1\n");
}

TEST(CliGif, PackedBmpConvertsAndDeepBmpIsRefused) {
    testutil::TempDir dir;
    bmpfile::Spec four;
    four.width = 5, four.height = 2, four.depth = 4;
    four.table = bmpfile::Table(16);
    four.pixels = std::string("\x01\x23\x40\x00\xfe\xdc\xb0\x00", 8);
    testutil::WriteFile(dir.File("four.bmp"), bmpfile::Make(four));
    ASSERT_EQ(Cli({"convert", dir.File("four.bmp"), dir.File("four.gif")}).exitCode, 0);
    EXPECT_EQ(Cli({"ppm", dir.File("four.gif")}).out, Cli({"ppm", dir.File("four.bmp")}).out);
    // Bottom row first in the file: the top row holds indices f e d c b.
    EXPECT_EQ(gifpeer::Read(dir.File("four.gif")).pixels,
              (std::vector<uint8_t>{15, 14, 13, 12, 11, 0, 1, 2, 3, 4}));

    bmpfile::Spec deep;
    deep.width = 1, deep.height = 1, deep.depth = 24;
    deep.pixels = std::string("\x01\x02\x03\x00", 4);
    testutil::WriteFile(dir.File("deep.bmp"), bmpfile::Make(deep));
    const auto r = Cli({"convert", dir.File("deep.bmp"), dir.File("deep.gif")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("GIF Images must be 8 bit or less"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("deep.gif")));
}

}  // namespace
