// SPDX-License-Identifier: GPL-3.0-or-later
// The markup commands (skeleton to export) as separate processes, their whole output compared
// byte for byte; their usage errors are in cli_frame_test.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli.h"
#include "image/image.h"
#include "support/pictures.h"

namespace {

using clitest::Args;

class MarkupCommands : public ::testing::Test {
protected:
    // Runs the tool with its settings in this test's own folder.
    testutil::ProcessResult Cli(const Args& args, const std::string& input = {}) {
        return clitest::Cli(args, input, &home);
    }
    std::string Out(const Args& args, const std::string& input = {}, int exitCode = 0) {
        const auto r = Cli(args, input);
        EXPECT_EQ(r.exitCode, exitCode) << r.err;
        return r.out;
    }
    testutil::TempDir home;
    testutil::TempDir pictures;
};

}  // namespace

TEST_F(MarkupCommands, SkeletonThenAreasAndTheLongestPolygon) {
    const std::string bmp = pictures.File("logo.bmp"), picture = pictures.File("logo.gif");
    testutil::WriteFile(bmp, testutil::TinyBmp(120, 60, 8));
    Out({"convert", bmp, picture});
    // The skeleton's own text is OpenPicture's (map_doc_test); here it passes
    // through the area commands, in lower case until the switch.
    std::string text = Out({"skeleton", picture});
    text = Out({"area", "rect", "50,40", "10,5", "--alt", "A", "--href", "a.html"}, text);
    text = Out({"area", "circle", "5,7", "8,13", "--zoom", "2", "--scroll", "3,0", "--href",
                "../円.html", "--alt", "-丸-"},
               text);
    // The switch to upper case finds no "</MAP>": the line follows the old tag.
    EXPECT_EQ(Out({"area", "poly", "1,2", "3,4", "-6,-1", "--upper"}, text),
              "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 ALT=\"\" USEMAP=\"#map_logo.gif\">\r\n"
              "<MAP NAME=\"map_logo.gif\">\r\n"
              "<AREA SHAPE=\"rect\" COORDS=\"50,40,10,5\" ALT=\"A\" HREF=\"a.html\">\r\n"
              "<AREA SHAPE=\"circle\" COORDS=\"3,3,3\" ALT=\"-丸-\" HREF=\"../円.html\">\r\n"
              "</MAP><AREA SHAPE=\"poly\" COORDS=\"1,2,3,4,-6,-1\" ALT=\"\" HREF=\"\">\r\n"
              "</MAP>");
    // 256 vertices is the most a polygon takes (one more is a usage error,
    // cli_frame_test), and its line is not cut.
    Args poly = {"area", "poly"};
    for (int i = 0; i < 256; ++i) poly.push_back(std::to_string(i) + ",-" + std::to_string(i));
    EXPECT_TRUE(Out(poly, "</map>").ends_with(",255,-255\" alt=\"\" href=\"\">\r\n</map>"));
}

TEST_F(MarkupCommands, StoredSettingsAreUsedAndFlagsNeverStored) {
    const std::string picture = pictures.File("site/img/地図.bmp");
    std::filesystem::create_directories(pictures.path() / "site/img");
    testutil::WriteFile(picture, testutil::TinyBmp(3, 2));
    Out({"settings", "--base", pictures.File("site"), "--tag", "1"});
    EXPECT_EQ(Out({"skeleton", picture}),
              "<IMG SRC=\"img/地図.bmp\" WIDTH=3 HEIGHT=2 ALT=\"\" USEMAP=\"#map_地図.bmp\">\r\n"
              "<MAP NAME=\"map_地図.bmp\">\r\n</MAP>");
    // "" means no base folder.
    EXPECT_EQ(Out({"skeleton", "--lower", "--base", "", picture}),
              "<img src=\"地図.bmp\" width=3 height=2 alt=\"\" usemap=\"#map_地図.bmp\">\r\n"
              "<map name=\"map_地図.bmp\">\r\n</map>");
    // The stored switch applies to areas; stdin comes through as bytes.
    EXPECT_EQ(Out({"area", "rect", "1,2", "3,4"}, "\xff\x01 lone\nline q\r</MAP> after"),
              "\xff\x01 LONE\nLINE Q\r<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" "
              "ALT=\"\" HREF=\"\">\r\n</MAP> AFTER");
    const std::string shown = Out({"settings"});
    EXPECT_NE(shown.find("BaseDir=" + pictures.File("site") + "\ntag=1\n"), shown.npos) << shown;
}

