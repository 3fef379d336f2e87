// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/tag_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "markup/area_coords.h"

namespace {

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void Add(std::vector<MapFinding>& out, size_t offset, CheckText text,
         std::vector<std::string> args = {}, int area = -1) {
    out.push_back(MakeFinding(offset, text, std::move(args), area));
}

std::string Decoded(std::string_view text, const StartTag& tag, std::string_view name) {
    return DecodeAttributeValue(tag.Value(text, name));
}

// The name a screen reader announces for a link without alt, as the
// accessible name is computed: aria-labelledby, aria-label, then title.
std::string OtherName(std::string_view text, const StartTag& tag) {
    for (const char* name : {"aria-labelledby", "aria-label", "title"}) {
        const std::string value = Decoded(text, tag, name);
        if (tag.Find(name) && !IsBlankText(value)) return std::string(name) + "=\"" + value + "\"";
    }
    return {};
}

void CheckAlt(std::string_view text, const StartTag& tag, const AreaTag& a, int index,
              std::vector<MapFinding>& out) {
    if (!a.hasHref || (a.hasAlt && !IsBlankText(a.alt))) return;
    const std::string other = OtherName(text, tag);
    if (other.empty())
        Add(out, a.tag.begin, a.hasAlt ? CheckText::kAltEmpty : CheckText::kAltMissing, {}, index);
    else
        Add(out, a.tag.begin, a.hasAlt ? CheckText::kAltEmptyNamed : CheckText::kAltMissingNamed,
            {other}, index);
}

void CheckNoHref(const StartTag& tag, const AreaTag& a, int index, std::vector<MapFinding>& out) {
    if (a.hasHref) return;
    Add(out, a.tag.begin, tag.Find("nohref") ? CheckText::kNohrefObsolete : CheckText::kNoHref, {},
        index);
}

void CheckShape(std::string_view text, const StartTag& tag, const AreaTag& a, int index,
                std::vector<MapFinding>& out) {
    if (!tag.Find("shape")) return;
    const std::string raw = Decoded(text, tag, "shape");
    const std::string value = Lower(raw);
    if (value == "rect" || value == "circle" || value == "poly" || value == "default") return;
    const char* html = value == "circ" ? "circle" : value == "polygon" ? "poly" : nullptr;
    if (value == "rectangle") html = "rect";
    if (html)
        Add(out, a.tag.begin, CheckText::kShapeNotHtml, {raw, html}, index);
    else
        Add(out, a.tag.begin, CheckText::kShapeUnknown, {raw}, index);
}

void CheckRepeated(std::string_view text, const StartTag& tag, const AreaTag& a, int index,
                   std::vector<MapFinding>& out) {
    size_t told = 0;
    for (const TagAttribute& again : tag.repeated) {
        if (++told > kMaxFindingsOfOneRule) break;
        const std::string used = Decoded(text, tag, again.name);
        Add(out, a.tag.begin, CheckText::kRepeatedAttribute, {again.name, used}, index);
    }
}

void CheckLinkAttributes(const StartTag& tag, const AreaTag& a, int index,
                         std::vector<MapFinding>& out) {
    if (a.hasHref) return;
    std::string names;
    for (const char* name : {"alt", "target", "rel", "download"})
        if (tag.Find(name)) names += (names.empty() ? "" : ", ") + std::string(name);
    if (names.empty()) return;
    Add(out, a.tag.begin, CheckText::kLinkAttributes, {names}, index);
}

void CheckTargetSize(const AreaTag& a, int index, DisplayScale scale,
                     std::vector<MapFinding>& out) {
    if (!a.hasHref || !a.valid || a.shape == AreaShape::kDefault) return;
    const std::vector<double>& c = a.coords;
    double w = 0, h = 0;
    if (a.shape == AreaShape::kRect) {
        w = std::abs(c[2] - c[0]);
        h = std::abs(c[3] - c[1]);
    } else if (a.shape == AreaShape::kCircle) {
        w = h = 2 * c[2];
    } else {
        const auto [left, right] = std::minmax({c[0], c[2], c[4]});
        const auto [top, bottom] = std::minmax({c[1], c[3], c[5]});
        double l = left, r = right, t = top, b = bottom;
        for (size_t i = 3; i < c.size() / 2; ++i) {
            l = std::min(l, c[2 * i]);
            r = std::max(r, c[2 * i]);
            t = std::min(t, c[2 * i + 1]);
            b = std::max(b, c[2 * i + 1]);
        }
        w = r - l;
        h = b - t;
    }
    w *= scale.x;
    h *= scale.y;
    if (w >= 24 && h >= 24) return;
    Add(out, a.tag.begin, CheckText::kTargetSize, {FormatCoord(w), FormatCoord(h)}, index);
}

// A width or height attribute in CSS pixels: digits, maybe a fraction. No
// number, or a percentage, gives nothing.
std::optional<double> Pixels(std::string_view value) {
    size_t i = 0;
    while (i < value.size() && IsAsciiSpace(value[i])) ++i;
    const size_t digits = i;
    while (i < value.size() && ((value[i] >= '0' && value[i] <= '9') || value[i] == '.')) ++i;
    if (i == digits || (i < value.size() && value[i] == '%')) return std::nullopt;
    const double number =
        std::strtod(std::string(value.substr(digits, i - digits)).c_str(), nullptr);
    if (!(number > 0)) return std::nullopt;
    return number;
}

}  // namespace

