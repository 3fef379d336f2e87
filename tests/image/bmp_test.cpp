// SPDX-License-Identifier: GPL-3.0-or-later
// The BMP reader and writer over files built by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

#include "bmp_files.h"
#include "fixtures.h"
#include "image/bmp_codec.h"
#include "image/image.h"

using bmpfile::Layout;
using bmpfile::Make;
using fixture::Px;
using fixture::RgbAt;

namespace {

struct Loaded {
    testutil::TempDir dir;
    std::string path = dir.File("in.bmp");
    std::unique_ptr<CImage> image;
};

// The picture a file of these bytes opens as.
std::unique_ptr<Loaded> Load(const std::string& bytes) {
    auto l = std::make_unique<Loaded>();
    testutil::WriteFile(l->path, bytes);
    l->image = std::make_unique<CImage>(l->path, kImageBmp);
    return l;
}

uint32_t U32(const std::string& s, size_t at) {
    return dib::Get32(reinterpret_cast<const uint8_t*>(s.data()) + at);
}

// A picture with a colour table of the given size and the given stored rows.
Layout Paletted(int w, int h, uint16_t depth, int colours, const std::string& pixels,
                uint32_t compression = 0) {
    Layout s;
    s.width = w, s.height = h, s.depth = depth, s.compression = compression;
    s.table = bmpfile::Table(colours);
    s.pixels = pixels;
    return s;
}

// A 3 x 2 8-bit picture with a full 256-entry table (biClrUsed 0).
Layout EightBit() {
    return Paletted(3, 2, 8, 256, std::string("\xFF\x10\0\0\x01\x02\x03\0", 8));
}

// Writes the picture as BMP into `dir` and answers the file's bytes.
std::string Saved(CImage& image, const testutil::TempDir& dir, const std::string& name) {
    EXPECT_EQ(image.Save(dir.File(name), kImageBmp), 1) << name;
    return testutil::ReadFile(dir.File(name));
}

}  // namespace

TEST(BmpRead, WritesBackTheTableAndPixelsItRead) {
    const std::string original = Make(EightBit());
    auto l = Load(original);
    // y = 0 is the bottom row; the first row in the file.
    EXPECT_EQ(RgbAt(*l->image, 1, 1), (Px{2, 253, 1}));
    const std::string written = Saved(*l->image, l->dir, "copy.bmp");
    EXPECT_EQ(written.substr(0, 14), original.substr(0, 14));
    EXPECT_EQ(written.substr(54), original.substr(54));
    // The same data without a file header: the pixels follow the table.
    Layout headerless = EightBit();
    headerless.fileHeader = false;
    EXPECT_EQ(Load(Make(headerless))->image->GetPixelIndex(2, 1), 3);

    // A core header is written as a 40-byte one, its table widened to 4-byte
    // entries, its pixels as they were.
    Layout core = Paletted(4, 2, 4, 16, std::string("\x45\x6F\0\0\x01\x23\0\0", 8));
    core.headerSize = 12;
    auto a = Load(Make(core));
    const std::string bytes = Saved(*a->image, a->dir, "out.bmp");
    EXPECT_EQ(U32(bytes, 10), 118u);
    core.headerSize = 40;
    EXPECT_EQ(bytes.substr(54), Make(core).substr(54));
}

