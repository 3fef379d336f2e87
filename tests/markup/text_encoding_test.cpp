// The code pages at the edges of the program and UTF-8 inside.
#include "markup/text_encoding.h"

#include <gtest/gtest.h>

using ze::CodePage;

TEST(TextEncoding, DecodingKeepsGoingAfterBadBytes) {
    const struct {
        const char* bytes;
        CodePage page;
        const char* utf8;
    } cases[] = {
        {"\x93\xfa\x96\x7b\xdf", CodePage::kCp932, "日本ﾟ"},
        {"a\x81\x22"
         "b\x82",
         CodePage::kCp932, "a\xEF\xBF\xBD\"b\xEF\xBF\xBD"},
        {"\xc6\xfc\xcb\xdc\x8e\xdf", CodePage::kEucJp, "日本ﾟ"},
    };
    for (const auto& c : cases) EXPECT_EQ(ze::DecodeCodePage(c.bytes, c.page), c.utf8);
    EXPECT_EQ(ze::EncodeWithReferences("〜地図😀\xFF", CodePage::kEucJp),
              "\xa1\xc1\xc3\xcf\xbf\xde&#128512;&#65533;");
    EXPECT_EQ(ze::EncodeWithReferences("〜地図ﾟ", CodePage::kCp932),
              "&#12316;\x92\x6e\x90\x7d\xdf");
}

TEST(TextEncoding, RecognisesEachEncodingByItsBytes) {
    const struct {
        const char* bytes;
        bool utf8, eucJp, cp932;
    } cases[] = {
        {"地図\xEF\xBF\xBD", true, false, true},
        {"\xc0\xaf", false, true, true},       // an overlong '/'
        {"\xed\xa0\x80", false, false, false},  // a surrogate
        {"\xa1\xdf\xdf", false, false, true},   // half-width katakana
        {"\x8e\xdf\xc3\xcf\x8f\xa1\xa1", false, true, true},
        {"\x81\x7f", false, false, false},
        {"\x92", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ze::IsValidUtf8(c.bytes), c.utf8);
        EXPECT_EQ(ze::LooksLikeCodePage(c.bytes, CodePage::kEucJp), c.eucJp);
        EXPECT_EQ(ze::LooksLikeCodePage(c.bytes, CodePage::kCp932), c.cp932);
    }
}
