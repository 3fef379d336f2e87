// SPDX-License-Identifier: GPL-3.0-or-later
// The map checker: a page per rule that breaks it, a clean page, the report as printed, and
// coverage against the hit test at every pixel centre.
#include "markup/map_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "markup/area_model.h"
#include "markup/finding_writer.h"

namespace {

// An image with alternative text and its map holding `areas` (line 3 on).
std::string Page(const std::string& areas) {
    return "<img src=p.png alt=P usemap=#m>\n<map name=m>\n" + areas + "\n</map>\n";
}

// The rules that the pages written for the others break in passing.
const std::vector<CheckRule> kIncidental = {CheckRule::kNoHref, CheckRule::kTargetSize,
                                            CheckRule::kPictureMissing, CheckRule::kMapName,
                                            CheckRule::kAreaShape};

std::string Check(const std::string& text, PictureSize picture = {100, 50},
                  const std::vector<CheckRule>& left = kIncidental) {
    const size_t images = ListMapImages(text).size();
    std::vector<MapFinding> findings = CheckMaps(text, std::vector<PictureSize>(images, picture));
    DropRules(findings, left);
    return FormatFindingsText(findings, "p.html");
}

// The first run of digits in a message: the line of the area it names.
std::string FirstNumber(const std::string& message) {
    const size_t begin = message.find_first_of("0123456789");
    if (begin == std::string::npos) return "";
    return message.substr(begin, message.find_first_not_of("0123456789", begin) - begin);
}

// The coverage findings of a page against those of the hit test at every
// pixel centre of a width x height picture.
void ExpectCoverageAsHitTest(const std::string& text, int width, int height) {
    const std::vector<AreaTag> areas = ParseAreas(text);
    std::vector<int> inside(areas.size()), picked(areas.size());
    std::vector<std::set<int>> hiddenBy(areas.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int hit = HitTestAreas(areas, x + 0.5, y + 0.5);
            if (hit >= 0) ++picked[size_t(hit)];
            for (size_t k = 0; k < areas.size(); ++k)
                if (AreaContains(areas[k], x + 0.5, y + 0.5) && ++inside[k] && int(k) != hit)
                    hiddenBy[k].insert(areas[size_t(hit)].line);
        }
    std::set<std::string> expected, got;
    for (size_t k = 0; k < areas.size(); ++k) {
        const std::string line = std::to_string(areas[k].line);
        if (!areas[k].valid) continue;
        if (inside[k] == 0)
            expected.insert(line + " empty");
        else if (picked[k] == 0)
            expected.insert(line + " unreachable");
        else
            for (const int by : hiddenBy[k])
                expected.insert(line + " overlap " + std::to_string(by));
    }
    for (const MapFinding& f : CheckMaps(text, {{width, height}})) {
        const std::string line = std::to_string(f.line);
        if (f.rule == CheckRule::kEmptyArea ||
            (f.rule == CheckRule::kOutsidePicture && f.severity == CheckSeverity::kError))
            got.insert(line + " empty");
        else if (f.rule == CheckRule::kUnreachable)
            got.insert(line + " unreachable");
        else if (f.rule == CheckRule::kOverlap)
            got.insert(line + " overlap " + FirstNumber(EnglishMessage(f)));
    }
    EXPECT_EQ(got, expected) << text;
}

}  // namespace

