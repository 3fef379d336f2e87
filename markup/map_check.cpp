// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/map_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

#include "markup/area_coverage.h"
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
    // Each name or id: the first map that has it.
    std::unordered_map<std::string, size_t> firstNamed;
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
    for (size_t k = 0; k < scan.maps.size(); ++k) {
        const ScannedMap& map = scan.maps[k];
        if (map.hasName) scan.firstNamed.emplace(map.name, k);
        if (map.hasId) scan.firstNamed.emplace(map.id, k);
    }
    for (ScannedImage& image : scan.images) {
        image.width = image.tag.Find("width");
        image.height = image.tag.Find("height");
    }
    return scan;
}

// The first map whose name or id is `name`; -1 when there is none.
int FindMap(const Scan& scan, const std::string& name) {
    const auto found = scan.firstNamed.find(name);
    return found == scan.firstNamed.end() ? -1 : static_cast<int>(found->second);
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

// --- Rules -------------------------------------------------------------

// Line and column of byte offsets, in characters. A line ends at LF, CR LF
// or a CR alone. Offsets placed in ascending order cost one pass over the
// text together.
class CLineIndex {
public:
    explicit CLineIndex(std::string_view text) : m_text(text) {
        m_starts.push_back(0);
        for (size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n' ||
                (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
                m_starts.push_back(i + 1);
    }
    int LineOf(size_t offset) const {
        return static_cast<int>(std::upper_bound(m_starts.begin(), m_starts.end(), offset) -
                                m_starts.begin());
    }
    void Place(MapFinding& f) {
        f.line = LineOf(f.offset);
        const size_t start = m_starts[size_t(f.line) - 1];
        const size_t to = std::min(f.offset, m_text.size());
        if (m_at < start || m_at > to) {
            m_at = start;
            m_column = 1;
        }
        for (; m_at < to; ++m_at)
            m_column += (static_cast<unsigned char>(m_text[m_at]) & 0xC0) != 0x80;
        f.column = m_column;
    }

private:
    std::string_view m_text;
    std::vector<size_t> m_starts;
    size_t m_at = 0;  // where the last column was counted to
    int m_column = 1;
};

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
                std::string_view text, const CLineIndex& lines, PictureSize picture,
                std::optional<DisplayScale> scale, CFindings& add) {
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
                            "\" is also that of the area at line " +
                            std::to_string(lines.LineOf(other->tag.begin)) +
                            ", which links elsewhere",
                        index);
        }
    }
    if (!picture.Known()) return;

    const Coverage cover = Cover(areas, picture.width, picture.height);
    std::vector<std::vector<int>> hiddenBy = cover.hiddenBy;
    auto areaLine = [&](int k) { return lines.LineOf(areas[size_t(k)]->tag.begin); };
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
        std::vector<int> hiderLines;
        for (const int owner : by) hiderLines.push_back(areaLine(owner));
        if (cover.picked[k] == 0) {
            add.Add(at, CheckSeverity::kError, CheckRule::kUnreachable,
                    std::string("a browser never picks this area: ") +
                        (hiderLines.size() == 1 ? "the area at line " : "the areas at lines ") +
                        LineList(hiderLines) +
                        (hiderLines.size() == 1 ? " covers all of it" : " cover all of it"),
                    index);
            continue;
        }
        if (a.shape == AreaShape::kDefault) continue;
        for (const int owner : by)
            add.Add(at, CheckSeverity::kWarning, CheckRule::kOverlap,
                    "the area shares pixels with the area at line " +
                        std::to_string(areaLine(owner)) + ", which a browser picks there",
                    index);
    }
}

}  // namespace

std::vector<MapImage> ListMapImages(std::string_view text) {
    const Scan scan = ScanText(text);
    const CLineIndex lines(text);
    std::vector<MapImage> images;
    for (const ScannedImage& image : scan.images)
        images.push_back({image.offset, lines.LineOf(image.offset), image.source});
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
    CLineIndex lines(text);
    auto lineOf = [&](size_t offset) { return lines.LineOf(offset); };

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
        // The earliest map with this one's name or id as its name or id.
        size_t earlier = m;
        if (map.hasName) earlier = std::min(earlier, scan.firstNamed.at(map.name));
        if (map.hasId) earlier = std::min(earlier, scan.firstNamed.at(map.id));
        if (earlier < m)
            add.Add(map.begin, CheckSeverity::kWarning, CheckRule::kDuplicateMap,
                    "a map named \"" + label + "\" comes before it at line " +
                        std::to_string(lineOf(scan.maps[earlier].begin)) + "; images use that one");
        if (map.images.size() > 1) {
            std::vector<int> users;
            for (const size_t i : map.images) users.push_back(lineOf(scan.images[i].offset));
            add.Add(map.begin, CheckSeverity::kWarning, CheckRule::kSharedMap,
                    "the map \"" + label + "\" is used by " + std::to_string(users.size()) +
                        " images (lines " + LineList(users) + "): keyboard order breaks");
        }
        // The areas inside the map: those that start after its tag, up to
        // its end (areas come in document order).
        std::vector<size_t> members;
        auto i = std::upper_bound(areas.begin(), areas.end(), map.begin,
                                  [](size_t at, const AreaTag& a) { return at < a.tag.begin; });
        for (; i != areas.end() && i->tag.begin < map.end; ++i)
            if (i->tag.end <= map.end) members.push_back(size_t(i - areas.begin()));
        const PictureSize picture = !map.images.empty() && map.images[0] < pictures.size()
                                        ? pictures[map.images[0]]
                                        : PictureSize{};
        StartTag mapTag;
        if (ReadStartTagAt(text, map.begin, mapTag)) CheckMapTag(text, mapTag, findings);
        const std::optional<DisplayScale> scale =
            map.images.empty() ? std::nullopt
                               : ScaleOfImage(text, scan.images[map.images[0]].tag, picture);
        CheckAreas(areas, members, text, lines, picture, scale, add);
    }
    CheckDuplicateIds(text, findings);

    std::stable_sort(findings.begin(), findings.end(),
                     [](const MapFinding& a, const MapFinding& b) { return a.offset < b.offset; });
    StartTag tag;
    for (size_t i = 0; i < findings.size(); ++i) {
        MapFinding& f = findings[i];
        lines.Place(f);
        if (i > 0 && findings[i - 1].offset == f.offset)
            f.end = findings[i - 1].end;
        else
            f.end = ReadStartTagAt(text, f.offset, tag) ? tag.range.end : f.offset;
    }
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
