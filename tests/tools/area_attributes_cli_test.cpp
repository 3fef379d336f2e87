// The area command's optional attributes, the areas listing of every
// attribute and reorder, compared byte for byte.
#include <gtest/gtest.h>

#include "tools/cli.h"

TEST(AreaAttributesCli, FlagsAndListing) {
    testutil::TempDir home;
    const auto out = [&](const clitest::Args& args, const std::string& in) {
        const auto r = clitest::Cli(args, in, &home);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    const std::string map = "<map name=\"m\">\r\n</map>";
    // Without the new flags the line is as it always was.
    EXPECT_EQ(out({"area", "rect", "1,2", "3,4", "--href", "a.html", "--lower"}, map),
              "<map name=\"m\">\r\n<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"\" "
              "href=\"a.html\">\r\n</map>");
    const std::string text =
        out({"area", "circle", "10,10", "13,14", "--rel", "next", "--title", "Say \"hi\"",
             "--target", "_blank", "--id", "c1", "--class", "x y", "--upper"},
            "<MAP NAME=\"m\">\r\n</MAP>");
    EXPECT_EQ(text,
              "<MAP NAME=\"m\">\r\n<AREA SHAPE=\"circle\" COORDS=\"10,10,5\" ALT=\"\" HREF=\"\" "
              "TITLE=\"Say &quot;hi&quot;\" TARGET=\"_blank\" ID=\"c1\" CLASS=\"x y\" "
              "REL=\"next\">\r\n</MAP>");
    EXPECT_EQ(out({"areas"}, text + "<area coords=1,2,3,4 nohref>"),
              "2 circle 10,10,5 href= alt= title=Say \"hi\" target=_blank id=c1 class=x y "
              "rel=next\n"
              "3 rect 1,2,3,4 href= alt= nohref=\n");
    // A flag given twice or without its value is a usage error.
    EXPECT_EQ(
        clitest::Cli({"area", "rect", "1,2", "3,4", "--id", "a", "--id", "b"}, map, &home).exitCode,
        2);
    EXPECT_EQ(clitest::Cli({"area", "rect", "1,2", "3,4", "--rel"}, map, &home).exitCode, 2);

    const std::string three = "<map><area href=a>\n <area href=b><area href=c></map><area href=d>";
    EXPECT_EQ(out({"reorder", "3", "1"}, three),
              "<map><area href=c>\n <area href=a><area href=b></map><area href=d>");
    EXPECT_EQ(clitest::Cli({"reorder", "3", "4"}, three, &home).exitCode, 1);
}
