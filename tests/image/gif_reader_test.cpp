// The GIF reader against giflib-written files and hand-made LZW streams.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/test_util.h"
#include "gif_peer.h"
#include "image/dib.h"
#include "image/gif_codec.h"
#include "image/image.h"

namespace {

using gifpeer::Rgb;

// The picture's indices, top row first.
std::vector<uint8_t> Indices(const CImageImpl& img) {
    std::vector<uint8_t> out;
    for (int r = 0; r < img.GetHeight(); ++r)
        for (int x = 0; x < img.GetWidth(); ++x)
            out.push_back(static_cast<uint8_t>(img.GetPixelIndex(x, img.GetHeight() - 1 - r)));
    return out;
}

std::vector<Rgb> Palette(const CImageImpl& img) {
    std::vector<Rgb> out;
    if (img.GetPalette())
        for (const auto& e : img.GetPalette()->GetEntries())
            out.push_back({e.red, e.green, e.blue});
    return out;
}

gifpeer::File OneFrame(int w, int h, int colors, uint32_t seed) {
    gifpeer::File f;
    gifpeer::Frame fr;
    fr.width = w, fr.height = h;
    fr.pixels = gifpeer::MakePixels(w, h, colors, seed);
    f.globalColors = gifpeer::MakeColors(colors, seed);
    f.frames.push_back(fr);
    return f;
}

// Reads a peer-written file and checks every pixel and palette entry.
void ExpectSame(const std::string& path, const gifpeer::File& f, const std::vector<Rgb>& colors) {
    CGifImpl gif;
    ASSERT_EQ(gif.Read(path), 1);
    const gifpeer::Frame& fr = f.frames.front();
    ASSERT_EQ(gif.GetWidth(), fr.width);
    ASSERT_EQ(gif.GetHeight(), fr.height);
    EXPECT_EQ(gif.GetDepth(), 8);
    EXPECT_EQ(Indices(gif), fr.pixels);
    EXPECT_EQ(Palette(gif), colors);
    EXPECT_EQ(gif.transparentIndex, -1);
}

TEST(GifReader, ReadsPeerFilesOfEveryTableSizeBothVersionsAndTables) {
    testutil::TempDir dir;
    for (int bits = 1; bits <= 8; ++bits)
        for (bool gif89 : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, 89a " << gif89);
            gifpeer::File f = OneFrame(37 + bits, 23, 1 << bits, bits);
            f.gif89 = gif89;
            if (gif89) {  // a local table replaces the global one
                f.frames[0].colors = gifpeer::MakeColors(1 << bits, 99);
                f.frames[0].localTable = true;
            }
            const std::string path = dir.File("t.gif");
            ASSERT_TRUE(gifpeer::Write(path, f));
            ASSERT_EQ(testutil::ReadFile(path).substr(0, 6), gif89 ? "GIF89a" : "GIF87a");
            ExpectSame(path, f, gif89 ? f.frames[0].colors : f.globalColors);
        }
}

TEST(GifReader, DeinterlacesEveryHeight) {
    testutil::TempDir dir;
    for (int h : {1, 2, 3, 4, 5, 6, 7, 8, 9, 517}) {
        SCOPED_TRACE(h);
        gifpeer::File f = OneFrame(13, h, 256, h);
        // Each row distinct, so a row filled twice or not at all shows.
        for (int r = 0; r < h; ++r) f.frames[0].pixels[static_cast<size_t>(r) * 13] = r % 251 + 1;
        f.frames[0].interlaced = true;
        ASSERT_TRUE(gifpeer::Write(dir.File("i.gif"), f));
        ExpectSame(dir.File("i.gif"), f, f.globalColors);
    }
}

TEST(GifReader, ManyStringsTinyWideAndAnimated) {
    testutil::TempDir dir;
    // Noise gives well over 4,096 distinct strings, so the data hold clear codes.
    gifpeer::File noisy = OneFrame(300, 200, 256, 7);
    uint32_t s = 1;
    for (auto& p : noisy.frames[0].pixels)
        p = static_cast<uint8_t>((s = s * 1103515245u + 12345u) >> 23);
    gifpeer::File one = OneFrame(1, 1, 2, 1);
    one.frames[0].pixels = {1};
    gifpeer::File wide = OneFrame(4096, 3, 256, 5);
    // An animation: the first frame is the picture.
    gifpeer::File anim = OneFrame(16, 16, 4, 1);
    anim.gif89 = true;
    gifpeer::Frame second = anim.frames[0];
    std::fill(second.pixels.begin(), second.pixels.end(), 3);
    second.transparent = 2;
    anim.frames.insert(anim.frames.end(), 2, second);
    for (const gifpeer::File* f : {&noisy, &one, &wide, &anim}) {
        ASSERT_TRUE(gifpeer::Write(dir.File("m.gif"), *f));
        ExpectSame(dir.File("m.gif"), *f, f->globalColors);
    }
}

TEST(GifReader, TransparencyKeepsBlackAndWhiteInPalette) {
    testutil::TempDir dir;
    auto read = [&](std::vector<Rgb> colors, int transparent) {
        gifpeer::File f = OneFrame(8, 8, static_cast<int>(colors.size()), 2);
        f.gif89 = true;
        f.globalColors = colors;
        f.frames[0].transparent = transparent;
        EXPECT_TRUE(gifpeer::Write(dir.File("t.gif"), f));
        EXPECT_EQ(gifpeer::Read(dir.File("t.gif")).transparent, transparent);
        CGifImpl gif;
        EXPECT_EQ(gif.Read(dir.File("t.gif")), 1);
        EXPECT_EQ(gif.transparentIndex, transparent);
        EXPECT_EQ(Indices(gif), f.frames[0].pixels);
        return Palette(gif);
    };
    const Rgb black{0, 0, 0}, white{255, 255, 255};

    // Two colours, index 1 transparent: 256 entries, 1 black, the rest white.
    std::vector<Rgb> p = read({{10, 20, 30}, {40, 50, 60}}, 1);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p[0], (Rgb{10, 20, 30}));
    EXPECT_EQ(p[1], black);
    for (int i = 2; i < 256; ++i) EXPECT_EQ(p[i], white);

