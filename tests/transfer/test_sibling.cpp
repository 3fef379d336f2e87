// Choosing the sibling window and the message sent to it.
#include <gtest/gtest.h>

#include "transfer/sibling_choice.h"
#include "transfer/sibling_message.h"

using ze::transfer::ChooseSibling;
using ze::transfer::CopyDataMessage;
using ze::transfer::MakeCopyDataMessage;
using ze::transfer::ToCodePage932;
using ze::transfer::ToCrLf;
using ze::transfer::WindowState;

namespace {
constexpr auto kMin = WindowState::Minimised;
constexpr auto kVis = WindowState::Visible;
constexpr auto kHid = WindowState::Hidden;
const std::string kTitle = "index.html - ZURI Zezez SEKKA";

CopyDataMessage Make(const std::string& text) {
    CopyDataMessage message;
    message.dwData = 77;  // must be overwritten
    EXPECT_TRUE(MakeCopyDataMessage(text, &message));
    return message;
}
}  // namespace

TEST(SiblingMessage, CarriesTheTextWithCrLfAndOneNul) {
    const CopyDataMessage ten = Make("<MAP></MAP");
    EXPECT_EQ(ten.dwData, 0u);
    EXPECT_EQ(ten.cbData, 11u);
    EXPECT_EQ(ten.bytes, std::string("<MAP></MAP\0", 11));
    const CopyDataMessage empty = Make("");
    EXPECT_EQ(empty.cbData, 1u);
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));

    EXPECT_EQ(ToCrLf("a\r\nb\nc\rd\n\n"), "a\r\nb\r\nc\rd\r\n\r\n");
    EXPECT_EQ(ToCrLf("\n"), "\r\n");
    EXPECT_EQ(Make("<MAP>\r\n</MAP>\n").bytes, std::string("<MAP>\r\n</MAP>\r\n\0", 16));
}

TEST(SiblingMessage, JapaneseTextBecomesCodePage932) {
    EXPECT_EQ(ToCodePage932("日本語"), "\x93\xfa\x96\x7b\x8c\xea");
    EXPECT_EQ(ToCodePage932("ｱ"), "\xb1");                // half-width katakana: one byte
    EXPECT_EQ(ToCodePage932("①～"), "\x87\x40\x81\x60");  // NEC row 13, full-width tilde
    EXPECT_EQ(ToCodePage932("\\~"), "\\~");
    const CopyDataMessage message = Make("<AREA ALT=\"地図\">");
    EXPECT_EQ(message.bytes, std::string("<AREA ALT=\"\x92\x6e\x90\x7d\">\0", 18));
}

TEST(SiblingMessage, CharactersOutsideCodePage932BecomeReferences) {
    // Look-alikes that a best-fit table would turn into other characters.
    EXPECT_EQ(ToCodePage932("a〜b"), "a&#12316;b");
    EXPECT_EQ(ToCodePage932("¥"), "&#165;");
    EXPECT_EQ(ToCodePage932("—"), "&#8212;");
    EXPECT_EQ(ToCodePage932("é😀"), "&#233;&#128512;");
    // Bytes that are not UTF-8 are replaced one by one, never dropped silently.
    EXPECT_EQ(ToCodePage932("x\xff"), "x&#65533;");
    EXPECT_EQ(ToCodePage932("\xc0\xaf"), "&#65533;&#65533;");              // overlong
    EXPECT_EQ(ToCodePage932("\xed\xa0\x80"), "&#65533;&#65533;&#65533;");  // surrogate
    EXPECT_EQ(ToCodePage932("\xe6\x97"), "&#65533;&#65533;");              // cut short
}

TEST(SiblingChoice, FirstMinimisedOrVisibleMatchWinsAHiddenOneOnlyIfNoneFollows) {
    EXPECT_EQ(ChooseSibling({{"Terminal", kVis}, {kTitle, kMin}, {kTitle, kVis}}), 1u);
    EXPECT_EQ(ChooseSibling({{"Terminal", kVis}, {kTitle, kVis}, {kTitle, kMin}}), 1u);
    // Two visible ones: only the first in the order.
    EXPECT_EQ(ChooseSibling({{kTitle, kVis}, {"ZURI Zezez SEKKA 2", kVis}}), 0u);
    // A hidden match is kept only until a later one.
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {"Other", kVis}, {kTitle, kVis}}), 2u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {kTitle, kMin}}), 1u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {"Other", kVis}}), 0u);
    EXPECT_EQ(ChooseSibling({{kTitle, kHid}, {kTitle, kHid}, {"Other", kMin}}), 1u);
    // A visible match ends the search: a hidden one after it is never looked at.
    EXPECT_EQ(ChooseSibling({{kTitle, kVis}, {kTitle, kHid}}), 0u);
}

TEST(SiblingChoice, OnlyTheExactNameInTheFirst255BytesMatches) {
    EXPECT_FALSE(ChooseSibling({}));
    EXPECT_FALSE(ChooseSibling({{"zuri zezez sekka", kVis},
                                {"ZURI ZEZEZ SEKKA", kVis},
                                {"ZURI Zezez  SEKKA", kVis},
                                {"ZURI Zezez SEKK", kVis},
                                {"", kVis}}));
    EXPECT_EQ(ChooseSibling({{"ZURI Zezez SEKKA", kVis}}), 0u);
    const std::string name = "ZURI Zezez SEKKA";
    const std::string endsAt255 = std::string(255 - name.size(), 'x') + name;
    const std::string endsAt256 = std::string(256 - name.size(), 'x') + name;
    EXPECT_EQ(ChooseSibling({{endsAt256, kVis}, {endsAt255, kVis}}), 1u);
    EXPECT_FALSE(ChooseSibling({{endsAt256 + "tail", kMin}}));
}
