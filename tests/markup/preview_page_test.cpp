// The page for the browser: the map's areas written anew, nothing else of
// the pane's text.

#include "markup/preview_page.h"

#include <gtest/gtest.h>

#include <string>

TEST(PreviewPage, TheMapsAreasAloneAreWrittenAnew) {
    std::string page;
    EXPECT_FALSE(MakePreviewPage("file:///p.bmp", 4, 3, "<img src=p.bmp><area href=a><map", &page));
    const std::string pane =
        "<img src=p.bmp usemap=#m><map name='m\"'><script>alert(1)</script>"
        "<AREA HREF='\"><script>alert(2)</script>' onmouseover=alert(3) Coords=1,2,3,4 href=b>"
        "<area shape=circle coords=\"5,5,2\" alt=&lt;b&gt;></map><area href=alert(4)><script";
    ASSERT_TRUE(MakePreviewPage("file:///p.bmp", 4, 3, pane, &page));
    const size_t map = page.find(
        "<map id=\"ze-map\" name=\"m&quot;\">\n"
        "<area href=\"&quot;&gt;&lt;script&gt;alert(2)&lt;/script&gt;\" "
        "coords=\"1,2,3,4\">\n"
        "<area shape=\"circle\" coords=\"5,5,2\" alt=\"&lt;b&gt;\">\n</map>\n"
        "<pre id=\"ze-check\" hidden></pre>\n<script>");
    EXPECT_NE(map, std::string::npos) << page;
    EXPECT_EQ(page.find("<script"), page.rfind("<script"));
    EXPECT_EQ(page.find("alert"), page.rfind("alert"));
}
