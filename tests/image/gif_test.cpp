// The GIF reader against giflib-written files and hand-made LZW streams; the
// writer: the exact bytes of a small file, the structure of the LZW data, and
// files that giflib reads back pixel for pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_util.h"
#include "gif_peer.h"
#include "image/dib.h"
#include "image/gif_codec.h"
#include "image/image.h"
#include "image/messages.h"

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

TEST(GifReader, ReadsWhatGiflibWrites) {
    std::vector<gifpeer::File> files;
    for (int bits = 1; bits <= 8; ++bits) {  // 2..256 colours, 87a and 89a
        files.push_back(OneFrame(37 + bits, 23, 1 << bits));
        files.push_back(OneFrame(30 + bits, 11, 1 << bits));
        files.back().gif89 = true;
        files.back().frames[0].local = gifpeer::MakeColors(1 << bits, 99);
    }
    for (int h : {1, 2, 3, 5, 9, 517}) {  // every row filled exactly once
        files.push_back(OneFrame(13, h, 256, 0));
        for (int r = 0; r < h; ++r) files.back().frames[0].pixels[size_t(r) * 13] = uint8_t(r + 1);
        files.back().frames[0].interlaced = true;
    }
    files.push_back(OneFrame(300, 200, 256, 255));  // noise: clear codes in the data
    files.push_back(OneFrame(1, 1, 2));
    files.push_back(OneFrame(4096, 3, 256));
    gifpeer::File anim = OneFrame(16, 16, 4);  // the first frame is the picture
    anim.gif89 = true;
    anim.frames.resize(3, OneFrame(16, 16, 4).frames[0]);
    for (size_t k = 1; k < 3; ++k) {
        anim.frames[k].pixels.assign(256, 3);
        anim.frames[k].transparent = 2;
    }
    files.push_back(anim);

    testutil::TempDir dir;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const gifpeer::File& f = files[i];
        ASSERT_TRUE(gifpeer::Write(dir.File("t.gif"), f));
        CGifImpl gif;
        ASSERT_EQ(gif.Read(dir.File("t.gif")), 1);
        EXPECT_EQ(Indices(gif), f.frames[0].pixels);
        EXPECT_EQ(Palette(gif), f.frames[0].local.empty() ? f.colors : f.frames[0].local);
        EXPECT_EQ(gif.transparentIndex, -1);
    }
}

TEST(GifReader, TransparencyKeepsBlackAndWhiteInPalette) {
    testutil::TempDir dir;
    auto read = [&](const std::vector<Rgb>& colors, int transparent) {
        gifpeer::File f = OneFrame(8, 8, int(colors.size()));
        f.gif89 = true, f.colors = colors, f.frames[0].transparent = transparent;
        EXPECT_TRUE(gifpeer::Write(dir.File("t.gif"), f));
        CGifImpl gif;
        EXPECT_EQ(gif.Read(dir.File("t.gif")), 1);
        EXPECT_EQ(gif.transparentIndex, transparent);
        EXPECT_EQ(Indices(gif), f.frames[0].pixels);
        return Palette(gif);
    };
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    // Two colours, index 1 transparent: 256 entries, 1 black, 2..255 white.
    std::vector<Rgb> want(256, white);
    want[0] = {10, 20, 30}, want[1] = black;
    EXPECT_EQ(read({{10, 20, 30}, {40, 50, 60}}, 1), want);
    // 256 colours without white: entry 255 becomes white.
    std::vector<Rgb> full = gifpeer::MakeColors(256, 1);
    want = full;
    want[7] = black, want[255] = white;
    EXPECT_EQ(read(full, 7), want);
    // The only white entry is the transparent one: it turns black, and no
    // other entry is made white.
    full[7] = white;
    want[255] = full[255];
    EXPECT_EQ(read(full, 7), want);
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

std::vector<uint8_t> ReadBytes(const std::string& bytes, int* answer = nullptr) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("h.gif"), bytes);
    CGifImpl gif;
    const int a = gif.Read(dir.File("h.gif"));
    if (answer) *answer = a;
    return Indices(gif);
}

