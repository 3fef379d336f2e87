// The picture object, its pixel model, the block and the safe file write.

#include "image/image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "common/test_util.h"
#include "image/dib.h"
#include "image/file_io.h"
#include "image/messages.h"
#include "image/render.h"
#include "image/row_cursor.h"

namespace {

std::array<int, 3> Rgb(const CImage& image, int x, int y) {
    uint8_t r = 1, g = 1, b = 1;
    if (!image.GetPixelRGB(x, y, &r, &g, &b)) return {-1, -1, -1};
    return {r, g, b};
}

struct PixelLimitGuard {
    int64_t saved = dib::PixelLimit();
    ~PixelLimitGuard() { dib::SetPixelLimit(saved); }
};

}  // namespace

TEST(ImageTypes, NameLookup) {
    EXPECT_EQ(ImageTypeFromName("c:/x/logo.Gif"), kImageGif);
    EXPECT_EQ(ImageTypeFromName("a.bmp.JPG"), kImageJpeg);
    EXPECT_EQ(ImageTypeFromName("a.png"), kImagePng);
    EXPECT_EQ(ImageTypeFromName("a.xpm"), kImageXpm);
    EXPECT_EQ(ImageTypeFromName("a.BMP"), kImageBmp);
    EXPECT_EQ(ImageTypeFromName("photo.jpeg"), kImageUnknown);
    EXPECT_EQ(ImageTypeFromName("photo"), kImageUnknown);
    EXPECT_EQ(ImageTypeFromName("photo."), kImageUnknown);
    EXPECT_EQ(ImageTypeFromName("a.bm"), kImageUnknown);
    EXPECT_EQ(ImageTypeFromName("a.bmpx"), kImageUnknown);
}

TEST(ImageCreate, EightBitBlockLayout) {
    CImage image;
    ASSERT_EQ(image.Create(10, 2, 8, -1), 1);
    EXPECT_EQ(image.GetType(), kImageBmp);
    EXPECT_EQ(image.GetRowBytes(), 12);
    EXPECT_EQ(image.GetColorType(), 0);
    EXPECT_EQ(image.GetPalette(), nullptr);
    const CImageImpl* impl = image.GetImpl();
    ASSERT_EQ(impl->imageDib.size(), 40u + 1024u + 24u);
    const uint8_t* h = impl->GetDib();
    EXPECT_EQ(dib::Get32(h + dib::kBiSize), 40u);
    EXPECT_EQ(dib::Get32(h + dib::kBiClrUsed), 256u);
    EXPECT_EQ(dib::Get32(h + dib::kBiSizeImage), 24u);
    EXPECT_EQ(dib::Get16(h + dib::kBiBitCount), 8);
    EXPECT_EQ(image.GetBits(), h + 40 + 1024);
    for (int i = 0; i < 256; ++i) {
        const uint8_t* c = dib::kStandardColors[i % 16];
        const uint8_t* e = h + 40 + 4 * i;
        ASSERT_EQ(e[0], c[2]);
        ASSERT_EQ(e[1], c[1]);
        ASSERT_EQ(e[2], c[0]);
        ASSERT_EQ(e[3], 0);
    }
    for (int i = 0; i < 24; ++i) ASSERT_EQ(image.GetBits()[i], 0);
    // Without a palette an 8-bit picture reads as grey.
    image.SetPixelIndex(3, 1, 200);
    EXPECT_EQ(Rgb(image, 3, 1), (std::array<int, 3>{200, 200, 200}));
}

