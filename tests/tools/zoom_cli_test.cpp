// zer-evizi-cli readout and area at the view's zoom levels, given as
// percentages: the same pixels as the view's tests read and draw.

#include <gtest/gtest.h>

#include "image/image.h"
#include "support/gradient.h"
#include "tools/cli.h"

namespace {

using clitest::Cli;

TEST(ZoomCli, ReadoutAndAreaAtPercentages) {
    testutil::TempDir dir;
    const std::string pic = dir.File("g.bmp");
    ASSERT_EQ(testutil::Gradient(400, 300)->Save(pic, kImageBmp), 1);
    EXPECT_EQ(Cli({"readout", pic, "10", "5", "--zoom", "66.7%"}).out,
              "X座標 = 15 Y座標 = 7   RGB(15, 7, 7)\n");
    EXPECT_EQ(Cli({"readout", pic, "1", "1", "--zoom", "6.25%"}).out,
              "X座標 = 16 Y座標 = 16   RGB(16, 16, 7)\n");
    EXPECT_EQ(Cli({"area", "rect", "3,3", "30,21", "--zoom", "33.3%"}, "</map>").out,
              "<area shape=\"rect\" coords=\"9,9,90,63\" alt=\"\" href=\"\">\r\n</map>");
    EXPECT_EQ(
        Cli({"area", "circle", "8,8", "8,18", "--zoom", "400%", "--scroll", "2,0"}, "</map>").out,
        "<area shape=\"circle\" coords=\"2,2,2\" alt=\"\" href=\"\">\r\n</map>");
    EXPECT_NE(Cli({"readout", pic, "1", "1", "--zoom", "25"}).exitCode, 0);
}

}  // namespace
