// zer-evizi-cli trace: the outline tool's area line for a picture point, with
// the tolerance taken from the flag or else from the stored setting.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/gradient.h"
#include "common/test_util.h"
#include "image/image.h"

namespace {

using Args = std::vector<std::string>;

TEST(TraceCli, PrintsThePolygonLineAndRefusesBadInput) {
    testutil::TempDir home, dir;
    const auto cli = [&](Args args) {
        Args argv{"/usr/bin/env", "XDG_CONFIG_HOME=" + home.File("config"),
                  "HOME=" + home.path().string(), ZE_CLI, "trace"};
        argv.insert(argv.end(), args.begin(), args.end());
        return testutil::RunProcess(argv);
    };
    // Colour (x, y, 7) at column x, row y: neighbours differ by one level.
    const std::string pic = dir.File("g.bmp");
    ASSERT_EQ(testutil::Gradient(40, 30)->Save(pic, kImageBmp), 1);

    const std::pair<Args, std::string> cases[] = {
        {{pic, "5", "6", "--tolerance", "0"},
         "<area shape=\"poly\" coords=\"5,6,6,6,6,7,5,7\" alt=\"\" href=\"\">\r\n"},
        {{pic, "5", "6", "--tolerance", "0", "--upper"},
         "<AREA SHAPE=\"poly\" COORDS=\"5,6,6,6,6,7,5,7\" ALT=\"\" HREF=\"\">\r\n"},
    };
    for (const auto& [args, out] : cases) {
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, out) << args[1] << "," << args[2];
    }

    // Within 32 of the bottom-left pixel: a quarter disc that the picture's
    // top, left and bottom edges close.
    auto r = cli({pic, "0", "29"});
    EXPECT_EQ(r.out.rfind("<area shape=\"poly\" coords=\"0,0,", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(",0,30\" alt=\"\" href=\"\">\r\n"), std::string::npos) << r.out;

    // The stored tolerance counts when no flag is given.
    std::filesystem::create_directories(home.File("config/SEKKA"));
    testutil::WriteFile(home.File("config/SEKKA/Zer Evizi SEKKA.conf"),
                        "[General]\nTraceTolerance=0\ntag=1\n");
    r = cli({pic, "5", "6", "--lower"});
    EXPECT_EQ(r.out, "<area shape=\"poly\" coords=\"5,6,6,6,6,7,5,7\" alt=\"\" href=\"\">\r\n");

    for (const Args& args : {Args{pic, "1"}, Args{pic, "1", "2", "--tolerance", "443"},
                             Args{pic, "1", "2", "--max-corners", "2"}, Args{"1", "2"}}) {
        r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("usage"), std::string::npos);
    }
    for (const Args& args :
         {Args{pic, "40", "0"}, Args{pic, "0", "-1"}, Args{dir.File("x.tif"), "1", "1"}}) {
        r = cli(args);
        EXPECT_EQ(r.exitCode, 1) << args[1];
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
