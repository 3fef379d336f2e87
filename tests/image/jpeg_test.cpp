// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG reader and writer against libjpeg-made files and ImageMagick; EXIF
// orientations turn pictures as -auto-orient (and a browser) does.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "fixtures.h"
#include "image/image.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_exif.h"

using fixture::ReadBytes;
using fixture::Rgb;

namespace {

constexpr int kW = 61, kH = 37;  // neither square nor whole blocks

// Grey levels, or a smooth colour picture with a few hard edges.
std::vector<uint8_t> Samples(int components) {
    std::vector<uint8_t> s;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool box = x > 20 && x < 40 && y > 10 && y < 25;
            if (components == 1) {
                s.push_back(static_cast<uint8_t>(x * 3 + y * 2));
                continue;
            }
            s.push_back(static_cast<uint8_t>(box ? 230 : x * 4));
            s.push_back(static_cast<uint8_t>(box ? 20 : y * 6));
            s.push_back(static_cast<uint8_t>(box ? 40 : 255 - x * 2 - y));
        }
    return s;
}

// One IFD entry: tag, type, count and the value field's content.
using Entry = std::array<uint32_t, 4>;
constexpr uint32_t kShort = 3, kLong = 4;

// An APP1 payload: the EXIF header, then a TIFF structure in Motorola or
// Intel byte order whose first IFD holds `entries`.
std::string ExifPayload(bool motorola, const std::vector<Entry>& entries) {
    std::string out("Exif\0\0", 6);
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((v >> (motorola ? 8 * (bytes - 1 - i) : 8 * i)) & 0xff);
    };
    out += motorola ? std::string("MM\0*", 4) : std::string("II*\0", 4);
    put(8, 4);
    put(static_cast<uint32_t>(entries.size()), 2);
    for (const Entry& e : entries) {
        put(e[0], 2), put(e[1], 2), put(e[2], 4);
        if (e[1] == kShort)
            put(e[3], 2), put(0, 2);  // left-justified in the field
        else
            put(e[3], 4);
    }
    put(0, 4);
    return out;
}

std::string Orientation(int value, bool motorola = true) {
    return ExifPayload(motorola, {{0x0112, kShort, 1, static_cast<uint32_t>(value)}});
}

// The JPEG with APP1 segments holding `payloads` right after its start marker.
std::string WithApp1(const std::string& jpeg, const std::vector<std::string>& payloads) {
    std::string segments;
    for (const std::string& p : payloads) {
        const size_t n = p.size() + 2;
        segments += "\xFF\xE1";
        segments += static_cast<char>(n >> 8), segments += static_cast<char>(n & 0xff);
        segments += p;
    }
    return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

}  // namespace

// CMYK and YCCK files (plain and Adobe-inverted) open as 24-bit colour.
// ImageMagick takes every CMYK JPEG as inverted, so it is a peer only for the
// Adobe ones.
TEST(JpegRead, InksBecomeTrueColour) {
    testutil::TempDir dir;
    const std::vector<uint8_t> rgb = Samples(3);
    struct Case {
        const char* name;
        bool ycck, adobe;
        double minPsnr, minPeerPsnr;  // YCCK keeps half-resolution chroma: edges blur more
    };
    for (const Case c :
         {Case{"plain CMYK", false, false, 33, 0}, Case{"Adobe CMYK", false, true, 33, 33},
          Case{"Adobe YCCK", true, true, 28, 33}}) {
        SCOPED_TRACE(c.name);
        // Inks with some black; Adobe files store every sample inverted.
        std::vector<uint8_t> samples;
        std::vector<Rgb> want;
        for (size_t i = 0; i < rgb.size(); i += 3) {
            const int k = 40;
            const int ink[4] = {255 - rgb[i], 255 - rgb[i + 1], 255 - rgb[i + 2], k};
            for (int v : ink) samples.push_back(static_cast<uint8_t>(c.adobe ? 255 - v : v));
            want.push_back({static_cast<uint8_t>(rgb[i] * (255 - k) / 255),
                            static_cast<uint8_t>(rgb[i + 1] * (255 - k) / 255),
                            static_cast<uint8_t>(rgb[i + 2] * (255 - k) / 255)});
        }
        const std::string path = dir.File("c.jpg");
        testutil::WriteFile(path, fixture::MakeJpeg({.width = kW,
                                                     .height = kH,
                                                     .components = 4,
                                                     .ycck = c.ycck,
                                                     .adobeMarker = c.adobe,
                                                     .samples = samples}));
        CImage image(path, kImageJpeg);
        EXPECT_EQ(image.GetDepth(), 24);
        const std::vector<Rgb> got = fixture::Pixels(*image.GetImpl());
        EXPECT_GT(fixture::Psnr(got, want), c.minPsnr);
        if (c.minPeerPsnr > 0) {
            EXPECT_GT(fixture::Psnr(got, fixture::MagickPixels(path)), c.minPeerPsnr);
            // Turned by its EXIF orientation too, as -auto-orient turns it.
            testutil::WriteFile(path, WithApp1(testutil::ReadFile(path), {Orientation(6)}));
            CImage turned(path, kImageJpeg);
            EXPECT_EQ(turned.GetWidth(), kH);
            EXPECT_GT(fixture::Psnr(fixture::Pixels(*turned.GetImpl()),
                                    fixture::MagickPixels(path, "-auto-orient")),
                      c.minPeerPsnr);
        }
    }
}

