// Upper-casing outside quotes and putting area lines into the pane text.
#include <gtest/gtest.h>

#include <string>

#include "markup/area_markup.h"
#include "markup/memory_store.h"
#include "markup/settings.h"

namespace {

const std::string kSkeleton =
    "<img src=\"logo.gif\" width=120 height=60 usemap=\"#map_logo\">\r\n"
    "<map name=\"map_logo\">\r\n</map>";
const std::string kUpperSkeleton =
    "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
    "<MAP NAME=\"map_logo\">\r\n</MAP>";

}  // namespace

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
    MemoryProfileStore store;
    ScopedProfileStore scoped{&store};
    const std::string rect = FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html");
    const std::string small = FormatRectArea({1, 2}, {3, 4}, {0, 0}, 1, "a", "b");
    const std::string rectLine =
        "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">\r\n";
    const struct {
        const char* what;
        int tagSetting;  // any non-zero value is upper case
        std::string text, line, expected;
    } cases[] = {
        {"first line", 0, kSkeleton, rect,
         "<img src=\"logo.gif\" width=120 height=60 usemap=\"#map_logo\">\r\n"
         "<map name=\"map_logo\">\r\n" +
             rectLine + "</map>"},
        {"second line after the first", 0, "<map name=\"map_logo\">\r\n" + rectLine + "</map>",
         "<second>", "<map name=\"map_logo\">\r\n" + rectLine + "<second>\r\n</map>"},
        {"only the first closing tag counts", 0,
         "<map name=\"m\">\r\n</map>\r\n<p>note</p>\r\n</map>tail", "<l>",
         "<map name=\"m\">\r\n<l>\r\n</map>\r\n<p>note</p>\r\n</map>tail"},
        {"upper case converts the whole text", 1,
         "<p>hand typed \"Quoted\"</p>\r\n" + kUpperSkeleton,
         FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "Alt", "Page.html"),
         "<P>HAND TYPED \"Quoted\"</P>\r\n"
         "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
         "<MAP NAME=\"map_logo\">\r\n"
         "<AREA SHAPE=\"circle\" COORDS=\"10,20,5\" ALT=\"Alt\" HREF=\"Page.html\">\r\n"
         "</MAP>"},
        {"setting 5", 5, kUpperSkeleton, "<x>",
         "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
         "<MAP NAME=\"map_logo\">\r\n<X>\r\n</MAP>"},
        // Off to on: no "</MAP>" in the text, so the line goes after the old tag.
        {"switched on after writing", 1, kSkeleton, small,
         "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
         "<MAP NAME=\"map_logo\">\r\n"
         "</MAP><AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\" HREF=\"b\">\r\n</MAP>"},
        // On to off: the lower-case line and tag follow "</MAP>", nothing converted.
        {"switched off after writing", 0, kUpperSkeleton, small,
         kUpperSkeleton +
             "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\" href=\"b\">\r\n</map>"},
        {"no closing tag: appended", 0, "", "<l>", "<l>\r\n</map>"},
        {"a cut closing tag is none", 0, "<map>\r\n</MAP", "<l>", "<map>\r\n</MAP<l>\r\n</map>"},
        // A stray double quote inverts the rest of the text.
        {"stray quote", 1, "<MAP NAME=\"map_logo\">\r\n</MAP>",
         FormatRectArea({1, 2}, {3, 4}, {0, 0}, 1, "a\"b", "x"),
         "<MAP NAME=\"map_logo\">\r\n"
         "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\"B\" href=\"X\">\r\n</map>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetTagSetting(c.tagSetting);
        EXPECT_EQ(InsertAreaLine(c.text, c.line), c.expected);
    }
}