TEST(GifReader, HandMadeCodeStreams) {
    using V = std::vector<uint8_t>;
    int answer = 0;
    // Clear (4), 1, 1, 2: the third code fills the 3-bit table, so the end
    // code (5) has 4 bits; the end code inside a row keeps the row's start.
    EXPECT_EQ(ReadBytes(HandMade(2, 2, Pack({{4, 3}, {1, 3}, {1, 3}, {2, 3}, {5, 4}}))),
              (V{1, 1, 2, 0}));
    // A clear code directly followed by the end code ends cleanly.
    EXPECT_EQ(ReadBytes(HandMade(2, 1, Pack({{4, 3}, {5, 3}})), &answer), (V{0, 0}));
    EXPECT_EQ(answer, 1);
    // 6 is the next free slot (1 plus its first byte); 7, one above it,
    // decodes the same way.
    EXPECT_EQ(ReadBytes(HandMade(3, 1, Pack({{4, 3}, {1, 3}, {6, 3}, {5, 3}}))), (V{1, 1, 1}));
    EXPECT_EQ(ReadBytes(HandMade(3, 1, Pack({{4, 3}, {1, 3}, {7, 3}, {5, 3}}))), (V{1, 1, 1}));
    // Data without a leading clear code decode as giflib decodes them.
    const std::string noClear = HandMade(4, 1, Pack({{1, 3}, {6, 3}, {1, 3}, {5, 4}}));
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("p.gif"), noClear);
    EXPECT_EQ(gifpeer::Read(dir.File("p.gif")).pixels, (V{1, 1, 1, 1}));
    EXPECT_EQ(ReadBytes(noClear), (V{1, 1, 1, 1}));
    // No end code, data stop inside the second row: the first row stands,
    // the partial row is dropped, the answer is still 1. A zero-length
    // sub-block ends the data in the same way.
    EXPECT_EQ(
        ReadBytes(HandMade(3, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}}, false)), &answer),
        (V{1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(ReadBytes(HandMade(3, 2, std::string("\x02\x8c\x36\x00\x02\x05\x05\x00;", 9))),
              (V{1, 2, 3, 0, 0, 0}));
    // More data than rows: decoding stops at the last row.
    EXPECT_EQ(ReadBytes(HandMade(1, 2, Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 4}, {5, 4}}))),
              (V{1, 2}));
    // A minimum code size below 2: the picture is made, nothing decoded.
    EXPECT_EQ(ReadBytes(HandMade(2, 1, Pack({{2, 2}, {1, 2}, {3, 2}}), 1), &answer), (V{0, 0}));
    EXPECT_EQ(answer, 1);
}

TEST(GifReader, DamagedAndOddFiles) {
    testutil::TempDir dir;
    CGifImpl gif;
    auto read = [&](const std::string& bytes) {
        testutil::WriteFile(dir.File("d.gif"), bytes);
        return gif.Read(dir.File("d.gif"));
    };
    const std::string good = HandMade(2, 2, Pack({{4, 3}, {1, 3}, {1, 3}, {2, 3}, {5, 4}}));
    // Not a GIF, a header cut short, no file: 0, and the picture stays.
    ASSERT_EQ(read(good), 1);
    EXPECT_EQ(read("GIF7" + good.substr(4)), 0);
    EXPECT_EQ(read(good.substr(0, 12)), 0);
    EXPECT_EQ(gif.Read(dir.File("missing.gif")), 0);
    EXPECT_EQ(gif.GetPixelIndex(0, 1), 1);
    // No image, a file cut inside the global table or the image descriptor,
    // or a graphic control extension whose size is not 4: 1 and no picture.
    std::string gce =
        good.substr(0, 25) + std::string("!\xf9\x05\x01\0\0\x01\0\0", 9) + good.substr(25);
    for (const std::string& bytes :
         {good.substr(0, 13) + ";", good.substr(0, 20), good.substr(0, 30), gce}) {
        ASSERT_EQ(read(good), 1);
        EXPECT_EQ(read(bytes), 1);
        EXPECT_EQ(gif.GetWidth(), 0);
        EXPECT_FALSE(gif.IsValid());
    }
    // Size 4 is read; a later file without one has no transparency.
    gce[27] = 4;
    gce.erase(32, 1);
    EXPECT_EQ(read(gce), 1);
    EXPECT_EQ(gif.transparentIndex, 1);
    EXPECT_EQ(read(good), 1);
    EXPECT_EQ(gif.transparentIndex, -1);
    // No colour table at all: no palette, index i shows as grey i.
    std::string bare = good;
    bare[10] = 0;
    bare.erase(13, 12);
    EXPECT_EQ(read(bare), 1);
    EXPECT_EQ(gif.GetPalette(), nullptr);
    uint8_t r = 0, g = 0, b = 0;
    EXPECT_EQ(gif.GetPixelRGB(0, 0, &r, &g, &b), 1);
    EXPECT_EQ(r + g + b, 6);
    // A picture over the size bound is not made.
    const int64_t limit = dib::PixelLimit();
    dib::SetPixelLimit(3);
    EXPECT_EQ(read(good), 0);
    dib::SetPixelLimit(limit);
    EXPECT_EQ(gif.GetWidth(), 0);
}