    // 256 colours without white: entry 255 becomes white.
    std::vector<Rgb> full = gifpeer::MakeColors(256, 1);
    full[255] = {1, 2, 3};
    p = read(full, 7);
    EXPECT_EQ(p[7], black);
    EXPECT_EQ(p[255], white);
    EXPECT_EQ(p[8], full[8]);

    // The only white entry is the transparent one: it turns black, and no
    // other entry is made white.
    full[7] = white;
    p = read(full, 7);
    EXPECT_EQ(p[7], black);
    EXPECT_EQ(p[255], full[255]);
    EXPECT_EQ(std::count(p.begin(), p.end(), white), 0);
}

// A GIF with a 4-entry global table around hand-made LZW data.
std::string HandMade(int w, int h, const std::string& lzw, int minCodeSize = 2) {
    std::string s = "GIF87a";
    s += {static_cast<char>(w), 0, static_cast<char>(h), 0, '\x81', 0, 0};
    s += std::string("\0\0\0\x40\x40\x40\x80\x80\x80\xff\xff\xff", 12);
    s += {',', 0, 0, 0, 0, static_cast<char>(w), 0, static_cast<char>(h), 0, 0};
    s += static_cast<char>(minCodeSize);
    s += lzw;
    return s;
}

// LZW codes packed least significant bit first, as sub-blocks.
std::string Pack(const std::vector<std::pair<int, int>>& codes, bool terminate = true) {
    std::string bytes;
    uint32_t acc = 0;
    int n = 0;
    for (auto [code, bits] : codes) {
        acc |= static_cast<uint32_t>(code) << n;
        n += bits;
        for (; n >= 8; n -= 8, acc >>= 8) bytes += static_cast<char>(acc & 0xFF);
    }
    if (n > 0) bytes += static_cast<char>(acc & 0xFF);
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 255) {
        const std::string part = bytes.substr(i, 255);
        out += static_cast<char>(part.size());
        out += part;
    }
    if (terminate) out += std::string("\0;", 2);
    return out;
}

