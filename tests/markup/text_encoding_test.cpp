// The code pages at the edges of the program and UTF-8 inside.
#include "markup/text_encoding.h"

#include <gtest/gtest.h>

using ze::CodePage;

TEST(TextEncoding, DecodingKeepsGoingAfterBadBytes) {
    EXPECT_EQ(ze::DecodeCodePage("\x93\xfa\x96\x7b\xdf", CodePage::kCp932), "日本ﾟ");
    EXPECT_EQ(ze::DecodeCodePage("a\x81\x22\x62\x82", CodePage::kCp932),
              "a\xEF\xBF\xBD\"b\xEF\xBF\xBD");
    EXPECT_EQ(ze::DecodeCodePage("\xc6\xfc\xcb\xdc\x8e\xdf", CodePage::kEucJp), "日本ﾟ");
    EXPECT_EQ(ze::EncodeWithReferences("〜地図😀\xFF", CodePage::kEucJp),
              "\xa1\xc1\xc3\xcf\xbf\xde&#128512;&#65533;");
    EXPECT_EQ(ze::EncodeWithReferences("〜地図ﾟ", CodePage::kCp932),
              "&#12316;\x92\x6e\x90\x7d\xdf");
}

TEST(TextEncoding, RecognisesEachEncodingByItsBytes) {
    const std::pair<const char*, const char*> cases[] = {
        // bytes, then whether they are UTF-8, EUC-JP, code page 932
        {"地図\xEF\xBF\xBD", "101"},
        {"\xc0\xaf", "011"},      // an overlong '/'
        {"\xed\xa0\x80", "000"},  // a surrogate
        {"\xa1\xdf\xdf", "001"},  // half-width katakana
        {"\x8e\xdf\xc3\xcf\x8f\xa1\xa1", "011"},
        {"\x81\x7f", "000"},
    };
    for (const auto& [bytes, kinds] : cases) {
        const std::string found = {char('0' + ze::IsValidUtf8(bytes)),
                                   char('0' + ze::LooksLikeCodePage(bytes, CodePage::kEucJp)),
                                   char('0' + ze::LooksLikeCodePage(bytes, CodePage::kCp932))};
        EXPECT_EQ(found, kinds) << bytes;
    }
}
