#include <gtest/gtest.h>

#include "view/transfer/sibling_choice.h"

using ze::transfer::ChooseSibling;
using ze::transfer::WindowRecord;
using ze::transfer::WindowState;

namespace {
constexpr auto kMin = WindowState::Minimised;
constexpr auto kVis = WindowState::Visible;
constexpr auto kHid = WindowState::Hidden;
const std::string kTitle = "index.html - ZURI Zezez SEKKA";
}  // namespace

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
