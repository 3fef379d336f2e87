// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The areas of the pane text as a browser sees them: every <area> tag in
// document order, hit testing, and edits of one tag that give back the
// changed byte range so the pane can apply them as ordinary, undoable edits.
// The text is the only record: nothing here is kept between calls except what
// the caller keeps. Pure text logic over UTF-8 bytes; any bytes are accepted.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/area_markup.h"

enum class AreaShape { kRect, kCircle, kPoly, kDefault };

// A byte range [begin, end) in the text; begin == end == npos when absent.
struct TextRange {
    static constexpr size_t npos = static_cast<size_t>(-1);
    size_t begin = npos;
    size_t end = npos;
    bool present() const { return begin != npos; }
};

struct AreaTag {
    TextRange tag;  // "<area" up to and including the closing '>'
    int line = 1;   // 1-based line of the tag's '<' (LF ends a line)
    AreaShape shape = AreaShape::kRect;
    std::vector<double> coords;  // as the browser parses them
    // False when a browser ignores the area for hit testing: too few
    // coordinates (4 for a rectangle, 3 for a circle, 6 for a polygon, whose
    // odd last number is left out) or a circle's radius not above 0. A
    // missing or unknown shape keyword means a rectangle.
    bool valid = false;
    std::string href;  // attribute values, character references decoded
    std::string alt;
    bool hasHref = false;
    bool hasAlt = false;
    // Where the values stand in the text (inside their quotes, if any).
    TextRange coordsValue;
    TextRange hrefValue;
    TextRange altValue;
};

// Every <area> tag of the text, in document order. Tags inside <!-- -->
// comments are skipped; tag and attribute names in any case; values in
// double quotes, single quotes or none.
std::vector<AreaTag> ParseAreas(std::string_view text);
// The areas from `from` on, where `from` is a point at which the text reads
// as plain text (0, or the end of an area tag found before) and `line` its
// line. An edit leaves the areas that end before it as they were, so the
// text after the last of them is all that needs reading again.
std::vector<AreaTag> ParseAreasFrom(std::string_view text, size_t from, int line);
// The area of one <area> start tag of the text, read as ParseAreas reads
// it; `line` is its line.
struct StartTag;
AreaTag ReadAreaTag(std::string_view text, const StartTag& tag, int line);
// The areas of `after`, given `areas` read from `before`: those that end
// before the first byte where the two texts differ are kept, the rest read
// again. Answers how many were kept through `kept` when it is not null.
std::vector<AreaTag> UpdateAreas(std::vector<AreaTag> areas, std::string_view before,
                                 std::string_view after, size_t* kept = nullptr);

// Whether a browser counts picture point (x, y) as inside the area; never
// for an invalid one.
bool AreaContains(const AreaTag& area, double x, double y);

// The two exact steps of AreaContains for a polygon, for code that settles
// many points of one row at once: the power of two its coordinates are
// scaled by (1 unless some are beyond 2^500), and the sign of
// (x2 - x1)(y3 - y1) - (y2 - y1)(x3 - x1) of scaled values, computed
// without rounding (1, 0 or -1).
double PolygonScale(const std::vector<double>& coords);

// The box of a polygon's corners (x, y pairs); Flat() when it holds no
// area, as a polygon as flat as a line holds nothing.
struct CornerBox {
    double minX, maxX, minY, maxY;
    bool Flat() const { return !(minX < maxX && minY < maxY); }
};
CornerBox CornersBox(const std::vector<double>& coords);
// The circle's test of AreaContains once its values are scaled (all of
// them at most 2^500, where no scaling is needed).
inline bool InCircleUnscaled(double cx, double cy, double r, double x, double y) {
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}
int ExactOrientation(double x1, double y1, double x2, double y2, double x3, double y3);

// Index of the area a browser picks at picture point (x, y): the first valid
// area in document order that contains it, where a default area counts only
// after all others. -1 when none does.
int HitTestAreas(const std::vector<AreaTag>& areas, double x, double y);

// One replacement: the bytes [begin, begin + removed) become `inserted`.
struct TextEdit {
    size_t begin = 0;
    size_t removed = 0;
    std::string inserted;
};
// The text with the edit applied.
std::string ApplyEdit(std::string_view text, const TextEdit& edit);

// Edits of one parsed tag of `text`. Each touches only what it is about;
// every other byte of the tag and of the text stays as it was.
// Moves every coordinate pair (a circle's centre) by (dx, dy).
TextEdit MoveAreaEdit(std::string_view text, const AreaTag& area, int dx, int dy);
// Writes `coords` as the coords value, comma separated, in whole numbers.
TextEdit SetCoordsEdit(std::string_view text, const AreaTag& area, const std::vector<int>& coords);
// Replaces the value of `name` ("href" or "alt"), adding the attribute at the
// end of the tag when it is missing.
TextEdit SetAttributeEdit(std::string_view text, const AreaTag& area, std::string_view name,
                          const std::string& value);
// Removes the tag, and its line break when it stands alone on its line.
TextEdit DeleteAreaEdit(std::string_view text, const AreaTag& area);

// The move (dx, dy) cut short so that no coordinate pair of the area leaves
// a picture of width x height; an area already partly outside may move back
// in but no further out.
void ClampAreaMove(AreaShape shape, const std::vector<double>& coords, int width, int height,
                   int& dx, int& dy);
// A copy of the tag inserted right after it, on a line of its own with the
// same indent when the tag stands alone on its line, moved by (dx, dy) as far
// as ClampAreaMove allows.
TextEdit DuplicateAreaEdit(std::string_view text, const AreaTag& area, int dx, int dy, int width,
                           int height);
// Swaps the tag of areas[index] with the area tag before it (`earlier`) or
// after it, the bytes between them staying where they are. No edit when that
// neighbour is missing or lies in another map.
TextEdit ReorderAreaEdit(std::string_view text, const std::vector<AreaTag>& areas, size_t index,
                         bool earlier);

// The insertion of an area line as one edit: ApplyEdit(text, result) equals
// InsertAreaLine(text, line) byte for byte, and the edit covers only the
// bytes that differ.
TextEdit InsertAreaLineEdit(const std::string& text, const std::string& line,
                            const MarkupSettings& settings);
