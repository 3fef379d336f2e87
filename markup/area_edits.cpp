// SPDX-License-Identifier: GPL-3.0-or-later
// Edits of one area tag. Each rewrites only the bytes it is about.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "markup/area_coords.h"
#include "markup/area_markup.h"
#include "markup/area_model.h"
#include "markup/html_tags.h"

namespace {

TextEdit NoEdit(const AreaTag& area) {
    return {area.tag.present() ? area.tag.begin : 0, 0, {}};
}

std::string_view Slice(std::string_view text, TextRange r) {
    return text.substr(r.begin, r.end - r.begin);
}

// The tag of `area` read again from the text; false when the text no longer
// holds it there.
bool Reread(std::string_view text, const AreaTag& area, StartTag& tag) {
    return area.tag.present() && area.tag.begin < text.size() &&
           ReadStartTagAt(text, area.tag.begin, tag) && tag.range.end == area.tag.end;
}

// A new attribute's name follows the case of the tag's own name.
std::string NameInTagCase(std::string_view text, const StartTag& tag, std::string_view lowerName) {
    std::string name(lowerName);
    const char first = text[tag.range.begin + 1];
    if (first >= 'A' && first <= 'Z')
        for (char& c : name)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

// `value` written inside the given quotes (0: none): a double quote always
// becomes "&quot;", a single quote "&#39;" inside single quotes, and nothing
// else changes, so what the user typed (references included) stays as typed.
// An unquoted value that cannot stay unquoted gets double quotes, which
// `quote` then reports.
std::string EncodeValue(const std::string& value, char& quote) {
    if (quote == 0 &&
        (value.empty() || value.find_first_of(" \t\r\n\f\"'=<>`&") != std::string::npos))
        quote = '"';
    std::string out = QuoteAttributeValue(value);
    if (quote == '\'') {
        for (size_t at = out.find('\''); at != std::string::npos; at = out.find('\'', at + 5))
            out.replace(at, 1, "&#39;");
    }
    return out;
}

// Sets attribute `lowerName` of the tag to the already encoded `value`.
TextEdit SetRawAttribute(std::string_view text, const StartTag& tag, std::string_view lowerName,
                         const std::string& value, char quote) {
    const std::string q = quote ? std::string(1, quote) : std::string();
    const TagAttribute* attr = tag.Find(lowerName);
    if (!attr)
        return {tag.attributesEnd, 0,
                " " + NameInTagCase(text, tag, lowerName) + "=" + q + value + q};
    if (!attr->value.present()) return {attr->nameRange.end, 0, "=" + q + value + q};
    if (quote == attr->quote)
        return {attr->value.begin, attr->value.end - attr->value.begin, value};
    // An unquoted value that needs quotes now.
    return {attr->value.begin, attr->value.end - attr->value.begin, q + value + q};
}

size_t MovedCount(const AreaTag& area, size_t available) {
    switch (area.shape) {
        case AreaShape::kRect:
            return std::min<size_t>(4, available);
        case AreaShape::kCircle:
            return std::min<size_t>(2, available);
        case AreaShape::kPoly:
            return available / 2 * 2;
        case AreaShape::kDefault:
            break;
    }
    return 0;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string ApplyEdit(std::string_view text, const TextEdit& edit) {
    const size_t begin = std::min(edit.begin, text.size());
    const size_t removed = std::min(edit.removed, text.size() - begin);
    std::string result;
    result.reserve(text.size() - removed + edit.inserted.size());
    result.append(text, 0, begin);
    result += edit.inserted;
    result.append(text, begin + removed);
    return result;
}

TextEdit MoveAreaEdit(std::string_view text, const AreaTag& area, int dx, int dy) {
    StartTag tag;
    if (!Reread(text, area, tag) || !area.coordsValue.present()) return NoEdit(area);
    std::vector<double> moved = area.coords;
    const size_t count = MovedCount(area, moved.size());
    if (count == 0 || (dx == 0 && dy == 0)) return NoEdit(area);
    for (size_t k = 0; k < count; ++k) moved[k] += k % 2 ? dy : dx;

    // Each number rewritten in place, separators and trailing letters kept,
    // as long as the value then reads back as the moved numbers.
    const std::string_view raw = Slice(text, area.coordsValue);
    const std::vector<CoordToken> tokens = ParseCoordTokens(raw);
    if (raw.find('&') == std::string_view::npos && tokens.size() == moved.size()) {
        const size_t first = tokens[0].begin, last = tokens[count - 1].end;
        std::string inserted;
        size_t at = first;
        for (size_t k = 0; k < count; ++k) {
            inserted.append(raw, at, tokens[k].begin - at);
            inserted += FormatCoord(moved[k]);
            at = tokens[k].end;
        }
        std::string value(raw);
        value.replace(first, last - first, inserted);
        if (ParseCoordList(value) == moved)
            return {area.coordsValue.begin + first, last - first, inserted};
    }
    // Otherwise (references, or a number that would run on into what follows
    // it) the whole value is written anew.
    std::string value;
    for (size_t k = 0; k < moved.size(); ++k) value += (k ? "," : "") + FormatCoord(moved[k]);
    const TagAttribute* attr = tag.Find("coords");
    char quote = attr ? attr->quote : '"';
    value = EncodeValue(value, quote);
    return SetRawAttribute(text, tag, "coords", value, quote);
}

TextEdit SetCoordsEdit(std::string_view text, const AreaTag& area, const std::vector<int>& coords) {
    StartTag tag;
    if (!Reread(text, area, tag)) return NoEdit(area);
    std::string value;
    for (size_t k = 0; k < coords.size(); ++k) value += (k ? "," : "") + std::to_string(coords[k]);
    const TagAttribute* attr = tag.Find("coords");
    char quote = attr && attr->value.present() ? attr->quote : '"';
    value = EncodeValue(value, quote);
    return SetRawAttribute(text, tag, "coords", value, quote);
}

TextEdit SetAttributeEdit(std::string_view text, const AreaTag& area, std::string_view name,
                          const std::string& value) {
    StartTag tag;
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!Reread(text, area, tag)) return NoEdit(area);
    const TagAttribute* attr = tag.Find(lower);
    if (attr && attr->value.present() && DecodeAttributeValue(Slice(text, attr->value)) == value)
        return NoEdit(area);
    char quote = attr && attr->value.present() ? attr->quote : '"';
    const std::string encoded = EncodeValue(value, quote);
    return SetRawAttribute(text, tag, lower, encoded, quote);
}

TextEdit DeleteAreaEdit(std::string_view text, const AreaTag& area) {
    StartTag tag;
    if (!Reread(text, area, tag)) return NoEdit(area);
    size_t lineStart = area.tag.begin;
    while (lineStart > 0 && IsBlank(text[lineStart - 1])) --lineStart;
    size_t lineEnd = area.tag.end;
    while (lineEnd < text.size() && IsBlank(text[lineEnd])) ++lineEnd;
    const bool startsLine = lineStart == 0 || text[lineStart - 1] == '\n';
    size_t breakEnd = lineEnd;
    if (breakEnd < text.size() && text[breakEnd] == '\r') ++breakEnd;
    const bool endsLine = breakEnd == text.size() || text[breakEnd] == '\n';
    if (!startsLine || !endsLine) return {area.tag.begin, area.tag.end - area.tag.begin, {}};
    if (breakEnd < text.size()) return {lineStart, breakEnd + 1 - lineStart, {}};
    // The last line: the break before it goes instead.
    size_t begin = lineStart;
    if (begin > 0) {
        --begin;  // the '\n'
        if (begin > 0 && text[begin - 1] == '\r') --begin;
    }
    return {begin, text.size() - begin, {}};
}

void ClampAreaMove(AreaShape shape, const std::vector<double>& c, int width, int height, int& dx,
                   int& dy) {
    AreaTag area;
    area.shape = shape;
    const size_t n = MovedCount(area, c.size());
    if (n < 2) {
        dx = dy = 0;
        return;
    }
    double minX = c[0], maxX = c[0], minY = c[1], maxY = c[1];
    for (size_t i = 0; i + 1 < n; i += 2) {
        minX = std::min(minX, c[i]);
        maxX = std::max(maxX, c[i]);
        minY = std::min(minY, c[i + 1]);
        maxY = std::max(maxY, c[i + 1]);
    }
    // The allowed range always holds 0: what is outside stays, never grows.
    const auto clamp = [](int d, double lo, double hi, int limit) {
        const double low = std::min(0.0, -lo), high = std::max(0.0, limit - hi);
        return static_cast<int>(std::clamp<double>(d, std::ceil(low), std::floor(high)));
    };
    dx = clamp(dx, minX, maxX, width);
    dy = clamp(dy, minY, maxY, height);
}

TextEdit DuplicateAreaEdit(std::string_view text, const AreaTag& area, int dx, int dy, int width,
                           int height) {
    StartTag tag;
    if (!Reread(text, area, tag)) return NoEdit(area);
    // The tag read on its own is the same tag: its copy is moved there.
    std::string copy(Slice(text, area.tag));
    const std::vector<AreaTag> parsed = ParseAreas(copy);
    if (parsed.size() == 1) {
        ClampAreaMove(parsed[0].shape, parsed[0].coords, width, height, dx, dy);
        copy = ApplyEdit(copy, MoveAreaEdit(copy, parsed[0], dx, dy));
    }
    size_t lineStart = area.tag.begin;
    while (lineStart > 0 && IsBlank(text[lineStart - 1])) --lineStart;
    size_t lineEnd = area.tag.end;
    while (lineEnd < text.size() && IsBlank(text[lineEnd])) ++lineEnd;
    // The line break of the tag's line, or of the line before the last one.
    std::string lineBreak;
    if (lineEnd < text.size() && text[lineEnd] == '\n')
        lineBreak = "\n";
    else if (text.substr(lineEnd, 2) == "\r\n")
        lineBreak = "\r\n";
    else if (lineEnd == text.size() && lineStart > 0 && text[lineStart - 1] == '\n')
        lineBreak = lineStart > 1 && text[lineStart - 2] == '\r' ? "\r\n" : "\n";
    const bool alone = (lineStart == 0 || text[lineStart - 1] == '\n') && !lineBreak.empty();
    if (!alone) return {area.tag.end, 0, copy};
    return {area.tag.end, 0,
            lineBreak + std::string(text.substr(lineStart, area.tag.begin - lineStart)) + copy};
}

namespace {

bool HasMapTag(std::string_view text) {
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        std::string_view rest = text.substr(at + 1);
        if (!rest.empty() && rest[0] == '/') rest.remove_prefix(1);
        if (rest.size() >= 3 && (rest[0] | 0x20) == 'm' && (rest[1] | 0x20) == 'a' &&
            (rest[2] | 0x20) == 'p' &&
            (rest.size() == 3 || rest[3] == '>' || rest[3] == '/' || IsBlank(rest[3]) ||
             rest[3] == '\r' || rest[3] == '\n' || rest[3] == '\f'))
            return true;
    }
    return false;
}

}  // namespace

TextEdit ReorderAreaEdit(std::string_view text, const std::vector<AreaTag>& areas, size_t index,
                         bool earlier) {
    if (index >= areas.size()) return {};
    if (earlier ? index == 0 : index + 1 >= areas.size()) return NoEdit(areas[index]);
    const AreaTag& first = areas[earlier ? index - 1 : index];
    const AreaTag& second = areas[earlier ? index : index + 1];
    StartTag tag;
    if (!Reread(text, first, tag) || !Reread(text, second, tag) || first.tag.end > second.tag.begin)
        return NoEdit(areas[index]);
    const std::string_view between = text.substr(first.tag.end, second.tag.begin - first.tag.end);
    if (HasMapTag(between)) return NoEdit(areas[index]);
    std::string swapped(Slice(text, second.tag));
    swapped += between;
    swapped += Slice(text, first.tag);
    return {first.tag.begin, second.tag.end - first.tag.begin, swapped};
}
