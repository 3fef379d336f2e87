// SPDX-License-Identifier: GPL-3.0-or-later
// ISO-2022-JP read as browsers read it: escape sequences switch between
// ASCII, JIS X 0201 Roman and katakana, and JIS X 0208, whose characters
// are EUC-JP's with the high bits set (the EUC-JP table serves for both).
// Reading always starts in ASCII.
#include <vector>

#include "markup/text_encoding.h"

namespace ze {
namespace {

enum class Set { kAscii, kRoman, kKatakana, kJis0208 };

// The set an escape sequence at bytes[pos] switches to; false when the
// bytes there are no such sequence.
bool EscapeAt(std::string_view bytes, size_t pos, Set* set) {
    const std::string_view rest = bytes.substr(pos, 3);
    if (rest == "\x1B(B") return *set = Set::kAscii, true;
    if (rest == "\x1B(J") return *set = Set::kRoman, true;
    if (rest == "\x1B(I") return *set = Set::kKatakana, true;
    if (rest == "\x1B$@" || rest == "\x1B$B") return *set = Set::kJis0208, true;
    return false;
}

bool IsJisByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x21 && b <= 0x7E;
}

// A single-byte character of `set` (or a JIS X 0208 byte that has no
// partner), always one byte.
char32_t SingleAt(unsigned char b, Set set) {
    switch (set) {
        case Set::kAscii:
        case Set::kRoman:
            if (b >= 0x80 || b == 0x0E || b == 0x0F || b == 0x1B) return kReplacementChar;
            if (set == Set::kRoman && b == 0x5C) return 0xA5;
            if (set == Set::kRoman && b == 0x7E) return 0x203E;
            return b;
        case Set::kKatakana:
            return b >= 0x21 && b <= 0x5F ? 0xFF61 + (b - 0x21) : kReplacementChar;
        case Set::kJis0208:
            break;
    }
    return kReplacementChar;
}

// JIS X 0208 by row and cell (94 of each), read once from the platform's
// EUC-JP table; U+FFFD where it has no character.
const std::vector<char32_t>& Jis0208() {
    static const std::vector<char32_t> table = [] {
        std::vector<char32_t> cells(94 * 94, kReplacementChar);
        CodePageDecoder euc(CodePage::kEucJp);
        std::string text;
        for (size_t i = 0; i < cells.size(); ++i) {
            const char pair[2] = {static_cast<char>(0xA1 + i / 94),
                                  static_cast<char>(0xA1 + i % 94)};
            text.clear();
            if (euc.DecodeUpTo(std::string_view(pair, 2), 8, &text) != 2) continue;
            size_t length;
            const char32_t cp = DecodeUtf8At(text, 0, &length);
            if (length == text.size()) cells[i] = cp;
        }
        return cells;
    }();
    return table;
}

}  // namespace

size_t DecodeIso2022JpUpTo(std::string_view bytes, size_t limit, std::string* out,
                           Iso2022JpState* state) {
    const size_t start = out->size();
    const auto room = [&] { return limit - (out->size() - start); };
    Set set = static_cast<Set>(state->set);
    bool switched = state->switched;  // an escape came, and no character since
    size_t pos = 0;
    std::string character;
    while (pos < bytes.size()) {
        Set next;
        if (EscapeAt(bytes, pos, &next)) {
            // Back in ASCII is where reading starts afresh: such an escape
            // goes with the text before it. Any other waits for its text.
            // Two escapes with nothing between them are an error.
            if ((next != Set::kAscii && room() == 0) || (switched && room() < 3)) break;
            if (switched) *out += "\xEF\xBF\xBD";
            pos += 3;
            set = next;
            switched = true;
            continue;
        }
        char32_t cp = SingleAt(static_cast<unsigned char>(bytes[pos]), set);
        size_t used = 1;
        if (set == Set::kJis0208 && pos + 1 < bytes.size() && IsJisByte(bytes[pos]) &&
            IsJisByte(bytes[pos + 1])) {
            cp = Jis0208()[size_t(bytes[pos] - 0x21) * 94 + size_t(bytes[pos + 1] - 0x21)];
            used = 2;
        }
        character.clear();
        AppendUtf8(cp, &character);
        if (character.size() > room()) break;
        *out += character;
        pos += used;
        switched = false;
    }
    state->set = static_cast<uint8_t>(set);
    state->switched = switched;
    return pos;
}

}  // namespace ze
