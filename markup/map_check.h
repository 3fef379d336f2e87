// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checking the image maps of a text (a whole page or the pane's text) for
// what breaks them in a browser or for keyboard and screen-reader users:
// areas a browser ignores, never picks or that hide each other, missing
// alternative texts, maps that no image finds, pictures shown at another
// size than the areas were drawn for. Coverage is decided on the pixel
// centres of the picture with the same hit test as HitTestAreas. Pure text
// logic over UTF-8; any bytes are accepted.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/check_messages.h"
#include "markup/check_rules.h"

struct MapFinding {
    size_t offset = 0;  // the tag's '<' in the text
    size_t end = 0;     // just past its '>'
    int line = 1;       // 1-based; LF, CR LF or a CR alone ends a line
    int column = 1;     // 1-based, in characters
    CheckSeverity severity = CheckSeverity::kWarning;
    CheckRule rule = CheckRule::kAreaAlt;
    int area = -1;  // index among ParseAreas(text); -1 for an image or a map
    CheckText text = CheckText::kAltMissing;  // what it says
    std::vector<std::string> args;            // the details from the page, in both languages
};

// A finding of the text's row, with its rule and severity.
MapFinding MakeFinding(size_t offset, CheckText text, std::vector<std::string> args = {},
                       int area = -1);
// What the reports print: the English of the finding's row with its details.
std::string EnglishMessage(const MapFinding& finding);
// What the window shows: the Japanese of the finding's row with its details.
std::string JapaneseMessage(const MapFinding& finding);

// A picture's size in pixels; 0 x 0 when it is not known, which leaves out
// the rules that need the picture.
struct PictureSize {
    int width = 0;
    int height = 0;
    bool Known() const { return width > 0 && height > 0; }
};

// What the caller found of an image's picture: its size, or why it could
// not be had (not found, not readable), which becomes a picture-missing
// finding. Both empty when it was not looked for.
struct PictureLookup {
    PictureSize size;
    std::string missing;
};

// An image of the text that has a usemap, in document order.
struct MapImage {
    size_t offset = 0;   // its '<'
    int line = 1;        // 1-based
    std::string source;  // the src value, character references decoded
};
std::vector<MapImage> ListMapImages(std::string_view text);

// The first image with a usemap whose map is in the text: where its tag
// starts and where the map element runs ("<map" through "</map>", or the end
// of the text for a map never closed). False when there is none.
struct ImageMapSpan {
    size_t image = 0;
    size_t mapBegin = 0;
    size_t mapEnd = 0;
};
bool FindFirstImageMap(std::string_view text, ImageMapSpan* out);
// The same for the index-th (0-based) of the images whose map is in the text.
bool FindImageMap(std::string_view text, size_t index, ImageMapSpan* out);

// Every finding of every map in the text, sorted by line and column (the
// rules of one tag in the order they are checked). pictures[i] is the size
// of the picture of ListMapImages(text)[i]; a map is checked against the
// picture of the first image that uses it.
std::vector<MapFinding> CheckMaps(std::string_view text, const std::vector<PictureSize>& pictures);
// The same with what was found of each picture: the reasons a picture was
// not had become picture-missing findings.
std::vector<MapFinding> CheckPageMaps(std::string_view text,
                                      const std::vector<PictureLookup>& pictures);

// Findings handed on one at a time, in the order of CheckPageMaps, each as
// soon as none can come before it; none is held once handed on, so a page of
// millions of findings takes memory after its areas, not after its report.
// Answers the most findings held at once.
using FindingSink = std::function<void(MapFinding&&)>;
size_t CheckPageMaps(std::string_view text, const std::vector<PictureLookup>& pictures,
                     const FindingSink& sink);

// The most findings of one rule about one area (a map inside another checks
// its areas once for each; overlaps and repeated attributes may be many).
inline constexpr size_t kMaxFindingsOfOneRule = 16;

// The findings less those of the given rules.
void DropRules(std::vector<MapFinding>& findings, const std::vector<CheckRule>& rules);

// For each of one map's areas (document order), the areas that a browser
// picks instead of it on some of its pixel centres: indices into `areas`,
// in document order, at most 16 of them.
struct AreaTag;
std::vector<std::vector<size_t>> AreasPickedOver(const std::vector<const AreaTag*>& areas,
                                                 PictureSize picture);

// For each of `areaCount` areas (ParseAreas order), the indices into
// `findings` of those about it.
std::vector<std::vector<size_t>> FindingsPerArea(const std::vector<MapFinding>& findings,
                                                 size_t areaCount);
