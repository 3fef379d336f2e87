#include "image/jpeg_codec.h"

// Fixture layouts are written with designated initializers that leave the
// other fields at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/test_util.h"
#include "image/image.h"
#include "png_jpeg_fixtures.h"

using fixture::ReadBytes;
using fixture::Rgb;

namespace {

constexpr int kW = 61, kH = 37;

// A smooth colour picture with a few hard edges, as red, green, blue.
std::vector<uint8_t> ColourSamples() {
    std::vector<uint8_t> s;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool box = x > 20 && x < 40 && y > 10 && y < 25;
            s.push_back(static_cast<uint8_t>(box ? 230 : x * 4));
            s.push_back(static_cast<uint8_t>(box ? 20 : y * 6));
            s.push_back(static_cast<uint8_t>(box ? 40 : 255 - x * 2 - y));
        }
    return s;
}

std::vector<Rgb> AsRgb(const std::vector<uint8_t>& s) {
    std::vector<Rgb> out;
    for (size_t i = 0; i + 2 < s.size(); i += 3) out.push_back({s[i], s[i + 1], s[i + 2]});
    return out;
}

}  // namespace

// Grey files keep their decoded levels (as ImageMagick decodes them) under a
// 256-level grey palette.
TEST(JpegRead, GreyKeepsItsLevels) {
    testutil::TempDir dir;
    fixture::JpegLayout layout{.width = kW, .height = kH, .components = 1};
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) layout.samples.push_back(static_cast<uint8_t>(x * 3 + y * 2));
    testutil::WriteFile(dir.File("g.jpg"), fixture::MakeJpeg(layout));
    CJpegImpl impl;
    ASSERT_EQ(impl.Read(dir.File("g.jpg")), 1);
    EXPECT_EQ(impl.colorType, 3);
    EXPECT_TRUE(impl.lossyLoad);  // written back, it would be encoded afresh
    EXPECT_EQ(impl.GetPalette()->GetEntryCount(), 256);
    EXPECT_EQ(fixture::Pixels(impl), fixture::MagickPixels(dir.File("g.jpg")));
}

// Colour files become 8-bit pictures of at most 128 colours; CMYK and YCCK
// files (plain and Adobe-inverted) open as 24-bit colour. ImageMagick takes
// every CMYK JPEG as inverted, so it is a peer only for the Adobe ones.
TEST(JpegRead, ColourIsQuantizedAndInksBecomeTrueColour) {
    testutil::TempDir dir;
    const std::vector<uint8_t> rgb = ColourSamples();
    struct Case {
        const char* name;
        int components;
        bool ycck, adobe;
        double minPsnr, minPeerPsnr;  // YCCK keeps half-resolution chroma: edges blur more
    };
    for (const Case c :
         {Case{"baseline", 3, false, false, 26, 28}, Case{"plain CMYK", 4, false, false, 33, 0},
          Case{"Adobe CMYK", 4, false, true, 33, 33}, Case{"Adobe YCCK", 4, true, true, 28, 33}}) {
        SCOPED_TRACE(c.name);
        // Inks with some black; Adobe files store every sample inverted.
        std::vector<uint8_t> samples = rgb;
        std::vector<Rgb> want = AsRgb(rgb);
        if (c.components == 4) {
            samples.clear(), want.clear();
            for (size_t i = 0; i < rgb.size(); i += 3) {
                const int k = 40;
                const int ink[4] = {255 - rgb[i], 255 - rgb[i + 1], 255 - rgb[i + 2], k};
                for (int v : ink) samples.push_back(static_cast<uint8_t>(c.adobe ? 255 - v : v));
                want.push_back({static_cast<uint8_t>(rgb[i] * (255 - k) / 255),
                                static_cast<uint8_t>(rgb[i + 1] * (255 - k) / 255),
                                static_cast<uint8_t>(rgb[i + 2] * (255 - k) / 255)});
            }
        }
        const std::string path = dir.File("c.jpg");
        testutil::WriteFile(path, fixture::MakeJpeg({.width = kW,
                                                     .height = kH,
                                                     .components = c.components,
                                                     .ycck = c.ycck,
                                                     .adobeMarker = c.adobe,
                                                     .samples = samples}));
        CImage image(path, kImageJpeg);
        if (c.components == 3)
            EXPECT_LE(image.GetPalette()->GetEntryCount(), 128);
        else
            EXPECT_EQ(image.GetDepth(), 24);
        const std::vector<Rgb> got = fixture::Pixels(*image.GetImpl());
        EXPECT_GT(fixture::Psnr(got, want), c.minPsnr);
        if (c.minPeerPsnr > 0) {
            EXPECT_GT(fixture::Psnr(got, fixture::MagickPixels(path)), c.minPeerPsnr);
        }
    }
}

