// extract and merge as separate processes: what a build script sees.
#include <gtest/gtest.h>

#include "tools/cli.h"

TEST(PageCommands, ExtractEditMergeAndTheirFailures) {
    testutil::TempDir dir;
    const std::string page = dir.File("index.html");
    const std::string bytes =
        "<p>\n<img src=\"a.gif\" usemap=\"#a\">\n<map name=\"a\">\n</map>\n"
        "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n";
    testutil::WriteFile(page, bytes);
    const auto cli = [](const clitest::Args& args, const std::string& input = {}) {
        return clitest::Cli(args, input);
    };

    auto r = cli({"extract", page, "--image", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "<img src=\"b.gif\" usemap=\"#b\">\r\n<map name=\"b\"></map>");
    r = cli({"merge", page},
            "<img src=\"c.gif\" usemap=\"#a\">\n<map name=\"a\">\n<area>\n</map>\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "<p>\n<img src=\"c.gif\" usemap=\"#a\">\n<map name=\"a\">\n<area>\n</map>\n"
              "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n");
    EXPECT_EQ(testutil::ReadFile(page), bytes);  // the file itself is not touched

    const std::string plain = dir.File("plain.html");
    testutil::WriteFile(plain, "<p>no map</p>");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* err;  // part of the one line on stderr
    } cases[] = {
        {{"extract"}, 2, "usage: zer-evizi-cli extract PAGE"},
        {{"extract", page, "--image", "0"}, 2, "usage"},
        {{"merge", page, page}, 2, "usage"},
        {{"extract", page, "--image", "3"}, 1, "has 2 images with maps"},
        {{"extract", plain}, 1, "has no image with a map"},
        {{"extract", dir.File("gone.html")}, 1, "no such file"},
        {{"merge", page}, 1, "no complete <map>"},
    };
    for (const auto& c : cases) {
        r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}
