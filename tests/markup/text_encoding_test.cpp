// SPDX-License-Identifier: GPL-3.0-or-later
// Page bytes decoded as a browser decodes them, and their encodings known.
#include "markup/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

using ze::CodePage;

TEST(TextEncoding, DecodingKeepsGoingAfterBadBytesAndEachEncodingIsKnownByItsBytes) {
    EXPECT_EQ(ze::DecodeCodePage("\x93\xfa\x96\x7b\xdf", CodePage::kShiftJis), "日本ﾟ");
    EXPECT_EQ(ze::DecodeCodePage("a\x81\x22\x62\x82", CodePage::kShiftJis),
              "a\xEF\xBF\xBD\"b\xEF\xBF\xBD");
    EXPECT_EQ(ze::DecodeCodePage("\xc6\xfc\xcb\xdc\x8e\xdf", CodePage::kEucJp), "日本ﾟ");
    EXPECT_EQ(ze::EncodeWithReferences("〜地図😀\xFF", CodePage::kEucJp),
              "\xa1\xc1\xc3\xcf\xbf\xde&#128512;&#65533;");
    EXPECT_TRUE(ze::IsValidUtf8("地図\xEF\xBF\xBD"));
    EXPECT_FALSE(ze::IsValidUtf8("\xc0\xaf") || ze::IsValidUtf8("\xed\xa0\x80"));
    // Half-width katakana, 0xA1 to 0xDF, stand alone in code page 932 only.
    EXPECT_TRUE(ze::LooksLikeCodePage("\xa1\xdf\xdf", CodePage::kShiftJis));
    EXPECT_FALSE(ze::LooksLikeCodePage("\xa1\xdf\xdf", CodePage::kEucJp));
    EXPECT_TRUE(ze::LooksLikeCodePage("\x8e\xdf\xc3\xcf\x8f\xa1\xa1", CodePage::kEucJp));
}

// Where glibc's tables and browsers part, a page reads and is written as
// browsers read it.
TEST(TextEncoding, PagesReadAndWrittenAsBrowsersDo) {
    // windows-1252: the five bytes glibc leaves undefined are C1 controls.
    EXPECT_EQ(ze::DecodeCodePage("\x80\x81\x9D\x9F", CodePage::kWindows1252), "€\u0081\u009DŸ");
    EXPECT_EQ(ze::EncodeWithReferences("€\u0081Ÿ\u0080", CodePage::kWindows1252),
              "\x80\x81\x9F&#128;");
    // GBK and gb18030 read 0x80 as the euro sign; GBK writes it so, and
    // writes no four-byte sequence.
    EXPECT_EQ(ze::DecodeCodePage("\x80\xA2\xE3", CodePage::kGb18030), "€€");
    EXPECT_EQ(ze::EncodeWithReferences("€À", CodePage::kGbk), "\x80&#192;");
    EXPECT_EQ(ze::EncodeWithReferences("€À", CodePage::kGb18030), "\xA2\xE3\x81\x30\x86\x38");
    // Big5 reads the Hong Kong additions but writes none below lead 0xA1.
    EXPECT_EQ(ze::DecodeCodePage("\x88\x59\x88\x62", CodePage::kBig5), "ÀÊ̄");
    EXPECT_EQ(ze::EncodeWithReferences("À台", CodePage::kBig5), "&#192;\xA5\x78");
    // UTF-16: a surrogate alone and an odd last byte are U+FFFD each.
    EXPECT_EQ(
        ze::DecodeCodePage(std::string("\0\xD8\x41\0\x3D\xD8\0\xDE\x42", 9), CodePage::kUtf16Le),
        "\uFFFDA😀\uFFFD");
    EXPECT_EQ(ze::EncodeWithReferences("A😀", CodePage::kUtf16Be),
              std::string("\0A\xD8\x3D\xDE\0", 6));
    // ISO-2022-JP switches sets once a run; ESC itself is never written.
    EXPECT_EQ(ze::EncodeWithReferences("地図😀x図\x1B", CodePage::kIso2022Jp),
              "\x1B$BCO?^\x1B(B&#128512;x\x1B$B?^\x1B(B&#27;");
    // It reads half-width katakana and Roman; two escapes in a row are an error.
    EXPECT_EQ(ze::DecodeCodePage("a\x1B$BCO\x1B(I1\x1B(J\\\x1B$B\x1B(Bb", CodePage::kIso2022Jp),
              "a地ｱ¥\uFFFDb");
}