// The writer makes a JPEG at quality 30 from palette colours or from pixels.
TEST(JpegWrite, WritesColoursAtQuality30) {
    testutil::TempDir dir;
    const std::vector<uint8_t> source = ColourSamples();
    CImage trueColour;
    trueColour.Create(kW, kH, 24, -1);
    for (int r = 0; r < kH; ++r)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* s = &source[3 * (static_cast<size_t>(r) * kW + x)];
            trueColour.SetPixelRGB(x, kH - 1 - r, s[0], s[1], s[2]);
        }
    CImage indexed;
    indexed.Create(kW, kH, 8, -1);
    const uint8_t palette[] = {250, 0, 0, 0, 0, 250, 0, 200, 0, 255, 255, 255};
    indexed.SetPalette(4, palette);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) indexed.SetPixelIndex(x, y, static_cast<uint8_t>(x / 16));

    for (CImage* image : {&trueColour, &indexed}) {
        const std::vector<Rgb> want = fixture::Pixels(*image->GetImpl());
        const std::string path = dir.File("w.jpg");
        ASSERT_EQ(image->Save(path, kImageJpeg), 1);
        const std::string bytes = testutil::ReadFile(path);
        EXPECT_GT(fixture::Psnr(fixture::MagickPixels(path), want), 24.0);
        // Quality 30 scales the first luminance quantizer (16) to 27.
        const size_t dqt = bytes.find("\xFF\xDB");
        ASSERT_NE(dqt, std::string::npos);
        EXPECT_EQ(static_cast<uint8_t>(bytes[dqt + 5]), 27);
    }

    // Rows of 24 and 32 bits go in as they are stored: the same colours
    // give the same file as through the palette.
    const std::string indexedBytes = testutil::ReadFile(dir.File("w.jpg"));
    for (const int depth : {24, 32}) {
        CImage copy;
        copy.Create(kW, kH, depth, -1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                uint8_t r, g, b;
                indexed.GetPixelRGB(x, y, &r, &g, &b);
                copy.SetPixelRGB(x, y, r, g, b);
            }
        ASSERT_EQ(copy.Save(dir.File("d.jpg"), kImageJpeg), 1);
        EXPECT_EQ(testutil::ReadFile(dir.File("d.jpg")), indexedBytes) << depth;
    }
}

// Failures answer 0 without a crash or a leak: a missing file, garbage,
// every cut-short file, a picture over the pixel bound, a picture without
// pixels (the target is left alone) and a stream that cannot be written.
TEST(JpegFailures, AnswerZero) {
    testutil::TempDir dir;
    CJpegImpl impl;
    EXPECT_EQ(impl.Read(dir.File("missing.jpg")), 0);
    EXPECT_EQ(ReadBytes(impl, std::string(300, 'x')), 0);

    const std::string bytes = fixture::MakeJpeg(
        {.width = kW, .height = kH, .progressive = true, .samples = ColourSamples()});
    ASSERT_EQ(ReadBytes(impl, bytes), 1);
    // A cut inside the header fails; a cut in the data may read as a padded
    // picture (the library fills the rest), of the right size.
    for (size_t n = 0; n < bytes.size(); ++n) {
        CJpegImpl cut;
        if (ReadBytes(cut, bytes.substr(0, n)) == 1) {
            EXPECT_EQ(cut.imageWidth * 1000 + cut.imageHeight, kW * 1000 + kH) << n;
        }
    }

    const int64_t limit = dib::PixelLimit();
    dib::SetPixelLimit(kW * kH - 1);
    EXPECT_EQ(ReadBytes(impl, bytes), 0);
    dib::SetPixelLimit(limit);

    // libjpeg refuses rows over 65500 pixels.
    fixture::ExpectWriteFailuresKeepTarget<CJpegImpl>(dir, dir.File("keep.jpg"), 70000, 24);
}
