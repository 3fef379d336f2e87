// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/png_codec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "bmp_files.h"
#include "fixtures.h"
#include "image/image.h"
#include "image/row_writer.h"
#include "io/file_io.h"

using fixture::ReadBytes;
using fixture::Rgb;

namespace {

constexpr Rgb kBackground{31, 127, 255};

struct Kind {
    int colorType, bitDepth;
};

// Packed and 16-bit grey, both colour depths, a packed and a full palette,
// and alpha.
const Kind kKinds[] = {
    {PNG_COLOR_TYPE_GRAY, 2},       {PNG_COLOR_TYPE_GRAY, 16},      {PNG_COLOR_TYPE_RGB, 8},
    {PNG_COLOR_TYPE_RGB, 16},       {PNG_COLOR_TYPE_PALETTE, 4},    {PNG_COLOR_TYPE_PALETTE, 8},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16},
};

int ColourChannels(int type) {
    return type & PNG_COLOR_MASK_COLOR && type != 3 ? 3 : 1;
}

// A file of the given kind with a pattern that reaches every sample value
// often enough, plus the colours it must read as.
struct Sample {
    fixture::PngLayout layout;
    std::vector<Rgb> expected;
};

Sample MakeSample(Kind kind, bool interlaced, bool transparent, int width = 13, int height = 9) {
    Sample s;
    fixture::PngLayout& p = s.layout;
    p.width = width, p.height = height, p.colorType = kind.colorType, p.bitDepth = kind.bitDepth;
    p.interlaced = interlaced;
    const int max = (1 << kind.bitDepth) - 1;
    const bool alpha = kind.colorType & PNG_COLOR_MASK_ALPHA;
    const int channels = ColourChannels(kind.colorType);
    auto value = [&](int x, int y, int c) {
        return static_cast<uint16_t>(
            (static_cast<unsigned>(x * 7 + y * 13 + c * 29) * 2654435761u >> 7) & max);
    };
    auto to8 = [&](int v) { return uint8_t(kind.bitDepth == 16 ? v >> 8 : v * 255 / max); };
    if (kind.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i <= max; ++i)
            p.palette.push_back({static_cast<uint8_t>(i * 5), static_cast<uint8_t>(255 - i),
                                 static_cast<uint8_t>(i * 77)});
        if (transparent) p.trnsAlpha = {255, 0};  // entry 1 clear, the rest opaque
    }
    if (transparent && !alpha && kind.colorType != PNG_COLOR_TYPE_PALETTE) {
        p.trnsColor = true;
        p.trnsGrey = p.trnsRed = value(1, 0, 0);
        p.trnsGreen = value(1, 0, 1), p.trnsBlue = value(1, 0, 2);
    }
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint16_t v[3];
            for (int c = 0; c < channels; ++c) p.samples.push_back(v[c] = value(x, y, c));
            const bool clear = alpha && (x + y) % 3 == 0;
            if (alpha) p.samples.push_back(static_cast<uint16_t>(clear ? 0 : max));

            const bool hidden =
                clear || (p.trnsColor && v[0] == p.trnsRed &&
                          (channels == 1 || (v[1] == p.trnsGreen && v[2] == p.trnsBlue)));
            Rgb colour =
                hidden ? kBackground : Rgb{to8(v[0]), to8(v[channels / 2]), to8(v[channels - 1])};
            if (kind.colorType == PNG_COLOR_TYPE_PALETTE)
                colour = transparent && v[0] == 1 ? kBackground : p.palette[v[0]];
            else if (channels == 1 && hidden)
                colour = {0, 0, 0};  // grey shows black where it is clear
            s.expected.push_back(colour);
        }
    return s;
}

}  // namespace

