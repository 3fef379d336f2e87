// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF reader against giflib-written files and hand-made LZW streams; the
// writer against exact bytes and giflib.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "fixtures.h"
#include "gif_peer.h"
#include "image/gif_codec.h"
#include "image/image.h"

namespace {

using gifpeer::Rgb;

// The picture's indices, top row first, and its palette.
std::vector<uint8_t> Indices(const CImageImpl& img) {
    std::vector<uint8_t> out;
    for (int r = img.GetHeight() - 1; r >= 0; --r)
        for (int x = 0; x < img.GetWidth(); ++x) out.push_back(uint8_t(img.GetPixelIndex(x, r)));
    return out;
}
std::vector<Rgb> Palette(const CImageImpl& img) {
    std::vector<Rgb> out;
    if (img.GetPalette())
        for (const auto& e : img.GetPalette()->GetEntries())
            out.push_back({e.red, e.green, e.blue});
    return out;
}

gifpeer::File OneFrame(int w, int h, int colors, int noise = 2) {
    gifpeer::File f;
    f.colors = gifpeer::MakeColors(colors, w);
    f.frames.resize(1);
    f.frames[0].width = w, f.frames[0].height = h;
    f.frames[0].pixels = gifpeer::MakePixels(w, h, colors, noise);
    return f;
}

// Each file reads to its first frame's indices and table. With a transparent
// index the palette has 256 entries, the transparent one black and those past
// the file's table white, unless the only white entry was the transparent one.
TEST(GifReader, ReadsWhatGiflibWrites) {
    struct Case {
        gifpeer::File file;
        std::vector<Rgb> palette = {};  // the file's table when empty
        int transparent = -1;
    };
    std::vector<Case> cases;
    for (int bits : {1, 4, 8}) {  // 87a, and 89a with a local table
        cases.push_back({OneFrame(37 + bits, 23, 1 << bits)});
        cases.push_back({OneFrame(30 + bits, 11, 1 << bits)});
        cases.back().file.gif89 = true;
        cases.back().file.frames[0].local = gifpeer::MakeColors(1 << bits, 99);
    }
    for (int h : {1, 5, 517}) {  // interlaced: every row filled exactly once
        cases.push_back({OneFrame(13, h, 256, 0)});
        gifpeer::Frame& f = cases.back().file.frames[0];
        for (int r = 0; r < h; ++r) f.pixels[size_t(r) * 13] = uint8_t(r + 1);
        f.interlaced = true;
    }
    cases.push_back({OneFrame(300, 200, 256, 255)});  // noise: clear codes in the data
    cases.push_back({OneFrame(16, 16, 4)});           // the first frame is the picture
    gifpeer::File& anim = cases.back().file;
    anim.gif89 = true;
    anim.frames.push_back(anim.frames[0]);
    anim.frames[1].pixels.assign(256, 3), anim.frames[1].transparent = 2;
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    for (const int colours : {2, 256}) {
        cases.push_back({OneFrame(8, 8, colours), {}, colours == 2 ? 1 : 7});
        Case& c = cases.back();
        c.file.gif89 = true, c.file.frames[0].transparent = c.transparent;
        if (colours == 2) {
            c.file.colors = {{10, 20, 30}, {40, 50, 60}};
            c.palette.assign(256, white), c.palette[0] = {10, 20, 30}, c.palette[1] = black;
        } else {
            c.file.colors = gifpeer::MakeColors(256, 1), c.file.colors[7] = white;
            c.palette = c.file.colors, c.palette[7] = black;
        }
    }

    testutil::TempDir dir;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const gifpeer::File& f = cases[i].file;
        ASSERT_TRUE(gifpeer::Write(dir.File("t.gif"), f));
        PixelStore gifPixels;
        CGifImpl gif(gifPixels);
        ASSERT_EQ(gif.Read(dir.File("t.gif")), 1);
        EXPECT_EQ(Indices(gif), f.frames[0].pixels);
        EXPECT_EQ(Palette(gif), !cases[i].palette.empty()   ? cases[i].palette
                                : f.frames[0].local.empty() ? f.colors
                                                            : f.frames[0].local);
        EXPECT_EQ(gif.Pixels().transparentIndex, cases[i].transparent);
    }
}

// A GIF with a 4-entry global table around hand-made LZW data.
std::string HandMade(int w, int h, const std::string& lzw, int minCodeSize = 2) {
    return std::string("GIF87a") + char(w) + '\0' + char(h) + std::string("\0\x81\0\0", 4) +
           std::string("\0\0\0\x40\x40\x40\x80\x80\x80\xff\xff\xff,\0\0\0\0", 17) + char(w) + '\0' +
           char(h) + std::string("\0\0", 2) + char(minCodeSize) + lzw;
}

