#include "markup/markup_pane.h"

#include <gtest/gtest.h>

TEST(MemoryMarkupPane, ReplaceSelWorksOnTheSelectionAndMovesTheCaret) {
    MemoryMarkupPane pane;
    pane.SetWindowText("typed");
    pane.SetWindowText("");
    pane.ReplaceSel("<img>\r\n", false);
    pane.ReplaceSel("<map>\r\n</map>", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\n<map>\r\n</map>");
    EXPECT_EQ(pane.GetCaret(), pane.GetWindowText().size());

    pane.SetSel(7, 12);  // "<map>"
    pane.ReplaceSel("X", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\nX\r\n</map>");
    EXPECT_EQ(pane.GetCaret(), 8u);
    // A reversed or out-of-range selection is put in order and clamped.
    pane.SetSel(1000, 7);
    pane.ReplaceSel("", false);
    EXPECT_EQ(pane.GetWindowText(), "<img>\r\n");
}
