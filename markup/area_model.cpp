// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "markup/area_coords.h"
#include "markup/html_tags.h"

CornerBox CornersBox(const std::vector<double>& c) {
    const size_t count = c.size() / 2;
    double minX = c[0], maxX = c[0], minY = c[1], maxY = c[1];
    for (size_t i = 1; i < count; ++i) {
        minX = std::min(minX, c[2 * i]);
        maxX = std::max(maxX, c[2 * i]);
        minY = std::min(minY, c[2 * i + 1]);
        maxY = std::max(maxY, c[2 * i + 1]);
    }
    return {minX, maxX, minY, maxY};
}

namespace {

bool EqualsNoCase(std::string_view value, std::string_view lowerWord) {
    if (value.size() != lowerWord.size()) return false;
    for (size_t k = 0; k < value.size(); ++k) {
        char c = value[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[k]) return false;
    }
    return true;
}

// A missing or unknown keyword means a rectangle.
AreaShape ShapeOf(std::string_view keyword) {
    if (EqualsNoCase(keyword, "circle") || EqualsNoCase(keyword, "circ")) return AreaShape::kCircle;
    if (EqualsNoCase(keyword, "poly") || EqualsNoCase(keyword, "polygon")) return AreaShape::kPoly;
    if (EqualsNoCase(keyword, "default")) return AreaShape::kDefault;
    return AreaShape::kRect;
}

bool IsValid(AreaShape shape, const std::vector<double>& c) {
    switch (shape) {
        case AreaShape::kDefault:
            return true;
        case AreaShape::kRect:
            return c.size() >= 4;
        case AreaShape::kCircle:
            return c.size() >= 3 && c[2] > 0;
        case AreaShape::kPoly:
            return c.size() >= 6;  // an odd last number is left out
    }
    return false;
}

std::string_view ValueOf(std::string_view text, const TagAttribute& attr) {
    if (!attr.value.present()) return {};
    return text.substr(attr.value.begin, attr.value.end - attr.value.begin);
}

// Edges count as inside; a rectangle without width or height holds nothing.
bool InRect(const std::vector<double>& c, double x, double y) {
    const double left = std::min(c[0], c[2]), right = std::max(c[0], c[2]);
    const double top = std::min(c[1], c[3]), bottom = std::max(c[1], c[3]);
    return left < right && top < bottom && x >= left && x <= right && y >= top && y <= bottom;
}

// Coordinates may be as large as a double holds. Squares and products of
// differences stay finite when every value is at most 2^500; larger ones are
// scaled down by a power of two first, which keeps them exact (all but
// values below about 2^-500 beside them).
double ScaleFor(const std::vector<double>& c, size_t count, double x, double y) {
    double largest = std::max(std::fabs(x), std::fabs(y));
    for (size_t i = 0; i < count; ++i) largest = std::max(largest, std::fabs(c[i]));
    return largest > 0x1p500 ? std::ldexp(1.0, 500 - std::ilogb(largest)) : 1.0;
}

bool InCircle(const std::vector<double>& c, double x, double y) {
    const double scale = ScaleFor(c, 3, x, y);
    return InCircleUnscaled(c[0] * scale, c[1] * scale, c[2] * scale, x * scale, y * scale);
}

// a + b exactly, as hi + lo.
void TwoSum(double a, double b, double& hi, double& lo) {
    hi = a + b;
    const double bPart = hi - a, aPart = hi - bPart;
    lo = (a - aPart) + (b - bPart);
}

// The sign of (x2 - x1)(y3 - y1) - (y2 - y1)(x3 - x1), computed exactly:
// each difference as two doubles, each product of two as two more, and the
// sixteen terms summed into a growing expansion whose largest part has the
// sign of the whole (values at most 2^500, see ScaleFor).
int Orientation(double x1, double y1, double x2, double y2, double x3, double y3) {
    double ux[2], uy[2], vx[2], vy[2];
    TwoSum(x2, -x1, ux[1], ux[0]);
    TwoSum(y2, -y1, uy[1], uy[0]);
    TwoSum(x3, -x1, vx[1], vx[0]);
    TwoSum(y3, -y1, vy[1], vy[0]);
    double sum[34];
    size_t n = 0;
    const auto add = [&](double b) {
        size_t kept = 0;
        for (size_t i = 0; i < n; ++i) {
            double hi, lo;
            TwoSum(b, sum[i], hi, lo);
            b = hi;
            if (lo != 0) sum[kept++] = lo;
        }
        sum[kept++] = b;
        n = kept;
    };
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const double p = ux[i] * vy[j], q = uy[i] * vx[j];
            add(p);
            add(std::fma(ux[i], vy[j], -p));
            add(-q);
            add(-std::fma(uy[i], vx[j], -q));
        }
    while (n > 0 && sum[n - 1] == 0) --n;
    return n == 0 ? 0 : sum[n - 1] > 0 ? 1 : -1;
}

