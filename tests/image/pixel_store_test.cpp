// SPDX-License-Identifier: GPL-3.0-or-later
// The picture's pixel store: saves in other formats leave it (and whatever
// reads it) as it was; alpha comes back exactly from PNG, WebP and AVIF; formats
// that keep less alpha get the picture as shown, and say so.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/flatten.h"
#include "image/image.h"
#include "image/view_render.h"
#include "support/test_util.h"

namespace {

// 7 x 5, colours that vary, alpha 0 (over a colour that must survive),
// 128 and 255.
void FillRgba(CImage& image) {
    image.Create(7, 5, 24, -1);
    PixelStore& pixels = image.Pixels();
    ASSERT_TRUE(pixels.CreateAlpha());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            pixels.SetPixelRGB(x, y, static_cast<uint8_t>(30 * x + 20),
                               static_cast<uint8_t>(40 * y), 200);
            pixels.AlphaRow(y)[x] = static_cast<uint8_t>(x == 0 ? 0 : x == 1 ? 128 : 255);
        }
}

// Each pixel's kept colour and alpha, rows from the bottom.
std::vector<int> Rgba(const PixelStore& pixels) {
    std::vector<int> out;
    for (int y = 0; y < pixels.imageHeight; ++y)
        for (int x = 0; x < pixels.imageWidth; ++x) {
            uint8_t c[3] = {};
            pixels.GetStraightRGB(x, y, c, c + 1, c + 2);
            out.insert(out.end(), {c[0], c[1], c[2], pixels.GetAlpha(x, y)});
        }
    return out;
}

}  // namespace

TEST(PixelStore, SavesInOtherFormatsLeaveThePixelsTheViewReads) {
    testutil::TempDir dir;
    CImage image;
    image.Create(40, 30, 8, -1);
    const uint8_t palette[] = {0, 0, 0, 250, 10, 10, 10, 250, 10, 10, 10, 250};
    image.SetPalette(4, palette);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) image.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) % 4));
    const CPictureRows rows(image);
    const uint64_t generation = image.Pixels().Generation();
    std::vector<uint32_t> before(40), after(40);
    rows.Row(7, 0, 40, before.data());
    for (const char* ext : {"png", "gif", "jpg", "webp", "bmp", "xpm"}) {
        SCOPED_TRACE(ext);
        const bool writable = std::string(ext) != "xpm";
        EXPECT_EQ(image.Save(dir.File(std::string("p.") + ext), kImageUnknown), writable ? 1 : 0);
        // Another codec, the same pixels: rows made before read them still.
        EXPECT_EQ(image.Pixels().Generation(), generation);
        rows.Row(7, 0, 40, after.data());
        EXPECT_EQ(after, before);
    }
    EXPECT_EQ(image.GetType(), kImageBmp);
    // A picture read anew is another generation: the view makes new rows.
    ASSERT_EQ(image.Load(dir.File("p.png"), kImagePng), 1);
    EXPECT_NE(image.Pixels().Generation(), generation);
}

TEST(PixelStore, AlphaComesBackExactlyFromPngWebpAndAvif) {
    testutil::TempDir dir;
    CImage image;
    FillRgba(image);
    const std::vector<int> want = Rgba(image.Pixels());
    // Shown (and read out) laid over the matte colour, as libpng lays it.
    uint8_t r = 0, g = 0, b = 0;
    image.GetPixelRGB(1, 0, &r, &g, &b);
    EXPECT_EQ(r, 41);   // 50 at alpha 128 over 31
    EXPECT_EQ(b, 227);  // 200 at alpha 128 over 255
    image.GetPixelRGB(0, 2, &r, &g, &b);
    EXPECT_EQ(r * 65536 + g * 256 + b, 31 * 65536 + 127 * 256 + 255);
    // Lossless, every pixel comes back; lossy, the alpha still does.
    for (const char* ext : {"png", "webp", "avif"}) {
        SCOPED_TRACE(ext);
        const std::string path = dir.File(std::string("a.") + ext);
        ASSERT_EQ(image.Save(path, kImageUnknown, {0, true}), 1);
        CImage back(path, kImageUnknown);
        EXPECT_EQ(Rgba(back.Pixels()), want);
        if (std::string(ext) == "png") continue;
        ASSERT_EQ(image.Save(path, kImageUnknown, {80, false}), 1);
        CImage lossy(path, kImageUnknown);
        const std::vector<int> got = Rgba(lossy.Pixels());
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 3; i < got.size(); i += 4) EXPECT_EQ(got[i], want[i]) << i / 4;
    }
    // ImageMagick reads the PNG's alpha channel as it was.
    const auto magick = testutil::RunProcess(
        {"/bin/sh", "-c", "exec convert \"$0\" -depth 8 -flip rgba:-", dir.File("a.png")});
    ASSERT_EQ(magick.exitCode, 0);
    EXPECT_EQ(magick.out, std::string(want.begin(), want.end()));

    // A grey picture keeps grey and alpha; a palette picture its alpha table.
    for (const bool indexed : {false, true}) {
        CImage small;
        small.Create(4, 3, 8, -1);
        const uint8_t colours[] = {5, 6, 7, 90, 80, 70, 200, 0, 100, 1, 2, 3};
        if (indexed) small.SetPalette(4, colours);
        ASSERT_TRUE(small.Pixels().CreateAlpha());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                small.SetPixelIndex(x, y, static_cast<uint8_t>(indexed ? x : 60 * x));
                small.Pixels().AlphaRow(y)[x] = static_cast<uint8_t>(x * 85);
            }
        ASSERT_EQ(small.Save(dir.File("s.png"), kImagePng), 1);
        CImage back(dir.File("s.png"), kImagePng);
        EXPECT_EQ(Rgba(back.Pixels()), Rgba(small.Pixels()));
        EXPECT_EQ(back.GetDepth(), 8);
        EXPECT_EQ(back.GetPalette() != nullptr, indexed);
    }
}

