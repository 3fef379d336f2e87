// check and export as a build runs them: the page's own picture found from
// its src, standard input with --picture, and the exit status of each
// outcome (0 clean, 1 an error found, 2 usage or an input not read).
#include <gtest/gtest.h>

#include "support/tiny_bmp.h"
#include "tools/cli.h"

using clitest::Cli;

TEST(CheckCli, ExitStatusAndThePagesOwnPicture) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("logo.bmp"), testutil::TinyBmp(120, 60, 8));
    // Shift_JIS: the column counts characters of the decoded line.
    const std::string page = dir.File("p.html");
    testutil::WriteFile(page,
                        "<meta charset=shift_jis><p>\x93\xfa\x96\x7b</p><img src=\"logo.bmp\" "
                        "usemap=\"#m\" width=60 alt=\"\x93\xfa\">\n<map name=m>\n"
                        "<area coords=100,0,130,10 href=a alt=A></map>\n");
    auto r = Cli({"check", page});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, page +
                         ":1:34: warning: the image is shown at width=\"60\" but the picture is "
                         "120x60: the areas miss their targets unless they are scaled "
                         "[scaled-image]\n" +
                         page +
                         ":3:1: warning: part of the area lies outside the 120x60 picture "
                         "[outside-picture]\n");
    r = Cli({"check", "--format", "json", "--picture", dir.File("logo.bmp"), "-"},
            "<img usemap=#m>\n<map name=m></map>");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "[\n  {\"file\": \"-\", \"line\": 1, \"column\": 1, \"severity\": \"error\", "
              "\"rule\": \"img-alt\", \"message\": \"the image uses a map but has no alternative "
              "text (alt)\"}\n]\n");

    testutil::WriteFile(dir.File("q.html"), "<img src=gone.png usemap=#m alt=A><map name=m>");
    for (const clitest::Args& args : {clitest::Args{"check", dir.File("none.html")},
                                      {"check", dir.File("q.html")},
                                      {"check", "--format", "xml", page},
                                      {"check"},
                                      {"export", page},
                                      {"export", "--svg", dir.File("q.html")}})
        EXPECT_EQ(Cli(args).exitCode, 2) << args.back();
    EXPECT_EQ(Cli({"export", "--svg", "--picture", dir.File("logo.bmp"), "-"}, "<img>").exitCode,
              1);
}