// Even-odd: a ray to the right crosses the outline an odd number of times.
// Points on the outline count as inside; a polygon as flat as a line holds
// nothing. Exact for any finite coordinates.
bool InPolygon(const std::vector<double>& c, double x, double y) {
    const size_t count = c.size() / 2;
    const CornerBox box = CornersBox(c);
    if (box.Flat() || x < box.minX || x > box.maxX || y < box.minY || y > box.maxY) return false;
    const double scale = ScaleFor(c, 2 * count, x, y);
    const double px = x * scale, py = y * scale;
    bool inside = false;
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = c[2 * i] * scale, yi = c[2 * i + 1] * scale;
        const double xj = c[2 * j] * scale, yj = c[2 * j + 1] * scale;
        const bool crosses = (yi > py) != (yj > py);
        const bool within = px >= std::min(xi, xj) && px <= std::max(xi, xj) &&
                            py >= std::min(yi, yj) && py <= std::max(yi, yj);
        if (!crosses && !within) continue;
        const int side = Orientation(xi, yi, xj, yj, px, py);
        if (within && side == 0) return true;  // on this edge
        // Left of where the edge crosses the point's row: the sign of the
        // orientation, turned by the edge's direction.
        if (crosses && side == (yj > yi ? 1 : -1)) inside = !inside;
    }
    return inside;
}

}  // namespace

int ExactOrientation(double x1, double y1, double x2, double y2, double x3, double y3) {
    return Orientation(x1, y1, x2, y2, x3, y3);
}

double PolygonScale(const std::vector<double>& coords) {
    return ScaleFor(coords, coords.size() / 2 * 2, 0, 0);
}

std::vector<AreaTag> ParseAreas(std::string_view text) {
    return ParseAreasFrom(text, 0, 1);
}

AreaTag ReadAreaTag(std::string_view text, const StartTag& tag, int line) {
    AreaTag area;
    area.tag = tag.range;
    area.line = line;
    if (const TagAttribute* shape = tag.Find("shape"))
        area.shape = ShapeOf(DecodeAttributeValue(ValueOf(text, *shape)));
    if (const TagAttribute* coords = tag.Find("coords")) {
        area.coordsValue = coords->value;
        area.coords = ParseCoordList(DecodeAttributeValue(ValueOf(text, *coords)));
    }
    if (const TagAttribute* href = tag.Find("href")) {
        area.hasHref = true;
        area.hrefValue = href->value;
        area.href = DecodeAttributeValue(ValueOf(text, *href));
    }
    if (const TagAttribute* alt = tag.Find("alt")) {
        area.hasAlt = true;
        area.altValue = alt->value;
        area.alt = DecodeAttributeValue(ValueOf(text, *alt));
    }
    area.valid = IsValid(area.shape, area.coords);
    return area;
}

namespace {
// Appends the areas from `from` on: a caller that keeps its vector keeps its
// memory, and a pane read again after each pause in typing does not take
// fresh pages for it every time.
void AppendAreas(std::string_view text, size_t from, int line, std::vector<AreaTag>& areas) {
    from = std::min(from, text.size());
    CHtmlTagScanner scanner(text, from);
    StartTag tag;
    size_t counted = from;  // line breaks are counted up to here
    while (scanner.Next(tag)) {
        if (tag.name != "area") continue;
        line += static_cast<int>(
            std::count(text.begin() + counted, text.begin() + tag.range.begin, '\n'));
        counted = tag.range.begin;
        areas.push_back(ReadAreaTag(text, tag, line));
    }
}
}  // namespace

std::vector<AreaTag> ParseAreasFrom(std::string_view text, size_t from, int line) {
    std::vector<AreaTag> areas;
    AppendAreas(text, from, line, areas);
    return areas;
}

std::vector<AreaTag> UpdateAreas(std::vector<AreaTag> areas, std::string_view before,
                                 std::string_view after, size_t* kept) {
    const size_t common = std::min(before.size(), after.size());
    const size_t differ = static_cast<size_t>(
        std::mismatch(before.begin(), before.begin() + common, after.begin()).first -
        before.begin());
    // A tag is read from its bytes up to its '>' alone: one that ends at or
    // before the first change reads the same.
    const auto firstTouched = std::partition_point(
        areas.begin(), areas.end(), [&](const AreaTag& a) { return a.tag.end <= differ; });
    areas.erase(firstTouched, areas.end());
    if (kept) *kept = areas.size();
    size_t from = 0;
    int line = 1;
    if (!areas.empty()) {
        const TextRange last = areas.back().tag;
        from = last.end;
        line = areas.back().line + static_cast<int>(std::count(before.begin() + last.begin,
                                                               before.begin() + last.end, '\n'));
    }
    AppendAreas(after, from, line, areas);
    return areas;
}

bool AreaContains(const AreaTag& area, double x, double y) {
    if (!area.valid) return false;
    switch (area.shape) {
        case AreaShape::kDefault:
            return true;
        case AreaShape::kRect:
            return InRect(area.coords, x, y);
        case AreaShape::kCircle:
            return InCircle(area.coords, x, y);
        case AreaShape::kPoly:
            return InPolygon(area.coords, x, y);
    }
    return false;
}

int HitTestAreas(const std::vector<AreaTag>& areas, double x, double y) {
    // A default area is picked only where no other valid area holds the
    // point, wherever it stands in the document: browsers do so.
    int fallback = -1;
    for (size_t i = 0; i < areas.size(); ++i) {
        if (!AreaContains(areas[i], x, y)) continue;
        if (areas[i].shape != AreaShape::kDefault) return static_cast<int>(i);
        if (fallback < 0) fallback = static_cast<int>(i);
    }
    return fallback;
}
