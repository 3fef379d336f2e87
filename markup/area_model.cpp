#include "markup/area_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "markup/area_coords.h"
#include "markup/html_tags.h"

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

bool InCircle(const std::vector<double>& c, double x, double y) {
    const double dx = x - c[0], dy = y - c[1];
    return dx * dx + dy * dy <= c[2] * c[2];
}

bool OnSegment(double x, double y, double x1, double y1, double x2, double y2) {
    if (x < std::min(x1, x2) || x > std::max(x1, x2) || y < std::min(y1, y2) ||
        y > std::max(y1, y2))
        return false;
    return (x2 - x1) * (y - y1) == (y2 - y1) * (x - x1);
}

// Even-odd: a ray to the right crosses the outline an odd number of times.
// Points on the outline count as inside; a polygon as flat as a line holds
// nothing.
bool InPolygon(const std::vector<double>& c, double x, double y) {
    const size_t count = c.size() / 2;
    double minX = c[0], maxX = c[0], minY = c[1], maxY = c[1];
    for (size_t i = 1; i < count; ++i) {
        minX = std::min(minX, c[2 * i]);
        maxX = std::max(maxX, c[2 * i]);
        minY = std::min(minY, c[2 * i + 1]);
        maxY = std::max(maxY, c[2 * i + 1]);
    }
    if (!(minX < maxX && minY < maxY) || x < minX || x > maxX || y < minY || y > maxY) return false;
    bool inside = false;
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = c[2 * i], yi = c[2 * i + 1];
        const double xj = c[2 * j], yj = c[2 * j + 1];
        if (OnSegment(x, y, xi, yi, xj, yj)) return true;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

}  // namespace

std::vector<AreaTag> ParseAreas(std::string_view text) {
    return ParseAreasFrom(text, 0, 1);
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
        AreaTag area;
        area.tag = tag.range;
        line += static_cast<int>(
            std::count(text.begin() + counted, text.begin() + tag.range.begin, '\n'));
        counted = tag.range.begin;
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
        areas.push_back(std::move(area));
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
