// SPDX-License-Identifier: GPL-3.0-or-later
// Page bytes decoded as a browser decodes them, and their encodings known.
#include "markup/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

using ze::CodePage;

TEST(TextEncoding, DecodingKeepsGoingAfterBadBytesAndEachEncodingIsKnownByItsBytes) {
    EXPECT_EQ(ze::DecodeCodePage("\x93\xfa\x96\x7b\xdf", CodePage::kCp932), "日本ﾟ");
    EXPECT_EQ(ze::DecodeCodePage("a\x81\x22\x62\x82", CodePage::kCp932),
              "a\xEF\xBF\xBD\"b\xEF\xBF\xBD");
    EXPECT_EQ(ze::DecodeCodePage("\xc6\xfc\xcb\xdc\x8e\xdf", CodePage::kEucJp), "日本ﾟ");
    EXPECT_EQ(ze::EncodeWithReferences("〜地図😀\xFF", CodePage::kEucJp),
              "\xa1\xc1\xc3\xcf\xbf\xde&#128512;&#65533;");
    EXPECT_TRUE(ze::IsValidUtf8("地図\xEF\xBF\xBD"));
    EXPECT_FALSE(ze::IsValidUtf8("\xc0\xaf") || ze::IsValidUtf8("\xed\xa0\x80"));
    // Half-width katakana, 0xA1 to 0xDF, stand alone in code page 932 only.
    EXPECT_TRUE(ze::LooksLikeCodePage("\xa1\xdf\xdf", CodePage::kCp932));
    EXPECT_FALSE(ze::LooksLikeCodePage("\xa1\xdf\xdf", CodePage::kEucJp));
    EXPECT_TRUE(ze::LooksLikeCodePage("\x8e\xdf\xc3\xcf\x8f\xa1\xa1", CodePage::kEucJp));
}