TEST(PixelStore, FormatsWithLessAlphaGetThePictureAsShown) {
    testutil::TempDir dir;
    CImage image;
    FillRgba(image);
    for (const int code : {kImageJpeg, kImageBmp, kImageGif})
        EXPECT_EQ(ze::AlphaOnSaveAs(image.Pixels(), code), ze::AlphaOnSave::kFlattened);
    EXPECT_NE(ze::FlattenNote(image.Pixels(), kImageBmp, false).find("RGB(31, 127, 255)"),
              std::string::npos);
    ASSERT_EQ(image.Save(dir.File("f.bmp"), kImageBmp), 1);
    CImage flat(dir.File("f.bmp"), kImageBmp);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            uint8_t shown[3], written[3];
            image.GetPixelRGB(x, y, shown, shown + 1, shown + 2);
            flat.GetPixelRGB(x, y, written, written + 1, written + 2);
            EXPECT_EQ(std::vector<int>(shown, shown + 3), std::vector<int>(written, written + 3));
        }
    EXPECT_TRUE(image.Pixels().HasAlpha());  // the picture keeps its own

    // GIF: indices fully transparent or opaque become one transparent index.
    CImage indexed;
    indexed.Create(6, 2, 8, -1);
    const uint8_t colours[] = {9, 9, 9, 200, 0, 0, 0, 200, 0, 50, 50, 50};
    indexed.SetPalette(4, colours);
    ASSERT_TRUE(indexed.Pixels().CreateAlpha());
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 2; ++y) {
            indexed.SetPixelIndex(x, y, static_cast<uint8_t>(x % 4));
            indexed.Pixels().AlphaRow(y)[x] = x % 4 == 1 || x % 4 == 3 ? 0 : 255;
        }
    EXPECT_EQ(ze::AlphaOnSaveAs(indexed.Pixels(), kImageGif), ze::AlphaOnSave::kKept);
    EXPECT_TRUE(ze::FlattenNote(indexed.Pixels(), kImageGif, true).empty());
    ASSERT_EQ(indexed.Save(dir.File("t.gif"), kImageGif), 1);
    CImage gif(dir.File("t.gif"), kImageGif);
    EXPECT_EQ(gif.Pixels().transparentIndex, 1);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(gif.Pixels().GetAlpha(x, 0), indexed.Pixels().GetAlpha(x, 0));
    // Half transparency GIF cannot hold: the whole picture is laid over.
    indexed.Pixels().AlphaRow(0)[0] = 128;
    EXPECT_EQ(ze::AlphaOnSaveAs(indexed.Pixels(), kImageGif), ze::AlphaOnSave::kFlattened);
    EXPECT_FALSE(ze::FlattenNote(indexed.Pixels(), kImageGif, false).empty());

    // Full colours, clear or opaque: quantized, with one clear entry for
    // exactly the clear pixels.
    for (int y = 0; y < 5; ++y) image.Pixels().AlphaRow(y)[1] = 255;
    image.Pixels().AlphaRow(3)[4] = 0;
    EXPECT_EQ(ze::AlphaOnSaveAs(image.Pixels(), kImageGif), ze::AlphaOnSave::kKept);
    ASSERT_EQ(image.Save(dir.File("q.gif"), kImageGif), 1);
    CImage quantized(dir.File("q.gif"), kImageGif);
    std::vector<int> alpha, want;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            alpha.push_back(quantized.Pixels().GetAlpha(x, y));
            want.push_back(image.Pixels().GetAlpha(x, y));
        }
    EXPECT_EQ(alpha, want);
}