TEST(GifReader, EveryPrefixReadsSafely) {
    testutil::TempDir dir;
    for (bool interlaced : {false, true}) {
        gifpeer::File f = OneFrame(61, 17, 256);
        f.gif89 = true, f.frames[0].interlaced = interlaced, f.frames[0].transparent = 3;
        ASSERT_TRUE(gifpeer::Write(dir.File("p.gif"), f));
        const std::string whole = testutil::ReadFile(dir.File("p.gif"));
        const std::vector<uint8_t>& want = f.frames[0].pixels;
        for (size_t n = 0; n <= whole.size(); ++n) {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
            std::fwrite(whole.data(), 1, n, file.get());
            std::rewind(file.get());
            CGifImpl gif;
            ASSERT_EQ(gif.ReadStream(file.get()), n >= 13 ? 1 : 0) << n;
            if (gif.GetWidth() == 0 || interlaced) continue;
            // Rows fill top down: complete rows equal the original, the rest are 0.
            const std::vector<uint8_t> got = Indices(gif);
            size_t rows = 0;
            while (rows < 17 && std::equal(&got[rows * 61], &got[rows * 61 + 61], &want[rows * 61]))
                ++rows;
            ASSERT_TRUE(std::all_of(got.begin() + rows * 61, got.end(), [](uint8_t v) {
                return v == 0;
            })) << n;
        }
    }
}

struct Messages {
    std::vector<std::string> texts;
    ze::MessageHandler old =
        ze::SetMessageHandler([this](const std::string& t) { texts.push_back(t); });
    ~Messages() { ze::SetMessageHandler(old); }
};

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

TEST(GifWriter, OnePixelFileExactly) {
    testutil::TempDir dir;
    CGifImpl gif;
    const std::vector<Rgb> colors = gifpeer::MakeColors(8, 4);
    Fill(gif, 1, 1, {5}, colors);
    ASSERT_EQ(gif.Write(dir.File("one.gif")), 1);
    std::string want("GIF87a\x01\x00\x01\x00\xf7\x00\x00", 13);
    for (const Rgb& c : Padded(colors)) want.append(c.begin(), c.end());
    want += std::string("\x2c\0\0\0\0\x01\0\x01\0\0\x08\x04\x00\x0b\x04\x04\x00\x3b", 18);
    EXPECT_EQ(testutil::ReadFile(dir.File("one.gif")), want);
}