// Codes (value, bits) packed least significant bit first in one sub-block.
std::string Pack(const std::vector<std::pair<int, int>>& codes, bool terminate = true) {
    std::string bytes;
    uint32_t acc = 0;
    int n = 0;
    for (auto [code, bits] : codes)
        for (acc |= uint32_t(code) << n, n += bits; n >= 8; n -= 8, acc >>= 8) bytes += char(acc);
    if (n > 0) bytes += char(acc);
    return char(bytes.size()) + bytes + (terminate ? std::string("\0;", 2) : "");
}

TEST(GifReader, HandMadeDamagedAndCutShortStreams) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<uint8_t> indices;
    } cases[] = {
        // clang-format off
        {"the third code fills the 3-bit table: the end code has 4 bits",
         HandMade(2, 2, Pack({{4, 3}, {1, 3}, {1, 3}, {2, 3}, {5, 4}})), {1, 1, 2, 0}},
        {"no leading clear code: decoded as giflib decodes it",
         HandMade(4, 1, Pack({{1, 3}, {6, 3}, {1, 3}, {5, 4}})), {1, 1, 1, 1}},
        {"no end code, data stop in the second row: the partial row is dropped",
         HandMade(3, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}, false)), {1, 2, 3, 0, 0, 0}},
        {"more data than rows: decoding stops at the last row",
         HandMade(1, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {5, 4}})), {1, 2}},
        {"a minimum code size below 2: the picture is made, nothing decoded",
         HandMade(2, 1, Pack({{2, 2}, {1, 2}, {3, 2}}), 1), {0, 0}},
        // clang-format on
    };
    PixelStore gifPixels;
    CGifImpl gif(gifPixels);
    auto read = [&](const std::string& bytes) { return fixture::ReadBytes(gif, bytes); };
    for (const auto& c : cases) {
        EXPECT_EQ(read(c.bytes), 1) << c.what;
        EXPECT_EQ(Indices(gif), c.indices) << c.what;
    }

    // Damaged, odd and cut-short files around the first stream.
    testutil::TempDir dir;
    const std::string good = cases[0].bytes;
    // Not a GIF, or no file: 0, and the picture stays.
    ASSERT_EQ(read(good), 1);
    EXPECT_EQ(read("GIF7" + good.substr(4)), 0);
    EXPECT_EQ(gif.Read(dir.File("missing.gif")), 0);
    EXPECT_EQ(gif.GetPixelIndex(0, 1), 1);
    // No image, or a graphic control extension not of size 4: 1, no picture.
    std::string gce =
        good.substr(0, 25) + std::string("!\xf9\x05\x01\0\0\x01\0\0", 9) + good.substr(25);
    for (const std::string& bytes : {good.substr(0, 13) + ";", gce}) {
        EXPECT_EQ(read(bytes), 1);
        EXPECT_EQ(gif.GetWidth(), 0);
    }
    // Size 4 is read; a later file without one has no transparency.
    gce[27] = 4;
    gce.erase(32, 1);
    EXPECT_EQ(read(gce), 1);
    EXPECT_EQ(gif.Pixels().transparentIndex, 1);
    EXPECT_EQ(read(good), 1);
    EXPECT_EQ(gif.Pixels().transparentIndex, -1);
    // No colour table at all: no palette, index i shows as grey i.
    std::string bare = good;
    bare[10] = 0;
    bare.erase(13, 12);
    EXPECT_EQ(read(bare), 1);
    EXPECT_EQ(gif.GetPalette(), nullptr);
    EXPECT_EQ(fixture::RgbAt(gif, 0, 0), (fixture::Px{2, 2, 2}));
    // A picture over the size bound is not made.
    gif.readLimits.maxPixels = 3;
    EXPECT_EQ(read(good), 0);
    gif.readLimits = {};
    EXPECT_EQ(gif.GetWidth(), 0);

    // Every prefix of a real file reads safely: 1 once the header is whole.
    gifpeer::File f = OneFrame(61, 17, 256);
    f.gif89 = true, f.frames[0].interlaced = true, f.frames[0].transparent = 3;
    ASSERT_TRUE(gifpeer::Write(dir.File("p.gif"), f));
    const std::string whole = testutil::ReadFile(dir.File("p.gif"));
    for (size_t n = 0; n <= whole.size(); ++n) {
        PixelStore cutPixels;
        CGifImpl cut(cutPixels);
        ASSERT_EQ(fixture::ReadBytes(cut, whole.substr(0, n)), n >= 13 ? 1 : 0) << n;
    }
}

