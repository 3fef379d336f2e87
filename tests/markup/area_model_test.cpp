// SPDX-License-Identifier: GPL-3.0-or-later
// Reading area tags as a browser does, hit testing, the edits of one tag.
#include "markup/area_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "markup/area_markup.h"

namespace {

// The areas read from `text`, each as "shape coords href=H alt=A invalid".
std::string One(const std::string& text) {
    static const char* const kShapes[] = {"rect", "circle", "poly", "default"};
    std::string s;
    for (const AreaTag& a : ParseAreas(text)) {
        s += std::string(s.empty() ? "" : " | ") + kShapes[static_cast<int>(a.shape)];
        for (double c : a.coords) (s += ' ') += std::to_string(static_cast<int>(c));
        if (a.hasHref) s += " href=" + a.href;
        if (a.hasAlt) s += " alt=" + a.alt;
        if (!a.valid) s += " invalid";
    }
    return s;
}

}  // namespace

TEST(AreaModel, ReadsTagsAsABrowserDoes) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"<area shape=\"rect\" coords=\"1,2,3,4\" href=\"a.html\" alt=\"A\">",
         "rect 1 2 3 4 href=a.html alt=A"},
        {"<AREA SHAPE=CIRCLE COORDS='5 6 7' HREF=b>", "circle 5 6 7 href=b"},
        {"<Area shape=circ coords=\"5, 6,,7\">", "circle 5 6 7"},
        {"<area shape=polygon coords=\"0,0;10,0 10 10\">", "poly 0 0 10 0 10 10"},
        {"<area coords=\"1,2,3,4\">", "rect 1 2 3 4"},
        {"<area shape=bogus coords=\"1,2,3,4\">", "rect 1 2 3 4"},
        {"<area shape=default>", "default"},
        {"<area shape=rect coords=\"1,2,3\">", "rect 1 2 3 invalid"},
        {"<area shape=poly coords=\"1,2,3,4,5,6,7\">", "poly 1 2 3 4 5 6 7"},
        {"<area shape=circle coords=\"1,2\">", "circle 1 2 invalid"},
        {"<area shape=circle coords=\"1,2,0\">", "circle 1 2 0 invalid"},
        // Items read as far as they look like numbers; none at all is 0.
        {"<area coords=\"1px,x2,abc,-3.9e1\">", "rect 1 2 0 -39"},
        // The first of two equal names counts; references decoded.
        {"<area href=\"a&amp;b&#x41;&#66;&lt;\" href=second alt='it&quot;s'>",
         "rect href=a&bAB< alt=it\"s invalid"},
        // Comments, declarations and raw text hold no tags; an unfinished
        // tag at the end is none either.
        {"<!-- <area shape=default> --><!--><area href=1><!---->", "rect href=1 invalid"},
        {"<!-- a --!><area href=2><!--!><area href=3>", "rect href=2 invalid"},
        {"<!DOCTYPE html><script>'<area>'</script><title><area></title>", ""},
        {"<area href=\"a>b\" coords=1,2,3,4><areas href=x><area href=\"", "rect 1 2 3 4 href=a>b"},
        {"</area href='<area>'><area/>", "rect invalid"},
    };
    for (const Case& c : cases) EXPECT_EQ(One(c.text), c.expected) << c.text;

    const std::string text = "<map>\r\n<area href=a>\n\n  <area\nhref=b>";
    const std::vector<AreaTag> areas = ParseAreas(text);
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(areas[0].line, 2);
    EXPECT_EQ(areas[1].line, 4);
    EXPECT_EQ(text.substr(areas[1].tag.begin, areas[1].tag.end - areas[1].tag.begin),
              "<area\nhref=b>");
    EXPECT_EQ(text.substr(areas[1].hrefValue.begin, 1), "b");
}