TEST(MapCheck, EachRuleOnAPageThatBreaksIt) {
    const struct {
        std::string text;
        std::string report;
    } cases[] = {
        {Page("<area shape=rect coords=0,0,50,50 href=a alt=A>\n"
              "<area shape=circle coords=75,25,20 href=b alt=B>\n<area shape=default nohref>"),
         ""},
        {Page("<area coords=0,0,9,9 href=a>\n<area coords=10,0,19,9 href=b alt=\" \xE3\x80\x80\">"),
         "p.html:3:1: error: the link has no alternative text (alt) [area-alt]\n"
         "p.html:4:1: error: the link's alternative text is empty [area-alt]\n"},
        {"<img src=p.png usemap=#m><map name=m></map>",
         "p.html:1:1: error: the image uses a map but has no alternative text (alt) [img-alt]\n"},
        {Page("<area coords=1,2,3 href=a alt=A><area shape=circ coords=5,5,0 nohref>"
              "<area shape=poly coords=1,2,3,4,5 nohref>"),
         "p.html:3:1: error: a browser ignores this area: a rectangle needs 4 coordinates "
         "[invalid-area]\n"
         "p.html:3:33: error: a browser ignores this area: a circle's radius must be above 0 "
         "[invalid-area]\n"
         "p.html:3:70: error: a browser ignores this area: a polygon needs 3 corners (6 "
         "coordinates) [invalid-area]\n"},
        {Page(
             "<area coords=10,10,10.4,20 nohref>\n<area shape=poly coords=0,0,20,10,40,20 nohref>\n"
             "<area shape=circle coords=30,30.5,0.4 nohref>"),
         "p.html:3:1: error: the area holds no pixel of the picture [empty-area]\n"
         "p.html:4:1: error: the area holds no pixel of the picture [empty-area]\n"
         "p.html:5:1: error: the area holds no pixel of the picture [empty-area]\n"},
        {Page("<area coords=90,40,120,60 nohref>\n<area shape=circle coords=-20,10,20 nohref>"),
         "p.html:3:1: warning: part of the area lies outside the 100x50 picture [outside-picture]\n"
         "p.html:4:1: error: the area lies wholly outside the 100x50 picture [outside-picture]\n"},
        {Page("<area coords=0,0,60,50 nohref>\n<area coords=40,0,100,50 nohref>\n"
              "<area shape=circle coords=50,25,10 nohref>\n<area shape=default nohref>"),
         "p.html:4:1: warning: the area shares pixels with the area at line 3, which a browser "
         "picks there [overlap]\n"
         "p.html:5:1: error: a browser never picks this area: the area at line 3 covers all of "
         "it [unreachable]\n"
         "p.html:6:1: error: a browser never picks this area: the areas at lines 3, 4 cover all "
         "of it [unreachable]\n"},
        {Page("<area coords=0,0,9,9 href=a alt=Home>\n<area coords=10,0,19,9 href=a alt=Home>\n"
              "<area coords=20,0,29,9 href=b alt=\" Home\">"),
         "p.html:5:1: warning: the alternative text \"Home\" is also that of the area at line 3, "
         "which links elsewhere [duplicate-alt]\n"},
        {Page("<area coords=0,0,9,9 href=\" JavaScript:go()\" alt=Go>"),
         "p.html:3:1: warning: a javascript: link is lost to keyboard and no-script users "
         "[script-href]\n"},
        {"<img alt=A usemap=#x><img alt=B usemap=m><map name=m></map>",
         "p.html:1:1: error: usemap \"#x\" names no map of the page [missing-map]\n"
         "p.html:1:22: error: usemap \"m\" names no map of the page [missing-map]\n"},
        {"<img alt=A usemap=#m>\n<map name=m></map>\n<map id=m></map>",
         "p.html:3:1: warning: a map named \"m\" comes before it at line 2; images use that one "
         "[duplicate-map]\n"},
        {"<p>\xE6\x97\xA5\xE6\x9C\xAC</p><img alt=A usemap=#m>\n<img alt=B usemap=#m>\n"
         "<map id=m></map>",
         "p.html:3:1: warning: the map \"m\" is used by 2 images (lines 1, 2): keyboard order "
         "breaks [shared-map]\n"},
        {"<img alt=A usemap=#m width=100 height=25%><img alt=B usemap=#m width=100><map name=m>",
         "p.html:1:1: warning: the image is shown at width=\"100\" height=\"25%\" but the picture "
         "is 100x50: the areas miss their targets unless they are scaled [scaled-image]\n"
         "p.html:1:74: warning: the map \"m\" is used by 2 images (lines 1, 1): keyboard order "
         "breaks [shared-map]\n"},
        // A template's contents are not part of the page: nothing in them is
        // checked, and no image outside uses a map inside.
        {"<template><img usemap=#x><map name=y><area coords=0,0,1,1 href=a></map></template>\n"
         "<img alt=A usemap=#t><template><map name=t></map></template>",
         "p.html:2:1: error: usemap \"#t\" names no map of the page [missing-map]\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.text), c.report) << c.text;

    // Without the picture the rules that need it are left out; the others
    // stay, and each finding about an area names it.
    const std::string text = Page("<area coords=-9,0,9,9>\n<area coords=20,0,30,9 alt=X>");
    EXPECT_EQ(Check(text, {}, {}),
              "p.html:3:1: warning: the area has no href: give it a link or remove the area "
              "[no-href]\n"
              "p.html:4:1: warning: the area has no href: give it a link or remove the area "
              "[no-href]\n"
              "p.html:4:1: warning: alt mean nothing on an area without href: give it a link or "
              "remove them [area-link-attributes]\n");
    const std::vector<MapFinding> findings = CheckMaps(text, {{100, 50}});
    const auto perArea = FindingsPerArea(findings, 2);
    EXPECT_EQ(perArea, (std::vector<std::vector<size_t>>{{0, 1}, {2, 3}}));
}

TEST(MapCheck, JsonEscapesWhatItQuotes) {
    const std::string text = "<img src=p alt=A usemap='#\"\\\x01'>";
    EXPECT_EQ(
        FormatFindingsJson(CheckMaps(text, {}), "a\"b.html"),
        "[\n  {\"file\": \"a\\\"b.html\", \"line\": 1, \"column\": 1, \"severity\": "
        "\"error\", \"rule\": \"missing-map\", \"message\": \"usemap \\\"#\\\"\\\\\\u0001\\\" "
        "names no map of the page\"}\n]\n");
    EXPECT_EQ(FormatFindingsJson({}, "-"), "[]\n");
}

// Coverage decided row by row against the hit test at every pixel centre,
// over shapes of every kind whose edges and corners fall on and between
// pixel centres.
TEST(MapCheck, CoverageAgreesWithTheHitTestAtEveryPixelCentre) {
    uint32_t seed = 1;
    auto next = [&seed](int range) {  // in half pixels
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 16) % uint32_t(range * 2)) / 2;
    };
    for (int round = 0; round < 300; ++round) {
        // First a triangle whose only pixel centres lie on its lower edge.
        std::string list = round > 0 ? "" : "<area shape=poly coords=0,0.5,10,0.5,5,0.2 nohref>\n";
        for (int k = round > 0 ? 0 : 5; k < 6; ++k) {
            const int kind = (seed >> 20) % 4, count = kind == 0 ? 4 : kind == 1 ? 3 : kind * 4;
            std::string coords;
            for (int i = 0; i < count; ++i)
                coords +=
                    (i ? "," : "") + std::to_string(kind == 1 && i == 2 ? next(9) : next(46) - 3);
            list +=
                std::string("<area shape=") + "rcpp"[kind] + " coords=\"" + coords + "\" nohref>\n";
        }
        ExpectCoverageAsHitTest(Page(list), 40, 30);
    }
}

