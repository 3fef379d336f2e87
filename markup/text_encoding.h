// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text encodings at the edges of the program: UTF-8 inside, code page 932
// (Shift_JIS as Windows and browsers read it) and EUC-JP outside. The code
// page tables come from the platform (code_page_posix.cpp through iconv,
// code_page_win32.cpp through the system's tables); everything else here is
// platform-free.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace ze {

enum class CodePage { kCp932, kEucJp };

// One character at a time into a code page, exactly or not at all.
class CodePageEncoder {
public:
    explicit CodePageEncoder(CodePage page = CodePage::kCp932);
    ~CodePageEncoder();
    CodePageEncoder(const CodePageEncoder&) = delete;
    CodePageEncoder& operator=(const CodePageEncoder&) = delete;

    // Appends the bytes of the Unicode scalar value `cp` to `out` and
    // answers true, or answers false (and appends nothing) when the table
    // has no entry that reads back as `cp` (no best-fit look-alikes).
    bool Append(char32_t cp, std::string* out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Bytes of the code page to UTF-8. A byte that starts no valid character
// becomes U+FFFD and decoding goes on with the next byte.
std::string DecodeCodePage(std::string_view bytes, CodePage page);
// Decodes as DecodeCodePage does, appending to `out`, until `limit` bytes of
// UTF-8 have come (or a character would go beyond them); answers how many
// bytes of `bytes` were read. Decoding starts afresh after any character, so
// the rest of the bytes decode to the rest of the text.
size_t DecodeCodePageUpTo(std::string_view bytes, CodePage page, size_t limit, std::string* out);

constexpr char32_t kReplacementChar = 0xFFFD;

// Decodes one UTF-8 sequence at text[pos]. Answers the scalar value and sets
// *length, or answers U+FFFD with *length 1 for a byte that does not start a
// complete, shortest-form sequence of a scalar value.
char32_t DecodeUtf8At(std::string_view text, size_t pos, size_t* length);

// True when every byte of `text` belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);
// True when `text` is a plausible byte sequence of the code page: every
// byte above 0x7F starts or ends a well-formed character (structure only,
// no table look-up).
bool LooksLikeCodePage(std::string_view text, CodePage page);

// UTF-8 to the code page. A character the code page cannot hold exactly
// becomes a decimal character reference such as "&#12316;"; a byte that is
// not part of valid UTF-8 becomes "&#65533;". ASCII passes unchanged.
std::string EncodeWithReferences(std::string_view utf8, CodePage page);

}  // namespace ze
