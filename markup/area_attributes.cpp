// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_attributes.h"

#include <algorithm>
#include <cmath>

#include "markup/html_tags.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool NoEdit(const TextEdit& edit) {
    return edit.removed == 0 && edit.inserted.empty();
}

bool ReadTag(std::string_view text, const AreaTag& area, StartTag& tag) {
    return area.tag.present() && area.tag.begin < text.size() &&
           ReadStartTagAt(text, area.tag.begin, tag) && tag.range.end == area.tag.end;
}

struct Box {
    double left, top, right, bottom;
};

Box BoundsOf(const AreaTag& a) {
    const std::vector<double>& c = a.coords;
    if (a.shape == AreaShape::kCircle) return {c[0] - c[2], c[1] - c[2], c[0] + c[2], c[1] + c[2]};
    const size_t n = a.shape == AreaShape::kRect ? 4 : c.size() / 2 * 2;
    Box box{c[0], c[1], c[0], c[1]};
    for (size_t i = 0; i + 1 < n; i += 2) {
        box.left = std::min(box.left, c[i]);
        box.right = std::max(box.right, c[i]);
        box.top = std::min(box.top, c[i + 1]);
        box.bottom = std::max(box.bottom, c[i + 1]);
    }
    return box;
}

// Whether the two areas share a point, at most `budget` points tested (the
// budget is used up as they are).
bool Overlap(const AreaTag& a, const AreaTag& b, long& budget) {
    const Box p = BoundsOf(a), q = BoundsOf(b);
    const double left = std::max(p.left, q.left), right = std::min(p.right, q.right);
    const double top = std::max(p.top, q.top), bottom = std::min(p.bottom, q.bottom);
    if (!(left < right && top < bottom)) return false;
    constexpr double kMaxCells = 64;
    const double w = right - left, h = bottom - top;
    if (!std::isfinite(w) || !std::isfinite(h)) return false;
    const int cols = static_cast<int>(std::clamp(std::ceil(w), 1.0, kMaxCells));
    const int rows = static_cast<int>(std::clamp(std::ceil(h), 1.0, kMaxCells));
    for (int r = 0; r < rows; ++r) {
        const double y = top + (r + 0.5) * h / rows;
        for (int k = 0; k < cols; ++k) {
            const double x = left + (k + 0.5) * w / cols;
            if (--budget < 0) return false;
            if (AreaContains(a, x, y) && AreaContains(b, x, y)) return true;
        }
    }
    return false;
}

}  // namespace

TextEdit RemoveAttributeEdit(std::string_view text, const StartTag& tag, std::string_view name) {
    const TagAttribute* attr = tag.Find(name);
    if (!attr) return {tag.range.begin, 0, {}};
    size_t begin = attr->nameRange.begin;
    while (begin > tag.range.begin && IsSpace(text[begin - 1])) --begin;
    size_t end = attr->nameRange.end;
    if (attr->value.present()) end = attr->value.end + (attr->quote ? 1 : 0);
    return {begin, end - begin, {}};
}

std::vector<NamedValue> ReadAreaAttributes(std::string_view text, const AreaTag& area) {
    StartTag tag;
    std::vector<NamedValue> out;
    if (!ReadTag(text, area, tag)) return out;
    for (const TagAttribute& attr : tag.attributes) {
        std::string value;
        if (attr.value.present())
            value = DecodeAttributeValue(
                text.substr(attr.value.begin, attr.value.end - attr.value.begin));
        out.push_back({attr.name, std::move(value)});
    }
    return out;
}

std::string& MoreAttribute(AreaLink& link, size_t index) {
    std::string* fields[] = {&link.title, &link.target, &link.id, &link.className, &link.rel};
    return *fields[std::min<size_t>(index, 4)];
}

const std::string& MoreAttribute(const AreaLink& link, size_t index) {
    return MoreAttribute(const_cast<AreaLink&>(link), index);
}

AreaLink AreaLinkOf(std::string_view text, const AreaTag& area) {
    AreaLink link;
    link.href = area.href;
    link.alt = area.alt;
    for (const NamedValue& attr : ReadAreaAttributes(text, area))
        for (size_t i = 0; i < std::size(kMoreAttributeNames); ++i)
            if (attr.name == kMoreAttributeNames[i]) MoreAttribute(link, i) = attr.value;
    return link;
}

