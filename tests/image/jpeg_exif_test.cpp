// The EXIF orientation of JPEG files: pictures stand as ImageMagick's
// -auto-orient (and a browser) shows them; odd or hostile EXIF data reads
// as no orientation.
#include "image/jpeg_exif.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "common/test_util.h"
#include "image/image.h"
#include "png_jpeg_fixtures.h"

namespace {

constexpr int kW = 29, kH = 17;  // neither square nor whole blocks

// One IFD entry: tag, type, count and the value field's content.
using Entry = std::array<uint32_t, 4>;
constexpr uint32_t kShort = 3, kLong = 4;

// An APP1 payload: the EXIF header, then a TIFF structure in Motorola or
// Intel byte order whose first IFD holds `entries`.
std::string ExifPayload(bool motorola, const std::vector<Entry>& entries) {
    std::string out("Exif\0\0", 6);
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = motorola ? 8 * (bytes - 1 - i) : 8 * i;
            out += static_cast<char>((v >> shift) & 0xff);
        }
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

std::string Picture(int components) {
    std::vector<uint8_t> s;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            s.push_back(static_cast<uint8_t>(x * 7 + y * 3));
            if (components == 3) s.push_back(static_cast<uint8_t>(y * 14)), s.push_back(90);
        }
    return fixture::MakeJpeg({.width = kW, .height = kH, .components = components, .samples = s});
}

}  // namespace

// All eight orientations, in both byte orders, grey (exact levels) and
// colour (quantized on load), against ImageMagick's -auto-orient.
TEST(JpegExif, PicturesStandAsImageMagickAutoOrientShowsThem) {
    testutil::TempDir dir;
    const std::string grey = Picture(1), colour = Picture(3);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (const bool isGrey : {true, false}) {
            SCOPED_TRACE(orientation * 10 + isGrey);
            const std::string path = dir.File("o.jpg");
            testutil::WriteFile(
                path, WithApp1(isGrey ? grey : colour, {Orientation(orientation, isGrey)}));
            CImage image(path, kImageJpeg);
            const bool across = orientation >= 5;
            EXPECT_EQ(image.GetWidth(), across ? kH : kW);
            EXPECT_EQ(image.GetHeight(), across ? kW : kH);
            const auto want = fixture::MagickPixels(path, "-auto-orient");
            const auto got = fixture::Pixels(*image.GetImpl());
            if (isGrey)
                EXPECT_EQ(got, want);
            else
                EXPECT_GT(fixture::Psnr(got, want), 30.0);
        }
    }
}

// Only the first EXIF segment counts; other APP1 segments (XMP, many, large)
// are skipped; broken or odd EXIF data means no turn.
TEST(JpegExif, OddAndHostileSegments) {
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
    const std::string grey = Picture(1);
    std::vector<std::string> segments = {"http://ns.adobe.com/xap/1.0/\0<x/>", Orientation(6),
                                         Orientation(3)};
    for (int i = 0; i < 40; ++i)
        segments.push_back("Exif" + std::string(60000, char('a' + i % 26)));
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("x.jpg"), WithApp1(grey, segments));
    CImage image(dir.File("x.jpg"), kImageJpeg);
    EXPECT_EQ(image.GetWidth(), kH);
    EXPECT_EQ(image.GetHeight(), kW);

    // A segment longer than the file: no picture, no crash.
    std::string cut = grey.substr(0, 2) + "\xFF\xE1\x10\x00" + Orientation(6);
    testutil::WriteFile(dir.File("cut.jpg"), cut);
    EXPECT_EQ(CImage(dir.File("cut.jpg"), kImageJpeg).GetWidth(), 0);
}
