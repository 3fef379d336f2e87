// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/map_check_scan.h"

#include <algorithm>
#include <utility>

namespace {

std::string Decoded(std::string_view text, const StartTag& tag, std::string_view name) {
    return DecodeAttributeValue(tag.Value(text, name));
}

// At least as many as the area tags of the text ("<area" in any case, in
// comments too), and no more than one per 32 bytes: room for the areas
// taken at once, so that a large page's areas are not copied as they grow.
size_t AreaRoom(std::string_view text) {
    size_t count = 0;
    for (size_t lt = text.find('<'); lt != std::string_view::npos; lt = text.find('<', lt + 1))
        if (lt + 5 <= text.size() && (text[lt + 1] | 0x20) == 'a' && (text[lt + 2] | 0x20) == 'r' &&
            (text[lt + 3] | 0x20) == 'e' && (text[lt + 4] | 0x20) == 'a')
            ++count;
    return std::min(count, text.size() / 32);
}

// What one pass over the tags collects; the tags come in the order of the
// text, end tags too.
class CPageScanner {
public:
    CPageScanner(std::string_view text, bool whole) : m_text(text), m_whole(whole) {}
    PageScan Run();

private:
    void OnArea(const StartTag& tag);
    void OnImage(const StartTag& tag);
    void OnMap(const StartTag& tag);
    void OnId(const StartTag& tag);
    void Finish();

    std::string_view m_text;
    bool m_whole;
    PageScan m_scan;
    std::vector<size_t> m_open;  // maps not yet closed, innermost last
    size_t m_counted = 0;        // line breaks are counted up to here
    int m_line = 1;
};

PageScan CPageScanner::Run() {
    if (m_whole) m_scan.areas.reserve(AreaRoom(m_text));
    CHtmlTagScanner scanner(m_text);
    scanner.ReportEndTags();
    StartTag tag;
    size_t inert = 0;  // template elements open: their contents are not part of the page
    while (scanner.Next(tag)) {
        if (tag.name == "template") {
            if (!tag.closing)
                ++inert;
            else if (inert > 0)
                --inert;
            continue;
        }
        if (m_whole && tag.name == "area" && !tag.closing) OnArea(tag);
        if (inert > 0) continue;
        if (tag.name == "img" && !tag.closing && tag.Find("usemap")) OnImage(tag);
        if (tag.name == "map") OnMap(tag);
        if (m_whole && !tag.closing && (tag.name == "map" || tag.name == "area") && tag.Find("id"))
            OnId(tag);
    }
    Finish();
    return std::move(m_scan);
}

void CPageScanner::OnArea(const StartTag& tag) {
    m_line += static_cast<int>(
        std::count(m_text.begin() + long(m_counted), m_text.begin() + long(tag.range.begin), '\n'));
    m_counted = tag.range.begin;
    m_scan.areas.push_back(ReadAreaTag(m_text, tag, m_line));
}

void CPageScanner::OnImage(const StartTag& tag) {
    ScannedImage image;
    image.offset = tag.range.begin;
    image.source = Decoded(m_text, tag, "src");
    image.usemap = Decoded(m_text, tag, "usemap");
    image.hasAlt = tag.Find("alt") != nullptr;
    image.tag = tag;
    m_scan.images.push_back(std::move(image));
}

void CPageScanner::OnMap(const StartTag& tag) {
    if (tag.closing) {
        if (!m_open.empty()) {
            m_scan.maps[m_open.back()].end = tag.range.end;
            m_open.pop_back();
        }
        return;
    }
    ScannedMap map;
    map.begin = tag.range.begin;
    map.hasName = tag.Find("name") != nullptr;
    map.hasId = tag.Find("id") != nullptr;
    map.name = Decoded(m_text, tag, "name");
    map.id = Decoded(m_text, tag, "id");
    m_open.push_back(m_scan.maps.size());
    m_scan.maps.push_back(std::move(map));
}

void CPageScanner::OnId(const StartTag& tag) {
    const bool isMap = tag.name == "map";
    const auto [first, added] =
        m_scan.ids.try_emplace(Decoded(m_text, tag, "id"), tag.range.begin, isMap);
    if (!added)
        m_scan.repeatedIds.push_back(
            {tag.range.begin, first->second.first, &first->first, first->second.second});
}

void CPageScanner::Finish() {
    // A map never closed runs to the end of the text.
    for (const size_t k : m_open) m_scan.maps[k].end = m_text.size();
    for (size_t k = 0; k < m_scan.maps.size(); ++k) {
        const ScannedMap& map = m_scan.maps[k];
        if (map.hasName) m_scan.firstNamed.emplace(map.name, k);
        if (map.hasId) m_scan.firstNamed.emplace(map.id, k);
    }
    // The images' tags have their final place now.
    for (ScannedImage& image : m_scan.images) {
        image.width = image.tag.Find("width");
        image.height = image.tag.Find("height");
    }
}

}  // namespace

PageScan ScanPage(std::string_view text, bool whole) {
    return CPageScanner(text, whole).Run();
}

bool MapNameOf(const std::string& usemap, std::string* name) {
    const size_t hash = usemap.find('#');
    if (hash == std::string::npos || hash + 1 == usemap.size()) return false;
    *name = usemap.substr(hash + 1);
    return true;
}

int FindMap(const PageScan& scan, const std::string& name) {
    const auto found = scan.firstNamed.find(name);
    return found == scan.firstNamed.end() ? -1 : static_cast<int>(found->second);
}