TEST(BmpRead, BitFieldPictures) {
    // 16-bit pictures and 32-bit ones with unusual fields become depth 24;
    // masks come from after a plain header or from the longer headers.
    struct Case {
        const char* what;
        uint16_t depth;
        uint32_t headerSize, compression;
        std::array<uint32_t, 4> masks;
        uint32_t value;
        int depthAfter;
        Px rgb;
    } cases[] = {
        // clang-format off
        {"5-5-5", 16, 40, 0, {}, 0x0421, 24, {8, 8, 8}},
        {"5-6-5 after header", 16, 40, 3, {0xF800, 0x07E0, 0x1F}, 0x0821, 24, {8, 4, 8}},
        {"usual 32 fields", 32, 108, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x102030, 32, {16, 32, 48}},
        {"RGBA order", 32, 40, 3, {0xFF000000, 0xFF0000, 0xFF00}, 0x11223344, 24, {0x11, 0x22, 0x33}},
        {"10 bits, alpha fields", 32, 124, 6, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
         (1023u << 20) | (512u << 10), 24, {255, 128, 0}},
        // clang-format on
    };
    for (const Case& c : cases) {
        Layout s;  // one row: the value, then 0
        s.width = 2, s.depth = c.depth, s.headerSize = c.headerSize, s.compression = c.compression;
        for (uint32_t v : {c.value, 0u}) {
            bmpfile::Put16(s.pixels, v & 0xFFFF);
            if (c.depth == 32) bmpfile::Put16(s.pixels, v >> 16);
        }
        s.masksAfterHeader = c.headerSize == 40 && c.compression == 3;
        std::copy(c.masks.begin(), c.masks.end(), s.masks);
        auto l = Load(Make(s));
        EXPECT_EQ(l->image->GetDepth(), c.depthAfter) << c.what;
        EXPECT_EQ(RgbAt(*l->image, 0, 0), c.rgb) << c.what;
    }
}

TEST(BmpRead, OddShortAndRefusedFiles) {
    // Version 4 header, four colours, a gap that the pixel offset skips.
    Layout s = Paletted(2, 1, 8, 4, std::string("\x03\x01\0\0", 4));
    s.headerSize = 108, s.clrUsed = 4, s.gap = "garbage!";
    EXPECT_EQ(RgbAt(*Load(Make(s))->image, 1, 0), (Px{1, 254, 0}));
    // biClrUsed 0 claims 256 entries, but the pixels start after four: the
    // table keeps the four that fit.
    s.headerSize = 40, s.clrUsed = 0, s.gap.clear();
    auto c = Load(Make(s));
    ASSERT_EQ(c->image->GetPalette()->GetEntryCount(), 4);
    const std::string written = Saved(*c->image, c->dir, "out.bmp");
    EXPECT_EQ(U32(written, 10), 14u + 40u + 16u);
    EXPECT_EQ(U32(written, 14 + dib::kBiClrUsed), 4u);

    // Run lengths past the row, moves off the picture and data cut short.
    auto w = Load(Make(Paletted(
        4, 3, 8, 256, std::string("\xFF\x01\x00\x02\xFF\xFF\x05\x02\x00\x09\x01", 11), 1)));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(w->image->GetPixelIndex(x, 0), 1);
    EXPECT_EQ(w->image->GetPixelIndex(0, 1), 0);

    // The file ends inside the colour table: no pixels, index 0.
    const std::string full = Make(EightBit());
    auto t = Load(full.substr(0, 54 + 8));
    EXPECT_EQ(RgbAt(*t->image, 2, 1), (Px{0, 255, 0}));
    // A file too short for its information header fails.
    EXPECT_EQ(Load(full.substr(0, 40))->image->GetWidth(), 0);

    // A failed read leaves no picture; no bytes in memory read as no file.
    EXPECT_EQ(t->image->Load(t->dir.File("missing.bmp"), kImageBmp), 0);
    EXPECT_EQ(t->image->GetPalette(), nullptr);
    PixelStore none;
    EXPECT_EQ(CBmpImpl(none).ReadMemory(nullptr, 0), 0);

    using Change = void (*)(Layout&);
    const std::pair<const char*, Change> cases[] = {
        {"unknown header size", [](Layout& s) { s.headerSize = 1000; }},
        {"top-down RLE", [](Layout& s) { s.compression = 1, s.height = -2; }},
        {"RLE4 at depth 8", [](Layout& s) { s.compression = 2; }},
        {"depth 2", [](Layout& s) { s.depth = 2; }},
        {"core header at depth 16",
         [](Layout& s) { s.headerSize = 12, s.depth = 16, s.table.clear(); }},
    };
    for (const auto& [what, change] : cases) {
        Layout refused = EightBit();
        change(refused);
        EXPECT_EQ(Load(Make(refused))->image->IsValid(), 0) << what;
    }
}

