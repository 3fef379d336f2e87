// SPDX-License-Identifier: GPL-3.0-or-later
// HTML pages: the image and its map as a browser finds them, the pane's markup put back so that
// only the edit changes the page, and the page for the browser.
#include "markup/html_page.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "markup/area_markup.h"
#include "markup/html_tags.h"
#include "markup/preview_page.h"
#include "markup/text_encoding.h"

using ze::CodePage;

namespace {

struct RoundTrip {
    const char* what;
    std::string page;
    size_t index;        // which image with a map
    std::string before;  // the new line goes before the first of these
    std::string line;    // the new line as the page holds it
    int tag;             // the tag setting while the area is drawn
    PageEncoding encoding;
    std::string newline;  // the page's line break
};

const std::string kLine =
    "<area shape=\"rect\" coords=\"1,2,30,40\" alt=\"駅〜\" href=\"st.html\">";

}  // namespace

TEST(HtmlPage, OpenDrawSaveChangesOnlyTheNewArea) {
    const std::string utf8 =
        "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"utf-8\">\n"
        "<title>地図 <img usemap=\"#x\"></title></head>\n<body>\n"
        "  <p><img src=\"img/map.png\" width=\"320\" height=\"200\" alt=\"案内図\" "
        "usemap=\"#guide\"></p>\n"
        "  <map name=\"guide\">\n    <area shape=\"circle\" coords=\"5,5,4\" href=\"a.html\" "
        "alt=\"入口\">\n  </map>\n</body>\n</html>\n";
    const std::string sjisMapFirst =
        "<html><head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=Shift_JIS\">\r\n</head><body>\r\n<map id=\"zu\" name=\"zu\">\r\n"
        "<area shape=\"rect\" coords=\"0,0,9,9\" href=\"\x95\x5c.html\" alt=\"\x83\x5c\x95\x5c\">"
        "\r\n</map>\r\n<!-- <img src=\"old.gif\" usemap=\"#zu\"> -->\r\n"
        "<img usemap=\"#zu\" border=0 src=\"\x92\x6e\x90\x7d.gif\">\r\n</body></html>\r\n";
    const std::string several =
        "<body>\n<img src=a.gif usemap=#one>\n<map name=one></map>\n"
        "<script>var s = '<map name=\"two\"></map>';</script>\n"
        "<img alt='two' usemap='#two' src='b.gif'>\n<map name='two'>\n"
        "<area href=x.html coords=1,1,2,2>\n</map>\n<map name=two>\n</map>\n</body>\n";
    const std::string upper =
        "<HTML>\r\n<BODY>\r\n<IMG SRC=\"A.GIF\" WIDTH=10 HEIGHT=10 USEMAP=\"#M\">\r\n"
        "<MAP NAME=\"M\">\r\n<AREA SHAPE=\"RECT\" COORDS=\"0,0,5,5\" HREF=\"a.html\">\r\n"
        "</MAP>\r\n</BODY>\r\n</HTML>\r\n";
    const std::string eucUndeclared =
        "<p>\xcb\xcc\xb3\xa4\xc6\xbb\xa4\xce\xc3\xcf\xbf\xde</p>\n<img src=\"hokkaido.gif\" "
        "usemap=\"#h\">\n<map name=\"h\">\n</map>\n";
    const std::string bom = "\xEF\xBB\xBF<img src=\"a.gif\" usemap=\"#m\"><map name=\"m\"></map>";
    const std::string sjisLine =
        "<area shape=\"rect\" coords=\"1,2,30,40\" alt=\"\x89\x77&#12316;\" href=\"st.html\">";
    const std::string eucLine =
        "<area shape=\"rect\" coords=\"1,2,30,40\" alt=\"\xb1\xd8\xa1\xc1\" href=\"st.html\">";
    const std::string upperLine =
        "<AREA SHAPE=\"rect\" COORDS=\"1,2,30,40\" ALT=\"駅〜\" HREF=\"st.html\">";
    const RoundTrip cases[] = {
        {"utf-8, raw text and nesting", utf8, 0, "</map>", kLine, 0, PageEncoding::kUtf8, "\n"},
        {"shift_jis, map first, comment", sjisMapFirst, 0, "</map>", sjisLine, 0,
         PageEncoding::kShiftJis, "\r\n"},
        {"several maps, odd quoting", several, 1, "</map>\n<map name=two>", kLine, 0,
         PageEncoding::kUtf8, "\n"},
        {"upper-case tags", upper, 0, "</MAP>", upperLine, 1, PageEncoding::kUtf8, "\r\n"},
        {"euc-jp by its bytes", eucUndeclared, 0, "</map>", eucLine, 0, PageEncoding::kEucJp, "\n"},
        {"utf-8 with a byte order mark", bom, 0, "</map>", kLine, 0, PageEncoding::kUtf8, "\r\n"},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.what);
        const HtmlPage page = ReadHtmlPage(c.page);
        ASSERT_EQ(page.status, ze::StatusCode::kOk);
        EXPECT_EQ(page.encoding, c.encoding);
        ASSERT_GT(page.maps.size(), c.index);

        const std::string pane = ExtractMarkup(c.page, page, c.index);
        std::string merged;
        ASSERT_EQ(MergeMarkup(c.page, page, c.index, pane, &merged), ze::StatusCode::kOk);
        EXPECT_EQ(merged, c.page);  // nothing edited: every byte as it was

        const std::string drawn = InsertAreaLine(pane, kLine, MarkupSettings{c.tag != 0, ""});
        ASSERT_EQ(MergeMarkup(c.page, page, c.index, drawn, &merged), ze::StatusCode::kOk);
        std::string expected = c.page;
        expected.insert(c.page.find(c.before), c.line + c.newline);
        EXPECT_EQ(merged, expected);
    }
}