// Shapes that defeat estimates: coordinates far beyond the picture whose
// edges still cross it, a circle so large that rounding decides its rim,
// and two combs whose teeth interleave, so that the areas after them meet
// more earlier areas along a row than a short walk looks at. Many areas
// that come in on one row left of all that came before turn the order of
// that row's spans over.
TEST(MapCheck, CoverageHoldsOnHostileShapes) {
    std::string combA = "0,25", combB = "1,30";
    for (int i = 0; i < 20; ++i) {
        const std::string a = std::to_string(2 * i), b = std::to_string(2 * i + 1),
                          c = std::to_string(2 * i + 2), d = std::to_string(2 * i + 3);
        combA += "," + a + ",0," + b + ",0," + b + ",20," + c + ",20";
        combB += "," + b + ",0," + c + ",0," + c + ",20," + d + ",20";
    }
    combA += ",40,25";
    combB += ",41,30";
    ExpectCoverageAsHitTest(
        Page("<area shape=poly coords=\"" + combA + "\" nohref>\n<area shape=poly coords=\"" +
             combB + "\" nohref>\n<area coords=0,0,40,30 nohref>\n<area coords=0,0,40,19 nohref>"),
        40, 30);
    ExpectCoverageAsHitTest(
        Page("<area shape=poly coords=0,0,100,0,1e30,1e22 nohref>\n"
             "<area shape=poly coords=-1e30,0,1e30,30,5,29 nohref>\n"
             "<area shape=poly coords=3,1e300,7.5,-1e300,-1e308,2.5 nohref>\n"
             "<area shape=circle coords=20,-1000000000000000,1000000000000010.5 nohref>\n"
             "<area shape=circle coords=1e300,15,1e300 nohref>\n<area shape=default nohref>"),
        40, 30);
    std::string late;
    for (int i = 0; i < 40; ++i) {
        const auto n = [i](int plus) { return std::to_string(i + plus); };
        late += "<area coords=" + n(40) + ",0," + n(41) + "," + std::to_string(30 - i / 2) +
                " nohref>\n<area shape=circle coords=" + n(0) + ".5,12,1.5 nohref>\n";
        late += "<area shape=poly coords=" + n(0) + ",10," + n(2) + ",10," + n(4) + ",20 nohref>\n";
    }
    ExpectCoverageAsHitTest(Page(late), 80, 30);
}

