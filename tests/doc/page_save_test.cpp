// Saving back into a page that changed on disk: our image and map found by
// what they are, and the image source of markup saved in another folder.
#include "doc/page_save.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const std::string kBanner = "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n";
const std::string kOurs =
    "<img src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\"><area href=1></map>\n";
}  // namespace

TEST(PageSave, FindsOurImageAndMapByWhatTheyAre) {
    const std::string opened = kBanner + kOurs;
    const PageSnapshot ours = TakePageSnapshot(opened, ReadHtmlPage(opened), 1);
    const std::string twice = opened + "<img src=\"a.gif\" usemap=\"#m\">\n";
    const PageSnapshot second = TakePageSnapshot(twice, ReadHtmlPage(twice), 2);
    const PageSnapshot pane = PaneIdentity(kOurs);
    const struct {
        const char* what;
        std::string disk;
        const PageSnapshot& snapshot;
        PageSaveStatus status;
        size_t index;
    } cases[] = {
        {"unchanged", opened, ours, PageSaveStatus::kReady, 1},
        {"area added to ours",
         kBanner + "<img src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\">"
                   "<area href=1><area></map>\n",
         ours, PageSaveStatus::kOursChanged, 1},
        {"our tag changed", "<img alt=x src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\"></map>", ours,
         PageSaveStatus::kOursChanged, 0},
        {"src changed", "<img src=c.gif usemap=#m><map name=m></map>", ours,
         PageSaveStatus::kNotFound, 0},
        {"twice alike", "<p>" + twice, ours, PageSaveStatus::kSeveral, 1},
        {"twice, one as it was", kBanner + "<img src=a.gif usemap=#m>\n" + kOurs, ours,
         PageSaveStatus::kReady, 2},
        {"twice alike, unchanged page", twice, second, PageSaveStatus::kReady, 2},
        {"nothing remembered", opened, pane, PageSaveStatus::kUnknownOrigin, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PageSavePlan plan = PlanPageSave(c.disk, ReadHtmlPage(c.disk), c.snapshot);
        EXPECT_EQ(plan.status, c.status);
        EXPECT_EQ(plan.index, c.index);
    }
}

TEST(PageSave, WhatIsWrittenIsRememberedWhicheverComesFirst) {
    for (const std::string& page : {kBanner + kOurs + "<p>", "<map name=\"m\"></map>\n" + kBanner +
                                                                 "<img usemap=#m src=a.gif>"}) {
        const HtmlPage read = ReadHtmlPage(page);
        const size_t index = read.maps.size() - 1;
        const std::string pane =
            "<img src=\"a.gif\" usemap=\"#m\">\r\n<map name=\"m\"><area></map>";
        std::string merged;
        ASSERT_EQ(MergeMarkup(page, read, index, pane, &merged), MergeStatus::kMerged);
        const PageSnapshot written = SnapshotAfterMerge(page, read, index, merged);
        EXPECT_EQ(written.image, "<img src=\"a.gif\" usemap=\"#m\">");
        EXPECT_EQ(written.map, "<map name=\"m\"><area></map>");
        EXPECT_EQ(PlanPageSave(merged, ReadHtmlPage(merged), written).status,
                  PageSaveStatus::kReady);
    }
}

TEST(PageSave, ImageSourceEditKeepsTheQuotesAndEscapes) {
    const struct {
        const char* pane;
        const char* after;
    } cases[] = {
        {"<img src=\"a.gif\"><map>", "<img src=\"../d/a&amp;'.gif\"><map>"},
        {"<IMG SRC='a.gif' USEMAP=#m>", "<IMG SRC='../d/a&amp;&#39;.gif' USEMAP=#m>"},
        {"<img src=a.gif usemap=#m>", "<img src=\"../d/a&amp;'.gif\" usemap=#m>"},
        {"<!-- <img> --><img usemap='#m'/>",
         "<!-- <img> --><img usemap='#m' src=\"../d/a&amp;'.gif\"/>"},
    };
    for (const auto& c : cases) {
        TextEdit edit;
        ASSERT_TRUE(ImageSourceEdit(c.pane, "../d/a&'.gif", &edit)) << c.pane;
        EXPECT_EQ(ApplyEdit(c.pane, edit), c.after);
    }
    TextEdit edit;
    EXPECT_FALSE(ImageSourceEdit("<map name=m></map>", "a.gif", &edit));
}