TEST(GifWriter, GiflibReadsWhatWeWrite) {
    testutil::TempDir dir;
    struct Case {
        int w, h, colors, depth, transparent;
        bool palette;
    };
    // Palette sizes, packed depths (odd widths end rows inside a byte), a
    // picture without palette (a grey ramp), transparency, 4096-wide rows.
    for (const Case& c : std::vector<Case>{{45, 31, 2, 8, -1, true},
                                           {46, 31, 3, 8, -1, true},
                                           {48, 31, 256, 8, -1, true},
                                           {29, 7, 2, 1, -1, true},
                                           {29, 7, 16, 4, -1, true},
                                           {17, 5, 256, 8, -1, false},
                                           {20, 9, 4, 8, 2, true},
                                           {4096, 2, 256, 8, -1, true}}) {
        SCOPED_TRACE(c.colors * 100 + c.depth);
        const std::vector<uint8_t> pixels = gifpeer::MakePixels(c.w, c.h, c.colors);
        std::vector<Rgb> colors = gifpeer::MakeColors(c.colors, 3);
        CGifImpl gif;
        Fill(gif, c.w, c.h, pixels, c.palette ? colors : std::vector<Rgb>{}, c.depth);
        if (!c.palette)
            for (int i = 0; i < 256; ++i) colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
        gif.transparentIndex = c.transparent;
        ASSERT_EQ(gif.Write(dir.File("p.gif")), 1);
        const std::string file = testutil::ReadFile(dir.File("p.gif"));
        EXPECT_EQ(file.substr(0, 6), c.transparent < 0 ? "GIF87a" : "GIF89a");
        const gifpeer::Decoded d = gifpeer::Read(dir.File("p.gif"));
        EXPECT_EQ(d.pixels, pixels);
        EXPECT_EQ(d.colors, Padded(colors));
        EXPECT_EQ(d.transparent, c.transparent);
    }
}

TEST(GifWriter, LongAndFlatDataRoundTrip) {
    testutil::TempDir dir;
    const int w = 1000, h = 60;  // noise: far more than 4,096 distinct strings
    const std::vector<uint8_t> pixels = gifpeer::MakePixels(w, h, 256, 255);
    CImage image;
    ASSERT_EQ(image.CreateImpl("", 2), 1);
    Fill(*image.GetImpl(), w, h, pixels, gifpeer::MakeColors(256, 1));
    ASSERT_EQ(image.Save(dir.File("n.gif"), 2), 1);
    const std::string file = testutil::ReadFile(dir.File("n.gif"));
    EXPECT_EQ(file.substr(file.size() - 2), std::string("\0;", 2));  // terminator, trailer
    EXPECT_EQ(gifpeer::Read(dir.File("n.gif")).pixels, pixels);
    // A flat picture reads back the same.
    CGifImpl flat;
    Fill(flat, 100, 100, std::vector<uint8_t>(10000, 0), {{1, 2, 3}});
    ASSERT_EQ(flat.Write(dir.File("f.gif")), 1);
    EXPECT_EQ(gifpeer::Read(dir.File("f.gif")).pixels, std::vector<uint8_t>(10000, 0));
}

TEST(GifWriter, RefusalsAndWriteErrorsLeaveTargetAlone) {
    testutil::TempDir dir;
    CGifImpl gif;
    Fill(gif, 4, 4, std::vector<uint8_t>(16, 1), {{0, 0, 0}, {9, 9, 9}});
    ASSERT_EQ(gif.Write(dir.File("a.gif")), 1);
    const std::string original = testutil::ReadFile(dir.File("a.gif"));
    // Saving under a new name writes it and leaves the file read from alone.
    CImage loaded(dir.File("a.gif"), 2);
    loaded.SetPixelIndex(0, 0, 0);
    ASSERT_EQ(loaded.Save(dir.File("b.gif"), 2), 1);
    EXPECT_EQ(testutil::ReadFile(dir.File("a.gif")), original);
    EXPECT_EQ(gifpeer::Read(dir.File("b.gif")).pixels[12], 0);

    CGifImpl deep;
    deep.Create(3, 3, 24, -1);
    std::filesystem::create_directory(dir.File("folder.gif"));  // cannot be replaced
    for (auto [img, name, message] :
         {std::tuple{&deep, "deep.gif", "GIF Images must be 8 bit or less"},
          std::tuple{&gif, "folder.gif", "Write Error in GIF file"},
          std::tuple{&gif, "no/such/folder/x.gif", "Can't open GIF for writing"}}) {
        Messages m;
        EXPECT_EQ(img->Write(dir.File(name)), 0);
        EXPECT_EQ(m.texts, std::vector<std::string>{message});  // one message only
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("deep.gif")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.gif")));
    EXPECT_EQ(CGifImpl().Write(dir.File("e.gif")), 0);  // no pixels
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.gif")));
}

}  // namespace