TEST(ImageCreate, PixelBoundAndFailure) {
    EXPECT_GE(dib::PixelLimit(), int64_t{16384} * 16384);
    PixelLimitGuard guard;
    dib::SetPixelLimit(100);
    CImage image;
    EXPECT_EQ(image.Create(10, 10, 24, -1), 1);
    EXPECT_EQ(image.Create(10, 11, 24, -1), 0);
    EXPECT_EQ(image.IsValid(), 0);
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.GetPixelRGB(0, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(image.Create(0, 5, 8, -1), 0);
    EXPECT_EQ(image.Create(5, -1, 8, -1), 0);
}

TEST(ImageCreate, TheBoundItselfIsMade) {
    // 16384 x 16384 at depth 1 is 32 MiB of untouched zero pages.
    CImage image;
    EXPECT_EQ(image.Create(16384, 16384, 1, -1), 1);
    EXPECT_EQ(image.GetPixelIndex(16383, 16383), 0);
    EXPECT_EQ(image.Create(16385, 16384, 1, -1), 0);
}

TEST(ImagePixels, AccessRulesByDepth) {
    CImage rgb;
    ASSERT_EQ(rgb.Create(4, 3, 24, -1), 1);
    EXPECT_EQ(rgb.GetColorType(), 2);
    EXPECT_EQ(rgb.IsInside(4, 0), 0);
    EXPECT_EQ(rgb.IsInside(0, -1), 0);
    EXPECT_EQ(rgb.IsInside(3, 2), 1);
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), -1);
    EXPECT_EQ(rgb.SetPixelIndex(0, 0, 1), 0);
    ASSERT_EQ(rgb.SetPixelRGB(1, 0, 10, 20, 30), 1);
    // y = 0 is the bottom row: the last row of the block's pixel array order
    // is row 0 at the start of the bits.
    EXPECT_EQ(rgb.GetBits()[3], 30);
    EXPECT_EQ(rgb.GetBits()[4], 20);
    EXPECT_EQ(rgb.GetBits()[5], 10);
    EXPECT_EQ(Rgb(rgb, 1, 0), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(rgb.SetPixelRGB(4, 0, 1, 2, 3), 0);

    // Depths 1 and 4 address the pixel's own bits.
    for (int depth : {1, 4}) {
        CImage img;
        ASSERT_EQ(img.Create(9, 2, depth, -1), 1);
        const int top = (1 << depth) - 1;
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(img.SetPixelIndex(x, 1, static_cast<uint8_t>(x % 2 ? top : 0)), 1);
        for (int x = 0; x < 9; ++x) EXPECT_EQ(img.GetPixelIndex(x, 1), x % 2 ? top : 0) << depth;
        EXPECT_EQ(img.GetPixelIndex(0, 0), 0);
        // Without palette: the grey ramp of the depth.
        EXPECT_EQ(Rgb(img, 1, 1), (std::array<int, 3>{255, 255, 255}));
        EXPECT_EQ(Rgb(img, 2, 1), (std::array<int, 3>{0, 0, 0}));
    }
    CImage four;
    ASSERT_EQ(four.Create(2, 1, 4, -1), 1);
    four.SetPixelIndex(0, 0, 0xA);
    four.SetPixelIndex(1, 0, 0x5);
    EXPECT_EQ(four.GetBits()[0], 0xA5);

    // A palette index without an entry reads as black.
    CImage pal;
    ASSERT_EQ(pal.Create(2, 1, 8, -1), 1);
    const uint8_t grey[2] = {100, 200};
    ASSERT_EQ(pal.SetPalette(2, grey, nullptr, nullptr), 1);
    pal.SetPixelIndex(0, 0, 1);
    pal.SetPixelIndex(1, 0, 9);
    EXPECT_EQ(Rgb(pal, 0, 0), (std::array<int, 3>{200, 200, 200}));
    EXPECT_EQ(Rgb(pal, 1, 0), (std::array<int, 3>{0, 0, 0}));
    // SetPixelRGB on a palette picture stores the nearest entry.
    EXPECT_EQ(pal.SetPixelRGB(1, 0, 90, 110, 95), 1);
    EXPECT_EQ(pal.GetPixelIndex(1, 0), 0);
}

