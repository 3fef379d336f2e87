// Converting client points and formatting the three kinds of area line.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "markup/area_markup.h"

TEST(PictureCoord, EachQuotientTruncatedOnItsOwn) {
    EXPECT_EQ(ToPictureCoord(3, 5, 2), 3);  // 1 + 2, not (3 + 5) / 2
    EXPECT_EQ(ToPictureCoord(5, 3, 2), 3);
    EXPECT_EQ(ToPictureCoord(7, 0, 2), 3);
    EXPECT_EQ(ToPictureCoord(17, 40, 1), 57);
    // Truncation toward zero for points left of or above the client area.
    EXPECT_EQ(ToPictureCoord(-3, 0, 2), -1);
    EXPECT_EQ(ToPictureCoord(-3, -3, 2), -2);
    EXPECT_EQ(ToPictureCoord(-5, 2, 1), -3);
    // A zoom that cannot occur must not divide by zero.
    EXPECT_EQ(ToPictureCoord(4, 2, 0), 6);
    // Extreme values wrap like 32-bit arithmetic instead of overflowing.
    EXPECT_EQ(ToPictureCoord(INT_MAX, 1, 1), INT_MIN);
}

TEST(AreaLines, CircleRadiusFromClientDistanceThenZoom) {
    EXPECT_EQ(FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "alt", "a.html"),
              "<area shape=\"circle\" coords=\"10,20,5\" alt=\"alt\" href=\"a.html\">");
    EXPECT_EQ(FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 2, "", ""),
              "<area shape=\"circle\" coords=\"5,10,2\" alt=\"\" href=\"\">");
    // Centre through the coordinate rule at zoom 2 with scroll; the scroll
    // plays no part in the radius (distance 6.7 truncates to 6, then / 2).
    EXPECT_EQ(FormatCircleArea({5, 7}, {8, 13}, {3, 0}, 2, "", ""),
              "<area shape=\"circle\" coords=\"3,3,3\" alt=\"\" href=\"\">");
    // Far-apart points: the distance is taken in double precision.
    EXPECT_EQ(FormatCircleArea({-2000000000, 0}, {2000000000, 0}, {0, 0}, 2, "", ""),
              "<area shape=\"circle\" coords=\"-1000000000,0,2000000000\" alt=\"\" href=\"\">");
}

TEST(AreaLines, RectKeepsDragOrderAndIsNotClamped) {
    EXPECT_EQ(FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html"),
              "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">");
    EXPECT_EQ(FormatRectArea({-4, 9}, {5001, 7}, {3, 10}, 2, "x", "y"),
              "<area shape=\"rect\" coords=\"-1,9,2501,8\" alt=\"x\" href=\"y\">");
}

TEST(AreaLines, PolyListsVerticesInClickOrder) {
    EXPECT_EQ(FormatPolyArea({{1, 2}, {3, 4}}, {0, 0}, 1, "", ""),
              "<area shape=\"poly\" coords=\"1,2,3,4\" alt=\"\" href=\"\">");
    EXPECT_EQ(FormatPolyArea({{9, 9}, {0, 1}, {-3, 20}}, {4, 6}, 2, "p", "q.html"),
              "<area shape=\"poly\" coords=\"6,7,2,3,1,13\" alt=\"p\" href=\"q.html\">");
}

TEST(AreaLines, LongLinesComeOutWhole) {
    std::vector<ClientPoint> vertices;
    std::string coords;
    for (int i = 0; i < 256; ++i) {
        vertices.push_back({100000 + i, 200000 + i});
        if (i) coords += ',';
        coords += std::to_string(100000 + i);
        coords += ',';
        coords += std::to_string(200000 + i);
    }
    const std::string poly = FormatPolyArea(vertices, {0, 0}, 1, "", "");
    EXPECT_GT(poly.size(), 3000u);
    EXPECT_EQ(poly, "<area shape=\"poly\" coords=\"" + coords + "\" alt=\"\" href=\"\">");
}

TEST(AreaLines, TextsAreWrittenUnescaped) {
    EXPECT_EQ(FormatCircleArea({0, 0}, {0, 0}, {0, 0}, 1, "a\"<b>&", "x y#%.html"),
              "<area shape=\"circle\" coords=\"0,0,0\" alt=\"a\"<b>&\" href=\"x y#%.html\">");
    EXPECT_EQ(FormatRectArea({0, 0}, {1, 1}, {0, 0}, 1, "日本語の説明", "地図.html"),
              "<area shape=\"rect\" coords=\"0,0,1,1\" alt=\"日本語の説明\" href=\"地図.html\">");
}
