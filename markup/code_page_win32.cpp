// SPDX-License-Identifier: GPL-3.0-or-later
// Code pages through the system's tables, without best-fit guesses: a
// character the table cannot hold exactly is reported, not replaced.
#ifdef _WIN32

#include <windows.h>

#include "markup/text_encoding.h"

namespace ze {
namespace {
UINT CodePageNumber(CodePage page) {
    return page == CodePage::kCp932 ? 932 : 20932;
}

void AppendUtf8(char32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

struct CodePageEncoder::State {
    UINT codePage;
};

CodePageEncoder::CodePageEncoder(CodePage page)
    : m_state(std::make_unique<State>(State{CodePageNumber(page)})) {}
CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::Append(char32_t cp, std::string* out) {
    wchar_t wide[2];
    int wideLength = 1;
    if (cp >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        wideLength = 2;
    } else {
        wide[0] = static_cast<wchar_t>(cp);
    }
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(m_state->codePage, WC_NO_BEST_FIT_CHARS, wide,
                                           wideLength, bytes, sizeof bytes, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    out->append(bytes, static_cast<size_t>(length));
    return true;
}

size_t DecodeCodePageUpTo(std::string_view bytes, CodePage page, size_t limit, std::string* out) {
    // Character by character, so that a bad byte costs only itself: a lead
    // byte takes its trail byte when the pair converts, else stands alone.
    const UINT codePage = CodePageNumber(page);
    const size_t start = out->size();
    size_t pos = 0;
    while (pos < bytes.size() && out->size() - start < limit) {
        const unsigned char c = static_cast<unsigned char>(bytes[pos]);
        if (c < 0x80) {
            *out += static_cast<char>(c);
            ++pos;
            continue;
        }
        std::string character = "\xEF\xBF\xBD";
        size_t used = 1;
        for (int length = 3; length >= 1; --length) {
            if (pos + static_cast<size_t>(length) > bytes.size()) continue;
            wchar_t wide[4];
            const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data() + pos,
                                              length, wide, 4);
            if (n < 1) continue;
            character.clear();
            for (int i = 0; i < n; ++i) {
                char32_t cp = wide[i];
                if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[++i] - 0xDC00);
                }
                AppendUtf8(cp, &character);
            }
            used = static_cast<size_t>(length);
            break;
        }
        if (character.size() > limit - (out->size() - start)) break;
        *out += character;
        pos += used;
    }
    return pos;
}

std::string DecodeCodePage(std::string_view bytes, CodePage page) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    DecodeCodePageUpTo(bytes, page, static_cast<size_t>(-1), &out);
    return out;
}

}  // namespace ze

#endif  // _WIN32
