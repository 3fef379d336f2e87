// SPDX-License-Identifier: GPL-3.0-or-later
// Every format the editor saves, written at the chosen quality or lossless,
// read back, and refused with a reason that leaves the target alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fixtures.h"
#include "gif_peer.h"
#include "image/avif_codec.h"
#include "image/avif_library.h"
#include "image/image.h"
#include "image/webp_codec.h"

namespace {

using fixture::Pixels;
using fixture::Psnr;

// A photograph's kind of picture: smooth shading with a fine grain, far more
// than 256 colours.
void Photo(CImage& image, int width, int height) {
    image.Create(width, height, 24, -1);
    uint32_t grain = 7;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            grain = grain * 1103515245u + 12345u;
            const int n = static_cast<int>(grain >> 29) - 4;
            const auto at = [&](double v) {
                return static_cast<uint8_t>(std::clamp(static_cast<int>(v) + n, 0, 255));
            };
            image.SetPixelRGB(x, y, at(128 + 100 * std::sin(x / 23.0 + y / 41.0)),
                              at(120 + 90 * std::cos(y / 17.0)), at(2.0 * (x + y) / 3));
        }
}

struct Saved {
    size_t bytes = 0;
    std::vector<fixture::Rgb> pixels;
};

Saved SaveAndRead(CImage& image, const std::string& path, int type, ze::SaveOptions options) {
    EXPECT_EQ(image.Save(path, type, options), 1) << path;
    CImage back;
    back.fullColour = true;
    back.Load(path, type);
    return {testutil::ReadFile(path).size(),
            back.impl ? Pixels(*back.impl) : decltype(Saved::pixels){}};
}

TEST(SaveFormats, QualityAndLosslessReachTheEncoders) {
    testutil::TempDir dir;
    CImage image;
    Photo(image, 160, 120);
    const auto full = Pixels(*image.impl);
    for (const int type : {kImageWebp, kImageAvif}) {
        SCOPED_TRACE(type);
        const Saved lossy = SaveAndRead(image, dir.File("q80"), type, {});
        const Saved exact = SaveAndRead(image, dir.File("ll"), type, {0, true});
        const Saved low = SaveAndRead(image, dir.File("q20"), type, {20, false});
        EXPECT_TRUE(exact.pixels == full);
        EXPECT_LT(lossy.bytes, exact.bytes);
        EXPECT_GE(Psnr(lossy.pixels, full), 35.0);
        EXPECT_LT(low.bytes, lossy.bytes);
    }
    // JPEG: 30 unless asked; a higher quality comes closer.
    const Saved byDefault = SaveAndRead(image, dir.File("d.jpg"), kImageJpeg, {});
    const std::string defaultBytes = testutil::ReadFile(dir.File("d.jpg"));
    SaveAndRead(image, dir.File("30.jpg"), kImageJpeg, {30, false});
    EXPECT_EQ(testutil::ReadFile(dir.File("30.jpg")), defaultBytes);
    const Saved fine = SaveAndRead(image, dir.File("90.jpg"), kImageJpeg, {90, false});
    EXPECT_GT(Psnr(fine.pixels, full), Psnr(byDefault.pixels, full) + 3);
}

TEST(SaveFormats, EveryListedFormatIsWrittenAndReadBack) {
    testutil::TempDir dir;
    CImage image;
    Photo(image, 61, 37);
    const auto full = Pixels(*image.impl);
    for (const PictureTypeInfo& info : PictureTypes()) {
        if (!info.filterLabel) continue;
        const std::string path = dir.File(std::string("all.") + info.extension);
        const Saved saved = SaveAndRead(image, path, info.code, {});
        EXPECT_GE(Psnr(saved.pixels, full), info.code == kImageJpeg ? 25.0 : 30.0) << path;
    }
    // The GIF holds the 256 colours libimagequant picked, dithered.
    CImage gif(dir.File("all.gif"), kImageGif);
    ASSERT_EQ(gif.GetDepth(), 8);
    std::set<int> used;
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 61; ++x) used.insert(gif.GetPixelIndex(x, y));
    EXPECT_GT(used.size(), 128u);
    // giflib reads the same colours from it.
    const gifpeer::Decoded peer = gifpeer::Read(dir.File("all.gif"));
    ASSERT_EQ(peer.pixels.size(), size_t{61 * 37});
    std::vector<fixture::Rgb> peerColours;
    for (const uint8_t index : peer.pixels)
        peerColours.push_back(
            {peer.colors[index][0], peer.colors[index][1], peer.colors[index][2]});
    EXPECT_TRUE(peerColours == Pixels(*gif.impl));
}

