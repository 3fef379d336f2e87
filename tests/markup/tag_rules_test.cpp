// SPDX-License-Identifier: GPL-3.0-or-later
// The checker's rules about one tag's attributes: for each, pages that break it and one beside
// them that does not, through the whole checker as the CLI prints it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup/finding_writer.h"
#include "markup/map_check.h"

namespace {

// A picture of 100x50 with its map holding `areas` (line 3 on).
std::string Page(const std::string& areas, const std::string& image = "",
                 const std::string& map = "name=m") {
    return "<img src=p.png alt=\"\" usemap=#m" + image + ">\n<map " + map + ">\n" + areas +
           "\n</map>\n";
}

std::string Check(const std::string& text, PictureLookup picture = {{100, 50}, {}}) {
    const size_t images = ListMapImages(text).size();
    return FormatFindingsText(CheckPageMaps(text, std::vector<PictureLookup>(images, picture)),
                              "p.html");
}

const std::string kArea = "<area coords=0,0,30,30 href=a alt=A>";

}  // namespace

TEST(TagRules, EachRuleOnPagesThatBreakItAndOneThatDoesNot) {
    const struct {
        std::string text;
        std::string report;
    } cases[] = {
        // A clean page: every rule below passes it.
        {Page("<area shape=circle coords=50,25,12 href=a alt=A id=a1>\n"
              "<area shape=POLY coords=60,0,90,0,90,30 href=b alt=B target=_top>\n"
              "<area shape=default href=c alt=C>",
              "", "name=m id=m"),
         ""},
        {Page(kArea, "", "id=m"),
         "p.html:2:1: warning: the map has an id but no name: HTML requires name, and not every "
         "browser finds a map by its id [map-name]\n"},
        {Page(kArea, "", "name=m id=n"),
         "p.html:2:1: warning: the map's id \"n\" differs from its name \"m\": HTML requires "
         "them to be the same [map-name]\n"},
        {Page(kArea, "", "name=\"\""),
         "p.html:1:1: error: usemap \"#m\" names no map of the page [missing-map]\n"
         "p.html:2:1: warning: the map's name is empty: no image can use it [map-name]\n"},
        {Page("<area shape=polygon coords=0,0,30,0,30,30 href=a alt=A>\n"
              "<area shape=CIRC coords=45,25,12 href=b alt=B>\n"
              "<area shape=rectangle coords=60,0,90,24 href=c alt=C>\n"
              "<area shape=triangle coords=60,25,90,50 href=d alt=D>"),
         "p.html:3:1: warning: shape=\"polygon\" is not HTML: browsers read it as poly; write "
         "poly [area-shape]\n"
         "p.html:4:1: warning: shape=\"CIRC\" is not HTML: browsers read it as circle; write "
         "circle [area-shape]\n"
         "p.html:5:1: warning: shape=\"rectangle\" is not HTML: browsers read it as rect; write "
         "rect [area-shape]\n"
         "p.html:6:1: warning: shape=\"triangle\" is no shape keyword: browsers read it as rect "
         "[area-shape]\n"},
        {Page("<area coords=0,0,30,30 href=a alt=A id=x>\n"
              "<area coords=40,0,70,30 href=b alt=B id=x>",
              "", "name=m id=x"),
         "p.html:2:1: warning: the map's id \"x\" differs from its name \"m\": HTML requires "
         "them to be the same [map-name]\n"
         "p.html:3:1: error: the id \"x\" is also that of the map at line 2: links and "
         "aria-labelledby find only that one [duplicate-id]\n"
         "p.html:4:1: error: the id \"x\" is also that of the map at line 2: links and "
         "aria-labelledby find only that one [duplicate-id]\n"},
        {Page("<area coords=0,0,30,30 href=a.html alt=A HREF=b.html Alt=B>"),
         "p.html:3:1: warning: href is given more than once: a browser uses the first, "
         "href=\"a.html\", and drops the others [duplicate-attribute]\n"
         "p.html:3:1: warning: alt is given more than once: a browser uses the first, "
         "alt=\"A\", and drops the others [duplicate-attribute]\n"},
        {Page("<area coords=0,0,30,30 alt=A target=_blank rel=help download>"),
         "p.html:3:1: warning: the area has no href: give it a link or remove the area "
         "[no-href]\n"
         "p.html:3:1: warning: alt, target, rel, download mean nothing on an area without href: "
         "give it a link or remove them [area-link-attributes]\n"},
        {Page(kArea, " ismap"),
         "p.html:1:1: warning: the image has both ismap and usemap: a browser uses the map and "
         "ignores ismap [ismap-usemap]\n"},
        // Halved by width=50: 40x40 shows as 20x20; the circle's box is its diameter.
        {Page("<area coords=0,0,40,40 href=a alt=A>\n<area shape=circle coords=70,25,24 href=b "
              "alt=B>\n<area coords=0,41,40,50 nohref>",
              " width=50"),
         "p.html:1:1: warning: the image is shown at width=\"50\" but the picture is 100x50: the "
         "areas miss their targets unless they are scaled [scaled-image]\n"
         "p.html:3:1: warning: the area's box is 20x20 CSS pixels where the page shows the "
         "picture, under the 24x24 that WCAG 2.2 (2.5.8) asks of a target [target-size]\n"
         "p.html:5:1: warning: nohref is obsolete: an area without href is no link already; "
         "give it a link or remove the area [no-href]\n"},
        // Doubled by height=100 (the width follows): 23.5 shows as 47.
        {Page("<area coords=0,0,23.5,30 href=a alt=A>", " height=100"),
         "p.html:1:1: warning: the image is shown at height=\"100\" but the picture is 100x50: "
         "the areas miss their targets unless they are scaled [scaled-image]\n"},
        {Page("<area coords=0,0,30,30 href=a aria-label=Home>\n"
              "<area coords=40,0,70,30 href=b alt=\"\" title=Shop>\n"
              "<area coords=71,0,100,30 href=c alt=\" \" aria-labelledby=l title=T>"),
         "p.html:3:1: warning: the link has no alternative text (alt); assistive technology "
         "still announces its aria-label=\"Home\", but HTML requires alt [area-alt]\n"
         "p.html:4:1: warning: the link's alternative text is empty; assistive technology still "
         "announces its title=\"Shop\", but HTML requires alt [area-alt]\n"
         "p.html:5:1: warning: the link's alternative text is empty; assistive technology still "
         "announces its aria-labelledby=\"l\", but HTML requires alt [area-alt]\n"},
        {"<img alt=A usemap=#m>\n<img src=\" \" alt=B usemap=#n>\n<map name=m></map><map "
         "name=n></map>",
         "p.html:1:1: warning: the image has no src: its map is checked without a picture "
         "[picture-missing]\n"
         "p.html:2:1: warning: the image's src is empty: its map is checked without a picture "
         "[picture-missing]\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.text), c.report) << c.text;
}

// A picture the caller could not have is one warning; the rules that need no picture still
// run, and target-size too where the page shows the picture at its own size.
TEST(TagRules, AMissingPictureLeavesTheOtherRules) {
    const std::string text = Page(
        "<area coords=0,0,10,10 href=a>\n<area coords=0,0,200,40 "
        "href=b alt=B>");
    const std::string findings =
        "p.html:3:1: error: the link has no alternative text (alt) [area-alt]\n"
        "p.html:3:1: warning: the area's box is 10x10 CSS pixels where the page shows the "
        "picture, under the 24x24 that WCAG 2.2 (2.5.8) asks of a target [target-size]\n";
    EXPECT_EQ(Check(text, {{}, "was not found (/site/p.png)"}),
              "p.html:1:1: warning: the picture \"p.png\" was not found (/site/p.png): the rules "
              "that need its size are left out [picture-missing]\n" +
                  findings);
    // Shown at another size, the scale needs the picture: target-size waits for it.
    EXPECT_EQ(Check(Page("<area coords=0,0,10,10 href=a alt=A>", " width=300"), {{}, ""}), "");
}
