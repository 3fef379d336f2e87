// SPDX-License-Identifier: GPL-3.0-or-later
// The area line's insertion as one edit of the pane text: the same bytes as
// InsertAreaLine, without building the whole new text.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "markup/area_markup.h"
#include "markup/area_model.h"

namespace {

// The text after InsertAreaLine with the tag setting on, walked without
// building it: the pieces in order and the quote state that upper-cases them.
class CUpperResult {
public:
    CUpperResult(std::string_view a, std::string b, std::string_view c)
        : m_pieces{a, {}, c}, m_middle(std::move(b)) {
        m_pieces[1] = m_middle;
    }
    // The middle piece points into this object: it stays where it is made.
    CUpperResult(const CUpperResult&) = delete;
    CUpperResult& operator=(const CUpperResult&) = delete;
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

// The smallest edit from `t` to the upper-cased result, found by walking
// both from the front and from the back.
TextEdit MinimalEdit(std::string_view t, const CUpperResult& result) {
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

// The first lower-case letter outside quotes in t[0, end), and the quote
// state at `end` when there is none. Eight bytes at a time: the quotes'
// running parity over a word comes from shifts, so no byte is branched on.
size_t FirstLowerOutsideQuotes(std::string_view t, size_t end, bool& inside) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    const char* const data = t.data();
    uint64_t in = inside ? 1 : 0;
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= end; i += 8) {
            uint64_t w;
            std::memcpy(&w, data + i, 8);
            const uint64_t low7 = w & ~kHigh;
            // High bit of each byte that is a quote; of each a to z.
            const uint64_t q = w ^ (kOnes * '"');
            const uint64_t quotes = ~(((q & ~kHigh) + ~kHigh) | q) & kHigh;
            const uint64_t lower =
                (low7 + kOnes * (0x80 - 'a')) & ~(low7 + kOnes * (0x80 - 'z' - 1)) & ~w & kHigh;
            // Byte k: the parity of the quotes in bytes 0..k, then the state.
            uint64_t parity = quotes >> 7;
            parity ^= parity << 8;
            parity ^= parity << 16;
            parity ^= parity << 32;
            const uint64_t insideBytes = (parity ^ (in * kOnes)) << 7;
            const uint64_t hit = lower & ~insideBytes;
            if (hit) return i + static_cast<size_t>(std::countr_zero(hit)) / 8;
            in = (parity ^ (in * kOnes)) >> 56;
        }
    }
    bool state = in != 0;
    for (; i < end; ++i) {
        const char c = data[i];
        if (c == '"')
            state = !state;
        else if (!state && c >= 'a' && c <= 'z')
            return i;
    }
    inside = state;
    return std::string_view::npos;
}

}  // namespace

TextEdit InsertAreaLineEdit(const std::string& text, const std::string& line,
                            const MarkupSettings& settings) {
    constexpr std::string_view kLowerTag = "</map>";
    const bool upper = settings.upperCase;
    const size_t p = text.find(upper ? "</MAP>" : "</map>");
    if (!upper) {
        // The closing tag found is written back as it was.
        if (p != std::string::npos) return {p, 0, line + "\r\n"};
        return {text.size(), 0, line + "\r\n" + std::string(kLowerTag)};
    }
    // Upper case: the whole result is upper-cased outside quotes. When the
    // text already is, the edit is the line's insertion in front of the
    // closing tag, or at the end.
    const std::string_view t = text;
    bool inside = false;
    if (FirstLowerOutsideQuotes(t, p == std::string::npos ? t.size() : p, inside) ==
        std::string_view::npos) {
        bool after = inside;
        if (p == std::string::npos)
            return {t.size(), 0, UpperCaseOutsideQuotes(line + "\r\n</map>", after)};
        // The closing tag and the rest keep their bytes when the line starts
        // and ends outside quotes; otherwise the general case decides.
        std::string inserted = UpperCaseOutsideQuotes(line + "\r\n", after);
        const std::string_view rest = t.substr(p + kLowerTag.size());
        bool restInside = false;
        if (!inside && !after &&
            FirstLowerOutsideQuotes(rest, rest.size(), restInside) == std::string_view::npos)
            return {p, 0, inserted};
    }
    const CUpperResult result =
        p != std::string::npos
            ? CUpperResult(t.substr(0, p), line + "\r\n" + "</map>", t.substr(p + kLowerTag.size()))
            : CUpperResult(t, line + "\r\n</map>", {});
    return MinimalEdit(t, result);
}
