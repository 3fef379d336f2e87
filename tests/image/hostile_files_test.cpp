// Small files that declare huge pictures: refused, or read without touching
// memory for pixels they do not hold; real large pictures still open.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bmp_files.h"
#include "fixtures.h"
#include "image/bmp_codec.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_limits.h"

// Fixture layouts are written with designated initializers that leave the
// other fields at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

// Bytes of this process in memory now (not the high-water mark).
int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
constexpr int64_t kFewMegabytes = int64_t{64} << 20;
constexpr int kSide = 16384;

struct Read {
    int answer = 0;
    std::vector<std::string> said;
    int64_t grew = 0;  // resident bytes gained while the picture is held
};

Read ReadJpeg(const std::string& bytes) {
    fixture::Messages messages;
    const int64_t before = ResidentBytes();
    CJpegImpl impl;
    Read r{fixture::ReadBytes(impl, bytes)};
    r.grew = ResidentBytes() - before;
    r.said = messages.texts;
    return r;
}

// Where the first scan's header ends.
size_t FirstScanEnd(const std::string& bytes) {
    const size_t sos = bytes.find("\xFF\xDA");
    return sos + 2 + ((static_cast<uint8_t>(bytes[sos + 2]) << 8) | uint8_t(bytes[sos + 3]));
}

// A small file from libjpeg whose frame header is made to declare
// width x height, cut after the first scan's header: no data at all.
std::string DeclareHuge(fixture::JpegLayout small, int width, int height) {
    small.samples.assign(static_cast<size_t>(small.width * small.height * small.components), 128);
    std::string bytes = fixture::MakeJpeg(small);
    const size_t sof = bytes.find(small.progressive ? "\xFF\xC2" : "\xFF\xC0");
    const char size[4] = {char(height >> 8), char(height & 0xFF), char(width >> 8),
                          char(width & 0xFF)};
    bytes.replace(sof + 5, 4, size, 4);
    return bytes.substr(0, FirstScanEnd(bytes)) + "\xFF\xD9";
}

// A progressive grey picture whose first scan header is repeated `count`
// times, each repeat without data.
std::string EmptyScans(int side, int count) {
    std::string bytes =
        fixture::MakeJpeg({.width = side,
                           .height = side,
                           .components = 1,
                           .progressive = true,
                           .samples = std::vector<uint8_t>(static_cast<size_t>(side) * side, 90)});
    const size_t sos = bytes.find("\xFF\xDA");
    const std::string header = bytes.substr(sos, FirstScanEnd(bytes) - sos);
    std::string repeats;
    for (int i = 0; i < count; ++i) repeats += header;
    return bytes.insert(bytes.size() - 2, repeats);
}

// What the guard decides about a file of `fileBytes` whose header declares
// the picture in `bytes`, with the output settings of the reader (colour
// quantized to 128 colours).
bool Admitted(const std::string& bytes, int64_t fileBytes) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.num_components == 3) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 128;
    }
    ze::jpeg::ReadGuard guard;
    guard.fileBytes = fileBytes;
    const bool admitted = ze::jpeg::Admit(&cinfo, &guard);
    jpeg_destroy_decompress(&cinfo);
    return admitted;
}

}  // namespace

// Files of a few hundred bytes that declare 16384 x 16384 pictures, and a file
// of 20,000 empty scans, are refused at once with a reason, having cost
// almost no memory.
TEST(HostileJpeg, BombsAreRefusedWithAReason) {
    auto huge = [](int components, bool progressive, int height = kSide) {
        return DeclareHuge(
            {.width = 16, .height = 16, .components = components, .progressive = progressive},
            kSide, height);
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"progressive colour", huge(3, true), "of working memory to decode; the limit is 1024 MB"},
        {"progressive colour under the memory limit", huge(3, true, 7000), "holds only"},
        {"baseline colour", huge(3, false), "holds only"},
        {"progressive grey", huge(1, true), "holds only"},
        {"CMYK", huge(4, false), "holds only"},
        {"20,000 empty scans", EmptyScans(1024, 20000), "has more than 500 scans"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = ReadJpeg(c.bytes);
        EXPECT_EQ(r.answer, 0);
        ASSERT_EQ(r.said.size(), 1u);
        EXPECT_NE(r.said[0].find(c.reason), std::string::npos) << r.said[0];
        EXPECT_LT(r.grew, kFewMegabytes);
    }
    // Below the limit, empty scans are only a slow file.
    EXPECT_EQ(ReadJpeg(EmptyScans(64, 400)).answer, 1);
}

// Real large pictures open: every baseline picture up to the 16384 x 16384
// bound (its quantizer needs 768 MiB, under the limit), a grey progressive one
// of that size and colour progressive ones to 12000 x 12000 (at 16384 they
// are refused above); a real file 16384 pixels wide reads, whole and cut short
// by half.
TEST(HostileJpeg, RealLargePicturesOpen) {
    const std::pair<fixture::JpegLayout, int> cases[] = {
        {{.width = 16, .height = 16}, 16384},
        {{.width = 16, .height = 16, .components = 1, .progressive = true}, 16384},
        {{.width = 16, .height = 16, .progressive = true}, 12000},
    };
    for (const auto& [layout, side] : cases)
        EXPECT_TRUE(Admitted(DeclareHuge(layout, side, side), 3 << 20)) << side;

    std::vector<uint8_t> samples(size_t{16384} * 1024 * 3);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i / 3 / 64 * 40);
    const std::string bytes =
        fixture::MakeJpeg({.width = 16384, .height = 1024, .samples = std::move(samples)});
    for (const std::string& file : {bytes, bytes.substr(0, bytes.size() / 2)}) {
        const Read r = ReadJpeg(file);
        EXPECT_EQ(r.answer, 1);
        EXPECT_TRUE(r.said.empty());
    }
}

// A 54-byte BMP that declares 16384 x 16384 pixels opens as a black picture
// without touching memory for the rows it does not hold, bottom-up and
// top-down, with 32 bits or 16 (converted to 24) per pixel.
TEST(HostileBmp, MissingRowsCostNothing) {
    for (const int depth : {32, 16})
        for (const int height : {kSide, -kSide}) {
            SCOPED_TRACE(depth * height);
            bmpfile::Layout layout;
            layout.width = kSide, layout.height = height;
            layout.depth = static_cast<uint16_t>(depth);
            layout.pixels = std::string(4 * kSide + 7, '\x7F');  // one row and a bit
            const std::string bytes = bmpfile::Make(layout);
            const int64_t before = ResidentBytes();
            CBmpImpl impl;
            ASSERT_EQ(impl.ReadMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                      1);
            EXPECT_LT(ResidentBytes() - before, kFewMegabytes);
            EXPECT_EQ(impl.GetWidth() * int64_t{impl.GetHeight()}, int64_t{kSide} * kSide);
            uint8_t r, g, b;
            impl.GetPixelRGB(5, height > 0 ? 0 : kSide - 1, &r, &g, &b);
            EXPECT_NE(r + g + b, 0);  // the row the file holds
            impl.GetPixelRGB(5, height > 0 ? kSide - 1 : 0, &r, &g, &b);
            EXPECT_EQ(r + g + b, 0);
        }
}
