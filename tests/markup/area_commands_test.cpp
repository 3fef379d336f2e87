// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on the areas: what each selects after its edit, the pasted tags found in the new
// text, and the coords text read and written.
#include "markup/area_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kText =
    "<map name=\"m\">\r\n<area shape=\"rect\" coords=\"10,10,50,30\" href=\"a\">\r\n"
    "<area shape=circle coords='100,40,10' href=b>\r\n"
    "<area shape=\"poly\" coords=\"60,60,90,60,75,90\" href=\"c\">\r\n</map>";

struct Scene {
    std::vector<AreaTag> areas = ParseAreas(kText);
    std::vector<int> selection;
    AreaScene Of(int primary) const { return {kText, areas, selection, primary, 200, 100}; }
};

}  // namespace

TEST(AreaCommands, SelectionAfterEachEdit) {
    Scene s;
    s.selection = {0, 2};
    // Copies follow their originals: the k-th copy is original + k + 1.
    const AreaChange copies = DuplicateCommand(s.Of(2));
    EXPECT_EQ(copies.selection, (std::vector<int>{1, 4}));
    EXPECT_EQ(copies.primary, 4);
    EXPECT_EQ(ParseAreas(ApplyEdit(kText, copies.edit)).size(), 5u);
    // Removal gives the selection up before its edit; nothing selected, nothing done.
    EXPECT_TRUE(DeleteCommand(s.Of(2)).clearFirst);
    s.selection.clear();
    EXPECT_TRUE(DuplicateCommand(s.Of(-1)).Empty());
    // Order: the area moves with its place; out of range, nothing at all.
    EXPECT_EQ(ReorderCommand(s.Of(-1), 1, true).selection, std::vector<int>{0});
    EXPECT_TRUE(ReorderCommand(s.Of(-1), 3, true).Empty());
    EXPECT_TRUE(DeleteAreaCommand(s.Of(-1), -1).Empty());
    const AreaChange all = SelectAllCommand(s.Of(-1));
    EXPECT_EQ(all.select, AreaChange::Select::kSelectTool);
    EXPECT_EQ(all.selection, (std::vector<int>{0, 1, 2}));
}

TEST(AreaCommands, PastedTagsAreFoundInTheNewText) {
    Scene s;
    const std::string clip =
        "junk <area shape=rect coords=\"0,0,5,5\" href=x> more\r\n"
        "<AREA SHAPE=circle COORDS=\"195,95,3\">";
    const AreaChange change = PasteCommand(s.Of(-1), clip, MarkupSettings{});
    // Inserted before the map's end: areas 3 and 4, moved 10 right and down as far as they fit.
    EXPECT_EQ(change.selection, (std::vector<int>{3, 4}));
    const std::vector<AreaTag> after = ParseAreas(ApplyEdit(kText, change.edit));
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[3].coords, (std::vector<double>{10, 10, 15, 15}));
    EXPECT_TRUE(PasteCommand(s.Of(-1), "no tags here", MarkupSettings{}).Empty());
}

TEST(AreaCommands, CoordsTextReadAndWritten) {
    Scene s;
    EXPECT_EQ(CoordsText(s.Of(1)), "100,40,10");
    EXPECT_EQ(CoordsText(s.Of(-1)), "");
    // Commas or white space between whole numbers; the count must fit the shape.
    const auto set = [&](int area, const char* text) {
        const std::optional<AreaChange> change = SetCoordsCommand(s.Of(area), text);
        return change ? ParseAreas(ApplyEdit(kText, change->edit))[size_t(area)].coords
                      : std::vector<double>{-1};
    };
    EXPECT_EQ(set(0, " 1, 2\t3 ,,4 "), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(set(1, "5 6 7"), (std::vector<double>{5, 6, 7}));
    for (const char* wrong : {"1,2,3", "1,2,3,4.5", "0x10,1,2,3", "1,2,3,2000000", "1e3,2,3,4"})
        EXPECT_EQ(set(0, wrong), std::vector<double>{-1}) << wrong;
    EXPECT_EQ(set(1, "5,6,-1"), std::vector<double>{-1});     // no negative radius
    EXPECT_EQ(set(2, "1,2,3,4,5"), std::vector<double>{-1});  // odd
    EXPECT_FALSE(SetCoordsCommand(s.Of(-1), "1,2,3,4").has_value());
}