// libavif's conversion of a whole AVIF file into rows of blue, green, red,
// top row first, `width` * 3 bytes apart.
std::vector<uint8_t> LibavifRows(const std::string& path) {
    const ze::AvifLibrary* avif = ze::Avif();
    const std::string bytes = testutil::ReadFile(path);
    avifDecoder* decoder = avif->decoderCreate();
    std::vector<uint8_t> rows;
    if (avif->decoderSetIOMemory(decoder, reinterpret_cast<const uint8_t*>(bytes.data()),
                                 bytes.size()) == AVIF_RESULT_OK &&
        avif->decoderParse(decoder) == AVIF_RESULT_OK &&
        avif->decoderNextImage(decoder) == AVIF_RESULT_OK) {
        const avifImage* image = decoder->image;
        rows.resize(size_t{image->width} * 3 * image->height);
        avifRGBImage rgb =
            ze::RgbRows(*avif, image, AVIF_RGB_FORMAT_BGR, rows.data(), image->width * 3);
        if (avif->imageYUVToRGB(decoder->image, &rgb) != AVIF_RESULT_OK) rows.clear();
    }
    avif->decoderDestroy(decoder);
    return rows;
}

// The readers that leave the pixels to the decoder: AVIF pictures with
// samples of their own at every pixel (4:4:4, grey) are converted in bands
// of rows, here ending inside a band, and come out as libavif converts the
// whole picture, bottom row first; every row's padding is zero.
TEST(SaveFormats, DecodedRowsAreTheLibrarysWithZeroPadding) {
    testutil::TempDir dir;
    CImage image;
    Photo(image, 61, 37);
    ASSERT_EQ(image.Save(dir.File("p.avif"), kImageAvif, {}), 1);
    ASSERT_EQ(image.Save(dir.File("p.webp"), kImageWebp, {}), 1);
    const std::string grey = std::string(ZE_SOURCE_DIR) + "/fuzz/corpus/avif/grey.avif";
    for (const std::string& path : {dir.File("p.avif"), grey, dir.File("p.webp")}) {
        SCOPED_TRACE(path);
        PixelStore pixels;
        const bool avif = path.ends_with(".avif");
        ASSERT_EQ(avif ? CAvifImpl(pixels).Read(path) : CWebpImpl(pixels).Read(path), 1);
        const size_t width = static_cast<size_t>(pixels.imageWidth) * 3;
        const std::vector<uint8_t> library = avif ? LibavifRows(path) : std::vector<uint8_t>{};
        ASSERT_EQ(library.size(), avif ? width * pixels.imageHeight : 0);
        for (int y = 0; y < pixels.imageHeight; ++y) {
            const uint8_t* row = pixels.PixelAddress(0, pixels.imageHeight - 1 - y);
            if (avif) {
                EXPECT_EQ(std::memcmp(row, library.data() + width * y, width), 0) << y;
            }
            for (size_t pad = width; pad < static_cast<size_t>(pixels.rowBytes); ++pad)
                EXPECT_EQ(row[pad], 0) << y;
        }
    }
}

// A WebP whose last bytes are missing, by one byte or by many, lossy or
// lossless, is cut off where the file ends: not damaged.
TEST(SaveFormats, AWebpCutShortIsCutOff) {
    testutil::TempDir dir;
    CImage image;
    Photo(image, 40, 30);
    for (const bool lossless : {false, true}) {
        ASSERT_EQ(image.Save(dir.File("whole.webp"), kImageWebp, {0, lossless}), 1);
        const std::string whole = testutil::ReadFile(dir.File("whole.webp"));
        for (const size_t cut : {1, 2, 3, 4, 5, 6, 7, 8, 9, 50}) {
            const std::string kept = whole.substr(0, whole.size() - cut);
            testutil::WriteFile(dir.File("cut.webp"), kept);
            CImage back(dir.File("cut.webp"), kImageWebp);
            EXPECT_EQ(ze::StatusText(back.GetReadFailure(), ze::TextLanguage::kEnglish),
                      "the file is cut off at byte " + std::to_string(kept.size()))
                << lossless << " " << cut;
        }
    }
}

TEST(SaveFormats, RefusalsSayWhyAndKeepTheTarget) {
    testutil::TempDir dir, avifDir;
    fixture::ExpectWriteFailuresKeepTarget<CWebpImpl>(dir, dir.File("keep.webp"), 16384, 24);
    fixture::ExpectWriteFailuresKeepTarget<CAvifImpl>(avifDir, avifDir.File("keep.avif"), 70000,
                                                      24);
    CImage wide;
    wide.Create(16384, 2, 24, -1);
    EXPECT_EQ(wide.Save(dir.File("keep.webp"), kImageWebp), 0);
    EXPECT_EQ(wide.GetWriteError(), ze::StatusCode::kSideTooLong);
    EXPECT_EQ(ze::StatusText(wide.GetWriteError(), ze::TextLanguage::kJapanese),
              "WebP の幅と高さは 16383 ピクセルまでです (この画像は 16384x2)。");
    EXPECT_EQ(testutil::ReadFile(dir.File("keep.webp")), "old");
}

}  // namespace