std::vector<uint8_t> ReadBytes(const std::string& bytes, int* answer = nullptr) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("h.gif"), bytes);
    CGifImpl gif;
    const int a = gif.Read(dir.File("h.gif"));
    if (answer) *answer = a;
    return Indices(gif);
}

TEST(GifReader, HandMadeCodeStreams) {
    int answer = 0;
    // Clear, 1, 1, 2, end: the rows hold 1 1 / 2 0; the third code fills the
    // 3-bit table, so the end code has 4 bits.
    EXPECT_EQ(ReadBytes(HandMade(2, 2, Pack({{4, 3}, {1, 3}, {1, 3}, {2, 3}, {5, 4}}))),
              (std::vector<uint8_t>{1, 1, 2, 0}));
    // A clear code directly followed by the end code ends cleanly.
    EXPECT_EQ(ReadBytes(HandMade(2, 1, Pack({{4, 3}, {5, 3}})), &answer),
              (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(answer, 1);
    // Code 6 is the next free slot (1 + its first byte); 7 is one above it and
    // decodes the same way.
    EXPECT_EQ(ReadBytes(HandMade(3, 1, Pack({{4, 3}, {1, 3}, {6, 3}, {5, 3}}))),
              (std::vector<uint8_t>{1, 1, 1}));
    EXPECT_EQ(ReadBytes(HandMade(3, 1, Pack({{4, 3}, {1, 3}, {7, 3}, {5, 3}}))),
              (std::vector<uint8_t>{1, 1, 1}));
    // Data without a leading clear code decode like giflib decodes them:
    // 1, 6 (= 1 1), 1, end at 4 bits.
    {
        testutil::TempDir dir;
        const std::string file = HandMade(4, 1, Pack({{1, 3}, {6, 3}, {1, 3}, {5, 4}}));
        testutil::WriteFile(dir.File("p.gif"), file);
        EXPECT_EQ(gifpeer::Read(dir.File("p.gif")).pixels, (std::vector<uint8_t>{1, 1, 1, 1}));
        EXPECT_EQ(ReadBytes(file), (std::vector<uint8_t>{1, 1, 1, 1}));
    }
    // No end code, data stop inside the second row: the first row stands,
    // the partial row is dropped, the answer is still 1.
    EXPECT_EQ(
        ReadBytes(HandMade(3, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}, false)), &answer),
        (std::vector<uint8_t>{1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(answer, 1);
    // A zero-length sub-block ends the data in the same way.
    EXPECT_EQ(ReadBytes(HandMade(3, 2, std::string("\x02\x8c\x36\x00\x02\x05\x05\x00;", 9))),
              (std::vector<uint8_t>{1, 2, 3, 0, 0, 0}));
    // The end code inside a row keeps the part of it that was decoded.
    EXPECT_EQ(ReadBytes(HandMade(2, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 4}}))),
              (std::vector<uint8_t>{1, 2, 3, 0}));
    // More data than rows: decoding stops at the last row.
    EXPECT_EQ(ReadBytes(HandMade(1, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {5, 4}}))),
              (std::vector<uint8_t>{1, 2}));
    // Minimum code sizes outside 2..9: the picture is made, no pixels decoded.
    EXPECT_EQ(ReadBytes(HandMade(2, 1, Pack({{2, 2}, {1, 2}, {3, 2}}), 1), &answer),
              (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(ReadBytes(HandMade(2, 1, Pack({{1024, 11}, {1, 11}}), 10)),
              (std::vector<uint8_t>{0, 0}));
}

TEST(GifReader, DamagedAndOddFiles) {
    testutil::TempDir dir;
    CGifImpl gif;
    auto read = [&](const std::string& bytes) {
        testutil::WriteFile(dir.File("d.gif"), bytes);
        return gif.Read(dir.File("d.gif"));
    };
    const std::string good = HandMade(2, 2, Pack({{4, 3}, {1, 3}, {1, 3}, {2, 3}, {5, 4}}));
    // Not a GIF, or a header cut short: 0, and the picture held before stays.
    ASSERT_EQ(read(good), 1);
    EXPECT_EQ(read("GIF7" + good.substr(4)), 0);
    EXPECT_EQ(read(good.substr(0, 12)), 0);
    EXPECT_EQ(gif.Read(dir.File("missing.gif")), 0);
    EXPECT_EQ(gif.GetWidth(), 2);
    EXPECT_EQ(gif.GetPixelIndex(0, 1), 1);

    // A GIF without an image (or cut inside the global table or the image
    // descriptor) answers 1 and leaves no picture.
    EXPECT_EQ(read(good.substr(0, 13) + ";"), 1);
    EXPECT_EQ(gif.GetWidth(), 0);
    EXPECT_FALSE(gif.IsValid());
    EXPECT_EQ(read(good.substr(0, 20)), 1);
    EXPECT_EQ(gif.GetWidth(), 0);
    EXPECT_EQ(read(good.substr(0, 30)), 1);
    EXPECT_EQ(gif.GetWidth(), 0);

    // A graphic control extension whose block size is not 4 ends the reading.
    std::string gce =
        good.substr(0, 25) + std::string("!\xf9\x05\x01\x00\x00\x01\x00\x00", 9) + good.substr(25);
    EXPECT_EQ(read(gce), 1);
    EXPECT_EQ(gif.GetWidth(), 0);
    // With size 4 it is read, and a later GIF without one has no transparency.
    gce[27] = 4;
    gce.erase(32, 1);
    EXPECT_EQ(read(gce), 1);
    EXPECT_EQ(gif.transparentIndex, 1);
    EXPECT_EQ(gif.GetPalette()->GetEntryCount(), 256);
    EXPECT_EQ(read(good), 1);
    EXPECT_EQ(gif.transparentIndex, -1);

    // No colour table at all: no palette, shown as a grey ramp.
    std::string bare = good;
    bare[10] = 0;
    bare.erase(13, 12);
    EXPECT_EQ(read(bare), 1);
    EXPECT_EQ(gif.GetPalette(), nullptr);
    uint8_t r = 0, g = 0, b = 0;
    EXPECT_EQ(gif.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(gif.GetPixelRGB(0, 0, &r, &g, &b), 1);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(g, 2);

    // A picture over the size bound is not made.
    const int64_t limit = dib::PixelLimit();
    dib::SetPixelLimit(3);
    EXPECT_EQ(read(good), 0);
    dib::SetPixelLimit(limit);
    EXPECT_EQ(gif.GetWidth(), 0);
    EXPECT_FALSE(gif.IsValid());
}

TEST(GifReader, EveryPrefixReadsSafely) {
    testutil::TempDir dir;
    // Non-interlaced: rows fill top down, so a cut file gives some complete
    // rows (equal to the original) and the rest index 0.
    for (bool interlaced : {false, true}) {
        gifpeer::File f = OneFrame(61, 17, 256, 11);
        f.frames[0].interlaced = interlaced;
        f.frames[0].transparent = 3;
        f.gif89 = true;
        ASSERT_TRUE(gifpeer::Write(dir.File("p.gif"), f));
        const std::string whole = testutil::ReadFile(dir.File("p.gif"));
        const auto& want = f.frames[0].pixels;
        for (size_t n = 0; n <= whole.size(); ++n) {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
            ASSERT_TRUE(file);
            std::fwrite(whole.data(), 1, n, file.get());
            std::rewind(file.get());
            CGifImpl gif;
            const int answer = gif.ReadStream(file.get());
            ASSERT_EQ(answer, n >= 13 ? 1 : 0) << n;
            if (gif.GetWidth() == 0 || interlaced) continue;
            const std::vector<uint8_t> got = Indices(gif);
            size_t rows = 0;
            while (rows < 17 && std::equal(got.begin() + rows * 61, got.begin() + rows * 61 + 61,
                                           want.begin() + rows * 61))
                ++rows;
            for (size_t i = rows * 61; i < got.size(); ++i) ASSERT_EQ(got[i], 0) << n;
        }
    }
}

}  // namespace