// No EXIF and all eight orientations, both byte orders, grey (its levels kept
// exactly) and colour (at most 128 colours), against -auto-orient.
TEST(JpegRead, ExifOrientationsAndOddSegments) {
    testutil::TempDir dir;
    const std::string grey =
        fixture::MakeJpeg({.width = kW, .height = kH, .components = 1, .samples = Samples(1)});
    const std::string colour =
        fixture::MakeJpeg({.width = kW, .height = kH, .samples = Samples(3)});
    for (int orientation = 0; orientation <= 8; ++orientation) {  // 0: no EXIF segment
        for (const bool isGrey : {true, false}) {
            SCOPED_TRACE(orientation * 10 + isGrey);
            const std::string path = dir.File("o.jpg"), plain = isGrey ? grey : colour;
            testutil::WriteFile(
                path, orientation ? WithApp1(plain, {Orientation(orientation, isGrey)}) : plain);
            CImage image(path, kImageJpeg);
            const bool across = orientation >= 5;
            EXPECT_EQ(image.GetWidth(), across ? kH : kW);
            EXPECT_EQ(image.GetHeight(), across ? kW : kH);
            const auto want = fixture::MagickPixels(path, "-auto-orient");
            const CImageImpl& impl = *image.GetImpl();
            if (isGrey) {
                EXPECT_EQ(fixture::Pixels(impl), want);
                EXPECT_EQ(impl.GetColorType(), 3);
                EXPECT_TRUE(impl.Pixels().lossyLoad);  // written back, it would be encoded afresh
                EXPECT_EQ(impl.GetPalette()->GetEntryCount(), 256);
            } else {
                EXPECT_LE(impl.GetPalette()->GetEntryCount(), 128);
                EXPECT_GT(fixture::Psnr(fixture::Pixels(impl), want), 30.0);
            }
        }
    }

    // Only the first EXIF segment counts; other APP1 segments (XMP, many,
    // large) are skipped; broken or odd EXIF data means no turn.
    auto orientation = [](const std::string& payload) {
        return ExifOrientation(std::vector<uint8_t>(payload.begin(), payload.end()));
    };
    const std::string sixLe = Orientation(6, false);
    EXPECT_EQ(orientation(sixLe), 6);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"zero", Orientation(0)},
        {"nine", Orientation(9)},
        {"0x0106", Orientation(0x0106)},
        {"a LONG", ExifPayload(true, {{0x0112, kLong, 1, 6}})},
        {"no values", ExifPayload(true, {{0x0112, kShort, 0, 6}})},
        {"header only", std::string("Exif\0\0", 6)},
        {"cut in the entry", sixLe.substr(0, sixLe.size() - 10)},
        {"IFD far away", std::string("Exif\0\0MM\0*\x7f\xff\xff\xff", 14)},
        {"garbage", std::string(300, '\xff')},
    };
    for (const auto& [what, payload] : cases) EXPECT_EQ(orientation(payload), 1) << what;

    // In a file: XMP first, then EXIF (turned), then many large segments.
    std::vector<std::string> segments = {"http://ns.adobe.com/xap/1.0/\0<x/>", Orientation(6),
                                         Orientation(3)};
    for (int i = 0; i < 40; ++i)
        segments.push_back("Exif" + std::string(60000, char('a' + i % 26)));
    testutil::WriteFile(dir.File("x.jpg"), WithApp1(grey, segments));
    CImage image(dir.File("x.jpg"), kImageJpeg);
    EXPECT_EQ(image.GetWidth(), kH);
    EXPECT_EQ(image.GetHeight(), kW);

    // A segment longer than the file: no picture, no crash.
    testutil::WriteFile(dir.File("cut.jpg"),
                        grey.substr(0, 2) + "\xFF\xE1\x10\x00" + Orientation(6));
    EXPECT_EQ(CImage(dir.File("cut.jpg"), kImageJpeg).GetWidth(), 0);
}

