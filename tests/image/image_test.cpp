// SPDX-License-Identifier: GPL-3.0-or-later
// The picture object as its callers see it: pixels by depth, the row block,
// the size bound, the palette warning, and saving into another format.

#include "image/image.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "fixtures.h"

using fixture::Px;
using fixture::RgbAt;

TEST(ImagePixels, BlockLayoutBoundAndAccessByDepth) {
    // The block starts with the bottom row, each row padded to 4 bytes: a
    // caller that walks it by GetRowBytes meets the pixels set by index.
    CImage image;
    ASSERT_EQ(image.Create(10, 2, 8, -1), 1);
    EXPECT_EQ(image.GetRowBytes(), 12);
    for (int x = 0; x < 10; ++x) image.SetPixelIndex(x, 1, static_cast<uint8_t>(x + 1));
    image.GetBits()[3] = 77;
    EXPECT_EQ(image.GetPixelIndex(3, 0), 77);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(image.GetBits()[12 + x], x + 1);
    // Depth 1 keeps the leftmost pixel in the high bit of the row's first byte.
    ASSERT_EQ(image.Create(3, 1, 1, -1), 1);
    image.GetBits()[0] = 0x40;
    EXPECT_EQ(image.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(image.GetPixelIndex(1, 0), 1);

    image.readLimits.maxPixels = 100;
    EXPECT_EQ(image.Create(10, 10, 24, -1), 1);
    EXPECT_EQ(image.Create(10, 11, 24, -1), 0);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.Create(0, 5, 8, -1), 0);

    CImage rgb;
    ASSERT_EQ(rgb.Create(4, 3, 24, -1), 1);
    EXPECT_EQ(rgb.GetPixelIndex(4, 0), -1);
    EXPECT_EQ(rgb.SetPixelIndex(0, 0, 1), 0);
    ASSERT_EQ(rgb.SetPixelRGB(1, 0, 10, 20, 30), 1);
    EXPECT_EQ(RgbAt(rgb, 1, 0), (Px{10, 20, 30}));

    // Depths 1 and 4 address the pixel's own bits; without a palette they
    // read as the depth's grey ramp.
    for (int depth : {1, 4}) {
        CImage img;
        ASSERT_EQ(img.Create(9, 2, depth, -1), 1);
        const int top = (1 << depth) - 1;
        for (int x = 0; x < 9; ++x) img.SetPixelIndex(x, 1, static_cast<uint8_t>(x % 2 ? top : 0));
        for (int x = 0; x < 9; ++x) EXPECT_EQ(img.GetPixelIndex(x, 1), x % 2 ? top : 0) << depth;
        EXPECT_EQ(img.GetPixelIndex(0, 0), 0);
        EXPECT_EQ(RgbAt(img, 1, 1), (Px{255, 255, 255}));
    }

    // Depth 8: grey without a palette; an index without an entry is black.
    CImage pal;
    ASSERT_EQ(pal.Create(2, 1, 8, -1), 1);
    pal.SetPixelIndex(1, 0, 200);
    EXPECT_EQ(RgbAt(pal, 1, 0), (Px{200, 200, 200}));
    const uint8_t grey[2] = {100, 200};
    ASSERT_EQ(pal.SetPalette(2, grey, nullptr, nullptr), 1);
    EXPECT_EQ(RgbAt(pal, 1, 0), (Px{0, 0, 0}));
    EXPECT_EQ(pal.SetPixelRGB(1, 0, 190, 210, 195), 1);  // the nearest entry
    EXPECT_EQ(pal.GetPixelIndex(1, 0), 1);

    // A second palette replaces the first, with the one warning the user sees.
    fixture::Messages messages;
    const uint8_t entries[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(pal.SetPalette(2, entries), 1);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"CImageImpl::imagePalette already exists!"});
    // On a worker thread with a collector the warning is kept for later and
    // never reaches the handler (which may show a window); nested collectors
    // give it to the innermost one, and each restores the one before.
    std::vector<std::string> collected;
    std::thread([&] {
        ze::ScopedMessageCollector outer;
        {
            ze::ScopedMessageCollector inner;
            pal.SetPalette(2, entries);
            EXPECT_EQ(inner.Messages().size(), 1u);
        }
        ze::ReportMessage("outer");
        collected = outer.Messages();
    }).join();
    EXPECT_EQ(collected, std::vector<std::string>{"outer"});
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(RgbAt(pal, 1, 0), (Px{4, 5, 6}));
}

// What each save leaves: the file read back shows the picture, and the
// picture in memory keeps its pixels and palette whatever the format.
TEST(ImageSave, TypeNamesAndCodesAndCodeThree) {
    EXPECT_EQ(ImageTypeFromName("c:/x/logo.Gif"), kImageGif);
    for (const char* name : {"a.bmp.JPG", "photo.jpeg", "photo.JPEG"})
        EXPECT_EQ(ImageTypeFromName(name), kImageJpeg) << name;
    for (const char* name : {"photo", "photo.", "a.bmpx", "a.jpe", "a.xpm"})
        EXPECT_EQ(ImageTypeFromName(name), kImageUnknown) << name;

    testutil::TempDir dir;
    CImage image;
    ASSERT_EQ(image.Create(3, 2, 8, -1), 1);
    const uint8_t ramp[2] = {0, 255};
    image.SetPalette(2, ramp, nullptr, nullptr);
    image.SetPixelIndex(2, 1, 1);
    const auto expectPicture = [](const CImage& picture, const std::string& what) {
        ASSERT_EQ(picture.GetWidth(), 3) << what;
        ASSERT_EQ(picture.GetHeight(), 2) << what;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(RgbAt(picture, x, y),
                          x == 2 && y == 1 ? (Px{255, 255, 255}) : (Px{0, 0, 0}))
                    << what << " " << x << "," << y;
    };

    ASSERT_EQ(image.Save(dir.File("a.bmp"), kImageBmp), 1);
    expectPicture(CImage(dir.File("a.bmp"), kImageBmp), "a.bmp");

    // A code without a codec: 0, no file, and the picture as it was.
    EXPECT_EQ(image.Save(dir.File("a.xpm"), 3), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.xpm")));
    EXPECT_EQ(image.GetType(), kImageBmp);
    expectPicture(image, "after xpm");

    // Another code: the picture becomes that type with its pixels and palette.
    ASSERT_EQ(image.Save(dir.File("c.gif"), kImageGif), 1);
    EXPECT_EQ(image.GetType(), kImageGif);
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 2);
    expectPicture(image, "after gif");
    expectPicture(CImage(dir.File("c.gif"), kImageGif), "c.gif");
    // Back to BMP by the name's extension.
    ASSERT_EQ(image.Save(dir.File("d.BMP"), kImageUnknown), 1);
    expectPicture(CImage(dir.File("d.BMP"), kImageUnknown), "d.BMP");
}
