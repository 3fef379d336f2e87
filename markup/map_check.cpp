// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/map_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

#include "markup/area_model.h"
#include "markup/html_tags.h"
#include "markup/tag_rules.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Trimmed(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsAsciiSpace(text[b])) ++b;
    while (e > b && IsAsciiSpace(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

// A browser drops leading and trailing C0 controls and spaces from a URL,
// and tabs and line breaks anywhere, before it looks at the scheme.
bool IsScriptLink(std::string_view href) {
    std::string url;
    for (const char c : href) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        url += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    size_t b = 0;
    while (b < url.size() && static_cast<unsigned char>(url[b]) <= 0x20) ++b;
    return url.compare(b, 11, "javascript:") == 0;
}

std::string Decoded(std::string_view text, const StartTag& tag, std::string_view name) {
    return DecodeAttributeValue(tag.Value(text, name));
}

// The map a usemap names: the text after its first '#'; false when there is
// none or nothing after it.
bool MapNameOf(const std::string& usemap, std::string* name) {
    const size_t hash = usemap.find('#');
    if (hash == std::string::npos || hash + 1 == usemap.size()) return false;
    *name = usemap.substr(hash + 1);
    return true;
}

struct ScannedImage {
    size_t offset = 0;
    std::string source;
    std::string usemap;
    bool hasAlt = false;
    const TagAttribute* width = nullptr;
    const TagAttribute* height = nullptr;
    StartTag tag;
};

struct ScannedMap {
    size_t begin = 0;
    size_t end = 0;  // 0 while it is open
    std::string name;
    std::string id;
    bool hasName = false;
    bool hasId = false;
    std::vector<size_t> images;  // indices of the images that use it
};

struct Scan {
    std::vector<ScannedImage> images;
    std::vector<ScannedMap> maps;
};

// The images with a usemap and the maps of the text, template contents
// left out (they are not part of the page).
Scan ScanText(std::string_view text) {
    Scan scan;
    CHtmlTagScanner scanner(text);
    scanner.ReportEndTags();
    StartTag tag;
    size_t inert = 0;
    std::vector<size_t> open;  // maps not yet closed, innermost last
    while (scanner.Next(tag)) {
        if (tag.name == "template") {
            if (!tag.closing)
                ++inert;
            else if (inert > 0)
                --inert;
            continue;
        }
        if (inert > 0) continue;
        if (tag.name == "img" && !tag.closing && tag.Find("usemap")) {
            ScannedImage image;
            image.offset = tag.range.begin;
            image.source = Decoded(text, tag, "src");
            image.usemap = Decoded(text, tag, "usemap");
            image.hasAlt = tag.Find("alt") != nullptr;
            image.tag = tag;
            scan.images.push_back(std::move(image));
        } else if (tag.name == "map") {
            if (!tag.closing) {
                ScannedMap map;
                map.begin = tag.range.begin;
                map.hasName = tag.Find("name") != nullptr;
                map.hasId = tag.Find("id") != nullptr;
                map.name = Decoded(text, tag, "name");
                map.id = Decoded(text, tag, "id");
                open.push_back(scan.maps.size());
                scan.maps.push_back(std::move(map));
            } else if (!open.empty()) {
                scan.maps[open.back()].end = tag.range.end;
                open.pop_back();
            }
        }
    }
    // A map never closed runs to the end of the text.
    for (const size_t k : open) scan.maps[k].end = text.size();
    for (ScannedImage& image : scan.images) {
        image.width = image.tag.Find("width");
        image.height = image.tag.Find("height");
    }
    return scan;
}

// The first map whose name or id is `name`; -1 when there is none.
int FindMap(const Scan& scan, const std::string& name) {
    for (size_t k = 0; k < scan.maps.size(); ++k) {
        const ScannedMap& map = scan.maps[k];
        if ((map.hasName && map.name == name) || (map.hasId && map.id == name))
            return static_cast<int>(k);
    }
    return -1;
}

std::string LineList(const std::vector<int>& lines) {
    std::string text;
    for (const int line : lines) text += (text.empty() ? "" : ", ") + std::to_string(line);
    return text;
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// A width or height attribute as a browser reads a dimension: white space,
// then digits (a fraction and a '%' may follow). -1 when it holds no number.
double ParseDimension(std::string_view value, bool* percent) {
    size_t i = 0;
    while (i < value.size() && IsAsciiSpace(value[i])) ++i;
    double number = -1;
    size_t digits = i;
    while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
    if (digits == i) return -1;
    number = std::stod(std::string(value.substr(i, std::min<size_t>(digits - i, 12))));
    size_t after = digits;
    if (after < value.size() && value[after] == '.') {
        double scale = 0.1;
        for (++after; after < value.size() && value[after] >= '0' && value[after] <= '9'; ++after) {
            number += (value[after] - '0') * scale;
            scale /= 10;
        }
    }
    *percent = after < value.size() && value[after] == '%';
    return number;
}

// --- Coverage -------------------------------------------------------------

struct Span {
    int begin = 0;  // columns [begin, end) of one row
    int end = 0;
};

// Moves the ends of [a, b) to the first and last pixel centre of the row
// that the area holds, as AreaContains decides. The estimate is at most a
// pixel or two off; `floor` and `ceiling` bound the search.
Span Refine(const AreaTag& area, double cy, int a, int b, int floor, int ceiling) {
    auto in = [&](int x) { return AreaContains(area, x + 0.5, cy); };
    a = std::clamp(a, floor, ceiling);
    b = std::clamp(b, a, ceiling);
    while (a > floor && in(a - 1)) --a;
    while (a < b && !in(a)) ++a;
    while (b < ceiling && in(b)) ++b;
    while (b > a && !in(b - 1)) --b;
    return {a, b};
}

int Lower(double x) {
    if (std::isnan(x)) return -1;
    return static_cast<int>(std::clamp(std::ceil(x - 0.5), -1.0, 2147483000.0));
}
int Upper(double x) {
    if (std::isnan(x)) return 2147483000;
    return static_cast<int>(std::clamp(std::floor(x - 0.5) + 1, -1.0, 2147483000.0));
}

// The pixels of row y (centres at y + 0.5) of a picture `width` wide that a
// valid area holds, as sorted, separate spans.
void RowSpans(const AreaTag& area, int y, int width, std::vector<double>& crossings,
              std::vector<Span>& out) {
    out.clear();
    const double cy = y + 0.5;
    const std::vector<double>& c = area.coords;
    auto add = [&](double from, double to) {
        const Span s = Refine(area, cy, Lower(from), Upper(to), 0, width);
        if (s.begin < s.end) out.push_back(s);
    };
    switch (area.shape) {
        case AreaShape::kDefault:
            out.push_back({0, width});
            return;
        case AreaShape::kRect: {
            const double top = std::min(c[1], c[3]), bottom = std::max(c[1], c[3]);
            if (cy < top || cy > bottom) return;
            add(std::min(c[0], c[2]), std::max(c[0], c[2]));
            return;
        }
        case AreaShape::kCircle: {
            const double dy = cy - c[1];
            if (std::fabs(dy) > c[2]) return;
            // In long double: squares of coordinates near a double's limit.
            const long double r = c[2], d = dy;
            const double half = double(std::sqrt(std::max(0.0L, r * r - d * d)));
            add(c[0] - half, c[0] + half);
            return;
        }
        case AreaShape::kPoly:
            break;
    }
    // A polygon: the even-odd spans between the crossings of the row, then
    // what lies on the row itself (corners and edges along it count as
    // inside), each end settled by the hit test.
    const size_t count = c.size() / 2;
    crossings.clear();
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = c[2 * i], yi = c[2 * i + 1], xj = c[2 * j], yj = c[2 * j + 1];
        if ((yi > cy) != (yj > cy))
            crossings.push_back(
                double(xi + (cy - yi) * ((long double)xj - xi) / ((long double)yj - yi)));
    }
    std::sort(crossings.begin(), crossings.end());
    for (size_t k = 0; k + 1 < crossings.size(); k += 2) add(crossings[k], crossings[k + 1]);
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        if (c[2 * i + 1] != cy) continue;
        add(c[2 * i], c[2 * i]);
        if (c[2 * j + 1] == cy) add(std::min(c[2 * i], c[2 * j]), std::max(c[2 * i], c[2 * j]));
    }
    if (out.size() < 2) return;
    std::sort(out.begin(), out.end(), [](Span a, Span b) { return a.begin < b.begin; });
    size_t kept = 0;
    for (size_t i = 1; i < out.size(); ++i) {
        if (out[i].begin <= out[kept].end)
            out[kept].end = std::max(out[kept].end, out[i].end);
        else
            out[++kept] = out[i];
    }
    out.resize(kept + 1);
}

struct Run {
    int begin = 0;
    int end = 0;
    int owner = 0;
};

struct Coverage {
    std::vector<int64_t> inside;  // pixel centres each area holds
    std::vector<int64_t> picked;  // where a browser picks it
    // For each area, the areas picked on some of its pixels: the first
    // kMaxHiders of them, so that a hostile map of areas stacked on each
    // other stays linear.
    std::vector<std::vector<int>> hiddenBy;
};

constexpr size_t kMaxHiders = 16;

// The coverage of one map's areas on a picture: row by row, each area in the
// order a browser tries them (others first, then default areas) claims the
// pixels no area before it holds.
Coverage Cover(const std::vector<const AreaTag*>& areas, int width, int height) {
    const size_t n = areas.size();
    Coverage cover;
    cover.inside.assign(n, 0);
    cover.picked.assign(n, 0);
    cover.hiddenBy.assign(n, {});
    std::vector<size_t> order;
    std::vector<int> top(n, 0), bottom(n, 0);  // rows [top, bottom)
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = 0; k < n; ++k) {
            const AreaTag& a = *areas[k];
            if (!a.valid || (a.shape == AreaShape::kDefault) != (pass == 1)) continue;
            order.push_back(k);
            double lo = 0, hi = height;
            const std::vector<double>& c = a.coords;
            if (a.shape == AreaShape::kRect) {
                lo = std::min(c[1], c[3]);
                hi = std::max(c[1], c[3]);
            } else if (a.shape == AreaShape::kCircle) {
                lo = c[1] - c[2];
                hi = c[1] + c[2];
            } else if (a.shape == AreaShape::kPoly) {
                lo = hi = c[1];
                for (size_t i = 1; i < c.size() / 2; ++i) {
                    lo = std::min(lo, c[2 * i + 1]);
                    hi = std::max(hi, c[2 * i + 1]);
                }
            }
            top[k] = std::clamp(Lower(lo) - 1, 0, height);
            bottom[k] = std::clamp(Upper(hi) + 1, top[k], height);
        }
    }
    std::vector<Run> runs, merged;
    std::vector<std::pair<Run, size_t>> gaps;  // a new run, and the run it goes before
    std::vector<Span> spans;
    std::vector<double> crossings;
    // The areas that reach each row, in the order a browser tries them: a
    // sweep, so that a map of many small areas costs what its areas hold.
    std::vector<size_t> byTop(order.size());
    for (size_t rank = 0; rank < order.size(); ++rank) byTop[rank] = rank;
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](size_t a, size_t b) { return top[order[a]] < top[order[b]]; });
    std::vector<size_t> active;  // ranks
    size_t next = 0;
    for (int y = 0; y < height; ++y) {
        runs.clear();
        const size_t before = active.size();
        while (next < byTop.size() && top[order[byTop[next]]] <= y) active.push_back(byTop[next++]);
        if (active.size() != before) std::sort(active.begin(), active.end());
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](size_t rank) { return bottom[order[rank]] <= y; }),
                     active.end());
        for (const size_t rank : active) {
            const size_t k = order[rank];
            RowSpans(*areas[k], y, width, crossings, spans);
            if (spans.empty()) continue;
            // The pixels of the spans that no run holds yet become runs of
            // this area; the runs they meet hide it there.
            gaps.clear();
            std::vector<int>& by = cover.hiddenBy[k];
            for (const Span& s : spans) {
                cover.inside[k] += s.end - s.begin;
                size_t r =
                    size_t(std::upper_bound(runs.begin(), runs.end(), s.begin,
                                            [](int x, const Run& run) { return x < run.end; }) -
                           runs.begin());
                int x = s.begin;
                for (; x < s.end && r < runs.size() && runs[r].begin < s.end; ++r) {
                    if (runs[r].begin > x) gaps.push_back({{x, runs[r].begin, int(k)}, r});
                    if (by.size() < kMaxHiders &&
                        std::find(by.begin(), by.end(), runs[r].owner) == by.end())
                        by.push_back(runs[r].owner);
                    x = std::max(x, runs[r].end);
                }
                if (x < s.end) gaps.push_back({{x, s.end, int(k)}, r});
            }
            if (gaps.empty()) continue;
            merged.clear();
            size_t g = 0;
            for (size_t r = 0; r <= runs.size(); ++r) {
                for (; g < gaps.size() && gaps[g].second == r; ++g) {
                    merged.push_back(gaps[g].first);
                    cover.picked[k] += gaps[g].first.end - gaps[g].first.begin;
                }
                if (r < runs.size()) merged.push_back(runs[r]);
            }
            runs.swap(merged);
        }
    }
    return cover;
}

