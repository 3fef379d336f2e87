// SPDX-License-Identifier: GPL-3.0-or-later
// Client points to picture coordinates, link text for a path, the three kinds of area line,
// upper-casing outside quotes, and the lines put into the pane text, whole or as edits.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "markup/area_line_insert.h"
#include "markup/area_markup.h"
#include "markup/link_path.h"

TEST(PictureCoord, EachQuotientTruncatedOnItsOwn) {
    // 3,5 at zoom 2 is 1 + 2, not (3 + 5) / 2; truncation goes toward zero
    // left of or above the client area; zoom 0 cannot occur and must not
    // divide by zero; extremes wrap like 32-bit arithmetic.
    const int cases[][4] = {{3, 5, 2, 3},    {5, 3, 2, 3},   {7, 0, 2, 3},
                            {17, 40, 1, 57}, {-3, 0, 2, -1}, {-3, -3, 2, -2},
                            {-5, 2, 1, -3},  {4, 2, 0, 6},   {INT_MAX, 1, 1, INT_MIN}};
    for (const auto& c : cases) EXPECT_EQ(ToPictureCoord(c[0], c[1], c[2]), c[3]) << c[0];
}

TEST(AreaLines, EachShapeWrittenWhole) {
    std::vector<ClientPoint> vertices;  // a line far longer than 1,023 bytes
    std::string coords;
    for (int i = 0; i < 256; ++i) {
        vertices.push_back({100000 + i, 200000 + i});
        coords += std::to_string(100000 + i) + "," + std::to_string(200000 + i) + ",";
    }
    const std::pair<std::string, std::string> cases[] = {
        {FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "alt", "a.html"),
         "<area shape=\"circle\" coords=\"10,20,5\" alt=\"alt\" href=\"a.html\">"},
        {FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"5,10,2\" alt=\"\" href=\"\">"},
        // The centre through the coordinate rule at zoom 2 with scroll; the
        // radius is the client distance (6.7 truncates to 6), then / 2.
        {FormatCircleArea({5, 7}, {8, 13}, {3, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"3,3,3\" alt=\"\" href=\"\">"},
        // Far-apart points: the distance is taken in double precision.
        {FormatCircleArea({-2000000000, 0}, {2000000000, 0}, {0, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"-1000000000,0,2000000000\" alt=\"\" href=\"\">"},
        // A rectangle keeps the drag order and is not clamped.
        {FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html"),
         "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">"},
        {FormatRectArea({-4, 9}, {5001, 7}, {3, 10}, 2, "x", "y"),
         "<area shape=\"rect\" coords=\"-1,9,2501,8\" alt=\"x\" href=\"y\">"},
        // A polygon lists its vertices in click order.
        {FormatPolyArea({{1, 2}, {3, 4}}, {0, 0}, 1, "", ""),
         "<area shape=\"poly\" coords=\"1,2,3,4\" alt=\"\" href=\"\">"},
        {FormatPolyArea({{9, 9}, {0, 1}, {-3, 20}}, {4, 6}, 2, "p", "q.html"),
         "<area shape=\"poly\" coords=\"6,7,2,3,1,13\" alt=\"p\" href=\"q.html\">"},
        {FormatPolyArea(vertices, {0, 0}, 1, "", ""), "<area shape=\"poly\" coords=\"" +
                                                          coords.substr(0, coords.size() - 1) +
                                                          "\" alt=\"\" href=\"\">"},
        // A double quote in the texts becomes &quot;, nothing else changes.
        {FormatCircleArea({0, 0}, {0, 0}, {0, 0}, 1, "24\" <b>&amp;&", "x y#%\".html?a&amp;b"),
         "<area shape=\"circle\" coords=\"0,0,0\" alt=\"24&quot; <b>&amp;&\" "
         "href=\"x y#%&quot;.html?a&amp;b\">"},
        {FormatRectArea({0, 0}, {1, 1}, {0, 0}, 1, "日本語の説明", "地図.html"),
         "<area shape=\"rect\" coords=\"0,0,1,1\" alt=\"日本語の説明\" href=\"地図.html\">"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);
}

namespace {

struct LinkCase {
    const char* base;
    const char* path;
    const char* link;
};

const std::string kHead =
    "<img src=\"logo.gif\" width=120 height=60 usemap=\"#map_logo\">\r\n"
    "<map name=\"map_logo\">\r\n";
const std::string kUpperHead =
    "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
    "<MAP NAME=\"map_logo\">\r\n";
const std::string kSkeleton = kHead + "</map>", kUpperSkeleton = kUpperHead + "</MAP>";

}  // namespace

TEST(MakeLinkPath, RelativeOnTheSameDriveElseAFileUrl) {
    const LinkCase cases[] = {
        {"C:\\web\\", "C:\\web\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\web\\img\\a.gif", "img/a.gif"},
        {"C:\\web\\site\\", "C:\\web\\img\\a.gif", "../img/a.gif"},
        {"C:\\a\\b\\c\\", "C:\\a\\x.html", "../../x.html"},
        // The common prefix ends at the last common backslash, not at the
        // last common byte.
        {"C:\\web\\", "C:\\website\\a.gif", "../website/a.gif"},
        // Case-sensitive: only C:\ is common.
        {"C:\\Web\\", "C:\\web\\a.gif", "../web/a.gif"},
        {"\\\\srv\\share\\", "\\\\srv\\share\\a.gif", "a.gif"},
        // Nothing is escaped, and UTF-8 passes through byte for byte.
        {"C:\\web\\", "C:\\web\\my pic.gif", "my pic.gif"},
        {"C:\\web\\", "C:\\web\\#100%.gif", "#100%.gif"},
        {"C:\\ウェブ\\", "C:\\ウェブ\\画像\\地図.gif", "画像/地図.gif"},
        // The path ends inside the base folder: the walk stops at its end.
        {"C:\\web\\img\\", "C:\\web", "../../web"},
        // A doubled separator counts as one more level, as the plain steps
        // give for a base that reaches MakeLinkPath with two backslashes.
        {"C:\\\\", "C:\\a.gif", "../a.gif"},
        // A colon after the drive also becomes "|".
        {"C:\\web\\", "C:\\web\\a:b.gif", "a|b.gif"},
        // Other drives, and drive letters that differ in case: a file URL.
        {"C:\\web\\", "D:\\pics\\a.gif", "file:///D|/pics/a.gif"},
        {"C:\\web\\", "D:\\x.gif", "file:///D|/x.gif"},
        {"c:\\web\\", "C:\\web\\a.gif", "file:///C|/web/a.gif"},
        // An asterisk in the path is a colon in the URL, like the scheme's.
        {"C:\\web\\", "D:\\a*b.gif", "file:///D|/a:b.gif"},
        // Empty base, empty path, strings shorter than the drive.
        {"", "C:\\a.gif", "file:///C|/a.gif"},
        {"C:\\web\\", "", "file:///"},
        {"C", "C:\\a.gif", "file:///C|/a.gif"},
        {"", "", "file:///"},
    };
    for (const LinkCase& c : cases)
        EXPECT_EQ(MakeLinkPath(c.base, c.path), c.link) << c.base << " " << c.path;
}

TEST(LinkTextForPath, WindowsAndPosixPaths) {
    const LinkCase windows[] = {
        // No base folder: the file name alone, with nothing replaced in it.
        {"", "C:\\web\\img\\a b.gif", "a b.gif"},
        {"", "a.gif", "a.gif"},
        {"", "C:\\web\\", ""},
        // One separator is appended to the stored folder...
        {"C:\\web", "C:\\web\\img\\a.gif", "img/a.gif"},
        // ...but none to a folder that already ends with one (a drive root).
        {"C:\\", "C:\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\web\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\a.gif", "../a.gif"},
    };
    for (const LinkCase& c : windows)
        EXPECT_EQ(LinkTextForPath(c.base, c.path, PathStyle::kWindows), c.link) << c.path;
    const LinkCase posix[] = {
        {"", "/home/u/web/a b.gif", "a b.gif"},
        {"/home/u/web/site", "/home/u/web/img/a.gif", "../img/a.gif"},
        {"/home/u/web", "/home/u/website/a.gif", "../website/a.gif"},
        {"/home/u/web/", "/home/u/web/a.gif", "a.gif"},
        {"/", "/a.gif", "a.gif"},
        {"/srv", "/a.gif", "../a.gif"},
        // No drives, no URL form, and "\", ":" and "*" are ordinary characters.
        {"/web", "/web/a\\b:c*.gif", "a\\b:c*.gif"},
        {"/web", "/web/c:\\x", "c:\\x"},
        {"", "/web/a\\b.gif", "a\\b.gif"},
    };
    for (const LinkCase& c : posix)
        EXPECT_EQ(LinkTextForPath(c.base, c.path, PathStyle::kPosix), c.link) << c.path;
    EXPECT_EQ(FileNameOfPath("C:\\web\\a.gif", PathStyle::kPosix), "C:\\web\\a.gif");
    EXPECT_EQ(FileNameOfPath("/web/a.gif", PathStyle::kWindows), "/web/a.gif");
}

TEST(UpperCase, OnlyLettersOutsideQuotesAndTheFlagRunsAcrossTheText) {
    EXPECT_EQ(UpperCaseOutsideQuotes("<a href=\"x.html\">z</a>"), "<A HREF=\"x.html\">Z</A>");
    // The flag is not reset at line breaks or tags.
    EXPECT_EQ(UpperCaseOutsideQuotes("<p title=\"open\r\nstill\">q"),
              "<P TITLE=\"open\r\nstill\">Q");
    // Only a to z change; digits, punctuation, accented and Japanese text stay.
    EXPECT_EQ(UpperCaseOutsideQuotes("abc xyz 0-9 [`{ é 地図 ｱ"), "ABC XYZ 0-9 [`{ é 地図 ｱ");
    EXPECT_EQ(UpperCaseOutsideQuotes(""), "");

    // Two pieces passed one after the other with the flag carried over give
    // what one pass over both gives, even with an odd quote in the first.
    bool inside = false;
    const std::string a = "<img src=\"a\"b.gif\">\r\n", b = "<map name=\"m\">\r\n</map>";
    std::string two = UpperCaseOutsideQuotes(a, inside);
    two += UpperCaseOutsideQuotes(b, inside);
    EXPECT_EQ(two, UpperCaseOutsideQuotes(a + b));
    EXPECT_TRUE(inside);
}

TEST(InsertArea, LineGoesBeforeTheFirstClosingTagInTheSettingsCase) {
    const std::string rect = FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html");
    const std::string small = FormatRectArea({1, 2}, {3, 4}, {0, 0}, 1, "a", "b");
    const std::string rectLine =
        "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">\r\n";
    const struct {
        const char* what;
        int tagSetting;  // any non-zero value is upper case
        std::string text, line, expected;
    } cases[] = {
        {"first line", 0, kSkeleton, rect, kHead + rectLine + "</map>"},
        {"second line after the first", 0, "<map name=\"map_logo\">\r\n" + rectLine + "</map>",
         "<second>", "<map name=\"map_logo\">\r\n" + rectLine + "<second>\r\n</map>"},
        {"only the first closing tag counts", 0,
         "<map name=\"m\">\r\n</map>\r\n<p>note</p>\r\n</map>tail", "<l>",
         "<map name=\"m\">\r\n<l>\r\n</map>\r\n<p>note</p>\r\n</map>tail"},
        {"upper case converts the whole text", 1,
         "<p>hand typed \"Quoted\"</p>\r\n" + kUpperSkeleton,
         FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "Alt", "Page.html"),
         "<P>HAND TYPED \"Quoted\"</P>\r\n" + kUpperHead +
             "<AREA SHAPE=\"circle\" COORDS=\"10,20,5\" ALT=\"Alt\" HREF=\"Page.html\">\r\n"
             "</MAP>"},
        {"setting 5", 5, kUpperSkeleton, "<x>", kUpperHead + "<X>\r\n</MAP>"},
        // Off to on: no "</MAP>" in the text, so the line goes after the old tag.
        {"switched on after writing", 1, kSkeleton, small,
         kUpperHead +
             "</MAP><AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\" HREF=\"b\">\r\n</MAP>"},
        // On to off: the lower-case line and tag follow "</MAP>", nothing converted.
        {"switched off after writing", 0, kUpperSkeleton, small,
         kUpperSkeleton +
             "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\" href=\"b\">\r\n</map>"},
        {"no closing tag: appended", 0, "", "<l>", "<l>\r\n</map>"},
        {"a cut closing tag is none", 0, "<map>\r\n</MAP", "<l>", "<map>\r\n</MAP<l>\r\n</map>"},
        // A stray double quote inverts the rest of the text.
        {"stray quote", 1, "<MAP NAME=\"map_logo\">\r\n</MAP>",
         "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\"b\" href=\"x\">",
         "<MAP NAME=\"map_logo\">\r\n"
         "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\"B\" href=\"X\">\r\n</map>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(InsertAreaLine(c.text, c.line, MarkupSettings{c.tagSetting != 0, ""}),
                  c.expected);
    }
}

// The text after each insertion as an edit is what the whole-text insertion
// gives, whatever changed the text between.
TEST(AreaLineInserter, EveryStepMatchesTheWholeTextInsertion) {
    MarkupSettings settings;
    const std::string a = "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\" href=\"a.html\">";
    // A step changes the pane (or the setting) and inserts a line, or does
    // only the first.
    using Change = std::function<void(MemoryMarkupPane&)>;
    const struct {
        const char* what;
        Change change;
        std::string line;
    } steps[] = {
        {"first line", [](MemoryMarkupPane&) {}, a},
        {"second, from the remembered place", [](MemoryMarkupPane&) {}, a},
        {"a line holding the closing tag itself", [](MemoryMarkupPane&) {},
         "<area alt=\"</map>\">"},
        {"a closing tag typed before the others",
         [](MemoryMarkupPane& p) { p.SetSel(0, 0), p.ReplaceSel("</map>", true); }, a},
        {"the text replaced, no closing tag", [](MemoryMarkupPane& p) { p.SetWindowText("x"); }, a},
        {"setting on", [&](MemoryMarkupPane&) { settings.upperCase = true; }, a},
        {"setting on, a lower-case tag in quotes",
         [](MemoryMarkupPane& p) { p.SetWindowText("<b title=\"</map>\">\r\n</MAP>"); }, a},
        {"setting off again", [&](MemoryMarkupPane&) { settings.upperCase = false; }, a},
        {"and once more", [](MemoryMarkupPane&) {}, a},
    };
    MemoryMarkupPane pane;
    pane.SetWindowText("<map name=\"m\">\r\n</map>\r\n<p>after</p>");
    CAreaLineInserter inserter;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(pane);
        const std::string expected = InsertAreaLine(pane.GetWindowText(), step.line, settings);
        inserter.Insert(pane, step.line, settings);
        EXPECT_EQ(pane.GetWindowText(), expected);
    }
    // A text read for the outlines tells where to look next.
    pane.SetWindowText("<map>\r\n</map>");
    inserter.Learn(pane, pane.GetWindowText());
    inserter.Insert(pane, a, settings);
    EXPECT_EQ(pane.GetWindowText(), "<map>\r\n" + a + "\r\n</map>");
}

// Writing at the caret of an emptied pane is what WriteSkeleton does
// (map_doc_test); here a selection replaced, and one reversed or too far.
TEST(MemoryMarkupPane, ReplaceSelWorksOnTheSelectionAndMovesTheCaret) {
    MemoryMarkupPane pane;
    pane.SetWindowText("<img>\r\n<map>\r\n</map>");
    pane.SetSel(7, 12);  // "<map>"
    pane.ReplaceSel("X", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\nX\r\n</map>");
    EXPECT_EQ(pane.GetCaret(), 8u);
    // A reversed or out-of-range selection is put in order and clamped.
    pane.SetSel(1000, 7);
    pane.ReplaceSel("", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\n");
}
