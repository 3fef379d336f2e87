// The GIF writer: the exact bytes of a small file, the structure of the LZW
// data, and files that giflib and our reader read back pixel for pixel.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/test_util.h"
#include "gif_peer.h"
#include "image/gif_codec.h"
#include "image/image.h"
#include "image/messages.h"

namespace {

using gifpeer::Rgb;

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
                                           {47, 31, 100, 8, -1, true},
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
        EXPECT_EQ(d.width, c.w);
        EXPECT_EQ(d.pixels, pixels);
        EXPECT_EQ(d.colors, Padded(colors));
        EXPECT_EQ(d.transparent, c.transparent);
        if (c.transparent >= 0) {
            EXPECT_EQ(file.substr(13 + 768, 8), std::string("!\xf9\x04\x01\0\0\x02\0", 8));
            CGifImpl back;
            ASSERT_EQ(back.Read(dir.File("p.gif")), 1);
            EXPECT_EQ(back.transparentIndex, c.transparent);
        }
    }
}

TEST(GifWriter, ClearCodesSubBlocksAndRoundTrip) {
    testutil::TempDir dir;
    const int w = 1000, h = 60;  // noise: far more than 4,096 distinct strings
    const std::vector<uint8_t> pixels = gifpeer::MakePixels(w, h, 256, 255);
    CImage image;
    ASSERT_EQ(image.CreateImpl("", 2), 1);
    Fill(*image.GetImpl(), w, h, pixels, gifpeer::MakeColors(256, 1));
    ASSERT_EQ(image.Save(dir.File("n.gif"), 2), 1);
    const std::string file = testutil::ReadFile(dir.File("n.gif"));

    // Sub-blocks of 254 bytes but the last; then the terminator and trailer.
    std::string data;
    size_t p = 13 + 768 + 11;
    for (int n; (n = uint8_t(file[p])) != 0; p += 1 + n) {
        ASSERT_LE(n, 254);
        if (p + 1 + n < file.size() && file[p + 1 + n] != 0) {
            ASSERT_EQ(n, 254);
        }
        data += file.substr(p + 1, n);
    }
    EXPECT_EQ(file.substr(p), std::string("\0;", 2));
    // Walk the codes with a decoder's sizes: a clear code (256) comes when the
    // 4,096 codes are used, at 12 bits, and the next code has 9 bits again.
    int size = 9, next = 258, clears = 0, code = 0;
    bool first = true;
    for (size_t bit = 0; code != 257 && bit + size <= data.size() * 8;) {
        code = 0;
        for (int i = 0; i < size; ++i, ++bit)
            code |= ((uint8_t(data[bit / 8]) >> (bit % 8)) & 1) << i;
        if (bit == 9) {
            ASSERT_EQ(code, 256);
        }
        if (code == 256) {
            if (bit > 9) {
                EXPECT_EQ(size, 12);
                EXPECT_EQ(next, 4096);
                ++clears;
            }
            size = 9, next = 258, first = true;
        } else if (!first && next < 4096 && ++next == (1 << size) && size < 12) {
            ++size;
        } else {
            first = false;
        }
    }
    EXPECT_EQ(code, 257);
    EXPECT_GT(clears, 5);

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
