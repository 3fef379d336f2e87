// Code page 932 through the system's table, without best-fit guesses: a
// character the table cannot hold exactly is reported, not replaced.
#ifdef _WIN32

#include <windows.h>

#include "view/transfer/cp932.h"

namespace ze::transfer {

struct Cp932Encoder::State {};

Cp932Encoder::Cp932Encoder() = default;
Cp932Encoder::~Cp932Encoder() = default;

bool Cp932Encoder::Append(char32_t cp, std::string* out) {
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
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, wideLength, bytes,
                                           sizeof bytes, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    out->append(bytes, static_cast<size_t>(length));
    return true;
}

}  // namespace ze::transfer

#endif  // _WIN32
