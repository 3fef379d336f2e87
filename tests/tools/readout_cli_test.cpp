// zer-evizi-cli readout: the status text of the map view for a client point.
// The view's tests hold the readout cases; here the options and exit codes.

#include <gtest/gtest.h>

#include "image/image.h"
#include "support/gradient.h"
#include "tools/cli.h"

namespace {

using clitest::Args;

TEST(ReadoutCli, PrintsTheViewsStatusTextAndRefusesBadInput) {
    testutil::TempDir dir;
    const std::string pic = dir.File("g.bmp");
    ASSERT_EQ(testutil::Gradient(100, 50)->Save(pic, kImageBmp), 1);
    const auto cli = [](Args args) {
        args.insert(args.begin(), "readout");
        return clitest::Cli(args);
    };

    const auto r = cli({pic, "4", "0", "--zoom", "2", "--scroll", "3,0"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "X座標 = 4 Y座標 = 0   RGB(3, 0, 7)\n");
    testutil::WriteFile(dir.File("bad.bmp"), "not a picture");
    for (const std::string& bad : {dir.File("bad.bmp"), dir.File("x.tif")}) {
        const auto r = cli({bad, "1", "2"});
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
