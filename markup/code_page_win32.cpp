// SPDX-License-Identifier: GPL-3.0-or-later
// Code pages through the system's tables, without best-fit guesses: a
// character the table cannot hold exactly is reported, not replaced.
#ifdef _WIN32

#include <windows.h>

#include <vector>

#include "markup/text_encoding.h"

namespace ze {
namespace {
// UTF-16 code units of a run of scalar values.
std::wstring Wide(std::u32string_view run) {
    std::wstring wide;
    for (char32_t cp : run) {
        if (cp >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(cp);
        }
    }
    return wide;
}

// Flags for WideCharToMultiByte: the stateful and the UTF code pages take
// none (and ISO-2022-JP none for MultiByteToWideChar either).
DWORD NoBestFit(UINT codePage) {
    return codePage == 50220 || codePage == 54936 || codePage == 65001 ? 0 : WC_NO_BEST_FIT_CHARS;
}

bool ToCodePage(UINT codePage, const std::wstring& wide, std::string* out) {
    if (codePage == 0 || wide.empty()) return codePage != 0;
    const int size =
        WideCharToMultiByte(codePage, NoBestFit(codePage), wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    BOOL usedDefault = FALSE;
    BOOL* used = NoBestFit(codePage) ? &usedDefault : nullptr;
    if (WideCharToMultiByte(codePage, NoBestFit(codePage), wide.data(),
                            static_cast<int>(wide.size()), bytes.data(), size, nullptr,
                            used) != size ||
        usedDefault)
        return false;
    // Read back: only an exact round trip counts.
    std::vector<wchar_t> back(wide.size() + 4);
    const int n =
        MultiByteToWideChar(codePage, codePage == 50220 ? 0 : MB_ERR_INVALID_CHARS, bytes.data(),
                            size, back.data(), static_cast<int>(back.size()));
    if (n != static_cast<int>(wide.size()) || !std::equal(wide.begin(), wide.end(), back.begin()))
        return false;
    *out += bytes;
    return true;
}
}  // namespace

struct CodePageEncoder::State {
    UINT codePage;
};

CodePageEncoder::CodePageEncoder(CodePage page)
    : m_page(page), m_state(std::make_unique<State>(State{InfoOf(page).windows})) {}
CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::AppendConverted(char32_t cp, std::string* out) {
    const char32_t one[1] = {cp};
    return ToCodePage(m_state->codePage, Wide(std::u32string_view(one, 1)), out);
}

bool ConvertRun(std::u32string_view run, CodePage page, std::string* out) {
    return ToCodePage(InfoOf(page).windows, Wide(run), out);
}

struct CodePageDecoder::State {
    UINT codePage;
};

CodePageDecoder::CodePageDecoder(CodePage page)
    : m_page(page), m_state(std::make_unique<State>(State{InfoOf(page).windows})) {}
CodePageDecoder::~CodePageDecoder() = default;

size_t CodePageDecoder::DecodeUpTo(std::string_view bytes, size_t limit, std::string* out) {
    // Character by character, so that a bad byte costs only itself: a lead
    // byte takes its trail bytes when they convert, else stands alone.
    const UINT codePage = m_state->codePage;
    const size_t start = out->size();
    size_t pos = 0;
    while (pos < bytes.size() && out->size() - start < limit) {
        const unsigned char c = static_cast<unsigned char>(bytes[pos]);
        if (c < 0x80 && InfoOf(m_page).asciiBytes) {
            *out += static_cast<char>(c);
            ++pos;
            continue;
        }
        std::string character = "\xEF\xBF\xBD";
        size_t used = 1;
        for (int length = 4; length >= 1 && codePage != 0; --length) {
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

}  // namespace ze

#endif  // _WIN32
