// Code page 932 through iconv. glibc's CP932 table also accepts look-alikes
// (U+301C WAVE DASH becomes 0x8160, which reads back as U+FF5E), so each
// character is converted there and back, and only an exact round trip
// counts: the same set of characters that Windows maps without best-fit.
#ifndef _WIN32

#include <iconv.h>

#include "view/transfer/cp932.h"

namespace ze::transfer {

struct Cp932Encoder::State {
    iconv_t to = reinterpret_cast<iconv_t>(-1);
    iconv_t from = reinterpret_cast<iconv_t>(-1);
    ~State() {
        if (to != reinterpret_cast<iconv_t>(-1)) iconv_close(to);
        if (from != reinterpret_cast<iconv_t>(-1)) iconv_close(from);
    }
};

Cp932Encoder::Cp932Encoder() : m_state(std::make_unique<State>()) {
    m_state->to = iconv_open("CP932", "UTF-32LE");
    m_state->from = iconv_open("UTF-32LE", "CP932");
}

Cp932Encoder::~Cp932Encoder() = default;

namespace {
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
}  // namespace

bool Cp932Encoder::Append(char32_t cp, std::string* out) {
    const iconv_t invalid = reinterpret_cast<iconv_t>(-1);
    if (m_state->to == invalid || m_state->from == invalid) return false;
    const char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                        static_cast<char>((cp >> 16) & 0xFF), static_cast<char>((cp >> 24) & 0xFF)};
    char encoded[16];
    size_t encodedLength = sizeof encoded;
    if (!Convert(m_state->to, in, sizeof in, encoded, &encodedLength) || encodedLength == 0)
        return false;
    char back[16];
    size_t backLength = sizeof back;
    if (!Convert(m_state->from, encoded, encodedLength, back, &backLength) || backLength != 4)
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (back[i] != in[i]) return false;
    out->append(encoded, encodedLength);
    return true;
}

}  // namespace ze::transfer

#endif  // _WIN32