TEST(BmpWrite, PicturesMadeByCreate) {
    testutil::TempDir dir;
    // Depth 1: a two-entry table in front of the pixels, never over them.
    CImage one;
    ASSERT_EQ(one.Create(9, 2, 1, -1), 1);
    for (int x = 0; x < 9; x += 2) one.SetPixelIndex(x, 1, 1);
    EXPECT_EQ(U32(Saved(one, dir, "one.bmp"), 10), 14u + 40u + 8u);
    EXPECT_EQ(CImage(dir.File("one.bmp"), kImageBmp).GetPixelIndex(8, 1), 1);

    // Depth 8 without palette reads grey, and is written as grey.
    CImage grey;
    ASSERT_EQ(grey.Create(2, 1, 8, -1), 1);
    grey.SetPixelIndex(1, 0, 200);
    Saved(grey, dir, "grey.bmp");
    EXPECT_EQ(RgbAt(CImage(dir.File("grey.bmp"), kImageBmp), 1, 0), (Px{200, 200, 200}));
    // The picture's own table was not touched by the write.
    EXPECT_EQ(grey.GetImpl()->GetDib()[40 + 4 * 9 + 2], 255);

    // A palette shorter than the table: the rest of the table is zero.
    CImage pal;
    ASSERT_EQ(pal.Create(2, 1, 8, -1), 1);
    const uint8_t rgb[6] = {10, 20, 30, 40, 50, 60};
    pal.SetPalette(2, rgb);
    const std::string p = Saved(pal, dir, "pal.bmp");
    EXPECT_EQ(p.substr(54, 8), std::string("\x1E\x14\x0A\x00\x3C\x32\x28\x00", 8));
    EXPECT_EQ(p.substr(62, 1016), std::string(1016, '\0'));
    const uint8_t* table = pal.GetImpl()->GetDib() + 40;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(dib::Get16(table + 2 * i), i);

    // 90,000 pixel bytes go out whole, in several blocks.
    CImage image;
    ASSERT_EQ(image.Create(300, 100, 24, -1), 1);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x) image.SetPixelRGB(x, y, uint8_t(x), uint8_t(y), 7);
    const std::string path = dir.File("big.bmp"), bytes = Saved(image, dir, "big.bmp");
    EXPECT_EQ(U32(bytes, 2), 54u + 90000u);
    EXPECT_EQ(bytes.substr(54), std::string(reinterpret_cast<const char*>(image.GetBits()), 90000));
    // No pixels: nothing is written, the file there stays. The target is a
    // folder: the save fails, the folder is untouched.
    PixelStore empty;
    EXPECT_EQ(CBmpImpl(empty).Write(path), 0);
    EXPECT_EQ(testutil::ReadFile(path), bytes);
    std::filesystem::create_directory(dir.File("d.bmp"));
    EXPECT_EQ(image.Save(dir.File("d.bmp"), kImageBmp), 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("d.bmp")));
}

// ImageMagick decodes the table depths, run lengths (with a move) and top-down
// rows to exactly the same colours.
TEST(BmpRead, EveryKindMatchesImageMagick) {
    Layout rle8 = Paletted(4, 3, 8, 256,
                           std::string("\3\5\1\7\0\0\0\3\1\2\3\0\0\0\0\2\2\0\2\xC8\0\1", 22), 1);
    rle8.headerSize = 124;
    // clang-format off
    const Layout layouts[] = {
        {.width = 11, .height = 3, .depth = 1, .table = {{10, 20, 30}, {200, 150, 100}},
         .pixels = std::string("\xA5\x3C\0\0\xFF\0\0\0\x0F\xE0\0\0", 12)},
        Paletted(5, 2, 4, 16, std::string("\x01\x23\x40\0\xFE\xDC\xB0\0", 8)),
        Paletted(5, 2, 4, 16, std::string("\x05\x12\0\0\0\x03\x34\x50\x02\x78\0\x01", 12), 2),
        rle8,
        {.width = 3, .height = -2,
         .pixels = std::string("\1\2\3\4\5\6\7\x08\x09\0\0\0ZPF<2(\x1e\x14\x0a\0\0\0", 24)},
    };
    // clang-format on
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(&layout - layouts);
        auto l = Load(Make(layout));
        ASSERT_GT(l->image->GetWidth(), 0);
        EXPECT_EQ(fixture::Pixels(*l->image->GetImpl()), fixture::MagickPixels(l->path));
    }
}