TEST(ImagePalette, SetPaletteForms) {
    CImage image;
    ASSERT_EQ(image.Create(2, 2, 8, -1), 1);
    ASSERT_EQ(image.GetColorType(), 0);
    const uint8_t ramp[3] = {0, 128, 255};
    ASSERT_EQ(image.SetPalette(3, ramp, nullptr, nullptr), 1);
    EXPECT_EQ(image.GetColorType(), 3);
    uint8_t r, g, b;
    ASSERT_EQ(image.GetPalette()->GetEntryRGB(1, &r, &g, &b), 1);
    EXPECT_EQ(r, 128);
    EXPECT_EQ(g, 128);
    EXPECT_EQ(b, 128);
    // The table holds indices once a palette is attached.
    for (int i = 0; i < 256; ++i) ASSERT_EQ(dib::Get16(image.GetImpl()->GetDib() + 40 + 2 * i), i);

    CImage rgb;
    ASSERT_EQ(rgb.Create(2, 2, 24, 2), 1);
    std::vector<std::string> messages;
    auto old = ze::SetMessageHandler([&](const std::string& m) { messages.push_back(m); });
    const uint8_t entries[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(rgb.SetPalette(2, entries), 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(rgb.GetColorType(), 3);
    EXPECT_EQ(rgb.SetPalette(2, entries), 1);
    ze::SetMessageHandler(old);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "CImageImpl::imagePalette already exists!");
    EXPECT_EQ(rgb.SetPalette(nullptr), 0);
}

TEST(ImageSave, AcrossTypeCodesAndCodeThree) {
    testutil::TempDir dir;
    CImage image;
    ASSERT_EQ(image.Create(3, 2, 8, -1), 1);
    const uint8_t ramp[2] = {0, 255};
    image.SetPalette(2, ramp, nullptr, nullptr);
    image.SetPixelIndex(2, 1, 1);
    CImageImpl* first = image.GetImpl();

    // Same code: the same implementation writes.
    ASSERT_EQ(image.Save(dir.File("a.bmp"), kImageBmp), 1);
    EXPECT_EQ(image.GetImpl(), first);
    EXPECT_EQ(image.GetName(), dir.File("a.bmp"));

    // Code 3 has no implementation: 0, and nothing changes.
    EXPECT_EQ(image.Save(dir.File("a.xpm"), kImageXpm), 0);
    EXPECT_EQ(image.GetImpl(), first);
    EXPECT_EQ(image.GetType(), kImageBmp);
    EXPECT_EQ(image.GetPixelIndex(2, 1), 1);
    EXPECT_EQ(image.Save(dir.File("b.bmp"), kImageBmp), 1);
    EXPECT_EQ(image.GetImpl(), first);
    EXPECT_EQ(testutil::ReadFile(dir.File("b.bmp")).substr(0, 2), "BM");

    // An unknown extension with code -1 is refused the same way.
    EXPECT_EQ(image.Save(dir.File("c.tif"), kImageUnknown), 0);
    EXPECT_EQ(image.GetType(), kImageBmp);

    // Another code: the pixels and palette move into a new implementation,
    // whatever its write answers.
    image.Save(dir.File("c.gif"), kImageGif);
    EXPECT_EQ(image.GetType(), kImageGif);
    ASSERT_NE(image.GetImpl(), nullptr);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.GetPixelIndex(2, 1), 1);
    ASSERT_NE(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 2);
    // Back to BMP by the name's extension.
    ASSERT_EQ(image.Save(dir.File("d.BMP"), kImageUnknown), 1);
    EXPECT_EQ(image.GetType(), kImageBmp);
    CImage back(dir.File("d.BMP"), kImageUnknown);
    EXPECT_EQ(back.GetPixelIndex(2, 1), 1);
    EXPECT_EQ(Rgb(back, 2, 1), (std::array<int, 3>{255, 255, 255}));
}

TEST(ImageLoad, UnknownAndCodeThree) {
    testutil::TempDir dir;
    CImage image(dir.File("x.xpm"), kImageUnknown);
    EXPECT_EQ(image.GetImpl(), nullptr);
    EXPECT_EQ(image.GetType(), kImageXpm);
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetPixelIndex(0, 0), -1);
    EXPECT_EQ(image.Save(dir.File("x.bmp"), kImageBmp), 0);
    EXPECT_EQ(image.Load(dir.File("x"), kImageUnknown), 0);
}

