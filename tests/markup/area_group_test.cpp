// SPDX-License-Identifier: GPL-3.0-or-later
// Several areas at once, corners, pasted copies, overlaps, the grid and Shift; attribute edits,
// tag moves and the area list's marks of single areas.
#include "markup/area_group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/area_attributes.h"

namespace {

const std::string kHead = "<map name=\"m\">\r\n";
const std::string kRect = "<area shape=\"rect\" coords=\"10,10,50,30\" href=\"a\">\r\n";
const std::string kCircle = "<area shape=circle coords='100,40,10' href=b>\r\n";
const std::string kPoly = "  <area shape=\"poly\" coords=\"60,60,90,60,75,90\" href=\"c\">\r\n";
const std::string kText = kHead + kRect + kCircle + kPoly + "</map>";

// The text after the edit, without the unchanged head and "</map>".
std::string Edited(const TextEdit& edit) {
    const std::string after = ApplyEdit(kText, edit);
    return after.substr(kHead.size(), after.size() - kHead.size() - 6);
}

std::string Edited(const std::string& text, const AreaLink& before, const AreaLink& after) {
    return ApplyEdit(text, SetAreaLinkEdit(text, ParseAreas(text)[0], before, after));
}

}  // namespace

TEST(AreaGroup, GroupEditsRewriteOnlyTheirNumbers) {
    const std::vector<AreaTag> areas = ParseAreas(kText);
    const std::vector<int> all = {2, 0, 1};
    struct Case {
        TextEdit edit;
        std::string expected;
    } cases[] = {
        {AlignAreasEdit(kText, areas, all, AreaAlign::kLeft),
         kRect + "<area shape=circle coords='20,40,10' href=b>\r\n"
                 "  <area shape=\"poly\" coords=\"10,60,40,60,25,90\" href=\"c\">\r\n"},
        {AlignAreasEdit(kText, areas, all, AreaAlign::kBottom),
         "<area shape=\"rect\" coords=\"10,70,50,90\" href=\"a\">\r\n"
         "<area shape=circle coords='100,80,10' href=b>\r\n" +
             kPoly},
        {AlignAreasEdit(kText, areas, all, AreaAlign::kCentreX),
         "<area shape=\"rect\" coords=\"40,10,80,30\" href=\"a\">\r\n"
         "<area shape=circle coords='60,40,10' href=b>\r\n"
         "  <area shape=\"poly\" coords=\"45,60,75,60,60,90\" href=\"c\">\r\n"},
        // The first named (the polygon, 30 wide) gives the size.
        {SameSizeEdit(kText, areas, all, true),
         "<area shape=\"rect\" coords=\"10,10,40,30\" href=\"a\">\r\n"
         "<area shape=circle coords='105,40,15' href=b>\r\n" +
             kPoly},
        // Left to right: rectangle 10..50, polygon 60..90, circle 90..110.
        {SpaceAreasEdit(kText, areas, all, true),
         kRect + kCircle + "  <area shape=\"poly\" coords=\"55,60,85,60,70,90\" href=\"c\">\r\n"},
        // The rectangle stops the move at the top edge for both.
        {MoveAreasEdit(kText, areas, {0, 2}, 5, -20, 200, 100),
         "<area shape=\"rect\" coords=\"15,0,55,20\" href=\"a\">\r\n" + kCircle +
             "  <area shape=\"poly\" coords=\"65,50,95,50,80,80\" href=\"c\">\r\n"},
        {DeleteAreasEdit(kText, areas, {2, 0}), kCircle},
        {DuplicateAreasEdit(kText, areas, {0, 2}, 10, 10, 200, 95),
         kRect + "<area shape=\"rect\" coords=\"20,20,60,40\" href=\"a\">\r\n" + kCircle + kPoly +
             "  <area shape=\"poly\" coords=\"70,65,100,65,85,95\" href=\"c\">\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Edited(c.edit), c.expected);
    // The last two lines, the text ending without a line break.
    const std::string tail = "<map>\r\n<area coords=1,1,5,5>\r\n<area coords=2,2,6,6>";
    EXPECT_EQ(ApplyEdit(tail, DeleteAreasEdit(tail, ParseAreas(tail), {0, 1})), "<map>");
    // One area alone is neither aligned nor spaced.
    EXPECT_EQ(Edited(AlignAreasEdit(kText, areas, {1}, AreaAlign::kTop)), kRect + kCircle + kPoly);
    EXPECT_EQ(CopyAreasText(kText, areas, {2, 1}),
              "<area shape=circle coords='100,40,10' href=b>\r\n"
              "<area shape=\"poly\" coords=\"60,60,90,60,75,90\" href=\"c\">");
}

TEST(AreaGroup, CornersPasteAndOverlaps) {
    const std::vector<double> triangle = {60, 60, 90, 60, 75, 90};
    EXPECT_EQ(InsertCorner(triangle, 0, 75, 55),
              (std::vector<int>{60, 60, 75, 55, 90, 60, 75, 90}));
    EXPECT_EQ(InsertCorner(triangle, 2, 1, 2), (std::vector<int>{60, 60, 90, 60, 75, 90, 1, 2}));
    EXPECT_TRUE(InsertCorner(triangle, 3, 1, 2).empty());
    EXPECT_TRUE(RemoveCorner(triangle, 0).empty());  // three corners stay
    EXPECT_EQ(RemoveCorner({0, 0, 9, 0, 9, 9, 0, 9, 5}, 1), (std::vector<int>{0, 0, 9, 9, 0, 9}));
    EXPECT_TRUE(InsertCorner(std::vector<double>(512, 1.0), 0, 5, 5).empty());
    EXPECT_EQ(PolygonEdgeAt({0, 0, 10, 0, 10, 10}, 5, 1, 3), 0);
    EXPECT_EQ(PolygonEdgeAt({0, 0, 10, 0, 10, 10}, 5, 5, 3), 2);  // the closing edge
    EXPECT_EQ(PolygonEdgeAt({0, 0, 10, 0, 10, 10}, 20, 20, 3), -1);

    size_t count = 0;
    EXPECT_EQ(PastedAreaLines("x<area shape=rect coords=\"185,5,198,20\">y\r\n"
                              "<AREA SHAPE=circle COORDS=\"20,20,5\"><area shape=default>",
                              10, 10, 200, 100, &count),
              "<area shape=rect coords=\"187,15,200,30\">\r\n"
              "<AREA SHAPE=circle COORDS=\"30,30,5\">\r\n<area shape=default>");
    EXPECT_EQ(count, 3u);
    // A quote inside other quotes is written as a reference; one in a name
    // leaves the tag out.
    EXPECT_EQ(PastedAreaLines("<area alt='say \"hi\"' coords=1,2,3,4><area a\"b coords=1,2,3,4>",
                              10, 10, 200, 100, &count),
              "<area alt='say &quot;hi&quot;' coords=11,12,13,14>");
    EXPECT_EQ(PastedAreaLines("no tags", 10, 10, 200, 100, &count), "");
    EXPECT_EQ(count, 0u);

    const std::vector<AreaTag> areas = ParseAreas(
        "<area shape=default><area coords=0,0,50,50><area coords=60,0,90,9>"
        "<area shape=circle coords=20,20,30>");
    EXPECT_EQ(AreasAtPoint(areas, 10, 10), (std::vector<int>{1, 3, 0}));
    EXPECT_EQ(AreasAtPoint(areas, 150, 90), (std::vector<int>{0}));
}

TEST(AreaGroup, GridAndShiftConstraints) {
    const int snapped[][3] = {{3, 8, 0},   {4, 8, 8},  {11, 8, 8}, {12, 8, 16},
                              {-5, 8, -8}, {-4, 8, 0}, {7, 1, 7},  {7, 0, 7}};
    for (const auto& s : snapped) EXPECT_EQ(SnapToGrid(s[0], s[1]), s[2]) << s[0] << "/" << s[1];
    struct Case {
        void (*constrain)(int, int, int&, int&);
        int x, y, ex, ey;
    } cases[] = {
        {ConstrainSquare, 10, -4, 10, -10}, {ConstrainSquare, -3, 7, -7, 7},
        {ConstrainToAxis, 3, 20, 0, 20},    {ConstrainToAxis, -9, 4, -9, 0},
        {ConstrainTo45, 10, 9, 10, 10},     {ConstrainTo45, 10, 2, 10, 0},
        {ConstrainTo45, -1, -12, 0, -12},   {ConstrainTo45, -8, 6, -7, 7},
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        c.constrain(0, 0, x, y);
        EXPECT_EQ(x, c.ex) << c.x << "," << c.y;
        EXPECT_EQ(y, c.ey) << c.x << "," << c.y;
    }
}

TEST(AreaAttributes, LinkEditTouchesOnlyWhatChanged) {
    const std::string head = "<map>\n<area  shape=rect coords='1,2,3,4' ",
                      tail = "><area href=b>\n</map>";
    const std::string tag = head + "HREF=a.html title=\"x\"\n  alt=\"\"" + tail;
    const AreaLink read = AreaLinkOf(tag, ParseAreas(tag)[0]);
    EXPECT_EQ(read.href, "a.html");
    EXPECT_EQ(read.title, "x");
    struct Case {
        void (*change)(AreaLink&);
        const char* expected;  // between head and tail
    } cases[] = {
        {[](AreaLink&) {}, "HREF=a.html title=\"x\"\n  alt=\"\""},
        {[](AreaLink& l) { l.title = "say \"hi\""; },
         "HREF=a.html title=\"say &quot;hi&quot;\"\n  alt=\"\""},
        {[](AreaLink& l) { l.href = "b c.html", l.target = "_blank", l.className = "a&b"; },
         "HREF=\"b c.html\" title=\"x\"\n  alt=\"\" target=\"_blank\" class=\"a&b\""},
        {[](AreaLink& l) { l.title.clear(), l.alt = "A"; }, "HREF=a.html\n  alt=\"A\""},
    };
    for (const Case& c : cases) {
        AreaLink after = read;
        c.change(after);
        EXPECT_EQ(Edited(tag, read, after), head + c.expected + tail);
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
