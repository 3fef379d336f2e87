// SPDX-License-Identifier: GPL-3.0-or-later
// The two scaling forms and the page of their scaled look, fed a stranger's
// markup: nothing of it runs, and no number is written that a browser
// cannot draw.
#include "markup/responsive_map.h"

#include <gtest/gtest.h>

#include <string>

#include "markup/preview_page.h"

namespace {

const std::string kHostile =
    "<img src=\"a.png\" alt=\"A&amp;B\" class=\"c\" usemap=\"#m\" onerror=\"alert(1)\" "
    "style=\"border:9px\" srcset=\"b.png 2x\">\n<map name=\"m\" onclick=\"alert(2)\">\n"
    "<area shape=\"rect\" coords=\"1,2,30,40\" href=\"a.html\" title=\"T\" onmouseover=\"x()\">\n"
    "<script>alert(3)</script><p onclick=\"x()\">text</p>\n"
    "<area shape=\"circle\" coords=\"50,60,10\" nohref alt=\"C\">\n</map>\n";

}  // namespace

// Both forms and both scaled pages write the image, the map and the areas
// anew from what they mean: the names and links stay, handlers, styles and
// scripts of the text do not; the scaled page's policy lets in only its own.
TEST(ResponsiveMap, ExportsWriteOnlyWhatTheyKnow) {
    const PictureSize picture{200, 100};
    std::string svg, scaling, page;
    ASSERT_TRUE(MakeResponsiveMarkup(kHostile, picture, ResponsiveForm::kSvg, &svg));
    ASSERT_TRUE(MakeResponsiveMarkup(kHostile, picture, ResponsiveForm::kScalingMap, &scaling));
    EXPECT_NE(svg.find("<img src=\"a.png\" alt=\"A&amp;B\" class=\"c\" width=\"200\""),
              std::string::npos)
        << svg;
    EXPECT_NE(
        scaling.find("<img src=\"a.png\" alt=\"A&amp;B\" class=\"c\" usemap=\"#m\" "
                     "width=\"200\" height=\"100\">\n<map name=\"m\">\n<area shape=\"rect\" "
                     "coords=\"1,2,30,40\" href=\"a.html\" title=\"T\" "
                     "data-coords=\"1,2,30,40\">\n<area shape=\"circle\" "
                     "coords=\"50,60,10\" nohref alt=\"C\" data-coords=\"50,60,10\">\n</map>"),
        std::string::npos)
        << scaling;
    ASSERT_TRUE(MakeScaledPreviewPage("file:///a.png", picture, kHostile,
                                      ResponsiveForm::kScalingMap, 50, &page));
    EXPECT_NE(page.find("content=\"default-src 'none'; img-src file:; style-src 'sha256-"),
              std::string::npos);
    EXPECT_NE(page.find("<table class=\"ze-frame\" width=\"100\">"), std::string::npos);
    for (const std::string* out : {&svg, &scaling, &page}) {
        for (const char* stranger : {"on", "alert", "border:9px", "srcset", "<p"})
            EXPECT_EQ(out->find(std::string(" ") + stranger), std::string::npos) << *out;
        EXPECT_EQ(out->find("alert"), std::string::npos) << *out;
    }
}

// A circle of radius 1e308 around a point of the picture is drawn with the
// radius that covers the picture; a rectangle beyond all bounds is cut to
// the picture's frame; a polygon that far out is left out, saying so.
TEST(ResponsiveMap, NumbersTooLargeToDrawNeverReachTheSvg) {
    const std::string pane =
        "<img src=a.png usemap=#m><map name=m>\n<area shape=circle coords=\"50,50,1e308\" href=c>\n"
        "<area coords=\"-1e308,10,1e308,20\" href=r>\n"
        "<area shape=poly coords=\"0,0,100,0,1e30,1e22\" href=p>\n</map>";
    std::string svg;
    ASSERT_TRUE(MakeResponsiveMarkup(pane, {200, 100}, ResponsiveForm::kSvg, &svg));
    EXPECT_EQ(svg.find("inf"), std::string::npos) << svg;
    EXPECT_EQ(svg.find("e+"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<circle cx=\"50\" cy=\"50\" r=\"160\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<rect x=\"-1\" y=\"10\" width=\"202\" height=\"10\""), std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<!-- the area at line 4 is left out: its numbers are too large to draw"),
              std::string::npos)
        << svg;
}
