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

// Words that name a detail say it when the status has it and read whole
// without it: no "byte -1", no "a  file".
TEST(Status, WordsNameTheDetailTheyHave) {
    const auto text = [](ze::Status s, TextLanguage language = TextLanguage::kEnglish) {
        return ze::StatusText(s, language);
    };
    ze::Status type = StatusCode::kNotThisType;
    EXPECT_EQ(text(type), "not a picture");
    EXPECT_EQ(text(type, TextLanguage::kJapanese), "画像ではありません。");
    type.name = "AVIF";
    EXPECT_EQ(text(type), "not an AVIF file");
    type.name = "PNG";
    EXPECT_EQ(text(type), "not a PNG file");
    EXPECT_EQ(text(type, TextLanguage::kJapanese), "PNG ファイルではありません。");

    ze::Status cut = StatusCode::kCutOff;
    EXPECT_EQ(text(cut), "the file is cut off");
    cut.offset = 0;
    EXPECT_EQ(text(cut, TextLanguage::kJapanese), "ファイルが空です。");
    cut.offset = 7;
    EXPECT_EQ(text(cut), "the file is cut off at byte 7");
    EXPECT_EQ(text(StatusCode::kCorrupt, TextLanguage::kJapanese), "ファイルが壊れています。");
    EXPECT_EQ(text(StatusCode::kOverBound), "too large");

    ze::Status grid = StatusCode::kDecodeMemoryGrid;
    grid.width = 4096, grid.height = 4096, grid.value = 1500, grid.limit = 1024;
    EXPECT_EQ(text(grid),
              "the AVIF picture (4096x4096, a grid of tiles) needs 1500 MB of working memory to "
              "decode; the limit is 1024 MB");
}
