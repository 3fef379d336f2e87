// Attribute edits, tag moves and the area list's overlap and problem marks,
// each checked against literal text.
#include "markup/area_attributes.h"

#include <gtest/gtest.h>

namespace {

std::string Edited(const std::string& text, const AreaLink& before, const AreaLink& after) {
    return ApplyEdit(text, SetAreaLinkEdit(text, ParseAreas(text)[0], before, after));
}

}  // namespace

TEST(AreaAttributes, LinkEditTouchesOnlyWhatChanged) {
    const std::string tag =
        "<map>\n<area  shape=rect coords='1,2,3,4' HREF=a.html title=\"x\"\n"
        "  alt=\"\"><area href=b>\n</map>";
    const AreaLink read = AreaLinkOf(tag, ParseAreas(tag)[0]);
    EXPECT_EQ(read.href, "a.html");
    EXPECT_EQ(read.title, "x");
    struct Case {
        void (*change)(AreaLink&);
        const char* expected;
    } cases[] = {
        {[](AreaLink&) {},
         "<map>\n<area  shape=rect coords='1,2,3,4' HREF=a.html title=\"x\"\n"
         "  alt=\"\"><area href=b>\n</map>"},
        {[](AreaLink& l) { l.title = "say \"hi\""; },
         "<map>\n<area  shape=rect coords='1,2,3,4' HREF=a.html title=\"say &quot;hi&quot;\"\n"
         "  alt=\"\"><area href=b>\n</map>"},
        {[](AreaLink& l) {
             l.href = "b c.html";
             l.target = "_blank";
             l.className = "a&b";
         },
         "<map>\n<area  shape=rect coords='1,2,3,4' HREF=\"b c.html\" title=\"x\"\n"
         "  alt=\"\" target=\"_blank\" class=\"a&b\"><area href=b>\n</map>"},
        {[](AreaLink& l) {
             l.title.clear();
             l.alt = "A";
         },
         "<map>\n<area  shape=rect coords='1,2,3,4' HREF=a.html\n"
         "  alt=\"A\"><area href=b>\n</map>"},
    };
    for (const Case& c : cases) {
        AreaLink after = read;
        c.change(after);
        EXPECT_EQ(Edited(tag, read, after), c.expected);
    }
    // Upper-case tags get upper-case names; a stale tag is left alone.
    AreaLink more;
    more.rel = "next";
    EXPECT_EQ(Edited("<AREA HREF=\"a\">", {}, more), "<AREA HREF=\"a\" REL=\"next\">");
    AreaTag stale = ParseAreas(tag)[0];
    stale.tag.end += 1;
    EXPECT_EQ(SetAreaLinkEdit(tag, stale, {}, more).inserted, "");
}

TEST(AreaAttributes, NewLinesAndTheirAttributes) {
    AreaLink link;
    link.title = "T\"1";
    link.rel = "help";
    EXPECT_EQ(
        WithMoreAttributes("<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"\" href=\"\">", link),
        "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"\" href=\"\" title=\"T&quot;1\" "
        "rel=\"help\">");
    EXPECT_EQ(WithMoreAttributes("<area href=\"\">", {}), "<area href=\"\">");
    const std::string text = "<area shape=circle coords=\"5,5,2\" id=i nohref data-x='a&amp;b'>";
    const std::vector<NamedValue> attrs = ReadAreaAttributes(text, ParseAreas(text)[0]);
    std::string joined;
    for (const NamedValue& a : attrs) joined += a.name + "=" + a.value + ";";
    EXPECT_EQ(joined, "shape=circle;coords=5,5,2;id=i;nohref=;data-x=a&b;");
}

TEST(AreaAttributes, MovingTagsKeepsTheBytesBetween) {
    const std::string text = "<map>\r\n  <area href=a>\r\n\t<area href=b> <area href=c>\r\n</map>";
    const std::vector<AreaTag> areas = ParseAreas(text);
    EXPECT_EQ(ApplyEdit(text, MoveAreaTagEdit(text, areas, 0, 2)),
              "<map>\r\n  <area href=b>\r\n\t<area href=c> <area href=a>\r\n</map>");
    EXPECT_EQ(ApplyEdit(text, MoveAreaTagEdit(text, areas, 2, 0)),
              "<map>\r\n  <area href=c>\r\n\t<area href=a> <area href=b>\r\n</map>");
    EXPECT_EQ(ApplyEdit(text, MoveAreaTagEdit(text, areas, 1, 1)), text);
    // Never across maps.
    const std::string two = "<map><area href=a></map><map><area href=b></map>";
    EXPECT_EQ(ApplyEdit(two, MoveAreaTagEdit(two, ParseAreas(two), 0, 1)), two);
}

TEST(AreaAttributes, OverlapsAndProblems) {
    const std::string text =
        "<area shape=rect coords=0,0,10,10 alt=a>"        // 0
        "<area shape=circle coords=12,17,2 alt=''>"       // 1: in 2's box, not in 2
        "<area shape=poly coords=10,0,20,0,20,20 alt=c>"  // 2: triangle over 0's right
        "<area shape=rect coords=9,9,30,30>"              // 3: under 0, 1 and 2
        "<area shape=default alt=d><area shape=circle coords=1,1,0 alt=e>";
    const std::vector<AreaTag> areas = ParseAreas(text);
    const std::vector<std::vector<size_t>> expected = {{}, {}, {}, {0, 1, 2}, {0, 1, 2, 3}, {}};
    for (size_t i = 0; i < areas.size(); ++i) EXPECT_EQ(AreasInFront(areas, i), expected[i]) << i;
    EXPECT_EQ(AreaProblems(areas[0]), 0u);
    EXPECT_EQ(AreaProblems(areas[3]), unsigned(kAreaNoAlt));
    EXPECT_EQ(AreaProblems(areas[5]), unsigned(kAreaIgnored));
}