// Each kind, interlaced or not, with and without transparency (showing the
// background), reads to its pixels; written back, ImageMagick agrees.
TEST(PngReadWrite, EveryKindReadsAndAnyDepthWrites) {
    testutil::TempDir dir;
    for (const Kind kind : kKinds)
        for (bool interlaced : {false, true})
            for (bool transparent : {false, true}) {
                const bool alpha = kind.colorType & PNG_COLOR_MASK_ALPHA;
                if (transparent && alpha) continue;
                const Sample s = MakeSample(kind, interlaced, transparent || alpha);
                SCOPED_TRACE(kind.colorType * 1000 + kind.bitDepth * 10 + interlaced);
                testutil::WriteFile(dir.File("k.png"), fixture::MakePng(s.layout));
                CImage image(dir.File("k.png"), kImagePng);
                ASSERT_EQ(image.GetWidth(), 13);
                CImageImpl& impl = *image.GetImpl();
                const bool colour = ColourChannels(kind.colorType) == 3;
                const int type = kind.colorType & ~PNG_COLOR_MASK_ALPHA;
                EXPECT_EQ(impl.GetDepth(), colour ? 24 : 8);
                EXPECT_EQ(impl.GetColorType(), type);
                EXPECT_EQ(fixture::Pixels(impl), s.expected);
                // 16-bit samples are cut to 8, and that is recorded, so that
                // they are not written back over the file unasked; alpha and
                // transparency are kept.
                EXPECT_EQ(impl.Pixels().lossyLoad, kind.bitDepth == 16);
                if (interlaced != (transparent || alpha)) continue;
                ASSERT_EQ(image.Save(dir.File("out.png"), kImagePng), 1);
                // Written back with their alpha: as an alpha table beside the
                // palette, or as an alpha channel.
                const bool keepsAlpha = (transparent || alpha) && type != PNG_COLOR_TYPE_PALETTE;
                EXPECT_EQ(testutil::ReadFile(dir.File("out.png"))[25],
                          type | (keepsAlpha ? PNG_COLOR_MASK_ALPHA : 0));
                if (transparent || alpha)
                    EXPECT_EQ(fixture::Pixels(*CImage(dir.File("out.png"), kImagePng).GetImpl()),
                              s.expected);
                else
                    EXPECT_EQ(fixture::MagickPixels(dir.File("out.png")), s.expected);
            }

    // Pictures of depths the reader never makes write through their colours.
    const uint8_t palette[] = {10, 20, 30, 200, 100, 0, 0, 0, 255, 1, 2, 3};
    for (const int depth : {1, 8, 32}) {
        for (const bool withPalette : {false, true}) {
            if (withPalette && depth > 8) continue;
            SCOPED_TRACE("depth " + std::to_string(depth) + (withPalette ? " palette" : ""));
            CImage image;
            image.Create(11, 5, depth, -1);
            if (withPalette) image.SetPalette(depth == 1 ? 2 : 4, palette);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 11; ++x)
                    depth <= 8 ? image.SetPixelIndex(x, y, (x + y) % (depth == 1 ? 2 : 4))
                               : image.SetPixelRGB(x, y, x * 20, y * 50, x * y);
            const std::vector<Rgb> want = fixture::Pixels(*image.GetImpl());
            ASSERT_EQ(image.Save(dir.File("d.png"), kImagePng), 1);
            CImage back(dir.File("d.png"), kImagePng);
            EXPECT_EQ(back.GetDepth(), withPalette || depth <= 8 ? 8 : 24);
            EXPECT_EQ(fixture::Pixels(*back.GetImpl()), want);
        }
    }
}

// Failures answer 0 and leave the target alone.
TEST(PngFailures, AnswerZeroAndLeaveTheTarget) {
    testutil::TempDir dir;
    PixelStore implPixels;
    CPngImpl impl(implPixels);
    EXPECT_EQ(impl.Read(dir.File("missing.png")), 0);

    // libpng refuses rows over a million pixels.
    fixture::ExpectWriteFailuresKeepTarget<CPngImpl>(dir, dir.File("keep.png"), 1000001, 8);

    const std::string bytes =
        fixture::MakePng(MakeSample({PNG_COLOR_TYPE_PALETTE, 4}, true, true).layout);
    ASSERT_EQ(ReadBytes(impl, bytes), 1);
    for (size_t n = 0; n < bytes.size(); ++n)
        ASSERT_EQ(ReadBytes(impl, bytes.substr(0, n)), 0) << n;
    // A changed byte in the image data breaks the chunk's CRC.
    std::string damaged = bytes;
    damaged[damaged.find("IDAT") + 6] ^= 0x55;
    EXPECT_EQ(ReadBytes(impl, damaged), 0);

    // IHDR of 100000 x 100000 with a valid CRC.
    fixture::PngLayout tiny{.width = 1, .height = 1, .colorType = 0, .samples = {0}};
    std::string huge = fixture::MakePng(tiny);
    const unsigned char dims[8] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0};
    huge.replace(16, 8, reinterpret_cast<const char*>(dims), 8);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(huge.data() + 12), 17);
    for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
    EXPECT_EQ(ReadBytes(impl, huge), 0);
}

struct Source {
    std::string bytes;
    int type;
    bool streams;
    bool cut = false;  // its rows handed on past the damage, as zeros
};

