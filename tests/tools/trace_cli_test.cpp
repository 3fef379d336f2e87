// zer-evizi-cli trace: the outline tool's area line for a picture point, with
// the tolerance from the flag, else the stored setting, else 32.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/image.h"
#include "support/gradient.h"
#include "tools/cli.h"

TEST(TraceCli, PrintsThePolygonLineAndRefusesBadInput) {
    using clitest::Args;
    testutil::TempDir home;
    const std::string pic = home.File("g.bmp");  // neighbours differ by one level
    ASSERT_EQ(testutil::Gradient(40, 30)->Save(pic, kImageBmp), 1);
    const auto trace = [&](Args args, int code = 0) {
        args.insert(args.begin(), "trace");
        const auto r = clitest::Cli(args, {}, &home);
        EXPECT_EQ(r.exitCode, code) << r.err;
        return r;
    };
    const std::string square = "=\"poly\" coords=\"5,6,6,6,6,7,5,7\" alt=\"\" href=\"\">\r\n";
    EXPECT_EQ(trace({pic, "5", "6", "--tolerance", "0"}).out, "<area shape" + square);
    EXPECT_EQ(trace({pic, "5", "6", "--tolerance", "0", "--upper"}).out,
              "<AREA SHAPE=\"poly\" COORDS=\"5,6,6,6,6,7,5,7\" ALT=\"\" HREF=\"\">\r\n");
    // Within 32 of the bottom-left pixel: a quarter disc closed by the edges.
    const std::string disc = trace({pic, "0", "29"}).out;
    EXPECT_TRUE(disc.starts_with("<area shape=\"poly\" coords=\"0,0,")) << disc;
    EXPECT_TRUE(disc.ends_with(",0,30\" alt=\"\" href=\"\">\r\n")) << disc;
    // The stored tolerance counts when no flag is given, the flag over the tag.
    std::filesystem::create_directories(home.File("config/SEKKA"));
    testutil::WriteFile(home.File("config/SEKKA/Zer Evizi SEKKA.conf"),
                        "[General]\nTraceTolerance=0\ntag=1\n");
    EXPECT_EQ(trace({pic, "5", "6", "--lower"}).out, "<area shape" + square);
    // Out of range, even beyond 32 bits, it reads as the nearest end.
    const std::string whole =
        "<area shape=\"poly\" coords=\"0,0,40,0,40,30,0,30\" alt=\"\" href=\"\">\r\n";
    for (const auto& [stored, line] : {std::pair{"443", whole},
                                       {" 99999999999", whole},
                                       {"-99999999999", "<area shape" + square}}) {
        testutil::WriteFile(home.File("config/SEKKA/Zer Evizi SEKKA.conf"),
                            std::string("[General]\nTraceTolerance=") + stored + "\n");
        EXPECT_EQ(trace({pic, "5", "6"}).out, line) << stored;
    }
    for (const Args& args :
         {Args{pic, "40", "0"}, Args{pic, "0", "-1"}, Args{home.File("x.tif"), "1", "1"}})
        EXPECT_EQ(trace(args, 1).out, "");
}
