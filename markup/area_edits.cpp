// Edits of one area tag, and the area line's insertion as one edit. Each
// edit rewrites only the bytes it is about.

#include <algorithm>
#include <cstring>

#include "markup/area_coords.h"
#include "markup/area_markup.h"
#include "markup/area_model.h"
#include "markup/html_tags.h"
#include "markup/settings.h"

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

std::string Escape(const std::string& value, char quote, bool amp) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (amp && c == '&')
            out += "&amp;";
        else if (c == quote)
            out += quote == '"' ? "&quot;" : "&#39;";
        else
            out += c;
    }
    return out;
}

// `value` written inside the given quotes (0: none) so that a browser reads
// it back unchanged: a '&' stays as it is unless it would start a reference.
// An unquoted value that cannot stay unquoted gets double quotes, which
// `quote` then reports.
std::string EncodeValue(const std::string& value, char& quote) {
    if (quote == 0 &&
        (value.empty() || value.find_first_of(" \t\r\n\f\"'=<>`&") != std::string::npos))
        quote = '"';
    std::string out = Escape(value, quote, false);
    if (DecodeAttributeValue(out) != value) out = Escape(value, quote, true);
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
    const std::string_view raw = Slice(text, area.coordsValue);
    if (raw.find('&') != std::string_view::npos) {
        // Written with references: the numbers cannot be rewritten in place.
        std::vector<double> moved = area.coords;
        const size_t count = MovedCount(area, moved.size());
        for (size_t k = 0; k < count; ++k) moved[k] += k % 2 ? dy : dx;
        std::string value;
        for (size_t k = 0; k < moved.size(); ++k) value += (k ? "," : "") + FormatCoord(moved[k]);
        const TagAttribute* attr = tag.Find("coords");
        return SetRawAttribute(text, tag, "coords", value, attr ? attr->quote : '"');
    }
    const std::vector<CoordToken> tokens = ParseCoordTokens(raw);
    const size_t count = MovedCount(area, tokens.size());
    if (count == 0 || (dx == 0 && dy == 0)) return NoEdit(area);
    const size_t first = tokens[0].begin, last = tokens[count - 1].end;
    std::string inserted;
    size_t at = first;
    for (size_t k = 0; k < count; ++k) {
        inserted.append(raw, at, tokens[k].begin - at);
        inserted += FormatCoord(tokens[k].value + (k % 2 ? dy : dx));
        at = tokens[k].end;
    }
    return {area.coordsValue.begin + first, last - first, inserted};
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

namespace {

// The text after InsertAreaLine with the tag setting on, walked without
// building it: the pieces in order and the quote state that upper-cases them.
class CUpperResult {
public:
    CUpperResult(std::string_view a, std::string b, std::string_view c)
        : m_pieces{a, {}, c}, m_middle(std::move(b)) {
        m_pieces[1] = m_middle;
    }
    size_t Size() const { return m_pieces[0].size() + m_pieces[1].size() + m_pieces[2].size(); }
    size_t Quotes() const {
        size_t q = 0;
        for (std::string_view p : m_pieces)
            q += static_cast<size_t>(std::count(p.begin(), p.end(), '"'));
        return q;
    }
    std::string_view Piece(int k) const { return m_pieces[k]; }

private:
    std::string_view m_pieces[3];
    std::string m_middle;
};

char Upper(char c, bool inside) {
    return !inside && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

TextEdit InsertAreaLineEdit(const std::string& text, const std::string& line) {
    constexpr std::string_view kLowerTag = "</map>";
    const bool upper = GetTagSetting() != 0;
    const size_t p = text.find(upper ? "</MAP>" : "</map>");
    if (!upper) {
        // The closing tag found is written back as it was.
        if (p != std::string::npos) return {p, 0, line + "\r\n"};
        return {text.size(), 0, line + "\r\n" + std::string(kLowerTag)};
    }
    const std::string_view t = text;
    const CUpperResult result =
        p != std::string::npos
            ? CUpperResult(t.substr(0, p), line + "\r\n" + "</map>", t.substr(p + kLowerTag.size()))
            : CUpperResult(t, line + "\r\n</map>", {});
    const size_t newSize = result.Size();

    // Forward: the first byte where the upper-cased result differs.
    size_t b = 0;
    bool inside = false;
    int piece = 0;
    size_t offset = 0;
    bool insideAtB = false;
    int pieceAtB = 0;
    size_t offsetAtB = 0;
    for (;;) {
        while (piece < 3 && offset == result.Piece(piece).size()) {
            ++piece;
            offset = 0;
        }
        if (piece == 3 || b == t.size()) break;
        const char c = result.Piece(piece)[offset];
        const bool after = c == '"' ? !inside : inside;
        if (Upper(c, after) != t[b]) break;
        inside = after;
        ++offset;
        ++b;
    }
    insideAtB = inside;
    pieceAtB = piece;
    offsetAtB = offset;

    // Backward: the common tail, never reaching back over b.
    size_t tail = 0;
    bool insideBack = result.Quotes() % 2 != 0;
    piece = 2;
    offset = result.Piece(2).size();
    const size_t maxTail = std::min(t.size(), newSize) - b;
    while (tail < maxTail) {
        while (piece > 0 && offset == 0) {
            --piece;
            offset = result.Piece(piece).size();
        }
        const char c = result.Piece(piece)[offset - 1];
        if (Upper(c, insideBack) != t[t.size() - 1 - tail]) break;
        if (c == '"') insideBack = !insideBack;
        --offset;
        ++tail;
    }

    // The differing middle of the result.
    std::string inserted;
    const size_t insertedSize = newSize - tail - b;
    inserted.reserve(insertedSize);
    inside = insideAtB;
    piece = pieceAtB;
    offset = offsetAtB;
    while (inserted.size() < insertedSize) {
        while (offset == result.Piece(piece).size()) {
            ++piece;
            offset = 0;
        }
        const char c = result.Piece(piece)[offset++];
        if (c == '"') inside = !inside;
        inserted += Upper(c, inside);
    }
    return {b, t.size() - tail - b, inserted};
}