TEST_F(MarkupCommands, AreasAndHit) {
    const std::string text =
        "<map>\r\n<!-- <area shape=default href=no> -->\r\n"
        "<area shape=circle coords=\"10,10,5\" href=\"a&amp;b\">\r\n"
        "<AREA coords=\"1 2.5;30,40\" alt=\"x\ny\">\r\n"
        "<area shape=poly coords=1,2,3 href=p></map>";
    EXPECT_EQ(Out({"areas"}, text),
              "3 circle 10,10,5 href=a&b alt=\n"
              "4 rect 1,2.5,30,40 href= alt=x\\ny\n"
              "6 poly 1,2,3 href=p alt= invalid\n");
    // One point: the href of the area there; exit 1 when none is.
    EXPECT_EQ(Out({"hit", "10", "15"}, text), "a&b\n");
    EXPECT_EQ(Out({"hit", "15.5", "10"}, text), "\n");
    EXPECT_EQ(Out({"hit", "0.5", "2"}, text, 1), "");
    // Several points: one line each, the area's line first, 0 for none.
    EXPECT_EQ(Out({"hit", "10", "15", "0.5", "2", "15.5", "10"}, text), "3 a&b\n0\n4 \n");
}

// extract and merge: what a build script sees.
TEST_F(MarkupCommands, ExtractEditMergeAndTheirFailures) {
    const std::string page = pictures.File("index.html");
    const std::string bytes =
        "<p>\n<img src=\"a.gif\" usemap=\"#a\">\n<map name=\"a\">\n</map>\n"
        "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n";
    testutil::WriteFile(page, bytes);

    EXPECT_EQ(Out({"extract", page, "--image", "2"}),
              "<img src=\"b.gif\" usemap=\"#b\">\r\n<map name=\"b\"></map>");
    EXPECT_EQ(Out({"merge", page},
                  "<img src=\"c.gif\" usemap=\"#a\">\n<map name=\"a\">\n<area>\n</map>\n"),
              "<p>\n<img src=\"c.gif\" usemap=\"#a\">\n<map name=\"a\">\n<area>\n</map>\n"
              "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n");
    EXPECT_EQ(testutil::ReadFile(page), bytes);  // the file itself is not touched

    const std::string plain = pictures.File("plain.html");
    testutil::WriteFile(plain, "<p>no map</p>");
    // Each fails with exit 1, nothing on stdout and the reason on stderr.
    const std::pair<Args, const char*> cases[] = {
        {{"extract", page, "--image", "3"}, "has 2 images with maps"},
        {{"extract", plain}, "has no image with a map"},
        {{"extract", pictures.File("gone.html")}, "no such file"},
        {{"merge", page}, "no complete <map>"},
        {{"skeleton", pictures.File("photo.tif")}, "as a picture"},
    };
    for (const auto& [args, err] : cases) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// trace: the outline tool's area line for a picture point, with the
// tolerance from the flag, else the stored setting, else 32.
TEST_F(MarkupCommands, TracePrintsThePolygonLineAndRefusesBadInput) {
    const std::string pic = pictures.File("g.bmp");  // neighbours differ by one level
    ASSERT_EQ(testutil::Gradient(40, 30)->Save(pic, kImageBmp), 1);
    const std::string square = "=\"poly\" coords=\"5,6,6,6,6,7,5,7\" alt=\"\" href=\"\">\r\n";
    EXPECT_EQ(Out({"trace", pic, "5", "6", "--tolerance", "0"}), "<area shape" + square);
    EXPECT_EQ(Out({"trace", pic, "5", "6", "--tolerance", "0", "--upper"}),
              "<AREA SHAPE=\"poly\" COORDS=\"5,6,6,6,6,7,5,7\" ALT=\"\" HREF=\"\">\r\n");
    // Within 32 of the bottom-left pixel: a quarter disc closed by the edges.
    const std::string disc = Out({"trace", pic, "0", "29"});
    EXPECT_TRUE(disc.starts_with("<area shape=\"poly\" coords=\"0,0,")) << disc;
    EXPECT_TRUE(disc.ends_with(",0,30\" alt=\"\" href=\"\">\r\n")) << disc;
    // The stored tolerance counts when no flag is given, the flag over the tag.
    std::filesystem::create_directories(home.File("config/SEKKA"));
    const std::string conf = home.File("config/SEKKA/Zer Evizi SEKKA.conf");
    testutil::WriteFile(conf, "[General]\nTraceTolerance=0\ntag=1\n");
    EXPECT_EQ(Out({"trace", pic, "5", "6", "--lower"}), "<area shape" + square);
    // Out of range, even beyond 32 bits, it reads as the nearest end.
    const std::string whole =
        "<area shape=\"poly\" coords=\"0,0,40,0,40,30,0,30\" alt=\"\" href=\"\">\r\n";
    for (const auto& [stored, line] : {std::pair{"443", whole},
                                       {" 99999999999", whole},
                                       {"-99999999999", "<area shape" + square}}) {
        testutil::WriteFile(conf, std::string("[General]\nTraceTolerance=") + stored + "\n");
        EXPECT_EQ(Out({"trace", pic, "5", "6"}), line) << stored;
    }
    for (const Args& args : {Args{"trace", pic, "40", "0"}, Args{"trace", pic, "0", "-1"},
                             Args{"trace", pictures.File("x.tif"), "1", "1"}})
        EXPECT_EQ(Out(args, {}, 1), "");
}

// The area command's optional attributes, and the areas listing of every
// attribute.
TEST_F(MarkupCommands, AttributeFlagsListingAndReorder) {
    const std::string map = "<map name=\"m\">\r\n</map>";
    // Without the new flags the line is as it always was.
    EXPECT_EQ(Out({"area", "rect", "1,2", "3,4", "--href", "a.html", "--lower"}, map),
              "<map name=\"m\">\r\n<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"\" "
              "href=\"a.html\">\r\n</map>");
    const std::string text =
        Out({"area", "circle", "10,10", "13,14", "--rel", "next", "--title", "Say \"hi\"",
             "--target", "_blank", "--id", "c1", "--class", "x y", "--upper"},
            "<MAP NAME=\"m\">\r\n</MAP>");
    EXPECT_EQ(text,
              "<MAP NAME=\"m\">\r\n<AREA SHAPE=\"circle\" COORDS=\"10,10,5\" ALT=\"\" HREF=\"\" "
              "TITLE=\"Say &quot;hi&quot;\" TARGET=\"_blank\" ID=\"c1\" CLASS=\"x y\" "
              "REL=\"next\">\r\n</MAP>");
    EXPECT_EQ(Out({"areas"}, text + "<area coords=1,2,3,4 nohref>"),
              "2 circle 10,10,5 href= alt= title=Say \"hi\" target=_blank id=c1 class=x y "
              "rel=next\n"
              "3 rect 1,2,3,4 href= alt= nohref=\n");
    // A flag given twice or without its value is a usage error.
    Out({"area", "rect", "1,2", "3,4", "--id", "a", "--id", "b"}, map, 2);
    Out({"area", "rect", "1,2", "3,4", "--rel"}, map, 2);

    const std::string three = "<map><area href=a>\n <area href=b><area href=c></map><area href=d>";
    EXPECT_EQ(Out({"reorder", "3", "1"}, three),
              "<map><area href=c>\n <area href=a><area href=b></map><area href=d>");
    Out({"reorder", "3", "4"}, three, 1);
}

// check and export as a build runs them: the page's own picture found from
// its src, standard input with --picture, and the exit status of each
// outcome (0 clean, 1 an error found, 2 usage or an input not read).
TEST_F(MarkupCommands, CheckExitStatusAndThePagesOwnPicture) {
    testutil::WriteFile(pictures.File("logo.bmp"), testutil::TinyBmp(120, 60, 8));
    // Shift_JIS: the column counts characters of the decoded line.
    const std::string page = pictures.File("p.html");
    testutil::WriteFile(page,
                        "<meta charset=shift_jis><p>\x93\xfa\x96\x7b</p><img src=\"logo.bmp\" "
                        "usemap=\"#m\" width=60 alt=\"\x93\xfa\">\n<map name=m>\n"
                        "<area coords=100,0,130,10 href=a alt=A></map>\n");
    EXPECT_EQ(Out({"check", page}),
              page +
                  ":1:34: warning: the image is shown at width=\"60\" but the picture is "
                  "120x60: the areas miss their targets unless they are scaled "
                  "[scaled-image]\n" +
                  page +
                  ":3:1: warning: the area's box is 15x5 CSS pixels where the page shows the "
                  "picture, under the 24x24 that WCAG 2.2 (2.5.8) asks of a target "
                  "[target-size]\n" +
                  page +
                  ":3:1: warning: part of the area lies outside the 120x60 picture "
                  "[outside-picture]\n");
    EXPECT_EQ(Out({"check", "--format", "json", "--picture", pictures.File("logo.bmp"), "-"},
                  "<img usemap=#m>\n<map name=m></map>", 1),
              "[\n  {\"file\": \"-\", \"line\": 1, \"column\": 1, \"severity\": \"warning\", "
              "\"rule\": \"picture-missing\", \"message\": \"the image has no src: its map is "
              "checked without a picture\"},\n"
              "  {\"file\": \"-\", \"line\": 1, \"column\": 1, \"severity\": \"error\", "
              "\"rule\": \"img-alt\", \"message\": \"the image uses a map but has no alternative "
              "text (alt)\"}\n]\n");

    testutil::WriteFile(pictures.File("q.html"), "<img src=gone.png usemap=#m alt=A><map name=m>");
    for (const Args& args : {Args{"check", pictures.File("none.html")},
                             {"check", "--format", "xml", page},
                             {"check"},
                             {"export", page},
                             {"export", "--svg", pictures.File("q.html")}})
        EXPECT_EQ(Cli(args).exitCode, 2) << args.back();
    Out({"export", "--svg", "--picture", pictures.File("logo.bmp"), "-"}, "<img>", 1);
    // A picture not found is a finding, not a failure of the run.
    EXPECT_EQ(Out({"check", pictures.File("q.html")}),
              pictures.File("q.html") + ":1:1: warning: the picture \"gone.png\" was not found (" +
                  pictures.File("gone.png") +
                  "): the rules that need its size are left out [picture-missing]\n");
}

// check and export take a picture's size from its header: a JPEG whose
// scan is garbage still has one, one cut off in its header has none and
// says why.
TEST_F(MarkupCommands, PictureSizeFromTheHeader) {
    ASSERT_EQ(testutil::Gradient(120, 60)->Save(pictures.File("ok.jpg"), kImageJpeg), 1);
    std::string jpeg = testutil::ReadFile(pictures.File("ok.jpg"));
    for (size_t i = jpeg.find("\xFF\xDA") + 20; i + 2 < jpeg.size(); ++i) jpeg[i] = '\x11';
    testutil::WriteFile(pictures.File("garbled.jpg"), jpeg);
    testutil::WriteFile(pictures.File("cut.jpg"), jpeg.substr(0, 30));
    const std::string page =
        "<img src=x usemap=#m alt=A><map name=m>"
        "<area coords=100,0,130,40 href=a alt=B></map>";
    EXPECT_EQ(Out({"check", "--picture", pictures.File("garbled.jpg"), "-"}, page),
              "-:1:40: warning: part of the area lies outside the 120x60 picture "
              "[outside-picture]\n");
    EXPECT_EQ(Out({"check", "--picture", pictures.File("cut.jpg"), "-"}, page),
              "-:1:1: warning: the picture \"x\" cannot be read (" + pictures.File("cut.jpg") +
                  ": the file is cut off at byte 30): the rules that need its size are left "
                  "out [picture-missing]\n");
}

// check reads a page in any encoding a browser reads: EUC-KR by its
// declaration, UTF-16 by its byte order mark; ISO-2022-KR, which browsers
// show nothing of, is not read.
TEST_F(MarkupCommands, CheckReadsPagesInTheirOwnEncoding) {
    testutil::WriteFile(pictures.File("logo.bmp"), testutil::TinyBmp(120, 60, 8));
    const std::string body =
        "<img src=\"logo.bmp\" usemap=\"#m\" alt=\"X\">\n<map name=m>\n"
        "<area coords=100,0,130,30 href=a alt=A></map>\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : "<p>\n" + body) utf16 += std::string{c, '\0'};
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{
                                          "kr.html", "<meta charset=euc-kr><p>\xBC\xAD\n" + body},
                                      {"u16.html", utf16}}) {
        const std::string page = pictures.File(name);
        testutil::WriteFile(page, bytes);
        EXPECT_EQ(Out({"check", page}), page +
                                            ":4:1: warning: part of the area lies outside the "
                                            "120x60 picture [outside-picture]\n");
    }
    testutil::WriteFile(pictures.File("k.html"), "<meta charset=iso-2022-kr>" + body);
    EXPECT_EQ(Cli({"check", pictures.File("k.html")}).exitCode, 2);
}