// Quality 30 keeps about 19.5 dB of blocks of four saturated colours; flipped
// rows or swapped channels fall below 6. 24 and 32 bits give the same file.
TEST(JpegWrite, WritesColoursAtQuality30) {
    testutil::TempDir dir;
    CImage indexed;
    indexed.Create(kW, kH, 8, -1);
    const uint8_t palette[] = {250, 0, 0, 0, 0, 250, 0, 200, 0, 255, 255, 255};
    indexed.SetPalette(4, palette);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) indexed.SetPixelIndex(x, y, uint8_t((x / 16 + y / 16) % 4));
    const std::string path = dir.File("w.jpg");
    ASSERT_EQ(indexed.Save(path, kImageJpeg), 1);
    const std::string bytes = testutil::ReadFile(path);
    EXPECT_GT(fixture::Psnr(fixture::MagickPixels(path), fixture::Pixels(*indexed.GetImpl())),
              17.0);
    // Quality 30 scales the first luminance quantizer (16) to 27.
    const size_t dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<uint8_t>(bytes[dqt + 5]), 27);

    for (const int depth : {24, 32}) {
        CImage copy;
        copy.Create(kW, kH, depth, -1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const auto [r, g, b] = fixture::RgbAt(indexed, x, y);
                copy.SetPixelRGB(x, y, r, g, b);
            }
        ASSERT_EQ(copy.Save(dir.File("d.jpg"), kImageJpeg), 1);
        EXPECT_EQ(testutil::ReadFile(dir.File("d.jpg")), bytes) << depth;
    }
}

// An 8-bit picture goes to the encoder as planes made from its palette; the
// file must be the bytes the encoder makes of the same colours at 24 bits:
// odd widths and heights (the halved chroma's edges, the rows padded below),
// every quality, and indices past the palette's entries (black).
TEST(JpegWrite, PaletteGivesTheBytesOfItsColours) {
    testutil::TempDir dir;
    std::vector<uint8_t> palette(3 * 200);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint8_t(i * 7 + i / 3);
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {15, 9}, {17, 33}, {150, 20}, {40, 17}};
    for (const auto& [w, h] : sizes)
        for (const int quality : {1, 30, 75, 100}) {
            CImage indexed, copy;
            indexed.Create(w, h, 8, -1);
            copy.Create(w, h, 24, -1);
            indexed.SetPalette(200, palette.data());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    indexed.SetPixelIndex(x, y, uint8_t(x * 13 + y * 37 + (x ^ y) * 5));
                    const auto [r, g, b] = fixture::RgbAt(indexed, x, y);
                    copy.SetPixelRGB(x, y, r, g, b);
                }
            const ze::SaveOptions options{.quality = quality};
            ASSERT_EQ(indexed.Save(dir.File("8.jpg"), kImageJpeg, options), 1);
            ASSERT_EQ(copy.Save(dir.File("24.jpg"), kImageJpeg, options), 1);
            EXPECT_EQ(testutil::ReadFile(dir.File("8.jpg")), testutil::ReadFile(dir.File("24.jpg")))
                << w << " x " << h << " at " << quality;
        }
}