TEST(HtmlPage, PaneTextIsTheImageTagAndTheMapInUtf8WithCrLf) {
    const std::string page =
        "<meta charset=\"x-sjis\">\n<img src=\"&#x5730;\x90\x7d.gif\"\n  usemap=\"#zu\">\n"
        "<map name=\"zu\">\n<area alt=\"&#12316;\">\n</map>";
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, ze::StatusCode::kOk);
    EXPECT_EQ(read.declaredCharset, "x-sjis");
    ASSERT_EQ(read.maps.size(), 1u);
    EXPECT_EQ(read.maps[0].source, "地図.gif");
    EXPECT_EQ(read.maps[0].mapName, "zu");
    EXPECT_EQ(read.maps[0].line, 2);
    EXPECT_EQ(ExtractMarkup(page, read, 0),
              "<img src=\"&#x5730;図.gif\"\r\n  usemap=\"#zu\">\r\n<map name=\"zu\">\r\n"
              "<area alt=\"&#12316;\">\r\n</map>");
}

TEST(HtmlPage, WhichImagesHaveMaps) {
    const struct {
        const char* page;
        const char* pairs;  // where each image and its map start; "refused" for the encoding
    } cases[] = {
        {"<img src=a usemap=page.html#m><map name=m></map>", "0>30 "},
        {"<img src=a usemap=#m><map name=m>", ""},                 // never closed
        {"<img src=a usemap=#m><!-- <map name=m></map> -->", ""},  // a comment
        {"<textarea><img usemap=#m></textarea><map name=m></map>", ""},
        {"<map name=m><img usemap=#m></map>", ""},              // inside its own map
        {"<map name=m><map name=n></map><img usemap=#m>", ""},  // the inner map closed
        {"<map name=m></map><map name=m><area></map><img usemap=#m><img usemap=#m>", "42>0 57>0 "},
        {"<img src='a' usemap=\"#m><map name=m></map>", ""},  // cut off inside a value
        {"<meta charset=windows-1252><p>caf\xE9<img usemap=#m><map name=m></map>", "34>49 "},
        {"<meta charset=iso-8859-1><img usemap=#m><map name=m></map>", "25>40 "},  // ASCII only
        {"<p>\xDF</p><img usemap=#m><map name=m></map>", "8>23 "},  // Shift_JIS katakana
        {"<meta charset=csiso2022kr><img usemap=#m><map name=m></map>", "refused"},
        {"<p>\x80\x80\x80</p><img usemap=#m><map name=m></map>", "10>25 "},  // windows-1252
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const HtmlPage page = ReadHtmlPage(c.page);
        std::string pairs = page.status == ze::StatusCode::kRefusedEncoding ? "refused" : "";
        for (const PageImageMap& m : page.maps)
            pairs += std::to_string(m.image.begin) + ">" + std::to_string(m.map.begin) + " ";
        EXPECT_EQ(pairs, c.pairs);
        EXPECT_EQ(page.status == ze::StatusCode::kOk, !page.maps.empty());
    }
}

