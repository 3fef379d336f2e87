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
#include "markup/map_check_scan.h"
#include "markup/tag_rules.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsAsciiSpace(text[b])) ++b;
    while (e > b && IsAsciiSpace(text[e - 1])) --e;
    return text.substr(b, e - b);
}

// A browser drops leading and trailing C0 controls and spaces from a URL,
// and tabs and line breaks anywhere, before it looks at the scheme.
bool IsScriptLink(std::string_view href) {
    constexpr std::string_view kScheme = "javascript:";
    size_t matched = 0;
    for (const char c : href) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        if (matched == 0 && static_cast<unsigned char>(c) <= 0x20) continue;
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kScheme[matched]) return false;
        if (++matched == kScheme.size()) return true;
    }
    return false;
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
    // The line of an offset at or after the start of `line`: a step or two
    // for offsets taken in ascending order.
    int LineFrom(size_t offset, int line) const {
        for (int steps = 0; size_t(line) < m_starts.size() && m_starts[size_t(line)] <= offset;
             ++line)
            if (++steps > 8) return LineOf(offset);
        return line;
    }
    void Place(MapFinding& f) {
        const bool after = m_line > 0 && f.offset >= m_starts[size_t(m_line) - 1];
        f.line = m_line = after ? LineFrom(f.offset, m_line) : LineOf(f.offset);
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
    int m_line = 0;  // of the last offset placed
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

// Why a browser ignores an area (a default area is never ignored).
CheckText InvalidReason(const AreaTag& a) {
    switch (a.shape) {
        case AreaShape::kCircle:
            return a.coords.size() < 3 ? CheckText::kInvalidCircle : CheckText::kInvalidRadius;
        case AreaShape::kPoly:
            return CheckText::kInvalidPoly;
        default:
            return CheckText::kInvalidRect;
    }
}

// Findings handed on in the order of their offset (those of one offset in
// the order they were added) once nothing can come before them, each placed
// (line, column, the tag's end) on the way. duplicate-id, which runs over
// the whole text, is told as far as what is handed on.
class COrderedFindings {
public:
    COrderedFindings(std::string_view text, CLineIndex& lines, const PageScan& scan,
                     const FindingSink& sink)
        : m_text(text),
          m_lines(lines),
          m_areas(scan.areas),
          m_repeatedIds(scan.repeatedIds),
          m_told(scan.areas.size() * AllCheckRules().size(), 0),
          m_sink(sink) {}

    void Add(size_t offset, CheckText text, std::vector<std::string> args = {}, int area = -1) {
        Push(MakeFinding(offset, text, std::move(args), area));
    }
    // Takes the findings of the tag rules.
    void Take(std::vector<MapFinding>& found) {
        for (MapFinding& f : found) Push(std::move(f));
        found.clear();
    }
    // Hands on every finding before `before`: nothing added later may come
    // before it.
    void Release(size_t before) {
        for (; m_nextId < m_repeatedIds.size() && m_repeatedIds[m_nextId].offset < before;
             ++m_nextId) {
            const RepeatedId& again = m_repeatedIds[m_nextId];
            Add(again.offset, CheckText::kDuplicateId,
                {*again.id, again.firstIsMap ? "map" : "area",
                 std::to_string(m_lines.LineOf(again.first))});
        }
        while (!m_heap.empty() && m_heap.front().f.offset < before) {
            std::pop_heap(m_heap.begin(), m_heap.end(), Later);
            MapFinding f = std::move(m_heap.back().f);
            m_heap.pop_back();
            Hand(std::move(f));
        }
    }
    std::vector<MapFinding>& Scratch() { return m_found; }
    size_t MostHeld() const { return m_mostHeld; }

private:
    struct Held {
        MapFinding f;
        uint64_t order = 0;
    };
    static bool Later(const Held& a, const Held& b) {
        return a.f.offset != b.f.offset ? a.f.offset > b.f.offset : a.order > b.order;
    }
    void Push(MapFinding&& f) {
        m_heap.push_back({std::move(f), m_added++});
        std::push_heap(m_heap.begin(), m_heap.end(), Later);
        m_mostHeld = std::max(m_mostHeld, m_heap.size());
    }
    void Hand(MapFinding&& f) {
        if (f.area >= 0) {
            uint8_t& told = m_told[size_t(f.area) * AllCheckRules().size() + size_t(f.rule)];
            if (told >= kMaxFindingsOfOneRule) return;
            ++told;
        }
        m_lines.Place(f);
        if (f.area >= 0)
            m_lastEnd = m_areas[size_t(f.area)].tag.end;
        else if (f.offset != m_lastOffset)
            m_lastEnd = ReadStartTagAt(m_text, f.offset, m_tag) ? m_tag.range.end : f.offset;
        m_lastOffset = f.offset;
        f.end = m_lastEnd;
        m_sink(std::move(f));
    }

    std::string_view m_text;
    CLineIndex& m_lines;
    const std::vector<AreaTag>& m_areas;
    const std::vector<RepeatedId>& m_repeatedIds;
    size_t m_nextId = 0;  // the first of them not yet told
    std::vector<Held> m_heap;
    uint64_t m_added = 0;
    std::vector<uint8_t> m_told;  // findings handed on per area and rule
    const FindingSink& m_sink;
    std::vector<MapFinding> m_found;
    StartTag m_tag;
    size_t m_lastOffset = std::string_view::npos;
    size_t m_lastEnd = 0;
    size_t m_mostHeld = 0;
};

// Per alternative text of a map's links: its first link and the first area
// that links elsewhere; one of them differs from any later link.
struct AltUse {
    const AreaTag* first = nullptr;
    const AreaTag* second = nullptr;
};

// The check of one page: images and maps in the order of the text, each
// map's areas in turn, the findings handed on as soon as they are final.
class CPageCheck {
public:
    CPageCheck(std::string_view text, const std::vector<PictureLookup>& lookups,
               const FindingSink& sink)
        : m_text(text),
          m_lookups(lookups),
          m_scan(ScanPage(text, true)),
          m_lines(text),
          m_areas(m_scan.areas),
          m_out(text, m_lines, m_scan, sink) {
        int line = 1;
        m_areaLines.reserve(m_areas.size());
        for (const AreaTag& a : m_areas)
            m_areaLines.push_back(line = m_lines.LineFrom(a.tag.begin, line));
    }
    // Answers the most findings held at once.
    size_t Run();

private:
    PictureSize PictureOf(size_t image) const {
        return image < m_lookups.size() ? m_lookups[image].size : PictureSize{};
    }
    // Hands on every finding before `before`, the images before it checked.
    void Advance(size_t before);
    void CheckImage(size_t i);
    void CheckScale(const ScannedImage& image, PictureSize picture);
    // `next`: where the next map begins.
    void CheckMap(size_t m, size_t next);
    void CheckAreas(const std::vector<size_t>& members, PictureSize picture,
                    std::optional<DisplayScale> scale, size_t next);
    void CheckArea(const AreaTag& a, int index, std::optional<DisplayScale> scale);
    void CheckAlt(const AreaTag& a, int index);
    void CheckCoverage(const std::vector<size_t>& members, size_t k, Coverage& cover,
                       PictureSize picture);

    std::string_view m_text;
    const std::vector<PictureLookup>& m_lookups;
    PageScan m_scan;
    CLineIndex m_lines;
    const std::vector<AreaTag>& m_areas;
    std::vector<int> m_areaLines;  // the line of each area, as findings count lines
    COrderedFindings m_out;
    StartTag m_tag;  // the area tag being checked
    // Per alternative text of the map's links (views of the areas' alt).
    std::unordered_map<std::string_view, AltUse> m_alts;
    std::vector<int> m_hiderLines;
    size_t m_image = 0;  // the first image not yet checked
};

size_t CPageCheck::Run() {
    for (size_t i = 0; i < m_scan.images.size(); ++i) {
        std::string name;
        const int map = MapNameOf(m_scan.images[i].usemap, &name) ? FindMap(m_scan, name) : -1;
        if (map >= 0) m_scan.maps[size_t(map)].images.push_back(i);
    }
    // Maps in the order of the text, the images checked as the findings
    // handed on pass them.
    const std::vector<ScannedMap>& maps = m_scan.maps;
    for (size_t m = 0; m < maps.size(); ++m) {
        Advance(maps[m].begin);
        CheckMap(m, m + 1 < maps.size() ? maps[m + 1].begin : SIZE_MAX);
    }
    Advance(SIZE_MAX);
    return m_out.MostHeld();
}

void CPageCheck::Advance(size_t before) {
    for (; m_image < m_scan.images.size() && m_scan.images[m_image].offset < before; ++m_image)
        CheckImage(m_image);
    m_out.Release(before);
}

void CPageCheck::CheckImage(size_t i) {
    const ScannedImage& image = m_scan.images[i];
    CheckImageTag(m_text, image.tag, m_out.Scratch());
    m_out.Take(m_out.Scratch());
    if (i < m_lookups.size() && !m_lookups[i].missing.empty())
        m_out.Add(image.offset, CheckText::kPictureNotHad, {image.source, m_lookups[i].missing});
    if (!image.hasAlt) m_out.Add(image.offset, CheckText::kImgAlt);
    std::string name;
    if (!MapNameOf(image.usemap, &name) || FindMap(m_scan, name) < 0)
        m_out.Add(image.offset, CheckText::kMissingMap, {image.usemap});
    const PictureSize picture = PictureOf(i);
    if (picture.Known() && (image.width || image.height)) CheckScale(image, picture);
}

void CPageCheck::CheckScale(const ScannedImage& image, PictureSize picture) {
    bool widthPercent = false, heightPercent = false;
    const std::string_view width = image.tag.Value(m_text, "width");
    const std::string_view height = image.tag.Value(m_text, "height");
    const double w = image.width ? ParseDimension(width, &widthPercent) : picture.width;
    const double h = image.height ? ParseDimension(height, &heightPercent) : picture.height;
    const bool widthDiffers = image.width && w >= 0 && (widthPercent || w != picture.width);
    const bool heightDiffers = image.height && h >= 0 && (heightPercent || h != picture.height);
    if (!widthDiffers && !heightDiffers) return;
    std::string shown;
    if (image.width) shown += "width=\"" + std::string(width) + "\"";
    if (image.height)
        shown += std::string(shown.empty() ? "" : " ") + "height=\"" + std::string(height) + "\"";
    m_out.Add(image.offset, CheckText::kScaledImage,
              {shown, SizeText(picture.width, picture.height)});
}

void CPageCheck::CheckMap(size_t m, size_t next) {
    const ScannedMap& map = m_scan.maps[m];
    const std::string& label = map.hasName ? map.name : map.id;
    // The earliest map with this one's name or id as its name or id.
    size_t earlier = m;
    if (map.hasName) earlier = std::min(earlier, m_scan.firstNamed.at(map.name));
    if (map.hasId) earlier = std::min(earlier, m_scan.firstNamed.at(map.id));
    if (earlier < m)
        m_out.Add(map.begin, CheckText::kDuplicateMap,
                  {label, std::to_string(m_lines.LineOf(m_scan.maps[earlier].begin))});
    if (map.images.size() > 1) {
        std::vector<int> users;
        for (const size_t i : map.images) users.push_back(m_lines.LineOf(m_scan.images[i].offset));
        m_out.Add(map.begin, CheckText::kSharedMap,
                  {label, std::to_string(users.size()), LineList(users)});
    }
    StartTag mapTag;
    if (ReadStartTagAt(m_text, map.begin, mapTag)) CheckMapTag(m_text, mapTag, m_out.Scratch());
    m_out.Take(m_out.Scratch());
    // The areas inside the map: those that start after its tag, up to its
    // end (areas come in document order).
    std::vector<size_t> members;
    auto i = std::upper_bound(m_areas.begin(), m_areas.end(), map.begin,
                              [](size_t at, const AreaTag& a) { return at < a.tag.begin; });
    for (; i != m_areas.end() && i->tag.begin < map.end; ++i)
        if (i->tag.end <= map.end) members.push_back(size_t(i - m_areas.begin()));
    const PictureSize picture = map.images.empty() ? PictureSize{} : PictureOf(map.images[0]);
    const std::optional<DisplayScale> scale =
        map.images.empty() ? std::nullopt
                           : ScaleOfImage(m_text, m_scan.images[map.images[0]].tag, picture);
    CheckAreas(members, picture, scale, next);
}

void CPageCheck::CheckAreas(const std::vector<size_t>& members, PictureSize picture,
                            std::optional<DisplayScale> scale, size_t next) {
    std::optional<Coverage> cover;
    if (picture.Known()) {
        std::vector<const AreaTag*> areas;
        for (const size_t i : members) areas.push_back(&m_areas[i]);
        cover = Cover(areas, picture.width, picture.height);
    }
    m_alts.clear();
    m_alts.reserve(members.size());
    for (size_t k = 0; k < members.size(); ++k) {
        CheckArea(m_areas[members[k]], int(members[k]), scale);
        if (cover) CheckCoverage(members, k, *cover, picture);
        Advance(k + 1 < members.size() ? std::min(next, m_areas[members[k + 1]].tag.begin) : next);
    }
}

void CPageCheck::CheckArea(const AreaTag& a, int index, std::optional<DisplayScale> scale) {
    const size_t at = a.tag.begin;
    ReadStartTagAt(m_text, at, m_tag);
    if (!a.valid) m_out.Add(at, InvalidReason(a), {}, index);
    CheckAreaTag(m_text, m_tag, a, index, scale, m_out.Scratch());
    m_out.Take(m_out.Scratch());
    if (a.hasHref && IsScriptLink(a.href)) m_out.Add(at, CheckText::kScriptHref, {}, index);
    if (a.hasHref && a.hasAlt && !IsBlankText(a.alt)) CheckAlt(a, index);
}

// duplicate-alt: a link's text that an earlier link to elsewhere has.
void CPageCheck::CheckAlt(const AreaTag& a, int index) {
    AltUse& use = m_alts[Trimmed(a.alt)];
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
        m_out.Add(
            a.tag.begin, CheckText::kDuplicateAlt,
            {std::string(Trimmed(a.alt)), std::to_string(m_areaLines[size_t(other - &m_areas[0])])},
            index);
}

void CPageCheck::CheckCoverage(const std::vector<size_t>& members, size_t k, Coverage& cover,
                               PictureSize picture) {
    const AreaTag& a = m_areas[members[k]];
    if (!a.valid) return;
    const size_t at = a.tag.begin;
    const int index = int(members[k]);
    if (cover.inside[k] == 0) {
        if (WhollyOutside(a, picture.width, picture.height))
            m_out.Add(at, CheckText::kWhollyOutside, {SizeText(picture.width, picture.height)},
                      index);
        else
            m_out.Add(at, CheckText::kEmptyArea, {}, index);
        return;
    }
    if (ReachesOutside(a, picture.width, picture.height))
        m_out.Add(at, CheckText::kPartOutside, {SizeText(picture.width, picture.height)}, index);
    std::vector<int>& by = cover.hiddenBy[k];
    std::sort(by.begin(), by.end());
    m_hiderLines.clear();
    for (const int owner : by) m_hiderLines.push_back(m_areaLines[members[size_t(owner)]]);
    if (cover.picked[k] == 0) {
        m_out.Add(
            at,
            m_hiderLines.size() == 1 ? CheckText::kUnreachableByOne : CheckText::kUnreachableByMany,
            {LineList(m_hiderLines)}, index);
        return;
    }
    if (a.shape == AreaShape::kDefault) return;
    for (const int line : m_hiderLines)
        m_out.Add(at, CheckText::kOverlap, {std::to_string(line)}, index);
}

}  // namespace

std::vector<MapImage> ListMapImages(std::string_view text) {
    const PageScan scan = ScanPage(text, false);
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
    const PageScan scan = ScanPage(text, false);
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
    std::vector<MapFinding> findings;
    CheckPageMaps(text, lookups, [&findings](MapFinding&& f) { findings.push_back(std::move(f)); });
    return findings;
}

MapFinding MakeFinding(size_t offset, CheckText text, std::vector<std::string> args, int area) {
    const CheckTextInfo& info = TextInfo(text);
    MapFinding f;
    f.offset = offset;
    f.severity = info.severity;
    f.rule = info.rule;
    f.area = area;
    f.text = text;
    f.args = std::move(args);
    return f;
}

std::string EnglishMessage(const MapFinding& finding) {
    return FillText(TextInfo(finding.text).english, finding.args);
}

std::string JapaneseMessage(const MapFinding& finding) {
    return FillText(TextInfo(finding.text).japanese, finding.args);
}

size_t CheckPageMaps(std::string_view text, const std::vector<PictureLookup>& lookups,
                     const FindingSink& sink) {
    return CPageCheck(text, lookups, sink).Run();
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
