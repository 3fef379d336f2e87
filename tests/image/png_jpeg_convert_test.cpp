// Pictures moved among BMP, PNG and JPEG through CImage::Save and Load, as
// Save As does.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/test_util.h"
#include "image/image.h"
#include "png_jpeg_fixtures.h"

using fixture::Rgb;

namespace {

// A smooth 24-bit picture, and an 8-bit one with a 200-colour palette.
void Fill(CImage& image, bool indexed) {
    image.Create(67, 41, indexed ? 8 : 24, -1);
    if (indexed) {
        std::vector<uint8_t> rgb;
        for (int i = 0; i < 200; ++i) {
            rgb.push_back(static_cast<uint8_t>(i));
            rgb.push_back(static_cast<uint8_t>(255 - i));
            rgb.push_back(static_cast<uint8_t>(i * 3 / 4 + 40));
        }
        image.SetPalette(200, rgb.data());
    }
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 67; ++x) {
            if (indexed)
                image.SetPixelIndex(x, y, static_cast<uint8_t>((x + y) * 2 % 200));
            else
                image.SetPixelRGB(x, y, static_cast<uint8_t>(x * 3), static_cast<uint8_t>(y * 6),
                                  static_cast<uint8_t>(128 + x - y));
        }
}

std::vector<Rgb> Load(const std::string& path, int code) {
    CImage image(path, code);
    if (image.GetWidth() <= 0) return {};
    return fixture::Pixels(*image.GetImpl());
}

}  // namespace

// BMP and PNG carry every pixel exactly in both directions; JPEG comes back
// close, and what a JPEG loads as then travels exactly through the others.
TEST(PngJpegConvert, AmongBmpPngAndJpeg) {
    testutil::TempDir dir;
    for (const bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "palette" : "true colour");
        CImage image;
        Fill(image, indexed);
        const std::vector<Rgb> original = fixture::Pixels(*image.GetImpl());

        ASSERT_EQ(image.Save(dir.File("a.png"), kImagePng), 1);
        ASSERT_EQ(image.Save(dir.File("a.bmp"), kImageBmp), 1);
        CImage fromBmp(dir.File("a.bmp"), kImageBmp);
        ASSERT_EQ(fromBmp.Save(dir.File("b.png"), kImagePng), 1);
        CImage fromPng(dir.File("a.png"), kImagePng);
        ASSERT_EQ(fromPng.Save(dir.File("b.bmp"), kImageBmp), 1);
        EXPECT_EQ(Load(dir.File("a.png"), kImagePng), original);
        EXPECT_EQ(Load(dir.File("b.png"), kImagePng), original);
        EXPECT_EQ(Load(dir.File("b.bmp"), kImageBmp), original);
        EXPECT_EQ(fixture::MagickPixels(dir.File("b.png")), original);

        ASSERT_EQ(fromPng.Save(dir.File("c.jpg"), kImageJpeg), 1);
        CImage fromJpeg(dir.File("c.jpg"), kImageJpeg);
        ASSERT_EQ(fromJpeg.GetWidth(), 67);
        const std::vector<Rgb> jpeg = fixture::Pixels(*fromJpeg.GetImpl());
        EXPECT_GT(fixture::Psnr(jpeg, original), 24.0);
        ASSERT_EQ(fromJpeg.Save(dir.File("d.png"), kImagePng), 1);
        ASSERT_EQ(fromJpeg.Save(dir.File("d.bmp"), kImageBmp), 1);
        EXPECT_EQ(Load(dir.File("d.png"), kImagePng), jpeg);
        EXPECT_EQ(Load(dir.File("d.bmp"), kImageBmp), jpeg);
    }
}