TEST(HtmlPage, RefusesWhatCannotBePutBackAndPagesAboveTheLimit) {
    const std::string page = "<img src=a usemap=#m>\n<map name=m>\n</map>\n";
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, ze::StatusCode::kOk);
    const struct {
        const char* pane;
        ze::Status status;
    } cases[] = {
        {"<img src=a usemap=#m>", ze::StatusCode::kNoMapElement},
        {"<img src=a usemap=#m>\r\n<map name=m>\r\n<area>", ze::StatusCode::kNoMapElement},
        {"<map name=m>\r\n</map>\r\n<img src=a>", ze::StatusCode::kNoImageTag},
        {"<!-- <img> -->\r\n<map name=m></map>", ze::StatusCode::kNoImageTag},
        {"<img src=b.gif usemap=#m>\r\n<map name=m>\r\n</map>\r\n\r\n", ze::StatusCode::kOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pane);
        std::string out = "untouched";
        EXPECT_EQ(MergeMarkup(page, read, 0, c.pane, &out), c.status);
        EXPECT_EQ(out, c.status == ze::StatusCode::kOk
                           ? "<img src=b.gif usemap=#m>\n<map name=m>\n</map>\n"
                           : "untouched");
    }
    PageLimits limits;
    limits.maxBytes = page.size();
    EXPECT_EQ(ReadHtmlPage(page, limits).status, ze::StatusCode::kOk);
    limits.maxBytes = page.size() - 1;
    EXPECT_EQ(ReadHtmlPage(page, limits).status, ze::StatusCode::kPageTooLarge);
}