// Lines end at LF, CR LF or a CR alone; columns count characters, also far
// along one long line.
TEST(MapCheck, PlacesFindingsOnEveryKindOfLine) {
    const std::vector<CheckRule> left = {CheckRule::kTargetSize, CheckRule::kNoHref};
    EXPECT_EQ(Check("<img src=p.png alt=P usemap=#m>\r<map name=m>\r\r\n<area coords=0,0,9,9 "
                    "alt=a>\r</map>",
                    {100, 50}, left),
              "p.html:4:1: warning: alt mean nothing on an area without href: give it a link or "
              "remove them [area-link-attributes]\n");
    std::string line = "<img src=p.png alt=P usemap=#m><map name=m>";
    for (const char* x : {"0,0,9", "5,0,14", "10,0,19"})
        line += std::string("<area coords=") + x + ",9 alt=\xE6\x97\xA5>";
    const std::string linkless =
        " warning: alt mean nothing on an area without href: give it a link or remove them "
        "[area-link-attributes]\n";
    EXPECT_EQ(Check(line + "</map>", {100, 50}, left),
              "p.html:1:44:" + linkless + "p.html:1:71:" + linkless +
                  "p.html:1:71: warning: the area shares pixels with the area at line 1, which a "
                  "browser picks there [overlap]\n"
                  "p.html:1:99:" +
                  linkless +
                  "p.html:1:99: warning: the area shares pixels with the area at line 1, which a "
                  "browser picks there [overlap]\n");
}

// A usemap value cannot forge a line of the report or reach the terminal,
// and the JSON stays valid whatever bytes the page holds.
TEST(MapCheck, ReportsKeepWhatThePageSaysInItsPlace) {
    const std::string text =
        "<img src=p.png alt=A usemap=\"a\nb.html:9:9: error: forged "
        "[x]\x1b[2J\xFF\xC2\x9B\xE3\x81\x82\">";
    const std::vector<MapFinding> findings = CheckMaps(text, {});
    EXPECT_EQ(FormatFindingsText(findings, "p\r.html"),
              "p\\r.html:1:1: error: usemap \"a\\nb.html:9:9: error: forged [x]\\x1b[2J\\xff"
              "\\u009b\xE3\x81\x82\" names no map of the page [missing-map]\n");
    std::string json;
    CFindingWriter writer(FindingFormat::kJson, "p.html",
                          [&](std::string_view piece) { json.append(piece); });
    EXPECT_FALSE(writer.ChangedBytes());
    writer.Write(findings[0]);
    writer.Finish();
    EXPECT_TRUE(writer.ChangedBytes());
    EXPECT_EQ(json,
              "[\n  {\"file\": \"p.html\", \"line\": 1, \"column\": 1, \"severity\": \"error\", "
              "\"rule\": \"missing-map\", \"message\": \"usemap \\\"a\\u000ab.html:9:9: error: "
              "forged [x]\\u001b[2J\xEF\xBF\xBD\xC2\x9B\xE3\x81\x82\\\" names no map of the "
              "page\"}\n]\n");
}

