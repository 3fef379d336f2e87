// zer-evizi-cli readout: the status text of the map view for a client point.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_util.h"
#include "image/image.h"

namespace {

testutil::ProcessResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return testutil::RunProcess(argv);
}

// A 100 x 50 BMP where the pixel in column c and row r from the top has the
// colour (c, r, 7).
std::string Gradient(const testutil::TempDir& dir) {
    const std::string path = dir.File("g.bmp");
    CImage image;
    EXPECT_EQ(image.Create(100, 50, 24, -1), 1);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 100; ++c) image.SetPixelRGB(c, 49 - r, c, r, 7);
    EXPECT_EQ(image.Save(path, kImageBmp), 1);
    return path;
}

TEST(ReadoutCli, PrintsTheViewsStatusText) {
    testutil::TempDir dir;
    const std::string pic = Gradient(dir);
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"10", "5"}, "X座標 = 10 Y座標 = 5   RGB(10, 5, 7)\n"},
        {{"0", "0"}, "X座標 = 0 Y座標 = 0   RGB(0, 0, 7)\n"},
        {{"100", "20"}, " \n"},
        {{"5", "4", "--zoom", "2"}, "X座標 = 3 Y座標 = 2   RGB(2, 2, 7)\n"},
        {{"1", "9", "--zoom", "2"}, "X座標 = 1 Y座標 = 5   RGB(0, 4, 7)\n"},
        {{"10", "5", "--scroll", "30,20"}, "X座標 = 40 Y座標 = 25   RGB(40, 25, 7)\n"},
        {{"4", "0", "--zoom", "2", "--scroll", "3,0"}, "X座標 = 4 Y座標 = 0   RGB(3, 0, 7)\n"},
        {{"-1", "3"}, " \n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"readout", pic};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << args[2];
        EXPECT_EQ(r.out, c.out) << args[2] << "," << args[3];
    }
}

TEST(ReadoutCli, RefusesBadArgumentsAndUnreadablePictures) {
    testutil::TempDir dir;
    const std::string pic = Gradient(dir);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"readout", pic, "1"},
             {"readout", pic, "1", "2", "--zoom", "3"},
             {"readout", pic, "1", "2", "--scroll", "5"},
         }) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
    testutil::WriteFile(dir.File("bad.bmp"), "not a picture");
    auto r = Cli({"readout", dir.File("bad.bmp"), "1", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    r = Cli({"readout", dir.File("x.tif"), "1", "2"});
    EXPECT_EQ(r.exitCode, 1);
}

}  // namespace
