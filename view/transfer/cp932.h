#pragma once
// One character to code page 932, implemented once per platform
// (cp932_posix.cpp through iconv, cp932_win32.cpp through the system's
// code page tables).

#include <memory>
#include <string>

namespace ze::transfer {

class Cp932Encoder {
public:
    Cp932Encoder();
    ~Cp932Encoder();
    Cp932Encoder(const Cp932Encoder&) = delete;
    Cp932Encoder& operator=(const Cp932Encoder&) = delete;

    // Appends the code page 932 bytes of the Unicode scalar value `cp` to
    // `out` and answers true, or answers false (and appends nothing) when
    // the table has no entry that maps back to `cp`.
    bool Append(char32_t cp, std::string* out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace ze::transfer
