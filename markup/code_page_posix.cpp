// SPDX-License-Identifier: GPL-3.0-or-later
// Code pages through iconv. glibc's CP932 table also accepts look-alikes
// (U+301C WAVE DASH becomes 0x8160, which reads back as U+FF5E), so each
// character is converted there and back, and only an exact round trip
// counts: the same set of characters that Windows maps without best-fit.
#ifndef _WIN32

#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "markup/text_encoding.h"

namespace ze {
namespace {
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

const char* IconvName(CodePage page) {
    return page == CodePage::kCp932 ? "CP932" : "EUC-JP";
}

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
    Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (cd != kInvalid) iconv_close(cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
};
}  // namespace

struct CodePageEncoder::State {
    Iconv to;
    Iconv from;
    explicit State(CodePage page)
        : to(IconvName(page), "UTF-32LE"), from("UTF-32LE", IconvName(page)) {}
};

CodePageEncoder::CodePageEncoder(CodePage page) : m_state(std::make_unique<State>(page)) {}

CodePageEncoder::~CodePageEncoder() = default;

bool CodePageEncoder::Append(char32_t cp, std::string* out) {
    if (m_state->to.cd == kInvalid || m_state->from.cd == kInvalid) return false;
    const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                        static_cast<char>((cp >> 16) & 0xFF), static_cast<char>((cp >> 24) & 0xFF)};
    char encoded[16];
    size_t encodedLength = sizeof encoded;
    if (!Convert(m_state->to.cd, in, sizeof in, encoded, &encodedLength) || encodedLength == 0)
        return false;
    char back[16];
    size_t backLength = sizeof back;
    if (!Convert(m_state->from.cd, encoded, encodedLength, back, &backLength) || backLength != 4)
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (back[i] != in[i]) return false;
    out->append(encoded, encodedLength);
    return true;
}

size_t DecodeCodePageUpTo(std::string_view bytes, CodePage page, size_t limit, std::string* out) {
    const size_t start = out->size();
    Iconv cd("UTF-8", IconvName(page));
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
            if (limit - (out->size() - start) < 3) break;
            *out += "\xEF\xBF\xBD";
            ++pos;
            if (cd.cd != kInvalid) iconv(cd.cd, nullptr, nullptr, nullptr, nullptr);
        }
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
