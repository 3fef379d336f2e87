// The GIF writer: the exact bytes of a small file, the structure of the LZW
// data, and files that giflib and our reader read back pixel for pixel.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/test_util.h"
#include "gif_peer.h"
#include "image/gif_codec.h"
#include "image/image.h"
#include "image/messages.h"

namespace {

using gifpeer::Rgb;

// Records the messages of the image library while it lives.
struct Messages {
    std::vector<std::string> texts;
    ze::MessageHandler old =
        ze::SetMessageHandler([this](const std::string& t) { texts.push_back(t); });
    ~Messages() { ze::SetMessageHandler(old); }
};

// A depth-8 picture with the given indices (top row first) and palette.
void Fill(CImageImpl& img, int w, int h, const std::vector<uint8_t>& pixels,
          const std::vector<Rgb>& colors, int depth = 8) {
    img.Create(w, h, depth, -1);
    // The palette first: attaching one to a depth-1 picture rewrites the
    // first bytes after the header, which hold its pixels.
    if (!colors.empty()) {
        std::vector<uint8_t> rgb;
        for (const Rgb& c : colors) rgb.insert(rgb.end(), c.begin(), c.end());
        img.SetPalette(static_cast<int>(colors.size()), rgb.data());
    }
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            img.SetPixelIndex(x, h - 1 - r, pixels[static_cast<size_t>(r) * w + x]);
}

// The colour table as written: the palette's entries, zero past them.
std::vector<Rgb> Padded(std::vector<Rgb> colors) {
    colors.resize(256, Rgb{0, 0, 0});
    return colors;
}

// The LZW data of a file written by us: the sub-block lengths and the codes
// as a decoder reads them (with the size each has).
struct Stream {
    std::vector<int> blocks;
    std::vector<std::pair<int, int>> codes;
};

Stream Parse(const std::string& file, size_t dataStart) {
    Stream s;
    std::string bytes;
    size_t p = dataStart;
    while (p < file.size() && file[p] != 0) {
        const int n = static_cast<uint8_t>(file[p]);
        s.blocks.push_back(n);
        bytes += file.substr(p + 1, n);
        p += 1 + n;
    }
    EXPECT_EQ(file.substr(p), std::string("\0;", 2));
    // Code sizes as a decoder tracks them.
    int size = 9, next = 258;
    bool first = true;
    size_t bit = 0;
    while (bit + size <= bytes.size() * 8) {
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit)
            code |= ((static_cast<uint8_t>(bytes[bit / 8]) >> (bit % 8)) & 1) << i;
        s.codes.push_back({code, size});
        if (code == 257) break;
        if (code == 256) {
            size = 9, next = 258, first = true;
            continue;
        }
        if (!first && next < 4096 && ++next == (1 << size) && size < 12) ++size;
        first = false;
    }
    return s;
}

TEST(GifWriter, OnePixelFileExactly) {
    testutil::TempDir dir;
    CGifImpl gif;
    std::vector<Rgb> colors = gifpeer::MakeColors(8, 4);
    Fill(gif, 1, 1, {5}, colors);
    ASSERT_EQ(gif.Write(dir.File("one.gif")), 1);
    std::string want("GIF87a\x01\x00\x01\x00\xf7\x00\x00", 13);
    for (const Rgb& c : Padded(colors)) want.append(c.begin(), c.end());
    want += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x08", 11);
    want += std::string("\x04\x00\x0b\x04\x04\x00\x3b", 7);
    EXPECT_EQ(testutil::ReadFile(dir.File("one.gif")), want);
}

TEST(GifWriter, PeerReadsEveryPaletteSize) {
    testutil::TempDir dir;
    for (int count : {2, 3, 16, 100, 256}) {
        SCOPED_TRACE(count);
        const int w = 45 + count % 7, h = 31;
        const std::vector<uint8_t> pixels = gifpeer::MakePixels(w, h, count, count);
        const std::vector<Rgb> colors = gifpeer::MakeColors(count, count);
        CGifImpl gif;
        Fill(gif, w, h, pixels, colors);
        ASSERT_EQ(gif.Write(dir.File("p.gif")), 1);
        const gifpeer::Decoded d = gifpeer::Read(dir.File("p.gif"));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.version, "GIF87a");
        EXPECT_EQ(d.width, w);
        EXPECT_EQ(d.pixels, pixels);
        EXPECT_EQ(d.colors, Padded(colors));
        EXPECT_EQ(d.transparent, -1);
    }
}

