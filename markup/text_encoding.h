// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text encodings at the edges of the program: UTF-8 inside; outside, every
// encoding a browser reads a page in, and code page 932 (Shift_JIS as
// Windows and browsers read it) for the sibling transfer. UTF-8 and UTF-16
// are converted here; the code page tables come from the platform
// (code_page_posix.cpp through iconv, code_page_win32.cpp through the
// system's tables).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ze {

// The encodings a page can be read in, by the names browsers give them.
enum class CodePage : uint8_t {
    kUtf8,
    kShiftJis,  // code page 932
    kEucJp,
    kIso2022Jp,
    kUtf16Le,
    kUtf16Be,
    kGbk,
    kGb18030,
    kBig5,
    kEucKr,
    kIbm866,
    kIso8859_2,
    kIso8859_3,
    kIso8859_4,
    kIso8859_5,
    kIso8859_6,
    kIso8859_7,
    kIso8859_8,
    kIso8859_8I,
    kIso8859_10,
    kIso8859_13,
    kIso8859_14,
    kIso8859_15,
    kIso8859_16,
    kKoi8R,
    kKoi8U,
    kMacintosh,
    kWindows874,
    kWindows1250,
    kWindows1251,
    kWindows1252,
    kWindows1253,
    kWindows1254,
    kWindows1255,
    kWindows1256,
    kWindows1257,
    kWindows1258,
    kXMacCyrillic,
};

// What the rest of the program needs to know of an encoding.
struct CodePageInfo {
    const char* name;   // as browsers name it, for messages ("Shift_JIS", "windows-1252")
    const char* iconv;  // the name glibc's iconv knows it by; null where we convert it
    unsigned windows;   // the Windows code page number; 0 where Windows has none
    bool asciiBytes;    // every byte below 0x80 is that ASCII character, always
    bool singleByte;    // one byte a character
};
const CodePageInfo& InfoOf(CodePage page);
inline const char* CodePageName(CodePage page) {
    return InfoOf(page).name;
}

// One character at a time into a code page, exactly or not at all.
class CodePageEncoder {
public:
    explicit CodePageEncoder(CodePage page = CodePage::kShiftJis);
    ~CodePageEncoder();
    CodePageEncoder(const CodePageEncoder&) = delete;
    CodePageEncoder& operator=(const CodePageEncoder&) = delete;

    // Appends the bytes of the Unicode scalar value `cp` to `out` and
    // answers true, or answers false (and appends nothing) when the table
    // has no entry that reads back as `cp` (no best-fit look-alikes).
    bool Append(char32_t cp, std::string* out);

private:
    bool AppendConverted(char32_t cp, std::string* out);  // per platform
    struct State;
    CodePage m_page;
    std::unique_ptr<State> m_state;
};

// Bytes of the code page to UTF-8. A byte that starts no valid character
// becomes U+FFFD and decoding goes on with the next byte (the next code
// unit in UTF-16).
std::string DecodeCodePage(std::string_view bytes, CodePage page);
// Decodes as DecodeCodePage does, appending to `out`, until `limit` bytes of
// UTF-8 have come (or a character would go beyond them); answers how many
// bytes of `bytes` were read. Decoding starts afresh after any character, so
// the rest of the bytes decode to the rest of the text (in ISO-2022-JP,
// where the text is back in ASCII, as at every line break).
size_t DecodeCodePageUpTo(std::string_view bytes, CodePage page, size_t limit, std::string* out);

constexpr char32_t kReplacementChar = 0xFFFD;

// Decodes one UTF-8 sequence at text[pos]. Answers the scalar value and sets
// *length, or answers U+FFFD with *length 1 for a byte that does not start a
// complete, shortest-form sequence of a scalar value.
char32_t DecodeUtf8At(std::string_view text, size_t pos, size_t* length);
void AppendUtf8(char32_t cp, std::string* out);

// True when every byte of `text` belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);
// True when `text` is a plausible byte sequence of Shift_JIS or EUC-JP:
// every byte above 0x7F starts or ends a well-formed character (structure
// only, no table look-up).
bool LooksLikeCodePage(std::string_view text, CodePage page);

// UTF-8 to the code page. A character the code page cannot hold exactly
// becomes a decimal character reference such as "&#12316;"; a byte that is
// not part of valid UTF-8 becomes "&#65533;". ASCII passes unchanged where
// the code page keeps ASCII bytes.
std::string EncodeWithReferences(std::string_view utf8, CodePage page);

// The platform's conversion of a run of characters it can all hold, in one
// piece (ISO-2022-JP switches sets once a run, not once a character).
bool ConvertRun(std::u32string_view run, CodePage page, std::string* out);
// The platform's decoding, for the code pages with an iconv name: as
// DecodeCodePageUpTo, with one converter kept for many calls.
class CodePageDecoder {
public:
    explicit CodePageDecoder(CodePage page);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;
    size_t DecodeUpTo(std::string_view bytes, size_t limit, std::string* out);

private:
    struct State;
    CodePage m_page;
    std::unique_ptr<State> m_state;
};
// ISO-2022-JP's escapes read in our code, its JIS X 0208 characters through
// the platform's EUC-JP table (iso_2022_jp.cpp). Where reading stands is
// kept in `state` from one call to the next (a fresh state is ASCII), so
// that bytes read in pieces read as they do in one.
struct Iso2022JpState {
    uint8_t set = 0;
    bool switched = false;
};
size_t DecodeIso2022JpUpTo(std::string_view bytes, size_t limit, std::string* out,
                           Iso2022JpState* state);

}  // namespace ze
