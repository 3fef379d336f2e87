// Converting client points and formatting the three kinds of area line.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "markup/area_markup.h"

TEST(PictureCoord, EachQuotientTruncatedOnItsOwn) {
    // 3,5 at zoom 2 is 1 + 2, not (3 + 5) / 2; truncation goes toward zero
    // left of or above the client area; zoom 0 cannot occur and must not
    // divide by zero; extremes wrap like 32-bit arithmetic.
    const int cases[][4] = {{3, 5, 2, 3},    {5, 3, 2, 3},   {7, 0, 2, 3},
                            {17, 40, 1, 57}, {-3, 0, 2, -1}, {-3, -3, 2, -2},
                            {-5, 2, 1, -3},  {4, 2, 0, 6},   {INT_MAX, 1, 1, INT_MIN}};
    for (const auto& c : cases) EXPECT_EQ(ToPictureCoord(c[0], c[1], c[2]), c[3]) << c[0];
}

TEST(AreaLines, EachShapeWrittenWhole) {
    std::vector<ClientPoint> vertices;  // a line far longer than 1,023 bytes
    std::string coords;
    for (int i = 0; i < 256; ++i) {
        vertices.push_back({100000 + i, 200000 + i});
        coords += std::to_string(100000 + i) + "," + std::to_string(200000 + i) + ",";
    }
    const std::pair<std::string, std::string> cases[] = {
        {FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 1, "alt", "a.html"),
         "<area shape=\"circle\" coords=\"10,20,5\" alt=\"alt\" href=\"a.html\">"},
        {FormatCircleArea({10, 20}, {13, 24}, {0, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"5,10,2\" alt=\"\" href=\"\">"},
        // The centre through the coordinate rule at zoom 2 with scroll; the
        // radius is the client distance (6.7 truncates to 6), then / 2.
        {FormatCircleArea({5, 7}, {8, 13}, {3, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"3,3,3\" alt=\"\" href=\"\">"},
        // Far-apart points: the distance is taken in double precision.
        {FormatCircleArea({-2000000000, 0}, {2000000000, 0}, {0, 0}, 2, "", ""),
         "<area shape=\"circle\" coords=\"-1000000000,0,2000000000\" alt=\"\" href=\"\">"},
        // A rectangle keeps the drag order and is not clamped.
        {FormatRectArea({50, 40}, {10, 5}, {0, 0}, 1, "A", "a.html"),
         "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"A\" href=\"a.html\">"},
        {FormatRectArea({-4, 9}, {5001, 7}, {3, 10}, 2, "x", "y"),
         "<area shape=\"rect\" coords=\"-1,9,2501,8\" alt=\"x\" href=\"y\">"},
        // A polygon lists its vertices in click order.
        {FormatPolyArea({{1, 2}, {3, 4}}, {0, 0}, 1, "", ""),
         "<area shape=\"poly\" coords=\"1,2,3,4\" alt=\"\" href=\"\">"},
        {FormatPolyArea({{9, 9}, {0, 1}, {-3, 20}}, {4, 6}, 2, "p", "q.html"),
         "<area shape=\"poly\" coords=\"6,7,2,3,1,13\" alt=\"p\" href=\"q.html\">"},
        {FormatPolyArea(vertices, {0, 0}, 1, "", ""), "<area shape=\"poly\" coords=\"" +
                                                          coords.substr(0, coords.size() - 1) +
                                                          "\" alt=\"\" href=\"\">"},
        // The texts are written unescaped.
        {FormatCircleArea({0, 0}, {0, 0}, {0, 0}, 1, "a\"<b>&", "x y#%.html"),
         "<area shape=\"circle\" coords=\"0,0,0\" alt=\"a\"<b>&\" href=\"x y#%.html\">"},
        {FormatRectArea({0, 0}, {1, 1}, {0, 0}, 1, "日本語の説明", "地図.html"),
         "<area shape=\"rect\" coords=\"0,0,1,1\" alt=\"日本語の説明\" href=\"地図.html\">"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);
}