TEST(GifWriter, ClearCodesSubBlocksAndRoundTrip) {
    testutil::TempDir dir;
    // Noise: far more than 4,096 distinct strings.
    const int w = 4096, h = 40;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    uint32_t s = 9;
    for (auto& p : pixels) p = static_cast<uint8_t>((s = s * 1103515245u + 12345u) >> 23);
    CImage image;
    ASSERT_EQ(image.CreateImpl("", 2), 1);
    Fill(*image.GetImpl(), w, h, pixels, gifpeer::MakeColors(256, 1));
    ASSERT_EQ(image.Save(dir.File("n.gif"), 2), 1);
    const std::string file = testutil::ReadFile(dir.File("n.gif"));

    const Stream st = Parse(file, 13 + 768 + 11);
    ASSERT_GT(st.blocks.size(), 2u);
    for (size_t i = 0; i + 1 < st.blocks.size(); ++i) ASSERT_EQ(st.blocks[i], 254);
    EXPECT_LE(st.blocks.back(), 254);
    ASSERT_EQ(st.codes.front(), std::make_pair(256, 9));
    EXPECT_EQ(st.codes.back().first, 257);
    int clears = 0, maxSize = 0;
    for (size_t i = 1; i < st.codes.size(); ++i) {
        maxSize = std::max(maxSize, st.codes[i].second);
        if (st.codes[i].first == 256) {
            ++clears;
            EXPECT_EQ(st.codes[i].second, 12);
            EXPECT_EQ(st.codes[i + 1].second, 9);
        }
    }
    EXPECT_GT(clears, 5);
    EXPECT_EQ(maxSize, 12);

    const gifpeer::Decoded d = gifpeer::Read(dir.File("n.gif"));
    EXPECT_EQ(d.pixels, pixels);
    CImage back(dir.File("n.gif"), 2);
    ASSERT_EQ(back.GetWidth(), w);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(back.GetPixelIndex(x, h - 1 - r), pixels[static_cast<size_t>(r) * w + x]);

    // A flat picture compresses to a few blocks and reads back the same.
    CGifImpl flat;
    Fill(flat, 100, 100, std::vector<uint8_t>(10000, 0), {{1, 2, 3}});
    ASSERT_EQ(flat.Write(dir.File("f.gif")), 1);
    CGifImpl flatBack;
    ASSERT_EQ(flatBack.Read(dir.File("f.gif")), 1);
    EXPECT_EQ(gifpeer::Read(dir.File("f.gif")).pixels, std::vector<uint8_t>(10000, 0));
    EXPECT_EQ(flatBack.GetWidth(), 100);
    EXPECT_EQ(flatBack.GetPixelIndex(99, 0), 0);
}

TEST(GifWriter, PackedDepthsAndGreyRamp) {
    testutil::TempDir dir;
    for (int depth : {1, 4}) {
        SCOPED_TRACE(depth);
        const int w = 29, h = 7;  // odd width: rows end inside a byte
        const std::vector<uint8_t> pixels = gifpeer::MakePixels(w, h, 1 << depth, depth);
        const std::vector<Rgb> colors = gifpeer::MakeColors(1 << depth, 3);
        CGifImpl gif;
        Fill(gif, w, h, pixels, colors, depth);
        ASSERT_EQ(gif.Write(dir.File("d.gif")), 1);
        const gifpeer::Decoded d = gifpeer::Read(dir.File("d.gif"));
        EXPECT_EQ(d.pixels, pixels);
        EXPECT_EQ(d.colors, Padded(colors));
    }
    // Depth 8 without a palette: entry i is grey i, matching how it shows.
    CGifImpl grey;
    const std::vector<uint8_t> pixels = gifpeer::MakePixels(17, 5, 256, 1);
    Fill(grey, 17, 5, pixels, {});
    ASSERT_EQ(grey.Write(dir.File("g.gif")), 1);
    const gifpeer::Decoded d = gifpeer::Read(dir.File("g.gif"));
    EXPECT_EQ(d.pixels, pixels);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        ASSERT_EQ(d.colors[i], (Rgb{v, v, v}));
    }
}

TEST(GifWriter, TransparentIndexSurvivesSaving) {
    testutil::TempDir dir;
    const std::vector<uint8_t> pixels = gifpeer::MakePixels(20, 9, 4, 2);
    CGifImpl gif;
    Fill(gif, 20, 9, pixels, gifpeer::MakeColors(4, 2));
    gif.transparentIndex = 2;
    ASSERT_EQ(gif.Write(dir.File("t.gif")), 1);
    const std::string file = testutil::ReadFile(dir.File("t.gif"));
    EXPECT_EQ(file.substr(0, 6), "GIF89a");
    EXPECT_EQ(file.substr(13 + 768, 8), std::string("!\xf9\x04\x01\x00\x00\x02\x00", 8));
    const gifpeer::Decoded d = gifpeer::Read(dir.File("t.gif"));
    EXPECT_EQ(d.transparent, 2);
    EXPECT_EQ(d.pixels, pixels);
    CGifImpl back;
    ASSERT_EQ(back.Read(dir.File("t.gif")), 1);
    EXPECT_EQ(back.transparentIndex, 2);
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

    {
        Messages m;
        CGifImpl deep;
        deep.Create(3, 3, 24, -1);
        EXPECT_EQ(deep.Write(dir.File("deep.gif")), 0);
        EXPECT_EQ(m.texts, std::vector<std::string>{"GIF Images must be 8 bit or less"});
        EXPECT_FALSE(std::filesystem::exists(dir.File("deep.gif")));
    }
    {
        // A target that cannot be replaced: one message, answer 0.
        Messages m;
        std::filesystem::create_directory(dir.File("folder.gif"));
        EXPECT_EQ(gif.Write(dir.File("folder.gif")), 0);
        EXPECT_EQ(m.texts, std::vector<std::string>{"Write Error in GIF file"});
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.gif")));
    }
    {
        Messages m;
        EXPECT_EQ(gif.Write(dir.File("no/such/folder/x.gif")), 0);
        EXPECT_EQ(m.texts, std::vector<std::string>{"Can't open GIF for writing"});
    }
    EXPECT_EQ(testutil::ReadFile(dir.File("a.gif")), original);
    // No pixels: nothing is written.
    CGifImpl empty;
    EXPECT_EQ(empty.Write(dir.File("e.gif")), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.gif")));
}

}  // namespace
