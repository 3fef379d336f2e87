// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_markup.h"

#include <cmath>
#include <cstdint>
#include <string_view>

namespace {

// Narrows a 64-bit intermediate to 32 bits the way 32-bit arithmetic wraps,
// without the undefined behaviour of a signed overflow.
int Wrap32(int64_t value) {
    return static_cast<int>(static_cast<int32_t>(value));
}

std::string AreaLine(const char* shape, const std::string& coords, const std::string& alt,
                     const std::string& href) {
    std::string line;
    line.reserve(48 + coords.size() + alt.size() + href.size());
    line += "<area shape=\"";
    line += shape;
    line += "\" coords=\"";
    line += coords;
    line += "\" alt=\"";
    line += QuoteAttributeValue(alt);
    line += "\" href=\"";
    line += QuoteAttributeValue(href);
    line += "\">";
    return line;
}

void AppendPoint(std::string& coords, ClientPoint p, ClientPoint scroll, ZoomScale zoom) {
    coords += std::to_string(ToPictureCoord(p.x, scroll.x, zoom));
    coords += ',';
    coords += std::to_string(ToPictureCoord(p.y, scroll.y, zoom));
}

}  // namespace

std::string QuoteAttributeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string UpperCaseOutsideQuotes(const std::string& text, bool& insideQuotes) {
    std::string result = text;
    for (char& c : result) {
        if (c == '"') insideQuotes = !insideQuotes;
        if (!insideQuotes && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

std::string UpperCaseOutsideQuotes(const std::string& text) {
    bool insideQuotes = false;
    return UpperCaseOutsideQuotes(text, insideQuotes);
}

int ToPictureCoord(int client, int scroll, ZoomScale zoom) {
    if (zoom.den == 1 && zoom.num <= 2)
        return Wrap32(static_cast<int64_t>(client / zoom.num) + scroll / zoom.num);
    return Wrap32(zoom.ToPicture(int64_t{client} + scroll));
}

std::string FormatCircleArea(ClientPoint anchor, ClientPoint end, ClientPoint scroll,
                             ZoomScale zoom, const std::string& alt, const std::string& href) {
    const double dx = static_cast<double>(anchor.x) - end.x;
    const double dy = static_cast<double>(anchor.y) - end.y;
    // At most about 6.1e9 for 32-bit points: fits in 64 bits.
    const auto distance = static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
    const int radius = Wrap32(distance * zoom.den / zoom.num);
    std::string coords;
    AppendPoint(coords, anchor, scroll, zoom);
    coords += ',';
    coords += std::to_string(radius);
    return AreaLine("circle", coords, alt, href);
}

std::string FormatRectArea(ClientPoint anchor, ClientPoint end, ClientPoint scroll, ZoomScale zoom,
                           const std::string& alt, const std::string& href) {
    std::string coords;
    AppendPoint(coords, anchor, scroll, zoom);
    coords += ',';
    AppendPoint(coords, end, scroll, zoom);
    return AreaLine("rect", coords, alt, href);
}

std::string FormatPolyArea(const std::vector<ClientPoint>& vertices, ClientPoint scroll,
                           ZoomScale zoom, const std::string& alt, const std::string& href) {
    std::string coords;
    for (size_t i = 0; i < vertices.size(); ++i) {
        if (i > 0) coords += ',';
        AppendPoint(coords, vertices[i], scroll, zoom);
    }
    return AreaLine("poly", coords, alt, href);
}

std::string InsertAreaLine(const std::string& text, const std::string& line,
                           const MarkupSettings& settings) {
    constexpr std::string_view kLowerTag = "</map>";  // the tag written, always
    const bool upper = settings.upperCase;
    const std::string_view searched = upper ? "</MAP>" : kLowerTag;
    const size_t p = text.find(searched);
    std::string result;
    result.reserve(text.size() + line.size() + 8);
    if (p != std::string::npos) {
        // The tag found is written anew and whatever followed it is kept.
        result.append(text, 0, p);
        result += line;
        result += "\r\n";
        result += kLowerTag;
        result.append(text, p + searched.size(), std::string::npos);
    } else {
        result = text;
        result += line;
        result += "\r\n";
        result += kLowerTag;
    }
    return upper ? UpperCaseOutsideQuotes(result) : result;
}