// Many comments, or one tag of many attributes, cost their length: read in
// their square they took minutes, which the test's time limit catches.
TEST(AreaModel, LongTextsReadInOnePass) {
    std::string comments = "<map>", attributes = "<area";
    for (int i = 0; i < 300000; ++i) comments += "<!--x-->";
    for (int i = 0; i < 600000; ++i) (attributes += " a") += std::to_string(i);
    EXPECT_EQ(One(comments + "<area href=a>"), "rect href=a invalid");
    EXPECT_EQ(One(attributes + " href=z a7=x alt=y>"), "rect href=z alt=y invalid");
}

TEST(AreaModel, HitTestPicksTheFirstValidAreaThatContainsThePoint) {
    const std::vector<AreaTag> areas = ParseAreas(
        "<area shape=default>"                      // only where no other area is
        "<area coords=\"0,0,10\">"                  // invalid, skipped
        "<area shape=rect coords=\"20,20,10,10\">"  // corners in any order
        "<area shape=circle coords=\"50,50,10\">"
        // A frame: the hole is outside by the even-odd rule.
        "<area shape=poly coords=\"100,0,140,0,140,40,100,40,100,0,110,10,130,10,130,30,110,30,"
        "110,10\">");
    struct Probe {
        double x, y;
        int expected;
    } probes[] = {
        {5, 5, 0},    {10, 10, 2},  {19.5, 15, 2}, {20, 15, 2},  {20.5, 15, 0},
        {50, 50, 3},  {60, 50, 3},  {60.5, 50, 0}, {58, 58, 0},  {105, 20, 4},
        {110, 20, 4}, {120, 20, 0}, {135, 35, 4},  {140, 20, 4}, {141, 20, 0},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(HitTestAreas(areas, p.x, p.y), p.expected) << p.x << "," << p.y;
    EXPECT_EQ(HitTestAreas({}, 1, 1), -1);
}

// Coordinates as large as a double holds: no product may overflow, and a
// point is inside exactly where the geometry says.
TEST(AreaModel, HugeCoordinatesHoldWhatTheyEnclose) {
    struct Probe {
        const char* area;
        double x, y;
        bool inside;
    } probes[] = {
        // Below the diagonal y = x from -1e300 to 1e300, edges included.
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", -1e300, 5, false},
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", 5, 6, false},
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", 6, 5, true},
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", 5, 5, true},
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", 1e300, 5, true},
        {"poly -1e300,-1e300,1e300,1e300,1e300,-1e300", 5, -1e300, true},
        // Its apex at 0,-1e300; the edge to -1e300,1e300 passes just left of
        // -5e299 at y 5, and -1e300 + 5 is no double.
        {"poly 0,-1e300,1e300,1e300,-1e300,1e300", -1e300, 5, false},
        {"poly 0,-1e300,1e300,1e300,-1e300,1e300", 5, -1e300, false},
        {"poly 0,-1e300,1e300,1e300,-1e300,1e300", 0, -1e300, true},
        {"poly 0,-1e300,1e300,1e300,-1e300,1e300", -4.9e299, 5, true},
        {"poly -1e300,0,0,1e300,0,-1e300", -1e300, 5, false},
        {"poly -1.7e308,-1.7e308,1.7e308,-1.7e308,1.7e308,1.7e308", -1.7e308, 1, false},
        {"poly -1.7e308,-1.7e308,1.7e308,-1.7e308,1.7e308,1.7e308", 1, -1, true},
        {"circle 1e300,0,1e300", -1e300, 0, false},
        {"circle 1e300,0,1e300", 1, 0, true},
    };
    for (const Probe& p : probes) {
        const std::string shape(p.area, std::strchr(p.area, ' '));
        const std::vector<AreaTag> areas = ParseAreas("<area shape=" + shape + " coords=\"" +
                                                      (std::strchr(p.area, ' ') + 1) + "\">");
        EXPECT_EQ(AreaContains(areas.at(0), p.x, p.y), p.inside)
            << p.area << " at " << p.x << "," << p.y;
    }
}

TEST(AreaModel, EditsTouchOnlyWhatTheyAreAbout) {
    const std::string text =
        "<map>\r\n"
        "<AREA title=x SHAPE=Rect coords=' 1, 2 ;3px,4 ' TARGET=_top href=\"a.html\">\r\n"
        "  <area shape=circle coords=10,10,5>\r\n"
        "<p><area shape=poly coords=\"1,1,5,1,5,5,9\" alt=old></p>\r\n"
        "</map>";
    const std::vector<AreaTag> a = ParseAreas(text);
    ASSERT_EQ(a.size(), 3u);
    struct Case {
        TextEdit edit;
        const char* expected;
    } cases[] = {
        {MoveAreaEdit(text, a[0], 10, -1), "coords=' 11, 1 ;13px,3 '"},
        {MoveAreaEdit(text, a[1], -3, 2), "coords=7,12,5>"},
        {MoveAreaEdit(text, a[2], 1, 1), "coords=\"2,2,6,2,6,6,9\""},
        {SetCoordsEdit(text, a[1], {1, 2, 30}), "coords=1,2,30>"},
        {SetAttributeEdit(text, a[0], "href", "b\"&c.html"), "href=\"b&quot;&c.html\">"},
        // Only a double quote is escaped: "&amp;" stays as typed.
        {SetAttributeEdit(text, a[0], "alt", "24\" &amp; &lt"),
         "href=\"a.html\" ALT=\"24&quot; &amp; &lt\">"},
        {SetAttributeEdit(text, a[2], "ALT", "new one"), "alt=\"new one\"></p>"},
        {SetAttributeEdit(text, a[1], "href", "c"), "coords=10,10,5 href=\"c\">"},
    };
    for (const Case& c : cases) {
        const std::string edited = ApplyEdit(text, c.edit);
        EXPECT_NE(edited.find(c.expected), std::string::npos) << edited;
        EXPECT_EQ(edited.size(), text.size() - c.edit.removed + c.edit.inserted.size());
    }
    // A value that is already what is asked for stays byte for byte.
    EXPECT_EQ(SetAttributeEdit(text, a[0], "href", "a.html").removed, 0u);
    EXPECT_TRUE(SetAttributeEdit(text, a[0], "href", "a.html").inserted.empty());

    // Deleting takes the whole line when the tag stands alone on it, else
    // the tag alone.
    for (const auto& [i, gone] :
         {std::pair{1, "  <area shape=circle coords=10,10,5>\r\n"},
          std::pair{2, "<area shape=poly coords=\"1,1,5,1,5,5,9\" alt=old>"}}) {
        std::string expected = text;
        expected.erase(text.find(gone), std::string(gone).size());
        EXPECT_EQ(ApplyEdit(text, DeleteAreaEdit(text, a[i])), expected);
    }
    const std::string last = "<map>\n<area href=x>";
    EXPECT_EQ(ApplyEdit(last, DeleteAreaEdit(last, ParseAreas(last)[0])), "<map>");
}

TEST(AreaModel, EditsKeepTheTagReadable) {
    // Each edit of the one tag in `text` must read back as asked, where the
    // obvious in-place rewrite would not.
    struct Case {
        const char* text;
        int edit;  // 0 move by (5, 5), 1 href "x y", 2 coords 1,2,3
        const char* expected;
    } cases[] = {
        // "5.0" moved to "10" would run on into ".5": written anew.
        {"<area shape=circle coords=\"5.0.5,1,2\">", 0, "coords=\"10,6,2\""},
        {"<area coords=\"1&#44;2,3,4\">", 0, "coords=\"6,7,8,9\""},
        // After "alt=" with no value, a new attribute would become its value.
        {"<area alt=>", 1, "<area href=\"x y\" alt=>"},
        {"<area href=a/>", 1, "<area href=\"x y\">"},  // the '/' is the value's
        {"<area href>", 1, "<area href=\"x y\">"},
        {"<area shape=rect />", 2, "<area shape=rect coords=\"1,2,3\" />"},
    };
    for (const Case& c : cases) {
        const std::string text = c.text;
        const AreaTag area = ParseAreas(text).at(0);
        const TextEdit edit = c.edit == 0   ? MoveAreaEdit(text, area, 5, 5)
                              : c.edit == 1 ? SetAttributeEdit(text, area, "href", "x y")
                                            : SetCoordsEdit(text, area, {1, 2, 3});
        const std::string edited = ApplyEdit(text, edit);
        EXPECT_NE(edited.find(c.expected), std::string::npos) << edited;
        const std::vector<AreaTag> again = ParseAreas(edited);
        ASSERT_EQ(again.size(), 1u) << edited;
        EXPECT_EQ(again[0].href, c.edit == 1 ? "x y" : area.href);
    }
}

TEST(AreaModel, InsertingALineAsAnEditGivesTheSameText) {
    const std::string line =
        "<area shape=\"rect\" coords=\"1,2,3,4\" alt=\"a \"q\" b\" href=\"x\">";
    const std::vector<std::string> texts = {"",
                                            "<map name=\"m\">\r\n</map>",
                                            "<MAP NAME=\"m\">\r\n</MAP>\r\n<p>tail</p>",
                                            "<img alt=\"open>\r\n<map>\r\n</MAP></map>",
                                            "lower text \"quoted\" </MAP> after",
                                            "no closing tag at all",
                                            "<map>\r\n</map>\r\n</map>"};
    for (bool tag : {false, true}) {
        const MarkupSettings settings{tag, ""};
        for (const std::string& text : texts) {
            for (const std::string& l :
                 {line, std::string("<area href=\"x\">"), std::string("<area alt=\"5\" tall\">")}) {
                const TextEdit edit = InsertAreaLineEdit(text, l, settings);
                const std::string expected = InsertAreaLine(text, l, settings);
                EXPECT_EQ(ApplyEdit(text, edit), expected) << tag << " " << text;
                // The edit starts and ends at a byte that really differs.
                if (!edit.inserted.empty() && edit.removed > 0) {
                    EXPECT_NE(edit.inserted.front(), text[edit.begin]);
                    EXPECT_NE(edit.inserted.back(), text[edit.begin + edit.removed - 1]);
                }
            }
        }
    }
    // A small letter or a quote at every place in an eight-byte word.
    const MarkupSettings upperCase{true, ""};
    for (size_t k = 0; k < 20; ++k) {
        const std::string text = "<MAP>" + std::string(k, 'A') + "\"q\"" + (k % 3 ? "B" : "b") +
                                 std::string(20 - k, 'C') + "</MAP>";
        EXPECT_EQ(ApplyEdit(text, InsertAreaLineEdit(text, line, upperCase)),
                  InsertAreaLine(text, line, upperCase))
            << text;
    }
    // An upper-case pane gets the line as a plain insertion before its tag.
    const std::string upper = "<MAP NAME=\"m\">\r\n</MAP>\r\n";
    const TextEdit edit = InsertAreaLineEdit(upper, line, upperCase);
    EXPECT_EQ(edit.begin, upper.find("</MAP>"));
    EXPECT_EQ(edit.removed, 0u);
}

// Reading on from the first changed byte gives what reading the whole new
// text gives, lines and byte ranges included, whatever the edit does to the
// tokenizer's state after it.
TEST(AreaModel, UpdatingAfterAnEditReadsAsReadingAfresh) {
    const std::string before =
        "<map name=\"m\">\r\n<area shape=rect coords=\"1,2,3,4\" href=a>\r\n"
        "<area\nshape=circle coords=\"5,6,7\" alt=\"x\">\r\n<area href=c>\r\n</map>";
    auto describe = [](const std::vector<AreaTag>& areas) {
        std::string s;
        for (const AreaTag& a : areas)
            s += std::to_string(a.tag.begin) + "-" + std::to_string(a.tag.end) + "@" +
                 std::to_string(a.line) + " " + std::to_string(a.coords.size()) + a.href + a.alt +
                 (a.valid ? "v" : "") + std::to_string(a.hrefValue.begin) + ";";
        return s;
    };
    const struct {
        size_t at, removed;
        const char* inserted;
        size_t kept;
    } edits[] = {
        {before.size(), 0, "\r\n<area href=d>", 3},  // typed at the end
        {before.size() - 6, 0, "<area>", 3},
        {101, 0, "<area href=e>", 2},               // after the two-line one
        {57, 0, "\n\n", 1},                         // line breaks before the second
        {30, 1, "9", 0},                            // a digit inside the first
        {57, 0, "<!--", 1},                         // comments out what follows
        {57, 0, "<script>", 1},                     // raw text from here on
        {56, 1, "", 0},                             // the first tag's '>' removed
        {0, before.size(), "", 0},                  // all gone
        {before.size() - 7, 0, "<area alt=\"", 3},  // cut off by the end
    };
    const std::vector<AreaTag> old = ParseAreas(before);
    ASSERT_EQ(old.size(), 3u);
    for (const auto& e : edits) {
        std::string after = before;
        after.replace(e.at, e.removed, e.inserted);
        size_t kept = 99;
        EXPECT_EQ(describe(UpdateAreas(old, before, after, &kept)), describe(ParseAreas(after)))
            << e.at << " " << e.inserted;
        EXPECT_EQ(kept, e.kept) << e.at << " " << e.inserted;
    }
}

TEST(AreaModel, DuplicateAndReorderRewriteOnlyTheirTags) {
    const std::string text =
        "<map name=a>\r\n"
        "  <area shape=rect coords='10,20,30,40' href=r>\r\n"
        "<p><AREA SHAPE=circle COORDS=\"195,5,4\"></p>\r\n"
        "<area shape=poly coords=\"1,1,5,1,5,5,9\" alt=old>\r\n"
        "</map><map name=b><area shape=default></map>";
    const std::vector<AreaTag> a = ParseAreas(text);
    ASSERT_EQ(a.size(), 4u);
    // The copy follows the tag, on a line of its own when the tag has one,
    // moved 10 right and down as far as the 200 x 100 picture allows.
    const struct {
        size_t index;
        const char* after;
        const char* copy;
    } copies[] = {
        {0, "href=r>", "\r\n  <area shape=rect coords='20,30,40,50' href=r>"},
        {1, "(\"195,5,4\">", "<AREA SHAPE=circle COORDS=\"200,15,4\">"},
        {2, "alt=old>", "\r\n<area shape=poly coords=\"11,11,15,11,15,15,9\" alt=old>"},
        {3, "default>", "<area shape=default>"},
    };
    for (const auto& c : copies) {
        std::string expected = text;
        expected.insert(a[c.index].tag.end, c.copy);
        EXPECT_EQ(ApplyEdit(text, DuplicateAreaEdit(text, a[c.index], 10, 10, 200, 100)), expected)
            << c.after;
    }
    // Reordering swaps the tag with its neighbour in the same map; at the
    // map's first or last area nothing changes.
    const std::string swapped =
        "<map name=a>\r\n"
        "  <AREA SHAPE=circle COORDS=\"195,5,4\">\r\n"
        "<p><area shape=rect coords='10,20,30,40' href=r></p>\r\n"
        "<area shape=poly coords=\"1,1,5,1,5,5,9\" alt=old>\r\n"
        "</map><map name=b><area shape=default></map>";
    EXPECT_EQ(ApplyEdit(text, ReorderAreaEdit(text, a, 1, true)), swapped);
    EXPECT_EQ(ApplyEdit(text, ReorderAreaEdit(text, a, 0, false)), swapped);
    for (const auto& [index, earlier] :
         {std::pair{0, true}, std::pair{2, false}, std::pair{3, true}, std::pair{3, false}})
        EXPECT_EQ(ApplyEdit(text, ReorderAreaEdit(text, a, size_t(index), earlier)), text);
}
