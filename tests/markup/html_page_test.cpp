// HTML pages: finding the image and its map, the encodings, and putting the
// pane's markup back so that only the edit changes the page.
#include "markup/html_page.h"

#include <gtest/gtest.h>

#include <string>

#include "markup/area_markup.h"
#include "markup/memory_store.h"
#include "markup/settings.h"
#include "markup/text_encoding.h"

namespace {

std::string Sjis(const std::string& utf8) {
    return ze::EncodeWithReferences(utf8, ze::CodePage::kCp932);
}
std::string Euc(const std::string& utf8) {
    return ze::EncodeWithReferences(utf8, ze::CodePage::kEucJp);
}

struct RoundTrip {
    const char* what;
    std::string page;
    size_t index;         // which image with a map
    std::string closing;  // the map's end tag as the page writes it
    int tag;              // the tag setting while the area is drawn
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
    const std::string sjisMapFirst = Sjis(
        "<html><head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=Shift_JIS\">\r\n</head><body>\r\n<map id=\"zu\" name=\"zu\">\r\n"
        "<area shape=\"rect\" coords=\"0,0,9,9\" href=\"表.html\" alt=\"ソ表\">\r\n</map>\r\n"
        "<!-- <img src=\"old.gif\" usemap=\"#zu\"> -->\r\n"
        "<img usemap=\"#zu\" border=0 src=\"地図.gif\">\r\n</body></html>\r\n");
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
        Euc("<p>北海道の地図</p>\n<img src=\"hokkaido.gif\" usemap=\"#h\">\n<map "
            "name=\"h\">\n</map>\n");
    const std::string bom = "\xEF\xBB\xBF<img src=\"a.gif\" usemap=\"#m\"><map name=\"m\"></map>";
    const RoundTrip cases[] = {
        {"utf-8, raw text and nesting", utf8, 0, "</map>", 0, PageEncoding::kUtf8, "\n"},
        {"shift_jis, map first, comment", sjisMapFirst, 0, "</map>", 0, PageEncoding::kShiftJis,
         "\r\n"},
        {"several maps, odd quoting", several, 1, "</map>", 0, PageEncoding::kUtf8, "\n"},
        {"upper-case tags", upper, 0, "</MAP>", 1, PageEncoding::kUtf8, "\r\n"},
        {"euc-jp by its bytes", eucUndeclared, 0, "</map>", 0, PageEncoding::kEucJp, "\n"},
        {"utf-8 with a byte order mark", bom, 0, "</map>", 0, PageEncoding::kUtf8, "\r\n"},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.what);
        const HtmlPage page = ReadHtmlPage(c.page);
        ASSERT_EQ(page.status, PageStatus::kOk);
        EXPECT_EQ(page.encoding, c.encoding);
        ASSERT_GT(page.maps.size(), c.index);
        const PageImageMap& entry = page.maps[c.index];

        const std::string pane = ExtractMarkup(c.page, page, c.index);
        std::string merged;
        ASSERT_EQ(MergeMarkup(c.page, page, c.index, pane, &merged), MergeStatus::kMerged);
        EXPECT_EQ(merged, c.page);  // nothing edited: every byte as it was

        const std::string drawn = InsertAreaLine(pane, kLine, MarkupSettings{c.tag != 0, ""});
        ASSERT_EQ(MergeMarkup(c.page, page, c.index, drawn, &merged), MergeStatus::kMerged);
        std::string line = c.tag ? UpperCaseOutsideQuotes(kLine) : kLine;
        if (c.encoding == PageEncoding::kShiftJis) line = Sjis(line);
        if (c.encoding == PageEncoding::kEucJp) line = Euc(line);
        std::string expected = c.page;
        expected.insert(entry.map.end - c.closing.size(), line + c.newline);
        EXPECT_EQ(merged, expected);
    }
}

