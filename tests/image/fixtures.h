// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the image tests: PNG and JPEG files made with libpng and libjpeg,
// pixel comparisons, ImageMagick as a peer, and message and stream helpers.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/dib.h"
#include "image/pixel_store.h"
#include "io/messages.h"
#include "support/test_util.h"

// The tests write fixture layouts with designated initializers that leave
// the other fields at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

class CImage;
class CImageImpl;

namespace fixture {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct PngLayout {
    int width = 0, height = 0;
    int colorType = 0;  // PNG colour type
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Rgb> palette;        // palette files
    std::vector<uint8_t> trnsAlpha;  // palette files: tRNS alpha per entry
    bool trnsColor = false;          // grey and RGB files: one transparent value
    uint16_t trnsGrey = 0, trnsRed = 0, trnsGreen = 0, trnsBlue = 0;
    // Samples at the file's bit depth, channel after channel, top row first.
    std::vector<uint16_t> samples;
};

// The PNG file's bytes.
std::string MakePng(const PngLayout& layout);

struct JpegLayout {
    int width = 0, height = 0;
    int components = 3;  // 1 grey, 3 RGB, 4 CMYK
    bool progressive = false;
    bool ycck = false;             // store four-component input as YCCK
    bool adobeMarker = true;       // libjpeg's default for CMYK and YCCK
    std::vector<uint8_t> samples;  // top row first
};

std::string MakeJpeg(const JpegLayout& layout);

using Px = std::array<int, 3>;

// The colour of pixel (x, y) of a picture or its implementation, y from the
// bottom; -1s when there is none.
template <class Picture>
Px RgbAt(const Picture& picture, int x, int y) {
    uint8_t r = 1, g = 1, b = 1;
    if (!picture.GetPixelRGB(x, y, &r, &g, &b)) return {-1, -1, -1};
    return {r, g, b};
}

// The picture's colours, top row first.
std::vector<Rgb> Pixels(const CImageImpl& impl);

// Peak signal-to-noise ratio in dB of two equally long colour lists.
double Psnr(const std::vector<Rgb>& a, const std::vector<Rgb>& b);

// ImageMagick's colours for a file, top row first; empty when it fails.
// `option` (one argument or none) is e.g. "-auto-orient".
std::vector<Rgb> MagickPixels(const std::string& path, const std::string& option = {});

// Collects the library's messages while it lives.
struct Messages {
    std::vector<std::string> texts;
    ze::MessageHandler old =
        ze::SetMessageHandler([this](const std::string& t) { texts.push_back(t); });
    ~Messages() { ze::SetMessageHandler(old); }
};

// The codec's answer to reading `bytes` from a stream.
template <class Impl>
int ReadBytes(Impl& impl, const std::string& bytes) {
    std::FILE* f = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    const int answer = impl.ReadStream(f);
    std::fclose(f);
    return answer;
}

// Failed writes answer 0 and leave the target (which holds "old") and its
// folder as they were: a picture without pixels, a stream open for reading,
// a row wider than the library takes (refused part way into the write).
template <class Impl>
void ExpectWriteFailuresKeepTarget(const testutil::TempDir& dir, const std::string& target,
                                   int tooWide, int wideDepth) {
    testutil::WriteFile(target, "old");
    PixelStore nonePixels;
    EXPECT_EQ(Impl(nonePixels).Write(target), 0);
    PixelStore smallPixels;
    Impl small(smallPixels);
    small.Create(4, 4, 24, -1);
    std::FILE* readOnly = std::fopen(target.c_str(), "rb");
    EXPECT_EQ(small.WriteStream(readOnly), 0);
    std::fclose(readOnly);
    EXPECT_EQ(small.Write(dir.File("no/such/folder/x")), 0);
    PixelStore widePixels;
    Impl wide(widePixels);
    wide.Create(tooWide, 1, wideDepth, -1);
    EXPECT_EQ(wide.Write(target), 0);
    EXPECT_EQ(testutil::ReadFile(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace fixture
