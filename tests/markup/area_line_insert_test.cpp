// The memory pane's selection, and area lines put into the pane as edits:
// the text after each insertion is what the whole-text insertion gives,
// whatever changed the text between.
#include "markup/area_line_insert.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "markup/area_markup.h"

TEST(AreaLineInserter, EveryStepMatchesTheWholeTextInsertion) {
    MarkupSettings settings;
    const std::string a = "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a\" href=\"a.html\">";
    // A step changes the pane (or the setting) and inserts a line, or does
    // only the first.
    using Change = std::function<void(MemoryMarkupPane&)>;
    const struct {
        const char* what;
        Change change;
        std::string line;
    } steps[] = {
        {"first line", [](MemoryMarkupPane&) {}, a},
        {"second, from the remembered place", [](MemoryMarkupPane&) {}, a},
        {"a line holding the closing tag itself", [](MemoryMarkupPane&) {},
         "<area alt=\"</map>\">"},
        {"a closing tag typed before the others",
         [](MemoryMarkupPane& p) { p.SetSel(0, 0), p.ReplaceSel("</map>", true); }, a},
        {"the text replaced, no closing tag", [](MemoryMarkupPane& p) { p.SetWindowText("x"); }, a},
        {"setting on", [&](MemoryMarkupPane&) { settings.upperCase = true; }, a},
        {"setting on, a lower-case tag in quotes",
         [](MemoryMarkupPane& p) { p.SetWindowText("<b title=\"</map>\">\r\n</MAP>"); }, a},
        {"setting off again", [&](MemoryMarkupPane&) { settings.upperCase = false; }, a},
        {"and once more", [](MemoryMarkupPane&) {}, a},
    };
    MemoryMarkupPane pane;
    pane.SetWindowText("<map name=\"m\">\r\n</map>\r\n<p>after</p>");
    CAreaLineInserter inserter;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(pane);
        const std::string expected = InsertAreaLine(pane.GetWindowText(), step.line, settings);
        inserter.Insert(pane, step.line, settings);
        EXPECT_EQ(pane.GetWindowText(), expected);
    }
    // A text read for the outlines tells where to look next.
    pane.SetWindowText("<map>\r\n</map>");
    inserter.Learn(pane, pane.GetWindowText());
    inserter.Insert(pane, a, settings);
    EXPECT_EQ(pane.GetWindowText(), "<map>\r\n" + a + "\r\n</map>");
}

// Writing at the caret of an emptied pane is what WriteSkeleton does
// (map_doc_test); here a selection replaced, and one reversed or too far.
TEST(MemoryMarkupPane, ReplaceSelWorksOnTheSelectionAndMovesTheCaret) {
    MemoryMarkupPane pane;
    pane.SetWindowText("<img>\r\n<map>\r\n</map>");
    pane.SetSel(7, 12);  // "<map>"
    pane.ReplaceSel("X", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\nX\r\n</map>");
    EXPECT_EQ(pane.GetCaret(), 8u);
    // A reversed or out-of-range selection is put in order and clamped.
    pane.SetSel(1000, 7);
    pane.ReplaceSel("", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\n");
}