bool WhollyOutside(const AreaTag& a, int width, int height) {
    const std::vector<double>& c = a.coords;
    double left = 0, top = 0, right = 0, bottom = 0;
    switch (a.shape) {
        case AreaShape::kDefault:
            return false;
        case AreaShape::kRect:
            left = std::min(c[0], c[2]);
            right = std::max(c[0], c[2]);
            top = std::min(c[1], c[3]);
            bottom = std::max(c[1], c[3]);
            break;
        case AreaShape::kCircle:
            left = c[0] - c[2];
            right = c[0] + c[2];
            top = c[1] - c[2];
            bottom = c[1] + c[2];
            break;
        case AreaShape::kPoly:
            left = right = c[0];
            top = bottom = c[1];
            for (size_t i = 1; i < c.size() / 2; ++i) {
                left = std::min(left, c[2 * i]);
                right = std::max(right, c[2 * i]);
                top = std::min(top, c[2 * i + 1]);
                bottom = std::max(bottom, c[2 * i + 1]);
            }
            break;
    }
    return right <= 0 || bottom <= 0 || left >= width || top >= height;
}

bool ReachesOutside(const AreaTag& a, int width, int height) {
    const std::vector<double>& c = a.coords;
    switch (a.shape) {
        case AreaShape::kDefault:
            return false;
        case AreaShape::kCircle:
            return c[0] - c[2] < 0 || c[1] - c[2] < 0 || c[0] + c[2] > width ||
                   c[1] + c[2] > height;
        case AreaShape::kRect:
        case AreaShape::kPoly: {
            const size_t pairs = a.shape == AreaShape::kRect ? 2 : c.size() / 2;
            for (size_t i = 0; i < pairs; ++i)
                if (c[2 * i] < 0 || c[2 * i + 1] < 0 || c[2 * i] > width || c[2 * i + 1] > height)
                    return true;
            return false;
        }
    }
    return false;
}