bool IsBlankText(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (IsAsciiSpace(text[i])) {
            ++i;
        } else if (text.substr(i, 3) == "\xE3\x80\x80") {
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<DisplayScale> ScaleOfImage(std::string_view text, const StartTag& image,
                                         PictureSize picture) {
    const bool hasWidth = image.Find("width"), hasHeight = image.Find("height");
    if (!hasWidth && !hasHeight) return DisplayScale{};
    if (!picture.Known()) return std::nullopt;
    const double w = hasWidth ? Pixels(image.Value(text, "width")).value_or(-1) : 0;
    const double h = hasHeight ? Pixels(image.Value(text, "height")).value_or(-1) : 0;
    if (w < 0 || h < 0) return std::nullopt;
    // One of them given: the other follows the picture's ratio.
    const double x = hasWidth ? w / picture.width : h / picture.height;
    const double y = hasHeight ? h / picture.height : x;
    // Digits enough to overflow a double say nothing about the size shown.
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return DisplayScale{x, y};
}

void CheckAreaTag(std::string_view text, const StartTag& tag, const AreaTag& area, int index,
                  std::optional<DisplayScale> scale, std::vector<MapFinding>& out) {
    CheckAlt(text, tag, area, index, out);
    CheckNoHref(tag, area, index, out);
    CheckShape(text, tag, area, index, out);
    CheckRepeated(text, tag, area, index, out);
    CheckLinkAttributes(tag, area, index, out);
    if (scale) CheckTargetSize(area, index, *scale, out);
}

void CheckImageTag(std::string_view text, const StartTag& tag, std::vector<MapFinding>& out) {
    const size_t at = tag.range.begin;
    if (!tag.Find("src"))
        Add(out, at, CheckText::kNoSrc);
    else if (IsBlankText(Decoded(text, tag, "src")))
        Add(out, at, CheckText::kEmptySrc);
    if (tag.Find("ismap")) Add(out, at, CheckText::kIsmapUsemap);
}

void CheckMapTag(std::string_view text, const StartTag& tag, std::vector<MapFinding>& out) {
    const size_t at = tag.range.begin;
    const std::string name = Decoded(text, tag, "name"), id = Decoded(text, tag, "id");
    if (!tag.Find("name"))
        Add(out, at, tag.Find("id") ? CheckText::kMapIdNoName : CheckText::kMapNoName);
    else if (name.empty())
        Add(out, at, CheckText::kMapNameEmpty);
    else if (tag.Find("id") && id != name)
        Add(out, at, CheckText::kMapIdDiffers, {id, name});
}
