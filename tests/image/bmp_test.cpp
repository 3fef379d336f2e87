// The BMP reader and writer over files built by hand.

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "bmp_files.h"
#include "common/test_util.h"
#include "image/bmp_codec.h"
#include "image/dib.h"
#include "image/image.h"

using bmpfile::Make;
using bmpfile::Spec;

namespace {

struct Loaded {
    testutil::TempDir dir;
    std::unique_ptr<CImage> image;
    std::string path;
};

std::unique_ptr<Loaded> Load(const std::string& bytes, const std::string& name = "in.bmp") {
    auto l = std::make_unique<Loaded>();
    l->path = l->dir.File(name);
    testutil::WriteFile(l->path, bytes);
    l->image = std::make_unique<CImage>(l->path, kImageBmp);
    return l;
}

std::array<int, 3> Rgb(const CImage& image, int x, int y) {
    uint8_t r = 1, g = 1, b = 1;
    if (!image.GetPixelRGB(x, y, &r, &g, &b)) return {-1, -1, -1};
    return {r, g, b};
}

uint32_t U32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

// A 3 x 2 8-bit picture with a full 256-entry table (biClrUsed 0).
Spec EightBit() {
    Spec s;
    s.width = 3;
    s.height = 2;
    s.depth = 8;
    s.table = bmpfile::Table(256);
    s.pixels =
        bmpfile::BottomUp({std::string("\x01\x02\x03\x00", 4), std::string("\xFF\x10\x00\x00", 4)});
    return s;
}

}  // namespace

TEST(BmpRead, EightBitWithImplicitTableCount) {
    auto l = Load(Make(EightBit()));
    const CImage& img = *l->image;
    ASSERT_EQ(img.GetWidth(), 3);
    ASSERT_EQ(img.GetHeight(), 2);
    EXPECT_EQ(img.GetDepth(), 8);
    EXPECT_EQ(img.GetColorType(), 3);
    ASSERT_NE(img.GetPalette(), nullptr);
    EXPECT_EQ(img.GetPalette()->GetEntryCount(), 256);
    EXPECT_EQ(img.GetRowBytes(), 4);
    // y = 0 is the bottom row; the first row in the file.
    EXPECT_EQ(img.GetPixelIndex(0, 0), 0xFF);
    EXPECT_EQ(img.GetPixelIndex(1, 0), 0x10);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 3);
    EXPECT_EQ(Rgb(img, 1, 1), (std::array<int, 3>{2, 253, 1}));
    // The block's colour table now holds the indices 0..255.
    const uint8_t* table = img.GetImpl()->GetDib() + 40;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(dib::Get16(table + 2 * i), i);
    EXPECT_EQ(dib::Get32(img.GetImpl()->GetDib() + dib::kBiClrUsed), 256u);
}

TEST(BmpRead, TwentyFourBitHasNoPaletteAndReadsBgr) {
    Spec s;
    s.width = 2;
    s.height = 2;
    s.pixels = bmpfile::BottomUp({std::string("\x01\x02\x03\x04\x05\x06\x00\x00", 8),
                                  std::string("\x10\x20\x30\x40\x50\x60\x00\x00", 8)});
    auto l = Load(Make(s));
    const CImage& img = *l->image;
    ASSERT_EQ(img.GetWidth(), 2);
    EXPECT_EQ(img.GetColorType(), 2);
    EXPECT_EQ(img.GetPalette(), nullptr);
    EXPECT_EQ(img.GetPixelIndex(0, 0), -1);
    EXPECT_EQ(Rgb(img, 0, 1), (std::array<int, 3>{3, 2, 1}));
    EXPECT_EQ(Rgb(img, 1, 0), (std::array<int, 3>{0x60, 0x50, 0x40}));
}

TEST(BmpRead, CoreHeaderReadsLikeThePlainHeaderAndWritesAsIt) {
    Spec core;
    core.headerSize = 12;
    core.width = 4;
    core.height = 2;
    core.depth = 4;
    core.table = bmpfile::Table(16);
    core.pixels =
        bmpfile::BottomUp({std::string("\x01\x23\x00\x00", 4), std::string("\x45\x6F\x00\x00", 4)});
    Spec plain = core;
    plain.headerSize = 40;
    auto a = Load(Make(core));
    auto b = Load(Make(plain));
    ASSERT_EQ(a->image->GetWidth(), 4);
    ASSERT_EQ(a->image->GetDepth(), 4);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Rgb(*a->image, x, y), Rgb(*b->image, x, y));
            EXPECT_EQ(a->image->GetPixelIndex(x, y), b->image->GetPixelIndex(x, y));
        }
    EXPECT_EQ(a->image->GetPixelIndex(3, 1), 3);
    EXPECT_EQ(a->image->GetPixelIndex(3, 0), 15);

    const std::string out = a->dir.File("out.bmp");
    ASSERT_EQ(a->image->Save(out, kImageBmp), 1);
    const std::string bytes = testutil::ReadFile(out);
    EXPECT_EQ(U32(bytes, 14), 40u);
    EXPECT_EQ(U32(bytes, 10), 118u);
    EXPECT_EQ(bytes.size(), 118u + 8u);
    // The written table is the core table widened to 4-byte entries.
    EXPECT_EQ(bytes.substr(54, 64), Make(plain).substr(54, 64));
}

TEST(BmpRead, BlockWithoutFileHeader) {
    Spec s = EightBit();
    s.fileHeader = false;
    auto l = Load(Make(s));
    ASSERT_EQ(l->image->GetWidth(), 3);
    EXPECT_EQ(l->image->GetPixelIndex(0, 0), 0xFF);
    EXPECT_EQ(l->image->GetPixelIndex(2, 1), 3);
}

TEST(BmpWrite, EightBitRoundTripKeepsTableAndPixels) {
    const std::string original = Make(EightBit());
    auto l = Load(original);
    const std::string out = l->dir.File("copy.bmp");
    ASSERT_EQ(l->image->Save(out, kImageBmp), 1);
    const std::string written = testutil::ReadFile(out);
    ASSERT_EQ(written.size(), original.size());
    EXPECT_EQ(U32(written, 10), 14u + 40u + 1024u);
    EXPECT_EQ(written.substr(54), original.substr(54));  // table and pixels
    // The image's table holds indices again.
    const uint8_t* table = l->image->GetImpl()->GetDib() + 40;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(dib::Get16(table + 2 * i), i);
}

TEST(BmpRead, MissingFileAndTooShortFileFail) {
    testutil::TempDir dir;
    CImage missing(dir.File("none.bmp"), kImageBmp);
    EXPECT_EQ(missing.GetWidth(), 0);
    EXPECT_EQ(missing.IsValid(), 0);
    auto l = Load(Make(EightBit()).substr(0, 30));
    EXPECT_EQ(l->image->GetWidth(), 0);
    EXPECT_EQ(l->image->GetHeight(), 0);
    EXPECT_EQ(l->image->IsValid(), 0);
}
