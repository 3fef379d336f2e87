// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of status words, and what real failures of the file layer
// say in each language.

#include "io/status.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "io/own_file.h"
#include "io/safe_write.h"
#include "support/test_util.h"

namespace {

using ze::StatusCode;
using ze::TextLanguage;

bool IsAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

// English is a clause for after "cannot ...: " (plain ASCII, no full stop);
// Japanese a sentence of its own, and never the English.
TEST(Status, EveryCodeHasEnglishAndJapaneseWords) {
    for (int i = 0; i <= int(StatusCode::kLast); ++i) {
        const std::string en = ze::StatusText(StatusCode(i), TextLanguage::kEnglish);
        const std::string ja = ze::StatusText(StatusCode(i), TextLanguage::kJapanese);
        EXPECT_FALSE(en.empty()) << i;
        EXPECT_TRUE(IsAscii(en) && en.back() != '.') << i << " " << en;
        EXPECT_FALSE(IsAscii(ja)) << i << " " << ja;
        EXPECT_TRUE(ja.ends_with("。")) << i << " " << ja;
    }
}

// A file that is missing, a folder that is missing, a file over the bound:
// each says what went wrong, in the direction it went wrong in, with the
// system's number kept.
TEST(Status, RealFailuresInBothLanguages) {
    testutil::TempDir dir;
    std::string bytes;
    const ze::Status missing = ze::ReadNamedFile(dir.File("none.html"), 100, &bytes);
    EXPECT_EQ(missing, StatusCode::kMissing);
    EXPECT_EQ(missing.sysError, ENOENT);
    EXPECT_EQ(ze::StatusText(missing, TextLanguage::kEnglish), "no such file");

    const ze::Status noFolder =
        ze::WriteFileSafely(dir.File("none/a.png"), [](std::FILE*) { return true; });
    EXPECT_EQ(noFolder, StatusCode::kNoFolder);
    EXPECT_EQ(ze::StatusText(noFolder, TextLanguage::kEnglish), "folder missing");
    EXPECT_EQ(ze::StatusText(noFolder, TextLanguage::kJapanese), "フォルダがありません。");

    testutil::WriteFile(dir.File("big.html"), std::string(101, 'x'));
    const ze::Status big = ze::ReadNamedFile(dir.File("big.html"), 100, &bytes);
    EXPECT_EQ(big, StatusCode::kOverBound);
    EXPECT_TRUE(bytes.empty());
    ze::Status bounded = big;
    bounded.limit = int64_t{64} << 20;
    EXPECT_EQ(ze::StatusText(bounded, TextLanguage::kEnglish), "larger than 64 MB");
    EXPECT_EQ(ze::StatusText(bounded, TextLanguage::kJapanese), "64 MB より大きいです。");
}
