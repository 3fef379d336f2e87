// SPDX-License-Identifier: GPL-3.0-or-later
// The two scaling forms and the page of their scaled look, fed a stranger's
// markup: nothing of it runs, and no number is written that a browser
// cannot draw.
#include "markup/responsive_map.h"

#include <gtest/gtest.h>

#include <string>

#include "markup/preview_page.h"

// Both forms and both scaled pages write the image, the map and the areas
// anew from what they mean: the names and links stay, handlers, styles and
// scripts of the text do not; the scaled page's policy lets in only its own.
// A circle of radius 1e308 is drawn with the radius that covers the picture,
// a rectangle beyond all bounds cut to the picture's frame, a polygon that
// far out left out, saying so.
TEST(ResponsiveMap, ExportsWriteOnlyWhatTheyKnowAndWhatCanBeDrawn) {
    const std::string pane =
        "<img src=\"a.png\" alt=\"A&amp;B\" usemap=\"#m\" onerror=\"alert(1)\" "
        "style=\"border:9px\" "
        "srcset=\"b.png 2x\">\n<map name=\"m\" onclick=\"alert(2)\">\n<area coords=\"1,2,3,4\" "
        "href=\"a.html\" title=\"T\" onmouseover=\"x()\">\n<script>alert(3)</script><p>text</p>\n"
        "<area shape=circle coords=\"50,50,1e308\" nohref alt=\"C\">\n"
        "<area coords=\"-1e308,10,1e308,20\" href=r>\n"
        "<area shape=poly coords=\"0,0,100,0,1e30,1e22\" href=p>\n"
        "<area coords=\"1,2,3,4\" data-coords=\"2,4,6,8\" href=k>\n</map>";
    const PictureSize picture{200, 100};
    std::string svg, scaling, page;
    ASSERT_TRUE(MakeResponsiveMarkup(pane, picture, ResponsiveForm::kSvg, &svg));
    ASSERT_TRUE(MakeResponsiveMarkup(pane, picture, ResponsiveForm::kScalingMap, &scaling));
    ASSERT_TRUE(
        MakeScaledPreviewPage("file:///a.png", picture, pane, ResponsiveForm::kSvg, 50, &page));
    EXPECT_NE(svg.find("<img src=\"a.png\" alt=\"A&amp;B\" width=\"200\""), std::string::npos);
    EXPECT_NE(scaling.find("<img src=\"a.png\" alt=\"A&amp;B\" usemap=\"#m\" width=\"200\" "
                           "height=\"100\">\n<map name=\"m\">\n<area coords=\"1,2,3,4\" "
                           "href=\"a.html\" title=\"T\" data-coords=\"1,2,3,4\">\n<area "
                           "shape=\"circle\" coords=\"50,50,1e308\" nohref alt=\"C\""),
              std::string::npos)
        << scaling;
    EXPECT_NE(page.find("content=\"default-src 'none'; img-src file:; style-src 'sha256-"),
              std::string::npos);
    EXPECT_NE(page.find("<table class=\"ze-frame\" width=\"100\">"), std::string::npos);
    for (const std::string* out : {&svg, &scaling, &page})
        for (const char* stranger :
             {"onerror", "onclick", "onmouse", "alert", "border:9px", "srcset", "<p>text"})
            EXPECT_EQ(out->find(stranger), std::string::npos) << *out;

    // An area that keeps its own picture coordinates keeps them, once.
    EXPECT_NE(scaling.find("<area coords=\"1,2,3,4\" data-coords=\"2,4,6,8\" href=\"k\">\n"),
              std::string::npos)
        << scaling;

    EXPECT_EQ(svg.find("inf"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<circle cx=\"50\" cy=\"50\" r=\"160\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<rect x=\"-1\" y=\"10\" width=\"202\" height=\"10\""), std::string::npos);
    EXPECT_NE(svg.find("the area at line 7 is left out: its numbers are too large to draw"),
              std::string::npos);
}
