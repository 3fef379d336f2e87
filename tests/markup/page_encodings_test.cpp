// SPDX-License-Identifier: GPL-3.0-or-later
// Pages in the encodings browsers read: each opened, an area changed and one
// drawn, and saved with only those bytes changed, in the page's encoding.
#include <gtest/gtest.h>

#include <string>

#include "markup/area_markup.h"
#include "markup/encoding_label.h"
#include "markup/html_page.h"
#include "markup/text_encoding.h"

namespace {

struct Family {
    const char* label;
    PageEncoding encoding;
    std::string oldWord;  // in the page's bytes, and as UTF-8
    const char* oldText;
    std::string newWord;
    const char* newText;
    std::string emoji = "&#128512;";  // 😀 in the page
};

// A page the way such sites were written: the word in the title, on the
// image and on the area; the area's text is changed and a new area drawn.
std::string Page(const Family& f, const std::string& areaAlt, const std::string& drawn) {
    return std::string(
               "<html><head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
               "charset=") +
           f.label + "\">\r\n<title>" + f.oldWord + "</title></head>\r\n<body>\r\n" +
           "<img src=\"map.gif\" width=\"200\" height=\"100\" alt=\"" + f.oldWord +
           "\" usemap=\"#m\">\r\n<map name=\"m\">\r\n<area shape=\"rect\" coords=\"0,0,9,9\" "
           "href=\"a.html\" alt=\"" +
           areaAlt + "\">\r\n" + drawn + "</map>\r\n</body></html>\r\n";
}

// UTF-16LE of UTF-8 text.
std::string Utf16Le(std::string_view utf8) {
    std::string out;
    const auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (size_t at = 0; at < utf8.size();) {
        size_t length;
        const char32_t cp = ze::DecodeUtf8At(utf8, at, &length);
        at += length;
        if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

const char kDrawn[] = "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"";

}  // namespace

TEST(PageEncodings, EachFamilyOpensAndSavesOnlyWhatChanged) {
    const Family families[] = {
        {"windows-1252", PageEncoding::kWindows1252, "Caf\xE9 \x80", "Café €", "Ni\xF1o\x81",
         "Niño\xC2\x81"},
        {"latin2", PageEncoding::kIso8859_2, "\xA3\xF3\x64\xBC", "Łódź", "Krak\xF3w", "Kraków"},
        {"euc-kr", PageEncoding::kEucKr, "\xBC\xAD\xBF\xEF", "서울", "\xBA\xCE\xBB\xEA", "부산"},
        {"big5", PageEncoding::kBig5, "\xA5\x78\xA5\x5F", "台北", "\xB0\xAA\xB6\xAF", "高雄"},
        {"gb18030", PageEncoding::kGb18030, "\xB1\xB1\xBE\xA9", "北京",
         "\xC9\xCF\xBA\xA3\x81\x30\x86\x38", "上海À", "\x94\x39\xFC\x36"},
        {"ISO-2022-JP", PageEncoding::kIso2022Jp, "\x1B$BEl5~\x1B(B", "東京", "\x1B$BBg:e\x1B(B",
         "大阪"},
        {"koi8-r", PageEncoding::kKoi8R, "\xED\xCF\xD3\xCB\xD7\xC1", "Москва", "\xEB\xC9\xC5\xD7",
         "Киев"},
    };
    for (const Family& f : families) {
        SCOPED_TRACE(f.label);
        const std::string page = Page(f, f.oldWord, "");
        const HtmlPage read = ReadHtmlPage(page);
        ASSERT_EQ(read.status, ze::StatusCode::kOk);
        EXPECT_EQ(read.encoding, f.encoding);
        std::string pane = ExtractMarkup(page, read, 0);
        const std::string oldAlt = std::string("alt=\"") + f.oldText + "\">\r\n</map>";
        ASSERT_NE(pane.find(oldAlt), std::string::npos) << pane;
        pane.replace(pane.find(oldAlt) + 5, std::string(f.oldText).size(), f.newText);
        // A character the page's encoding cannot hold becomes a reference.
        pane = InsertAreaLine(pane, std::string(kDrawn) + f.newText + "😀\">", MarkupSettings{});
        std::string merged;
        ASSERT_EQ(MergeMarkup(page, read, 0, pane, &merged), ze::StatusCode::kOk);
        EXPECT_EQ(merged, Page(f, f.newWord, kDrawn + f.newWord + f.emoji + "\">\r\n"));
    }
}

// ISO-2022-JP: a changed line is written anew whole, in ASCII at both ends,
// and every other line keeps its escapes.
TEST(PageEncodings, Iso2022JpLinesKeepTheirEscapes) {
    const std::string page =
        "<meta charset=iso-2022-jp>\n<img usemap=#m alt=\xFF>\n<map name=m>\n"
        "<area alt=a>\x1B$BEl\x1B(B\n<area alt=b>\x1B$B5~\x1B(B\n</map>\n";
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, ze::StatusCode::kOk);
    std::string pane = ExtractMarkup(page, read, 0);
    EXPECT_EQ(
        pane,
        "<img usemap=#m alt=\uFFFD>\r\n<map name=m>\r\n<area alt=a>東\r\n<area alt=b>京\r\n</map>");
    pane.replace(pane.find("alt=a"), 5, "alt=\"大\"");
    std::string merged;
    ASSERT_EQ(MergeMarkup(page, read, 0, pane, &merged), ze::StatusCode::kOk);
    EXPECT_EQ(merged,
              "<meta charset=iso-2022-jp>\n<img usemap=#m alt=\xFF>\n<map name=m>\n"
              "<area alt=\"\x1B$BBg\x1B(B\">\x1B$BEl\x1B(B\n<area alt=b>\x1B$B5~\x1B(B\n</map>\n");
    // A map that starts in JIS X 0201 Roman is found where it stands.
    const std::string roman =
        "<meta charset=iso-2022-jp>\x1B(J\\\\<img usemap=#m>\\"
        "<map name=m>\\~\x1B(B</map>";
    const HtmlPage romanRead = ReadHtmlPage(roman);
    ASSERT_EQ(romanRead.maps.size(), 1u);
    EXPECT_EQ(roman.substr(romanRead.maps[0].map.begin, 6), "<map n");
    ASSERT_EQ(MergeMarkup(roman, romanRead, 0, ExtractMarkup(roman, romanRead, 0), &merged),
              ze::StatusCode::kOk);
    EXPECT_EQ(merged, roman);
}

TEST(PageEncodings, Utf16ByItsByteOrderMark) {
    const Family f = {"utf-16", PageEncoding::kUtf16Le, "地図", "地図", "案内", "案内"};
    const std::string page = "\xFF\xFE" + Utf16Le(Page(f, "地図", ""));
    const HtmlPage read = ReadHtmlPage(page);
    ASSERT_EQ(read.status, ze::StatusCode::kOk);
    EXPECT_EQ(read.encoding, PageEncoding::kUtf16Le);
    ASSERT_EQ(read.maps.size(), 1u);
    EXPECT_EQ(read.maps[0].line, 5);
    EXPECT_EQ(read.maps[0].source, "map.gif");
    std::string pane = ExtractMarkup(page, read, 0);
    pane.replace(pane.rfind("地図"), 6, "案内");
    pane = InsertAreaLine(pane, std::string(kDrawn) + "案内😀\">", MarkupSettings{});
    std::string merged;
    ASSERT_EQ(MergeMarkup(page, read, 0, pane, &merged), ze::StatusCode::kOk);
    // UTF-16 holds every character: none becomes a reference.
    EXPECT_EQ(merged, "\xFF\xFE" + Utf16Le(Page(f, "案内", std::string(kDrawn) + "案内😀\">\r\n")));
}

// The expectations are what headless Chromium does with these pages.
TEST(PageEncodings, TheEncodingABrowserFinds) {
    const struct {
        std::string page;
        PageEncoding encoding;  // when it opens
        const char* declared;
    } cases[] = {
        // An unknown label is passed over for the next declaration.
        {"<meta charset=x-klingon><meta charset=\" KOI8-U \"><p>\xA4", PageEncoding::kKoi8U,
         " KOI8-U "},
        // With none left, the bytes decide; windows-1252 takes what no
        // other fits.
        {"<meta charset=x-klingon><p>\x80\x80", PageEncoding::kWindows1252, ""},
        {"<p>\xA1\xA1\x8E", PageEncoding::kWindows1252, ""},
        {"<meta content='text/html;charset=\"iso-8859-11\"' http-equiv=Content-Type>",
         PageEncoding::kWindows874, "iso-8859-11"},
        // A page that declares UTF-16 in ASCII is not in UTF-16; nor does a
        // page declare x-user-defined for anything but windows-1252.
        {"<meta charset=utf-16le><p>\xE5\x9C\xB0", PageEncoding::kUtf8, "utf-16le"},
        {"<meta charset=x-user-defined><p>\xE9", PageEncoding::kWindows1252, "x-user-defined"},
        // A byte order mark wins over any declaration.
        {"\xEF\xBB\xBF<meta charset=shift_jis>", PageEncoding::kUtf8, "shift_jis"},
        {std::string("\xFE\xFF\0<\0m\0a\0p", 10), PageEncoding::kUtf16Be, ""},
        {"<meta charset=gb2312><p>\x80", PageEncoding::kGbk, "gb2312"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const HtmlPage read = ReadHtmlPage(c.page);
        EXPECT_EQ(read.status, ze::StatusCode::kNoImageMap);
        EXPECT_EQ(read.encoding, c.encoding);
        EXPECT_EQ(read.declaredCharset, c.declared);
    }
    // Browsers show nothing of these pages but one replacement character.
    for (const char* label : {"iso-2022-kr", "HZ-GB-2312", "iso-2022-cn-ext"}) {
        const std::string page =
            std::string("<meta charset=") + label + "><img usemap=#m><map name=m></map>";
        EXPECT_EQ(ReadHtmlPage(page).status, ze::StatusCode::kRefusedEncoding);
    }
    EXPECT_EQ(ze::FindEncodingLabel("\tUnicode-1-1-UTF-8\n").page, PageEncoding::kUtf8);
    EXPECT_EQ(ze::FindEncodingLabel("cp932").kind, ze::LabelKind::kUnknown);
    EXPECT_EQ(ze::FindEncodingLabel("latin 1").kind, ze::LabelKind::kUnknown);
}
