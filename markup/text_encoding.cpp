// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/text_encoding.h"

namespace ze {

char32_t DecodeUtf8At(std::string_view text, size_t pos, size_t* length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    *length = 1;
    size_t count;
    char32_t cp;
    char32_t minimum;
    if (lead < 0x80) return lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacementChar;
    }
    if (text.size() - pos < count) return kReplacementChar;
    for (size_t i = 1; i < count; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return kReplacementChar;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacementChar;
    *length = count;
    return cp;
}

bool IsValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        size_t length;
        if (DecodeUtf8At(text, pos, &length) == kReplacementChar && length == 1) {
            // U+FFFD written out in UTF-8 is three bytes long, so a length of
            // one means a bad byte.
            return false;
        }
        pos += length;
    }
    return true;
}

bool LooksLikeCodePage(std::string_view text, CodePage page) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = at(i);
        if (c < 0x80) continue;
        if (page == CodePage::kCp932) {
            if (c >= 0xA1 && c <= 0xDF) continue;  // half-width katakana
            const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            if (!lead || i + 1 >= text.size()) return false;
            const unsigned char t = at(++i);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
        } else {
            size_t trail = 1;
            if (c == 0x8F) {
                trail = 2;  // JIS X 0212 through SS3
            } else if (c == 0x8E) {
                if (i + 1 >= text.size() || at(i + 1) < 0xA1 || at(i + 1) > 0xDF) return false;
                ++i;
                continue;
            } else if (c < 0xA1 || c > 0xFE) {
                return false;
            }
            for (size_t k = 0; k < trail; ++k) {
                if (i + 1 >= text.size() || at(i + 1) < 0xA1 || at(i + 1) > 0xFE) return false;
                ++i;
            }
        }
    }
    return true;
}

std::string EncodeWithReferences(std::string_view utf8, CodePage page) {
    CodePageEncoder encoder(page);
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80) {  // both code pages keep ASCII as it is
            out += static_cast<char>(c);
            ++pos;
            continue;
        }
        size_t length;
        const char32_t cp = DecodeUtf8At(utf8, pos, &length);
        pos += length;
        if (!encoder.Append(cp, &out)) {
            out += "&#";
            out += std::to_string(static_cast<uint32_t>(cp));
            out += ';';
        }
    }
    return out;
}

}  // namespace ze