const char* InvalidReason(const AreaTag& a) {
    switch (a.shape) {
        case AreaShape::kRect:
            return "a rectangle needs 4 coordinates";
        case AreaShape::kCircle:
            return a.coords.size() < 3 ? "a circle needs 3 coordinates"
                                       : "a circle's radius must be above 0";
        case AreaShape::kPoly:
            return "a polygon needs 3 corners (6 coordinates)";
        case AreaShape::kDefault:
            break;
    }
    return "";
}

class CFindings {
public:
    explicit CFindings(std::vector<MapFinding>& out) : m_out(out) {}
    void Add(size_t offset, CheckSeverity severity, CheckRule rule, std::string message,
             int area = -1) {
        MapFinding f;
        f.offset = offset;
        f.severity = severity;
        f.rule = rule;
        f.message = std::move(message);
        f.area = area;
        m_out.push_back(std::move(f));
    }

    std::vector<MapFinding>& Out() { return m_out; }

private:
    std::vector<MapFinding>& m_out;
};

void CheckAreas(const std::vector<AreaTag>& all, const std::vector<size_t>& members,
                std::string_view text, PictureSize picture, std::optional<DisplayScale> scale,
                CFindings& add) {
    std::vector<const AreaTag*> areas;
    for (const size_t i : members) areas.push_back(&all[i]);
    const size_t n = areas.size();
    struct AltUse {
        const AreaTag* first = nullptr;
        const AreaTag* second = nullptr;  // the first that links elsewhere
    };
    std::unordered_map<std::string, AltUse> alts;
    for (size_t k = 0; k < n; ++k) {
        const AreaTag& a = *areas[k];
        const size_t at = a.tag.begin;
        const int index = static_cast<int>(members[k]);
        StartTag tag;
        ReadStartTagAt(text, at, tag);
        if (!a.valid)
            add.Add(at, CheckSeverity::kError, CheckRule::kInvalidArea,
                    std::string("a browser ignores this area: ") + InvalidReason(a), index);
        CheckAreaTag(text, tag, a, index, scale, add.Out());
        if (a.hasHref && IsScriptLink(a.href))
            add.Add(at, CheckSeverity::kWarning, CheckRule::kScriptHref,
                    "a javascript: link is lost to keyboard and no-script users", index);
        if (a.hasHref && a.hasAlt && !IsBlankText(a.alt)) {
            // Per text, its first link and the first area that links
            // elsewhere: one of them differs from any later link.
            AltUse& use = alts[Trimmed(a.alt)];
            const AreaTag* other = nullptr;
            if (!use.first) {
                use.first = &a;
            } else if (use.first->href != a.href) {
                other = use.first;
                if (!use.second) use.second = &a;
            } else {
                other = use.second;
            }
            if (other)
                add.Add(at, CheckSeverity::kWarning, CheckRule::kDuplicateAlt,
                        "the alternative text \"" + Trimmed(a.alt) +
                            "\" is also that of the area at line " + std::to_string(other->line) +
                            ", which links elsewhere",
                        index);
        }
    }
    if (!picture.Known()) return;

    const Coverage cover = Cover(areas, picture.width, picture.height);
    std::vector<std::vector<int>> hiddenBy = cover.hiddenBy;
    const std::string size = SizeText(picture.width, picture.height);
    for (size_t k = 0; k < n; ++k) {
        const AreaTag& a = *areas[k];
        if (!a.valid) continue;
        const size_t at = a.tag.begin;
        const int index = static_cast<int>(members[k]);
        if (cover.inside[k] == 0) {
            if (WhollyOutside(a, picture.width, picture.height))
                add.Add(at, CheckSeverity::kError, CheckRule::kOutsidePicture,
                        "the area lies wholly outside the " + size + " picture", index);
            else
                add.Add(at, CheckSeverity::kError, CheckRule::kEmptyArea,
                        "the area holds no pixel of the picture", index);
            continue;
        }
        if (ReachesOutside(a, picture.width, picture.height))
            add.Add(at, CheckSeverity::kWarning, CheckRule::kOutsidePicture,
                    "part of the area lies outside the " + size + " picture", index);
        std::vector<int>& by = hiddenBy[k];
        std::sort(by.begin(), by.end());
        std::vector<int> lines;
        for (const int owner : by) lines.push_back(areas[size_t(owner)]->line);
        if (cover.picked[k] == 0) {
            add.Add(at, CheckSeverity::kError, CheckRule::kUnreachable,
                    std::string("a browser never picks this area: ") +
                        (lines.size() == 1 ? "the area at line " : "the areas at lines ") +
                        LineList(lines) +
                        (lines.size() == 1 ? " covers all of it" : " cover all of it"),
                    index);
            continue;
        }
        if (a.shape == AreaShape::kDefault) continue;
        for (const int owner : by)
            add.Add(at, CheckSeverity::kWarning, CheckRule::kOverlap,
                    "the area shares pixels with the area at line " +
                        std::to_string(areas[size_t(owner)]->line) +
                        ", which a browser picks there",
                    index);
    }
}