// A picture with the given indices (top row first) and palette.
void Fill(CImageImpl& img, int w, int h, const std::vector<uint8_t>& pixels,
          const std::vector<Rgb>& colors, int depth = 8) {
    img.Create(w, h, depth, -1);
    // The palette first: attaching one to a depth-1 picture rewrites the
    // first bytes after the header, which hold its pixels.
    if (!colors.empty()) img.SetPalette(int(colors.size()), colors[0].data());
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) img.SetPixelIndex(x, h - 1 - r, pixels[size_t(r) * w + x]);
}

// The colour table as written: the palette's entries, zero past them.
std::vector<Rgb> Padded(std::vector<Rgb> colors) {
    colors.resize(256, Rgb{0, 0, 0});
    return colors;
}

// A one-pixel file byte for byte; then through giflib: palette sizes, packed
// depths with odd widths, a grey ramp without palette, transparency, noise
// (far more than 4,096 distinct strings) and a flat picture.
TEST(GifWriter, ExactBytesGiflibAndRefusals) {
    testutil::TempDir dir;
    PixelStore onePixels;
    CGifImpl one(onePixels);
    const std::vector<Rgb> eight = gifpeer::MakeColors(8, 4);
    Fill(one, 1, 1, {5}, eight);
    ASSERT_EQ(one.Write(dir.File("one.gif")), 1);
    std::string want("GIF87a\x01\x00\x01\x00\xf7\x00\x00", 13);
    for (const Rgb& c : Padded(eight)) want.append(c.begin(), c.end());
    want += std::string("\x2c\0\0\0\0\x01\0\x01\0\0\x08\x04\x00\x0b\x04\x04\x00\x3b", 18);
    EXPECT_EQ(testutil::ReadFile(dir.File("one.gif")), want);

    struct Case {
        int w, h, colors, depth, transparent;
        bool palette;
    };
    for (const Case& c : std::vector<Case>{{45, 31, 2, 1, -1, true},
                                           {29, 7, 16, 4, -1, true},
                                           {17, 5, 256, 8, -1, false},
                                           {20, 9, 4, 8, 2, true},
                                           {1000, 60, 256, 8, -1, true},
                                           {100, 100, 1, 8, -1, true}}) {
        SCOPED_TRACE(c.w);
        const std::vector<uint8_t> pixels =
            gifpeer::MakePixels(c.w, c.h, c.colors, c.w == 1000 ? 255 : 2);
        std::vector<Rgb> colors = gifpeer::MakeColors(c.colors, 3);
        PixelStore gifPixels;
        CGifImpl gif(gifPixels);
        Fill(gif, c.w, c.h, pixels, c.palette ? colors : std::vector<Rgb>{}, c.depth);
        if (!c.palette)
            for (int i = 0; i < 256; ++i) colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
        gif.Pixels().transparentIndex = c.transparent;
        ASSERT_EQ(gif.Write(dir.File("p.gif")), 1);
        EXPECT_EQ(testutil::ReadFile(dir.File("p.gif")).substr(0, 6),
                  c.transparent < 0 ? "GIF87a" : "GIF89a");
        const gifpeer::Decoded d = gifpeer::Read(dir.File("p.gif"));
        EXPECT_EQ(d.pixels, pixels);
        EXPECT_EQ(d.colors, Padded(colors));
        EXPECT_EQ(d.transparent, c.transparent);
    }

    // Refusals and write errors leave the target alone.
    PixelStore gifPixels;
    CGifImpl gif(gifPixels);
    Fill(gif, 4, 4, std::vector<uint8_t>(16, 1), {{0, 0, 0}, {9, 9, 9}});
    PixelStore widePixels;
    CGifImpl wide(widePixels);
    wide.Create(65536, 1, 24, -1);
    {
        fixture::Messages m;
        EXPECT_EQ(wide.Write(dir.File("wide.gif")), 0);
        EXPECT_EQ(wide.encodeFailure, ze::StatusCode::kSideTooLong);
        EXPECT_TRUE(m.texts.empty());
    }
    std::filesystem::create_directory(dir.File("folder.gif"));  // cannot be replaced
    for (const char* name : {"folder.gif", "no/such/folder/x.gif"}) {
        fixture::Messages m;
        EXPECT_EQ(gif.Write(dir.File(name)), 0);
        EXPECT_EQ(m.texts, std::vector<std::string>{"Can't open GIF for writing"});
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("wide.gif")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.gif")));
    PixelStore none;
    EXPECT_EQ(CGifImpl(none).Write(dir.File("e.gif")), 0);  // no pixels
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.gif")));
}

}  // namespace