// Failures answer 0 without a crash or a leak.
TEST(JpegFailures, AnswerZero) {
    testutil::TempDir dir;
    PixelStore implPixels;
    CJpegImpl impl(implPixels);
    EXPECT_EQ(impl.Read(dir.File("missing.jpg")), 0);

    const std::string bytes =
        fixture::MakeJpeg({.width = kW, .height = kH, .progressive = true, .samples = Samples(3)});
    ASSERT_EQ(ReadBytes(impl, bytes), 1);
    // A cut inside the header fails; a cut in the data may read as a padded
    // picture (the library fills the rest), of the right size.
    for (size_t n = 0; n < bytes.size(); ++n) {
        PixelStore cutPixels;
        CJpegImpl cut(cutPixels);
        if (ReadBytes(cut, bytes.substr(0, n)) == 1) {
            EXPECT_EQ(cut.Pixels().imageWidth * 1000 + cut.Pixels().imageHeight, kW * 1000 + kH)
                << n;
        }
    }
    impl.readLimits.maxPixels = kW * kH - 1;
    EXPECT_EQ(ReadBytes(impl, bytes), 0);
    // libjpeg refuses rows over 65500 pixels.
    fixture::ExpectWriteFailuresKeepTarget<CJpegImpl>(dir, dir.File("keep.jpg"), 70000, 24);
}

namespace {

std::string Why(const ze::Status& failure) {
    return !failure.ok() ? ze::StatusText(failure, ze::TextLanguage::kEnglish) : std::string();
}

// The rows a streaming read hands on, as red, green, blue, top row first.
class CCollect : public ze::RowSink {
public:
    void Begin(int width, int height, ze::RowForm, const uint8_t* rgbOfIndex) override {
        m_width = width, m_rows = height, m_table = rgbOfIndex;
        if (rgbOfIndex) std::copy(rgbOfIndex, rgbOfIndex + 768, m_copy);
    }
    void Put(const uint8_t* row) override {
        --m_rows;
        for (int x = 0; x < m_width; ++x)
            pixels.push_back(
                m_table ? Rgb{m_copy[3 * row[x]], m_copy[3 * row[x] + 1], m_copy[3 * row[x] + 2]}
                        : Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]});
    }
    bool Started() const override { return m_width > 0; }
    std::vector<Rgb> pixels;
    int m_rows = 0;  // rows promised and not yet given

private:
    int m_width = 0;
    const uint8_t* m_table = nullptr;
    uint8_t m_copy[768] = {};
};

}  // namespace

// Grey, quantized, full-colour and CMYK files, whole and cut off in their
// scan: the rows handed on are the pixels a read into the store gives (the
// rows it never reached as zeros), and an orientation to apply falls back
// to the store.
TEST(JpegRead, RowsHandedOnAreThePixelsOfTheStore) {
    testutil::TempDir dir;
    std::vector<uint8_t> cmyk;
    for (uint8_t v : Samples(3)) cmyk.push_back(v), cmyk.push_back(v / 2);
    cmyk.resize(size_t{kW} * kH * 4);
    const std::string files[] = {
        fixture::MakeJpeg({.width = kW, .height = kH, .components = 1, .samples = Samples(1)}),
        fixture::MakeJpeg({.width = kW, .height = kH, .progressive = true, .samples = Samples(3)}),
        fixture::MakeJpeg({.width = kW, .height = kH, .components = 4, .samples = cmyk})};
    const std::string path = dir.File("s.jpg");
    for (const std::string& whole : files) {
        for (const std::string& bytes :
             {whole, whole.substr(0, whole.size() * 2 / 3), WithApp1(whole, {Orientation(3)})}) {
            for (const bool fullColour : {false, true}) {
                SCOPED_TRACE(testing::Message() << bytes.size() << " " << fullColour);
                testutil::WriteFile(path, bytes);
                CImage stored;
                stored.fullColour = fullColour;
                stored.Load(path, kImageJpeg);
                CCollect sink;
                CImage streamed;
                streamed.fullColour = fullColour;
                streamed.rowSink = &sink;
                streamed.Load(path, kImageJpeg);
                EXPECT_EQ(Why(streamed.GetReadFailure()), Why(stored.GetReadFailure()));
                if (!sink.Started()) {  // turned: read into the store as always
                    EXPECT_EQ(fixture::Pixels(*streamed.GetImpl()),
                              fixture::Pixels(*stored.GetImpl()));
                    continue;
                }
                EXPECT_EQ(streamed.GetWidth(), 0);
                EXPECT_EQ(sink.m_rows, 0);
                EXPECT_EQ(sink.pixels, fixture::Pixels(*stored.GetImpl()));
            }
        }
    }
}