// The expectations are what headless Chromium does with these pages.
TEST(HtmlPage, FindsTheMapABrowserUses) {
    const struct {
        const char* page;
        const char* map;  // the start tag of the map found; empty: none
    } cases[] = {
        {"<template><img usemap=#m></template><map name=m></map>", ""},
        {"<img usemap=#m><template><map name=m></map></template>", ""},
        {"<img usemap=#m><template><template></template><map name=m></map></template>"
         "<map name=m id=2></map>",
         "<map name=m id=2>"},
        {"<template></template><img usemap=#m><map name=m></map>", "<map name=m>"},
        {"<img usemap=\"#\"><map name=\"\" id=\"\"></map>", ""},
        {"<img usemap=\"m\"><map name=m></map>", ""},
        {"<img usemap=#b><map name=a id=b></map>", "<map name=a id=b>"},
        {"<img usemap=\" #a b \"><map name=\"a b\"></map><map name=\"a b \"></map>",
         "<map name=\"a b \">"},
        {"<img usemap=\"# a\"><map name=a></map><map name=\" a\"></map>", "<map name=\" a\">"},
        {"<img usemap=\"\r\n#m\r\n\"><map name=m></map><map name=\"m\n\"></map>",
         "<map name=\"m\n\">"},
        {"<img usemap=\"#a\r\nb\"><map name=\"a b\"></map><map name=\"a\nb\"></map>",
         "<map name=\"a\nb\">"},
        {"<img usemap=#a%20b><map name=\"a b\"></map><map name=a%20b></map>", "<map name=a%20b>"},
        {"<img usemap=x.html#y#m><map name=m></map><map id=y#m></map>", "<map id=y#m>"},
        {"<img usemap=#M><map name=m></map><map id=M></map>", "<map id=M>"},
        {"<img usemap=#m><map id=m></map><map name=m id=2></map>", "<map id=m>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const std::string page = c.page;
        const HtmlPage read = ReadHtmlPage(page);
        std::string found;
        if (!read.maps.empty())
            found = page.substr(read.maps[0].map.begin, page.find('>', read.maps[0].map.begin) + 1 -
                                                            read.maps[0].map.begin);
        EXPECT_EQ(found, c.map);
    }
}

TEST(HtmlPage, MergeKeepsTheBytesOfWhatWasNotChanged) {
    const std::string sjis =
        "<meta charset=shift_jis>\n<img usemap=#m>\n<map name=m>\n"
        "<area alt=\"\x81\x22\xFF\x93\xFA\" href=a.html>\n<area alt=\xFF>\n"
        "<area href=3 alt=\xFF\xFF>\n</map>\n";
    const struct {
        std::string page;
        std::vector<std::pair<std::string, std::string>> edits;  // in the pane
        std::string expected;
    } cases[] = {
        {sjis,
         {{"a.html", "b.html"}},
         "<meta charset=shift_jis>\n<img usemap=#m>\n<map name=m>\n"
         "<area alt=\"\x81\x22\xFF\x93\xFA\" href=b.html>\n<area alt=\xFF>\n"
         "<area href=3 alt=\xFF\xFF>\n</map>\n"},
        {sjis,
         {{"日", "本"}, {"href=3", "href=三"}},
         "<meta charset=shift_jis>\n<img usemap=#m>\n<map name=m>\n"
         "<area alt=\"\x81\x22\xFF\x96\x7B\" href=a.html>\n<area alt=\xFF>\n"
         "<area href=\x8E\x4F alt=\xFF\xFF>\n</map>\n"},
        {"<meta charset=utf-8><img usemap=#m><map name=m><area alt=\xFF href=a></map>",
         {{"href=a", "href=b"}},
         "<meta charset=utf-8><img usemap=#m><map name=m><area alt=\xFF href=b></map>"},
        // A Big5 lead byte left alone would take the new byte after it.
        {"<meta charset=big5><img usemap=#m><map name=m><area alt=\xA5!\xFF href=a></map>",
         {{"!", "Y"}},
         "<meta charset=big5><img usemap=#m><map name=m><area alt=&#65533;Y\xFF href=a></map>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const HtmlPage read = ReadHtmlPage(c.page);
        ASSERT_EQ(read.status, ze::StatusCode::kOk);
        std::string pane = ExtractMarkup(c.page, read, 0);
        for (const auto& [from, to] : c.edits) pane.replace(pane.find(from), from.size(), to);
        std::string merged;
        ASSERT_EQ(MergeMarkup(c.page, read, 0, pane, &merged), ze::StatusCode::kOk);
        EXPECT_EQ(merged, c.expected);
    }
}

TEST(HtmlPage, ThePaneTakesWhatAPersonEdits) {
    const std::string head = "<img usemap=#m><map name=m>";
    const struct {
        std::string body;
        ze::Status status;
    } cases[] = {
        {"\n" + std::string(size_t{16} << 10, 'x') + "\n<area>", ze::StatusCode::kOk},
        {"\r" + std::string((size_t{16} << 10) + 1, 'x') + "\r", ze::StatusCode::kPaneLineTooLong},
        {std::string(24998, '\r') + "\r\n", ze::StatusCode::kOk},  // 25,000 lines
        {std::string(25000, '\n'), ze::StatusCode::kPaneTooLarge},
        {std::string(size_t{1} << 20, ' '), ze::StatusCode::kPaneTooLarge},
    };
    for (const auto& c : cases) {
        const std::string page = head + c.body + "</map>";
        const HtmlPage read = ReadHtmlPage(page);
        ASSERT_EQ(read.status, ze::StatusCode::kOk);
        EXPECT_EQ(CheckPaneBounds(page, read, 0), c.status);
    }
    EXPECT_EQ(ze::StatusText(ze::StatusCode::kPaneLineTooLong, ze::TextLanguage::kEnglish),
              "a line of the image tag or its map is longer than 16 KB");
    EXPECT_EQ(ze::StatusText(ze::StatusCode::kPaneTooLarge, ze::TextLanguage::kEnglish),
              "the image tag and its map are larger than 1 MB or 25,000 lines");
}

TEST(PreviewPage, TheMapsAreasAloneAreWrittenAnew) {
    std::string page;
    EXPECT_FALSE(MakePreviewPage("file:///p.bmp", 4, 3, "<img src=p.bmp><area href=a><map", &page));
    const std::string pane =
        "<img src=p.bmp usemap=#m><map name='m\"'><script>alert(1)</script>"
        "<AREA HREF='\"><script>alert(2)</script>' onmouseover=alert(3) Coords=1,2,3,4 href=b>"
        "<area shape=circle coords=\"5,5,2\" alt=&lt;b&gt;></map><area href=alert(4)><script";
    ASSERT_TRUE(MakePreviewPage("file:///p.bmp", 4, 3, pane, &page));
    const size_t map = page.find(
        "<map id=\"ze-map\" name=\"m&quot;\">\n"
        "<area href=\"&quot;&gt;&lt;script&gt;alert(2)&lt;/script&gt;\" "
        "coords=\"1,2,3,4\">\n"
        "<area shape=\"circle\" coords=\"5,5,2\" alt=\"&lt;b&gt;\">\n</map>\n"
        "<pre id=\"ze-check\" hidden></pre>\n<script>");
    EXPECT_NE(map, std::string::npos) << page;
    EXPECT_EQ(page.find("<script"), page.rfind("<script"));
    EXPECT_EQ(page.find("alert"), page.rfind("alert"));
}