// A page's findings are handed on as they are found, in the order of the
// whole page's report: a map of thousands of areas, images and ids before,
// inside and after it, holds no more than a few findings at once. One
// area's findings of a rule stop at the cap even where maps nest.
TEST(MapCheck, FindingsOfAPageAreHandedOnAsTheyAreFound) {
    std::string text = "<img alt=A usemap=#m>\r<map name=m id=x>\r";
    for (int i = 0; i < 5000; ++i) {
        const std::string n = std::to_string(i * 2);
        text += "<area id=x coords=" + n + ",0," + n + ",9 href=a.html>\r";
        if (i == 2500) text += "<img usemap=#none>\r";
    }
    text += "</map><map name=m></map><img usemap=#m>\r";
    const std::vector<PictureLookup> pictures(3, PictureLookup{{10000, 50}, {}});
    std::vector<MapFinding> streamed;
    const size_t held =
        CheckPageMaps(text, pictures, [&](MapFinding&& f) { streamed.push_back(std::move(f)); });
    EXPECT_LE(held, 8u);
    ASSERT_GT(streamed.size(), 15000u);
    for (size_t i = 1; i < streamed.size(); ++i)
        ASSERT_LE(streamed[i - 1].offset, streamed[i].offset) << i;
    // duplicate-id's lines counted as every other finding's, CR alone too.
    const MapFinding& id = *std::find_if(streamed.begin(), streamed.end(), [](const MapFinding& f) {
        return f.rule == CheckRule::kDuplicateId;
    });
    EXPECT_EQ(id.line, 3);
    EXPECT_NE(EnglishMessage(id).find("map at line 2"), std::string::npos) << EnglishMessage(id);
    EXPECT_EQ(streamed.back().rule, CheckRule::kImgAlt);
    EXPECT_EQ(streamed.back().line, 5004);

    std::string nested = "<img src=p.png alt=A usemap=#m>";
    for (int i = 0; i < 40; ++i) nested += "<map name=m>";
    nested += "<area coords=0,0,10,10 alt=a>";
    std::vector<MapFinding> findings = CheckMaps(nested, {{100, 50}});
    DropRules(findings, {CheckRule::kMapName, CheckRule::kDuplicateMap});
    EXPECT_EQ(findings.size(), 2 * kMaxFindingsOfOneRule);  // no-href, area-link-attributes
}

// Each message says the same details in both languages: a place left out
// of the Japanese would lose a name or a line in the 問題 panel. What a
// detail holds is never read as a place.
TEST(MapCheck, BothLanguagesOfAMessageShowEveryDetail) {
    for (int row = 0; row <= int(CheckText::kSharedMap); ++row) {
        const CheckTextInfo& info = TextInfo(CheckText(row));
        EXPECT_EQ(int(info.text), row);
        for (const char* place : {"{1}", "{2}", "{3}"})
            EXPECT_EQ(std::string(info.english).find(place) == std::string::npos,
                      std::string(info.japanese).find(place) == std::string::npos)
                << info.english << " / " << place;
    }
    MapFinding f = MakeFinding(0, CheckText::kMissingMap, {"#{1}{2}"});
    EXPECT_EQ(f.rule, CheckRule::kMissingMap);
    EXPECT_EQ(EnglishMessage(f), "usemap \"#{1}{2}\" names no map of the page");
    EXPECT_NE(JapaneseMessage(f).find("\"#{1}{2}\""), std::string::npos);
}