std::string WithMoreAttributes(const std::string& line, const AreaLink& link) {
    const size_t close = line.rfind('>');
    if (close == std::string::npos) return line;
    const bool upper = line.size() > 1 && line[1] >= 'A' && line[1] <= 'Z';
    std::string added;
    for (size_t i = 0; i < std::size(kMoreAttributeNames); ++i) {
        const std::string& value = MoreAttribute(link, i);
        if (value.empty()) continue;
        std::string name = kMoreAttributeNames[i];
        if (upper)
            for (char& c : name) c = static_cast<char>(c - 'a' + 'A');
        added += " " + name + "=\"" + QuoteAttributeValue(value) + "\"";
    }
    std::string out = line;
    out.insert(close, added);
    return out;
}

TextEdit SetAreaLinkEdit(std::string_view text, const AreaTag& area, const AreaLink& before,
                         const AreaLink& after) {
    StartTag tag;
    if (!ReadTag(text, area, tag)) return {area.tag.present() ? area.tag.begin : 0, 0, {}};
    // The tag alone is edited, one attribute after another, then compared.
    const std::string original(text.substr(area.tag.begin, area.tag.end - area.tag.begin));
    std::string edited = original;
    const auto apply = [&](const std::string& name, const std::string& value, bool remove) {
        const std::vector<AreaTag> parsed = ParseAreas(edited);
        StartTag now;
        if (parsed.empty() || !ReadTag(edited, parsed[0], now)) return;
        const TextEdit edit = remove ? RemoveAttributeEdit(edited, now, name)
                                     : SetAttributeEdit(edited, parsed[0], name, value);
        edited = ApplyEdit(edited, edit);
    };
    if (after.href != before.href) apply("href", after.href, false);
    if (after.alt != before.alt) apply("alt", after.alt, false);
    for (size_t i = 0; i < std::size(kMoreAttributeNames); ++i) {
        const std::string& value = MoreAttribute(after, i);
        if (value != MoreAttribute(before, i)) apply(kMoreAttributeNames[i], value, value.empty());
    }
    TextEdit edit = DiffEdit(original, edited);
    edit.begin += area.tag.begin;
    return edit;
}

TextEdit DiffEdit(std::string_view before, std::string_view after) {
    size_t head = 0;
    const size_t shorter = std::min(before.size(), after.size());
    while (head < shorter && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return {head, before.size() - head - tail,
            std::string(after.substr(head, after.size() - head - tail))};
}

TextEdit MoveAreaTagEdit(std::string_view text, const std::vector<AreaTag>& areas, size_t from,
                         size_t to) {
    if (from >= areas.size() || to >= areas.size() || from == to) return {};
    const size_t lo = std::min(from, to), hi = std::max(from, to);
    // Each neighbouring pair must be swappable: current, in one map.
    for (size_t i = lo; i < hi; ++i)
        if (NoEdit(ReorderAreaEdit(text, areas, i, false))) return {};
    std::vector<std::string_view> tags;
    for (size_t i = lo; i <= hi; ++i)
        tags.push_back(text.substr(areas[i].tag.begin, areas[i].tag.end - areas[i].tag.begin));
    const std::string_view moved = tags[from - lo];
    tags.erase(tags.begin() + static_cast<std::ptrdiff_t>(from - lo));
    tags.insert(tags.begin() + static_cast<std::ptrdiff_t>(to - lo), moved);
    std::string span;
    for (size_t i = lo; i <= hi; ++i) {
        span += tags[i - lo];
        if (i < hi)
            span += text.substr(areas[i].tag.end, areas[i + 1].tag.begin - areas[i].tag.end);
    }
    const size_t begin = areas[lo].tag.begin;
    return {begin, areas[hi].tag.end - begin, std::move(span)};
}

unsigned AreaProblems(const AreaTag& area) {
    return (area.valid ? 0u : kAreaIgnored) | (area.hasAlt ? 0u : kAreaNoAlt);
}

std::vector<size_t> AreasInFront(const std::vector<AreaTag>& areas, size_t index) {
    std::vector<size_t> front;
    if (index >= areas.size() || !areas[index].valid) return front;
    const bool isDefault = areas[index].shape == AreaShape::kDefault;
    long budget = kMaxOverlapTests;
    for (size_t i = 0; i < areas.size() && budget > 0; ++i) {
        if (i == index || !areas[i].valid || areas[i].shape == AreaShape::kDefault) continue;
        if (isDefault || (i < index && Overlap(areas[i], areas[index], budget))) front.push_back(i);
    }
    return front;
}