// BMPs of every depth kept as stored, bottom-up and top-down, a core header,
// two cut short; 16 bits and run-length data are read whole.
void AddBmps(std::vector<Source>& files) {
    const size_t first = files.size();
    const int kinds[][3] = {{1, 2, 0},  {4, 11, 0}, {8, 200, 0}, {24, 0, 0},
                            {32, 0, 0}, {16, 0, 0}, {8, 256, 1}};  // depth, entries, RLE
    for (const auto& [depth, entries, rle] : kinds) {
        for (const int32_t height : {90, -90}) {
            bmpfile::Layout b{.headerSize = depth == 8 && height < 0 && !rle ? 12u : 40u,
                              .width = 301,
                              .height = rle ? 90 : height,
                              .depth = static_cast<uint16_t>(depth),
                              .compression = static_cast<uint32_t>(rle),
                              .table = bmpfile::Table(entries)};
            const size_t rowBytes = (301u * depth + 31) / 32 * 4;
            for (size_t j = 0; j < rowBytes * 90; ++j) b.pixels += static_cast<char>(j * 13 / 7);
            if (rle) b.pixels = std::string("\x05\x03\x00\x00\x00\x01", 6);
            files.push_back({bmpfile::Make(b), kImageBmp, depth != 16 && !rle});
        }
    }
    for (const size_t cut : {first + 6, first + 9})  // 24 bits bottom-up, 32 bits top-down
        files.push_back(
            {files[cut].bytes.substr(0, files[cut].bytes.size() / 2), kImageBmp, true, true});
}

// PNGs of one pass without alpha, JPEGs and BMPs, their rows handed to the
// PNG and JPEG row writers, give the whole picture's files (cut files: the
// same reason, the missing rows as zeros). Other PNGs are not read at all
// when only rows will do.
TEST(PngReadWrite, RowsHandedToTheRowWritersGiveTheWholePicturesFiles) {
    testutil::TempDir dir;
    std::vector<Source> files;
    for (const Kind kind : kKinds)
        for (const bool interlaced : {false, true})
            for (const bool transparent : {false, true}) {
                const bool alpha = (kind.colorType & PNG_COLOR_MASK_ALPHA) || transparent;
                const Sample s = MakeSample(kind, interlaced, alpha, 301, 90);
                files.push_back({fixture::MakePng(s.layout), kImagePng, !interlaced && !alpha});
            }
    files.push_back(
        {files[16].bytes.substr(0, files[16].bytes.size() * 2 / 3), kImagePng, true, true});
    for (const int components : {1, 3, 4}) {
        std::vector<uint8_t> samples(size_t{301} * 90 * components);
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i * 7 / 5);
        files.push_back(
            {fixture::MakeJpeg(
                 {.width = 301, .height = 90, .components = components, .samples = samples}),
             kImageJpeg, true});
    }
    AddBmps(files);
    const std::string in = dir.File("in"), rows = dir.File("rows"), whole = dir.File("whole");
    for (size_t i = 0; i < files.size(); ++i) {
        const auto& [bytes, inType, streams, cut] = files[i];
        SCOPED_TRACE(i);
        testutil::WriteFile(in, bytes);
        CImage picture;
        picture.fullColour = true;
        picture.Load(in, inType);
        for (const auto& [outType, quality] :
             {std::pair{kImagePng, 0}, {kImageJpeg, 0}, {kImageJpeg, 85}}) {
            ze::FilePtr file = ze::OpenFile(rows, "wb");
            const auto writer = outType == kImagePng
                                    ? ze::MakePngRowWriter(file.get())
                                    : ze::MakeJpegRowWriter(file.get(), quality ? quality : 30);
            CImage streamed;
            streamed.fullColour = true;
            streamed.rowSink = writer.get();
            streamed.rowsOnly = !cut;
            streamed.Load(in, inType);
            ASSERT_EQ(writer->Started(), streams);
            if (!streams) {
                EXPECT_EQ(streamed.GetWidth(), 0);
                continue;
            }
            EXPECT_TRUE(streamed.GetReadFailure() == picture.GetReadFailure() &&
                        streamed.GetReadFailure().offset == picture.GetReadFailure().offset);
            EXPECT_TRUE(writer->Finish());
            file.reset();
            ASSERT_EQ(picture.Save(whole, outType, {.quality = quality}), 1);
            EXPECT_TRUE(testutil::ReadFile(rows) == testutil::ReadFile(whole)) << outType;
        }
    }
}