TEST(ImageRender, TopRowFirstAndTransparentIndex) {
    CImage image;
    ASSERT_EQ(image.Create(2, 2, 8, -1), 1);
    const uint8_t rgb[6] = {255, 0, 0, 0, 0, 255};
    image.SetPalette(2, rgb);
    image.SetPixelIndex(0, 1, 1);  // top left
    image.GetImpl()->transparentIndex = 0;
    const std::vector<uint8_t> before(image.GetBits(), image.GetBits() + 8);
    const std::vector<uint32_t> argb = RenderArgb32(image);
    ASSERT_EQ(argb.size(), 4u);
    EXPECT_EQ(argb[0], 0xFF0000FFu);
    EXPECT_EQ(argb[1] >> 24, 0u);
    EXPECT_EQ(argb[3], 0x00FF0000u);
    EXPECT_EQ(std::vector<uint8_t>(image.GetBits(), image.GetBits() + 8), before);
}

TEST(RowCursor, WalksTopDownAndStaysInTheRow) {
    CImage image;
    ASSERT_EQ(image.Create(3, 2, 8, -1), 1);
    CRowCursor cursor(*image.GetImpl());
    cursor.ResetToTop();
    EXPECT_EQ(cursor.GetRowNumber(), 1);
    const uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    cursor.PutRow(row);
    EXPECT_EQ(image.GetPixelIndex(2, 1), 3);
    EXPECT_TRUE(cursor.NextRow());
    cursor.PutRow(row, 100);  // never more than the row holds
    EXPECT_EQ(image.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(image.GetBits()[3], 4);  // the whole row, padding included
    EXPECT_EQ(image.GetBits()[4], 1);  // the top row keeps its bytes
    EXPECT_EQ(image.GetBits()[7], 0);  // n < 0 copied the width only
    EXPECT_FALSE(cursor.NextRow());
    EXPECT_FALSE(cursor.IsOnImage());
    cursor.SeekRow(5);
    EXPECT_FALSE(cursor.IsOnImage());
    cursor.SeekRow(1);
    uint8_t got[3] = {};
    cursor.GetRow(got);
    EXPECT_EQ(got[1], 2);
}

TEST(FileIo, SafeWriteKeepsTheOldFileModeAndLinks) {
    namespace fs = std::filesystem;
    testutil::TempDir dir;
    const std::string target = dir.File("t.bin");
    testutil::WriteFile(target, "old");
    ::chmod(target.c_str(), 0640);

    // A failed write leaves the target as it was and no temporary file.
    EXPECT_FALSE(ze::WriteFileSafely(target, [](std::FILE* f) {
        std::fputs("partial", f);
        return false;
    }));
    EXPECT_EQ(testutil::ReadFile(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    ASSERT_TRUE(
        ze::WriteFileSafely(target, [](std::FILE* f) { return std::fputs("new", f) >= 0; }));
    EXPECT_EQ(testutil::ReadFile(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // Through a symbolic link: the file it names changes, the link stays.
    const std::string link = dir.File("link.bin");
    fs::create_symlink("t.bin", link);
    ASSERT_TRUE(
        ze::WriteFileSafely(link, [](std::FILE* f) { return std::fputs("via link", f) >= 0; }));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testutil::ReadFile(target), "via link");

    // A folder that does not exist: nothing to write to.
    EXPECT_FALSE(ze::WriteFileSafely(dir.File("none/x.bin"), [](std::FILE*) { return true; }));
}

TEST(FileIo, WriteInPlaceWhereNoTemporaryFileCanBeMade) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    testutil::TempDir dir;
    const std::string sub = dir.File("ro");
    std::filesystem::create_directory(sub);
    const std::string target = sub + "/t.bin";
    testutil::WriteFile(target, "old");
    ::chmod(sub.c_str(), 0555);
    EXPECT_TRUE(
        ze::WriteFileSafely(target, [](std::FILE* f) { return std::fputs("new", f) >= 0; }));
    ::chmod(sub.c_str(), 0755);
    EXPECT_EQ(testutil::ReadFile(target), "new");
}
