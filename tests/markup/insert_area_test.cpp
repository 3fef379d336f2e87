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

class InsertArea : public ::testing::Test {
protected:
    MemoryProfileStore store;
    ScopedProfileStore scoped{&store};
};

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

TEST_F(InsertArea, LinesGoBeforeTheClosingTagInOrder) {
    const std::string rect = FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html");
    std::string text = InsertAreaLine(kSkeleton, rect);
    EXPECT_EQ(text,
              "<img src=\"logo.gif\" width=120 height=60 usemap=\"#map_logo\">\r\n"
              "<map name=\"map_logo\">\r\n"
              "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">\r\n"
              "</map>");
    EXPECT_EQ(InsertAreaLine(text, "<second>"),
              text.substr(0, text.size() - 6) + "<second>\r\n</map>");
    // Only the first closing tag counts; the rest of the text is kept.
    EXPECT_EQ(InsertAreaLine("<map name=\"m\">\r\n</map>\r\n<p>note</p>\r\n</map>tail", "<l>"),
              "<map name=\"m\">\r\n<l>\r\n</map>\r\n<p>note</p>\r\n</map>tail");
}

TEST_F(InsertArea, UpperCaseSettingConvertsTheWholeText) {
    SetTagSetting(1);
    const std::string circle = FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "Alt", "Page.html");
    const std::string typed = "<p>hand typed \"Quoted\"</p>\r\n";
    EXPECT_EQ(InsertAreaLine(typed + kUpperSkeleton, circle),
              "<P>HAND TYPED \"Quoted\"</P>\r\n"
              "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
              "<MAP NAME=\"map_logo\">\r\n"
              "<AREA SHAPE=\"circle\" COORDS=\"10,20,5\" ALT=\"Alt\" HREF=\"Page.html\">\r\n"
              "</MAP>");
    // Any non-zero value counts as on.
    SetTagSetting(5);
    EXPECT_EQ(InsertAreaLine(kUpperSkeleton, "<x>"),
              "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
              "<MAP NAME=\"map_logo\">\r\n<X>\r\n</MAP>");
}

TEST_F(InsertArea, SettingSwitchedAfterTheTextWasWritten) {
    const std::string rect = FormatRectArea({1, 2}, {3, 4}, {0, 0}, 1, "a", "b");
    // Off to on: no "</MAP>" in the text, so the line goes after the old tag.
    SetTagSetting(1);
    EXPECT_EQ(InsertAreaLine(kSkeleton, rect),
              "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
              "<MAP NAME=\"map_logo\">\r\n"
              "</MAP><AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\" HREF=\"b\">\r\n</MAP>");
    // On to off: the lower-case line and tag follow "</MAP>", nothing converted.
    SetTagSetting(0);
    EXPECT_EQ(
        InsertAreaLine(kUpperSkeleton, rect),
        kUpperSkeleton + "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\" href=\"b\">\r\n</map>");
    // No closing tag at all: appended right after the last character.
    EXPECT_EQ(InsertAreaLine("", "<l>"), "<l>\r\n</map>");
    EXPECT_EQ(InsertAreaLine("<map>\r\n</MAP", "<l>"), "<map>\r\n</MAP<l>\r\n</map>");
}

TEST_F(InsertArea, StrayDoubleQuoteInvertsTheRestOfTheText) {
    SetTagSetting(1);
    const std::string rect = FormatRectArea({1, 2}, {3, 4}, {0, 0}, 1, "a\"b", "x");
    EXPECT_EQ(InsertAreaLine("<MAP NAME=\"map_logo\">\r\n</MAP>", rect),
              "<MAP NAME=\"map_logo\">\r\n"
              "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" ALT=\"a\"B\" href=\"X\">\r\n</map>");
}