// Line and column of byte offsets, in characters.
class CLineIndex {
public:
    explicit CLineIndex(std::string_view text) : m_text(text) {
        m_starts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') m_starts.push_back(i + 1);
    }
    void Place(MapFinding& f) const {
        const auto it = std::upper_bound(m_starts.begin(), m_starts.end(), f.offset);
        const size_t start = *(it - 1);
        f.line = static_cast<int>(it - m_starts.begin());
        int column = 1;
        for (size_t i = start; i < f.offset && i < m_text.size(); ++i)
            column += (static_cast<unsigned char>(m_text[i]) & 0xC0) != 0x80;
        f.column = column;
    }

private:
    std::string_view m_text;
    std::vector<size_t> m_starts;
};

}  // namespace

void AppendJsonString(std::string_view s, std::string& out) {
    out += '"';
    for (const char c : s) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

std::vector<MapImage> ListMapImages(std::string_view text) {
    const Scan scan = ScanText(text);
    std::vector<MapImage> images;
    int line = 1;
    size_t counted = 0;
    for (const ScannedImage& image : scan.images) {
        line +=
            static_cast<int>(std::count(text.begin() + counted, text.begin() + image.offset, '\n'));
        counted = image.offset;
        images.push_back({image.offset, line, image.source});
    }
    return images;
}

bool FindFirstImageMap(std::string_view text, ImageMapSpan* out) {
    return FindImageMap(text, 0, out);
}

bool FindImageMap(std::string_view text, size_t index, ImageMapSpan* out) {
    const Scan scan = ScanText(text);
    for (const ScannedImage& image : scan.images) {
        std::string name;
        const int map = MapNameOf(image.usemap, &name) ? FindMap(scan, name) : -1;
        if (map < 0 || index-- > 0) continue;
        *out = {image.offset, scan.maps[size_t(map)].begin, scan.maps[size_t(map)].end};
        return true;
    }
    return false;
}

std::vector<MapFinding> CheckMaps(std::string_view text, const std::vector<PictureSize>& pictures) {
    std::vector<PictureLookup> lookups;
    for (const PictureSize size : pictures) lookups.push_back({size, {}});
    return CheckPageMaps(text, lookups);
}

std::vector<MapFinding> CheckPageMaps(std::string_view text,
                                      const std::vector<PictureLookup>& lookups) {
    std::vector<PictureSize> pictures;
    for (const PictureLookup& lookup : lookups) pictures.push_back(lookup.size);
    std::vector<MapFinding> findings;
    CFindings add(findings);
    Scan scan = ScanText(text);
    const CLineIndex lines(text);
    auto lineOf = [&](size_t offset) {
        MapFinding f;
        f.offset = offset;
        lines.Place(f);
        return f.line;
    };

    std::vector<int> mapOfImage(scan.images.size(), -1);
    for (size_t i = 0; i < scan.images.size(); ++i) {
        const ScannedImage& image = scan.images[i];
        CheckImageTag(text, image.tag, findings);
        if (i < lookups.size() && !lookups[i].missing.empty())
            add.Add(image.offset, CheckSeverity::kWarning, CheckRule::kPictureMissing,
                    "the picture \"" + image.source + "\" " + lookups[i].missing +
                        ": the rules that need its size are left out");
        if (!image.hasAlt)
            add.Add(image.offset, CheckSeverity::kError, CheckRule::kImgAlt,
                    "the image uses a map but has no alternative text (alt)");
        std::string name;
        const int map = MapNameOf(image.usemap, &name) ? FindMap(scan, name) : -1;
        if (map < 0) {
            add.Add(image.offset, CheckSeverity::kError, CheckRule::kMissingMap,
                    "usemap \"" + image.usemap + "\" names no map of the page");
        } else {
            mapOfImage[i] = map;
            scan.maps[size_t(map)].images.push_back(i);
        }
        const PictureSize picture = i < pictures.size() ? pictures[i] : PictureSize{};
        if (!picture.Known() || (!image.width && !image.height)) continue;
        bool widthPercent = false, heightPercent = false;
        const double w = image.width ? ParseDimension(image.tag.Value(text, "width"), &widthPercent)
                                     : picture.width;
        const double h = image.height
                             ? ParseDimension(image.tag.Value(text, "height"), &heightPercent)
                             : picture.height;
        const bool widthDiffers = image.width && w >= 0 && (widthPercent || w != picture.width);
        const bool heightDiffers = image.height && h >= 0 && (heightPercent || h != picture.height);
        if (widthDiffers || heightDiffers) {
            std::string shown;
            if (image.width)
                shown += "width=\"" + std::string(image.tag.Value(text, "width")) + "\"";
            if (image.height)
                shown += std::string(shown.empty() ? "" : " ") + "height=\"" +
                         std::string(image.tag.Value(text, "height")) + "\"";
            add.Add(image.offset, CheckSeverity::kWarning, CheckRule::kScaledImage,
                    "the image is shown at " + shown + " but the picture is " +
                        SizeText(picture.width, picture.height) +
                        ": the areas miss their targets unless they are scaled");
        }
    }

    const std::vector<AreaTag> areas = ParseAreas(text);
    for (size_t m = 0; m < scan.maps.size(); ++m) {
        const ScannedMap& map = scan.maps[m];
        const std::string& label = map.hasName ? map.name : map.id;
        for (size_t e = 0; e < m; ++e) {
            const ScannedMap& earlier = scan.maps[e];
            const bool same = (map.hasName && ((earlier.hasName && earlier.name == map.name) ||
                                               (earlier.hasId && earlier.id == map.name))) ||
                              (map.hasId && ((earlier.hasName && earlier.name == map.id) ||
                                             (earlier.hasId && earlier.id == map.id)));
            if (same) {
                add.Add(map.begin, CheckSeverity::kWarning, CheckRule::kDuplicateMap,
                        "a map named \"" + label + "\" comes before it at line " +
                            std::to_string(lineOf(earlier.begin)) + "; images use that one");
                break;
            }
        }
        if (map.images.size() > 1) {
            std::vector<int> users;
            for (const size_t i : map.images) users.push_back(lineOf(scan.images[i].offset));
            add.Add(map.begin, CheckSeverity::kWarning, CheckRule::kSharedMap,
                    "the map \"" + label + "\" is used by " + std::to_string(users.size()) +
                        " images (lines " + LineList(users) + "): keyboard order breaks");
        }
        std::vector<size_t> members;
        for (size_t i = 0; i < areas.size(); ++i)
            if (areas[i].tag.begin > map.begin && areas[i].tag.end <= map.end) members.push_back(i);
        const PictureSize picture = !map.images.empty() && map.images[0] < pictures.size()
                                        ? pictures[map.images[0]]
                                        : PictureSize{};
        StartTag mapTag;
        if (ReadStartTagAt(text, map.begin, mapTag)) CheckMapTag(text, mapTag, findings);
        const std::optional<DisplayScale> scale =
            map.images.empty() ? std::nullopt
                               : ScaleOfImage(text, scan.images[map.images[0]].tag, picture);
        CheckAreas(areas, members, text, picture, scale, add);
    }
    CheckDuplicateIds(text, findings);

    for (MapFinding& f : findings) {
        lines.Place(f);
        StartTag tag;
        f.end = ReadStartTagAt(text, f.offset, tag) ? tag.range.end : f.offset;
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const MapFinding& a, const MapFinding& b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    return findings;
}

std::vector<std::vector<size_t>> AreasPickedOver(const std::vector<const AreaTag*>& areas,
                                                 PictureSize picture) {
    std::vector<std::vector<size_t>> over(areas.size());
    if (!picture.Known()) return over;
    const Coverage cover = Cover(areas, picture.width, picture.height);
    for (size_t k = 0; k < areas.size(); ++k) {
        for (const int by : cover.hiddenBy[k]) over[k].push_back(size_t(by));
        std::sort(over[k].begin(), over[k].end());
    }
    return over;
}

std::vector<std::vector<size_t>> FindingsPerArea(const std::vector<MapFinding>& findings,
                                                 size_t areaCount) {
    std::vector<std::vector<size_t>> per(areaCount);
    for (size_t i = 0; i < findings.size(); ++i)
        if (findings[i].area >= 0 && size_t(findings[i].area) < areaCount)
            per[size_t(findings[i].area)].push_back(i);
    return per;
}

void DropRules(std::vector<MapFinding>& findings, const std::vector<CheckRule>& rules) {
    std::erase_if(findings, [&rules](const MapFinding& f) {
        return std::find(rules.begin(), rules.end(), f.rule) != rules.end();
    });
}

std::string FormatFindingsText(const std::vector<MapFinding>& findings, std::string_view file) {
    std::string out;
    for (const MapFinding& f : findings) {
        out.append(file);
        out += ':' + std::to_string(f.line) + ':' + std::to_string(f.column) + ": " +
               SeverityName(f.severity) + ": " + f.message + " [" + RuleId(f.rule) + "]\n";
    }
    return out;
}

void AppendFindingJson(const MapFinding& f, std::string_view file, std::string& out) {
    out += "{\"file\": ";
    AppendJsonString(file, out);
    out += ", \"line\": " + std::to_string(f.line) + ", \"column\": " + std::to_string(f.column) +
           ", \"severity\": \"" + SeverityName(f.severity) + "\", \"rule\": \"" + RuleId(f.rule) +
           "\", \"message\": ";
    AppendJsonString(f.message, out);
    out += '}';
}

std::string FormatFindingsJson(const std::vector<MapFinding>& findings, std::string_view file) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        AppendFindingJson(findings[i], file, out);
    }
    out += findings.empty() ? "]\n" : "\n]\n";
    return out;
}
