// SPDX-License-Identifier: GPL-3.0-or-later
// Code pages through iconv. glibc's CP932 table also accepts look-alikes
// (U+301C WAVE DASH becomes 0x8160, which reads back as U+FF5E), so each
// character is converted there and back, and only an exact round trip
// counts: the same set of characters that Windows maps without best-fit.
//
// Where glibc's tables leave a byte of a windows-874 or windows-125x page
// undefined between 0x80 and 0x9F (0x81, 0x8D, 0x8F, 0x90 and 0x9D in
// windows-1252), browsers and Windows read the C1 control of the same
// number; so do we, and we write it back as that byte. Browsers also read
// the byte 0x80 of a GBK or gb18030 page as the euro sign, which glibc's
// GB18030 refuses.
#ifndef _WIN32

#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "markup/text_encoding.h"

namespace ze {
namespace {
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

// One conversion of a short buffer; false on any failure.
bool Convert(iconv_t cd, const char* in, size_t inLength, char* out, size_t* outLength) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inLength;
    char* outPtr = out;
    size_t outLeft = *outLength;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
        return false;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
    *outLength = static_cast<size_t>(outPtr - out);
    return true;
}

struct Iconv {
    iconv_t cd;
    Iconv(const char* to, const char* from) : cd(to && from ? iconv_open(to, from) : kInvalid) {}
    ~Iconv() {
        if (cd != kInvalid) iconv_close(cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
};

bool IsWindowsFamily(CodePage page) {
    return page == CodePage::kWindows874 ||
           (page >= CodePage::kWindows1250 && page <= CodePage::kWindows1258);
}

// Whether the single byte `b` has no character in the platform's table.
bool Undefined(iconv_t from, unsigned char b) {
    const char in = static_cast<char>(b);
    char out[8];
    size_t length = sizeof out;
    return !Convert(from, &in, 1, out, &length);
}

void Utf32Le(char32_t cp, char* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((cp >> (8 * i)) & 0xFF);
}
}  // namespace

struct CodePageEncoder::State {
    Iconv to;
    Iconv from;
    explicit State(CodePage page)
        : to(InfoOf(page).iconv, "UTF-32LE"), from("UTF-32LE", InfoOf(page).iconv) {}
};

CodePageEncoder::CodePageEncoder(CodePage page)
    : m_page(page), m_state(std::make_unique<State>(page)) {}

CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::AppendConverted(char32_t cp, std::string* out) {
    if (m_state->to.cd == kInvalid || m_state->from.cd == kInvalid) return false;
    char in[4];
    Utf32Le(cp, in);
    char encoded[16];
    size_t encodedLength = sizeof encoded;
    if (!Convert(m_state->to.cd, in, sizeof in, encoded, &encodedLength) || encodedLength == 0) {
        if (IsWindowsFamily(m_page) && cp >= 0x80 && cp <= 0x9F &&
            Undefined(m_state->from.cd, cp)) {
            *out += static_cast<char>(cp);
            return true;
        }
        return false;
    }
    char back[16];
    size_t backLength = sizeof back;
    if (!Convert(m_state->from.cd, encoded, encodedLength, back, &backLength) || backLength != 4)
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (back[i] != in[i]) return false;
    out->append(encoded, encodedLength);
    return true;
}

bool ConvertRun(std::u32string_view run, CodePage page, std::string* out) {
    Iconv cd(InfoOf(page).iconv, "UTF-32LE");
    if (cd.cd == kInvalid) return false;
    std::string in(run.size() * 4, '\0');
    for (size_t i = 0; i < run.size(); ++i) Utf32Le(run[i], &in[4 * i]);
    std::string encoded(run.size() * 8 + 8, '\0');
    size_t length = encoded.size();
    if (!Convert(cd.cd, in.data(), in.size(), encoded.data(), &length)) return false;
    out->append(encoded.data(), length);
    return true;
}

struct CodePageDecoder::State {
    Iconv cd;
    explicit State(CodePage page) : cd("UTF-8", InfoOf(page).iconv) {}
};

CodePageDecoder::CodePageDecoder(CodePage page)
    : m_page(page), m_state(std::make_unique<State>(page)) {}

CodePageDecoder::~CodePageDecoder() = default;

size_t CodePageDecoder::DecodeUpTo(std::string_view bytes, size_t limit, std::string* out) {
    const size_t start = out->size();
    Iconv& cd = m_state->cd;
    if (cd.cd != kInvalid) iconv(cd.cd, nullptr, nullptr, nullptr, nullptr);
    const bool windows = IsWindowsFamily(m_page);
    const bool chinese = m_page == CodePage::kGbk || m_page == CodePage::kGb18030;
    size_t pos = 0;
    char buffer[4096];
    while (pos < bytes.size() && out->size() - start < limit) {
        char* inPtr = const_cast<char*>(bytes.data() + pos);
        size_t inLeft = bytes.size() - pos;
        char* outPtr = buffer;
        size_t outLeft = std::min(sizeof buffer, limit - (out->size() - start));
        const size_t done = cd.cd == kInvalid ? static_cast<size_t>(-1)
                                              : iconv(cd.cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const bool full = done == static_cast<size_t>(-1) && errno == E2BIG;
        out->append(buffer, static_cast<size_t>(outPtr - buffer));
        pos = bytes.size() - inLeft;
        if (full && outPtr == buffer) break;  // the limit falls inside a character
        if (done == static_cast<size_t>(-1) && !full && outPtr == buffer && pos < bytes.size()) {
            // Nothing converted: a byte that starts no character (or an
            // incomplete one at the end). Replace it and go on after it.
            const auto b = static_cast<unsigned char>(bytes[pos]);
            std::string character = "\xEF\xBF\xBD";
            if (windows && b >= 0x80 && b <= 0x9F) {
                character.clear();
                AppendUtf8(b, &character);
            } else if (chinese && b == 0x80) {
                character = "\xE2\x82\xAC";  // the euro sign, as GBK writes it
            }
            if (limit - (out->size() - start) < character.size()) break;
            *out += character;
            ++pos;
            if (cd.cd != kInvalid) iconv(cd.cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return pos;
}

}  // namespace ze

#endif  // _WIN32
