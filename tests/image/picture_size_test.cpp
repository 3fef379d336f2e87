// SPDX-License-Identifier: GPL-3.0-or-later
// The size from a picture's header alone: the size a full read gives, the
// same reason where it fails, and a size even where the pixels are damaged.

#include "image/picture_size.h"

#include <gtest/gtest.h>

#include <string>

#include "image/image.h"
#include "support/test_util.h"

namespace {

std::string Why(const ze::Status& failure) {
    return !failure.ok() ? ze::StatusText(failure, ze::TextLanguage::kEnglish) : std::string();
}

// A 24-bit picture of smooth colours saved as `type`.
std::string Saved(const testutil::TempDir& dir, const std::string& name, int type) {
    CImage image;
    image.Create(203, 117, 24, 2);
    for (int y = 0; y < 117; ++y)
        for (int x = 0; x < 203; ++x)
            image.SetPixelRGB(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y * 2),
                              static_cast<uint8_t>(x + y));
    const std::string path = dir.File(name);
    EXPECT_TRUE(image.Save(path, type)) << name;
    return testutil::ReadFile(path);
}

}  // namespace

TEST(PictureSize, HeaderGivesWhatAFullReadGives) {
    testutil::TempDir dir;
    const struct {
        const char* name;
        int type;
    } formats[] = {{"p.bmp", kImageBmp},  {"p.png", kImagePng},   {"p.gif", kImageGif},
                   {"p.jpg", kImageJpeg}, {"p.webp", kImageWebp}, {"p.avif", kImageAvif}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const std::string whole = Saved(dir, f.name, f.type);
        const std::string path = dir.File(f.name);
        // Whole, cut at every few bytes of the first hundred and at half,
        // with garbage over the last half: the answer of a full read, or a
        // size where a full read gives a picture.
        std::vector<std::string> variants = {whole, whole.substr(0, whole.size() / 2)};
        for (size_t n = 0; n < 100; n += 7) variants.push_back(whole.substr(0, n));
        std::string garbled = whole;
        for (size_t i = garbled.size() / 2; i < garbled.size(); ++i) garbled[i] = char(i * 37);
        variants.push_back(garbled);
        for (const std::string& bytes : variants) {
            testutil::WriteFile(path, bytes);
            CImage full(path, f.type);
            const ze::HeaderSize size = ze::ReadPictureSize(path, f.type);
            SCOPED_TRACE(bytes.size());
            if (full.GetWidth() > 0) {
                EXPECT_EQ(size.width, full.GetWidth());
                EXPECT_EQ(size.height, full.GetHeight());
                EXPECT_TRUE(size.failure.ok()) << Why(size.failure);
            } else if (!size.failure.ok()) {
                EXPECT_EQ(Why(size.failure), Why(full.GetReadFailure()));
            } else {
                // Only the pixels are damaged: the header still tells the size.
                EXPECT_EQ(size.width, 203);
                EXPECT_EQ(size.height, 117);
            }
        }
    }
}

TEST(PictureSize, LyingHeadersAreRefusedAsAFullReadRefusesThem) {
    testutil::TempDir dir;
    const std::string path = dir.File("huge.bmp");
    std::string bmp = Saved(dir, "huge.bmp", kImageBmp);
    bmp[18] = bmp[19] = bmp[20] = 0, bmp[21] = 0x40;  // a width of a billion pixels
    testutil::WriteFile(path, bmp);
    const ze::HeaderSize size = ze::ReadPictureSize(path, kImageBmp);
    EXPECT_FALSE(size.failure.ok());
    EXPECT_EQ(Why(size.failure), Why(CImage(path, kImageBmp).GetReadFailure()));
}
