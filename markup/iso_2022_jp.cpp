// SPDX-License-Identifier: GPL-3.0-or-later
// ISO-2022-JP read as browsers read it: escape sequences switch between
// ASCII, JIS X 0201 Roman and katakana, and JIS X 0208, whose characters
// are EUC-JP's with the high bits cleared (the EUC-JP table serves for
// both). Reading always starts in ASCII.
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

bool IsJisByte(unsigned char b) {
    return b >= 0x21 && b <= 0x7E;
}

// One JIS X 0208 character, through the EUC-JP table; U+FFFD where it has
// none.
char32_t Jis0208(unsigned char lead, unsigned char trail) {
    const char euc[2] = {static_cast<char>(lead | 0x80), static_cast<char>(trail | 0x80)};
    std::string text;
    if (DecodeConvertedUpTo(std::string_view(euc, 2), CodePage::kEucJp, 8, &text) != 2)
        return kReplacementChar;
    size_t length;
    const char32_t cp = DecodeUtf8At(text, 0, &length);
    return length == text.size() ? cp : kReplacementChar;
}

// A run of JIS X 0208 pairs that all have characters, converted at once
// within `room` bytes of UTF-8; answers the bytes read (0: the run's first
// pair is to be read on its own).
size_t ReadJisRun(std::string_view bytes, size_t room, std::string* out) {
    constexpr size_t kMaxRun = 4096;
    std::string euc;
    for (size_t i = 0; i + 1 < bytes.size() && euc.size() < kMaxRun; i += 2) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (!IsJisByte(lead) || !IsJisByte(trail)) break;
        euc += static_cast<char>(lead | 0x80);
        euc += static_cast<char>(trail | 0x80);
    }
    std::string text;
    if (euc.empty() ||
        DecodeConvertedUpTo(euc, CodePage::kEucJp, size_t(-1), &text) != euc.size() ||
        text.find("\xEF\xBF\xBD") != std::string::npos)
        return 0;
    // Every character of bytes 0xA1 and above is two of them in EUC-JP.
    size_t read = 0, at = 0;
    while (at < text.size()) {
        size_t length;
        DecodeUtf8At(text, at, &length);
        if (length > room) break;
        out->append(text, at, length);
        room -= length;
        at += length;
        read += 2;
    }
    return read;
}

// The character at bytes[pos] in `set`, and how many bytes it takes.
char32_t CharacterAt(std::string_view bytes, size_t pos, Set set, size_t* used) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    *used = 1;
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
            if (!IsJisByte(b)) return kReplacementChar;
            if (pos + 1 >= bytes.size()) return kReplacementChar;
            const auto trail = static_cast<unsigned char>(bytes[pos + 1]);
            if (!IsJisByte(trail)) return kReplacementChar;  // the trail byte is read again
            *used = 2;
            return Jis0208(b, trail);
    }
    return kReplacementChar;
}

}  // namespace

size_t DecodeIso2022JpUpTo(std::string_view bytes, size_t limit, std::string* out) {
    const size_t start = out->size();
    const auto room = [&] { return limit - (out->size() - start); };
    Set set = Set::kAscii;
    bool switched = false;  // an escape came, and no character since
    size_t pos = 0;
    std::string character;
    while (pos < bytes.size()) {
        Set next;
        if (EscapeAt(bytes, pos, &next)) {
            // Back in ASCII is where reading starts afresh: such an escape
            // goes with the text before it. Any other waits for its text.
            if (next != Set::kAscii && room() == 0) break;
            pos += 3;
            set = next;
            // Two escapes with nothing between them are an error.
            if (switched && room() >= 3) *out += "\xEF\xBF\xBD";
            switched = true;
            continue;
        }
        if (set == Set::kJis0208) {
            const size_t read = ReadJisRun(bytes.substr(pos), room(), out);
            pos += read;
            if (read > 0) {
                switched = false;
                continue;
            }
        }
        size_t used;
        const char32_t cp = CharacterAt(bytes, pos, set, &used);
        character.clear();
        AppendUtf8(cp, &character);
        if (character.size() > room()) break;
        *out += character;
        pos += used;
        switched = false;
    }
    return pos;
}

}  // namespace ze