TEST(HtmlPage, PaneTextIsTheImageTagAndTheMapInUtf8WithCrLf) {
    const std::string page = Sjis(
        "<meta charset=\"x-sjis\">\n<img src=\"&#x5730;図.gif\"\n  usemap=\"#zu\">\n"
        "<map name=\"zu\">\n<area alt=\"〜\">\n</map>");
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, PageStatus::kOk);
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
        int count;  // images with maps; -1: the page is refused for its encoding
    } cases[] = {
        {"<img src=a usemap=m><map name=m></map>", 0},  // a usemap needs its '#'
        {"<img src=a usemap=page.html#m><map name=m></map>", 1},
        {"<img src=a usemap=#m><map id=m></map>", 1},             // the id when no name
        {"<img src=a usemap=#m><map name=n id=m></map>", 0},      // the name wins over the id
        {"<img src=a usemap=#M><map name=m></map>", 0},           // names are exact
        {"<img src=a usemap=#m><map name=m>", 0},                 // never closed
        {"<img src=a usemap=#m><!-- <map name=m></map> -->", 0},  // a comment
        {"<textarea><img usemap=#m></textarea><map name=m></map>", 0},
        {"<map name=m><img usemap=#m></map>", 0},              // inside its own map
        {"<map name=m><map name=n></map><img usemap=#m>", 0},  // the inner map closed
        {"<map name=m></map><map name=m><area></map><img usemap=#m><img usemap=#m>", 2},
        {"<img src='a' usemap=\"#m><map name=m></map>", 0},  // cut off inside a value
        {"<meta charset=windows-1252><p>caf\xE9<img usemap=#m><map name=m></map>", -1},
        {"<meta charset=iso-8859-1><img usemap=#m><map name=m></map>", 1},  // ASCII only
        {"\xFF\xFE<\0i\0", -1},
        {"<p>\x80\x80\x80</p><img usemap=#m><map name=m></map>", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const HtmlPage page = ReadHtmlPage(c.page);
        if (c.count < 0) {
            EXPECT_TRUE(page.status == PageStatus::kUnknownEncoding ||
                        page.status == PageStatus::kUtf16);
            continue;
        }
        EXPECT_EQ(page.maps.size(), size_t(c.count));
        EXPECT_EQ(page.status, c.count > 0 ? PageStatus::kOk : PageStatus::kNoImageMap);
    }
}

TEST(HtmlPage, RefusesWhatCannotBePutBackAndPagesAboveTheLimit) {
    const std::string page = "<img src=a usemap=#m>\n<map name=m>\n</map>\n";
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, PageStatus::kOk);
    const struct {
        const char* pane;
        MergeStatus status;
    } cases[] = {
        {"<img src=a usemap=#m>", MergeStatus::kNoMap},
        {"<img src=a usemap=#m>\r\n<map name=m>\r\n<area>", MergeStatus::kNoMap},
        {"<map name=m>\r\n</map>\r\n<img src=a>", MergeStatus::kNoImage},
        {"<!-- <img> -->\r\n<map name=m></map>", MergeStatus::kNoImage},
        {"<img src=b.gif usemap=#m>\r\n<map name=m>\r\n</map>\r\n\r\n", MergeStatus::kMerged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pane);
        std::string out = "untouched";
        EXPECT_EQ(MergeMarkup(page, read, 0, c.pane, &out), c.status);
        EXPECT_EQ(out, c.status == MergeStatus::kMerged
                           ? "<img src=b.gif usemap=#m>\n<map name=m>\n</map>\n"
                           : "untouched");
    }
    PageLimits limits;
    limits.maxBytes = page.size() - 1;
    EXPECT_EQ(ReadHtmlPage(page, limits).status, PageStatus::kTooLarge);
}

TEST(TextEncoding, DecodingKeepsGoingAfterBadBytes) {
    EXPECT_EQ(ze::DecodeCodePage("\x93\xfa\x96\x7b", ze::CodePage::kCp932), "日本");
    EXPECT_EQ(ze::DecodeCodePage("a\x81\x22"
                                 "b\x82",
                                 ze::CodePage::kCp932),
              "a\xEF\xBF\xBD\"b\xEF\xBF\xBD");
    EXPECT_EQ(ze::DecodeCodePage("\xc6\xfc\xcb\xdc", ze::CodePage::kEucJp), "日本");
    EXPECT_EQ(Euc("〜地図😀"), "\xa1\xc1\xc3\xcf\xbf\xde&#128512;");
    EXPECT_TRUE(ze::IsValidUtf8("地図\xEF\xBF\xBD"));
    EXPECT_FALSE(ze::IsValidUtf8("\xc0\xaf"));
}
