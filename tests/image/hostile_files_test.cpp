// SPDX-License-Identifier: GPL-3.0-or-later
// Small files that declare huge pictures: refused, or read without touching
// memory for pixels they do not hold; real large pictures still open.

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bmp_files.h"
#include "fixtures.h"
#include "image/avif_codec.h"
#include "image/avif_grid.h"
#include "image/bmp_codec.h"
#include "image/image.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_limits.h"
#include "support/test_util.h"

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
    std::string why, japanese;  // the reason; empty when there is none
    int64_t grew = 0;           // resident bytes gained while the picture is held
};

Read ReadJpeg(const std::string& bytes) {
    const int64_t before = ResidentBytes();
    PixelStore implPixels;
    CJpegImpl impl(implPixels);
    Read r{fixture::ReadBytes(impl, bytes)};
    r.grew = ResidentBytes() - before;
    if (impl.readFailure.ok()) return r;
    r.why = ze::StatusText(impl.readFailure, ze::TextLanguage::kEnglish);
    r.japanese = ze::StatusText(impl.readFailure, ze::TextLanguage::kJapanese);
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

// The guard's answer for a file of `fileBytes` whose header is `bytes`, with
// the reader's output settings (colour quantized to 128 colours).
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

std::string Corpus(const char* name) {
    return testutil::ReadFile(std::string(ZE_SOURCE_DIR) + "/fuzz/corpus/avif/" + name);
}
uint64_t Tiles(const std::string& bytes, size_t size) {
    return AvifGridTiles(reinterpret_cast<const uint8_t*>(bytes.data()), size);
}
std::string Why(CAvifImpl& impl) {
    return ze::StatusText(impl.readFailure, ze::TextLanguage::kEnglish);
}

}  // namespace

// Small files that declare 16384 x 16384 pictures, and 20,000 empty scans,
// are refused at once with a reason, having cost almost no memory.
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
        const char* japanese;
    } cases[] = {
        {"progressive colour", huge(3, true),
         "the JPEG picture (16384x16384, progressive) needs 1540 MB of working memory to decode; "
         "the limit is 1024 MB",
         "JPEG 画像 (16384x16384、プログレッシブ) の展開には 1540 MB の作業メモリが要ります "
         "(上限は 1024 MB)。"},
        {"progressive colour under the memory limit", huge(3, true, 7000),
         "the JPEG file declares 16384x7000 pixels but holds only 253 bytes",
         "JPEG ファイルは 16384x7000 ピクセルの画像と言いながら 253 バイトしかありません。"},
        {"baseline colour", huge(3, false),
         "the JPEG file declares 16384x16384 pixels but holds only 641 bytes",
         "JPEG ファイルは 16384x16384 ピクセルの画像と言いながら 641 バイトしかありません。"},
        {"progressive grey", huge(1, true),
         "the JPEG file declares 16384x16384 pixels but holds only 152 bytes",
         "JPEG ファイルは 16384x16384 ピクセルの画像と言いながら 152 バイトしかありません。"},
        {"CMYK", huge(4, false),
         "the JPEG file declares 16384x16384 pixels but holds only 343 bytes",
         "JPEG ファイルは 16384x16384 ピクセルの画像と言いながら 343 バイトしかありません。"},
        {"20,000 empty scans", EmptyScans(1024, 20000), "the JPEG file has more than 500 scans",
         "JPEG ファイルのスキャンが 500 を超えています。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = ReadJpeg(c.bytes);
        EXPECT_EQ(r.answer, 0);
        EXPECT_EQ(r.why, c.reason);
        EXPECT_EQ(r.japanese, c.japanese);
        EXPECT_LT(r.grew, kFewMegabytes);
    }
    // Below the limit, empty scans are only a slow file.
    EXPECT_EQ(ReadJpeg(EmptyScans(64, 400)).answer, 1);
}

// Real large pictures open: baseline ones to 16384 x 16384 (the quantizer
// needs 768 MiB, under the limit), grey progressive ones too, colour
// progressive ones to 12000; a real file 16384 wide, whole and cut in half.
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
        EXPECT_EQ(r.why, "");
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
            PixelStore implPixels;
            CBmpImpl impl(implPixels);
            ASSERT_EQ(impl.ReadMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                      1);
            EXPECT_LT(ResidentBytes() - before, kFewMegabytes);
            EXPECT_EQ(impl.GetWidth() * int64_t{impl.GetHeight()}, int64_t{kSide} * kSide);
            // The row the file holds, then one it does not.
            EXPECT_NE(fixture::RgbAt(impl, 5, height > 0 ? 0 : kSide - 1), (fixture::Px{0, 0, 0}));
            EXPECT_EQ(fixture::RgbAt(impl, 5, height > 0 ? kSide - 1 : 0), (fixture::Px{0, 0, 0}));
        }
}

// Every way a picture fails to load names its reason, in both languages, as
// the reader met it; a limit given to the picture is the one it reads with.
TEST(HostileFiles, EveryFailureSaysWhy) {
    using E = ze::StatusCode;
    testutil::TempDir dir;
    std::filesystem::create_directory(dir.File("folder.png"));
    const std::string png = fixture::MakePng({.width = 2, .height = 2, .samples = {0, 1, 2, 3}});
    std::string badCrc = png;
    badCrc[29] ^= 1;  // the header chunk's CRC
    const std::string jpeg = fixture::MakeJpeg(
        {.width = 8, .height = 8, .components = 1, .samples = std::vector<uint8_t>(64, 9)});
    std::string deepJpeg = jpeg;
    deepJpeg[jpeg.find("\xFF\xC0") + 4] = 12;  // the frame's sample precision
    const auto bmp = [](bmpfile::Layout l) { return bmpfile::Make(l); };
    const std::string gif("GIF89a\2\0\2\0\0\0\0", 13);
    const struct {
        const char* name;
        std::string bytes;
        E error;
        const char* english;
        const char* japanese;
        int64_t maxPixels = ze::ReadLimits{}.maxPixels;
    } cases[] = {
        {"gone.bmp", "", E::kMissing, "no such file", "ファイルがありません。"},
        {"folder.png", "", E::kIsFolder, "is a folder", "フォルダです。"},
        {"photo.xpm", "! XPM2", E::kUnknownType,
         "not a picture type the editor opens (gif, jpg, jpeg, png, bmp, webp, avif)",
         "開ける画像の種類ではありません (gif, jpg, jpeg, png, bmp, webp, avif)。"},
        {"broken.jpg", "not a picture", E::kNotThisType, "not a JPEG file",
         "JPEG ファイルではありません。"},
        {"broken.png", "not a picture", E::kNotThisType, "not a PNG file",
         "PNG ファイルではありません。"},
        {"broken.gif", "not a picture", E::kNotThisType, "not a GIF file",
         "GIF ファイルではありません。"},
        {"broken.bmp", "not a picture", E::kNotThisType, "not a BMP file",
         "BMP ファイルではありません。"},
        {"empty.gif", "", E::kCutOff, "the file is empty", "ファイルが空です。"},
        {"cut.gif", gif.substr(0, 8), E::kCutOff, "the file is cut off at byte 8",
         "ファイルが 8 バイト目で途切れています。"},
        {"cut.png", png.substr(0, 20), E::kCutOff, "the file is cut off at byte 20",
         "ファイルが 20 バイト目で途切れています。"},
        {"cut.jpg", jpeg.substr(0, 100), E::kCutOff, "the file is cut off at byte 100",
         "ファイルが 100 バイト目で途切れています。"},
        {"cut.bmp", bmp({}).substr(0, 14), E::kCutOff, "the file is cut off at byte 14",
         "ファイルが 14 バイト目で途切れています。"},
        {"huge.bmp", bmp({.width = 20000, .height = 20000}), E::kTooManyPixels,
         "the picture (20000x20000) is larger than the limit of 268435456 pixels",
         "画像が大きすぎます (20000x20000、上限は 268435456 ピクセル)。"},
        {"limit.bmp", bmp({.width = 2, .height = 2}), E::kTooManyPixels,
         "the picture (2x2) is larger than the limit of 3 pixels",
         "画像が大きすぎます (2x2、上限は 3 ピクセル)。", 3},
        {"os2.bmp", bmp({.headerSize = 64}), E::kOs2Bmp, "unsupported variant: OS/2 2.x BMP",
         "対応していない種類です: OS/2 2.x BMP。"},
        {"deep.bmp", bmp({.depth = 64}), E::kBmpDepth, "unsupported variant: 64-bit BMP",
         "対応していない種類です: 64 ビットの BMP。"},
        {"inner.bmp", bmp({.compression = 4}), E::kBmpJpeg,
         "unsupported variant: BMP holding a JPEG", "対応していない種類です: JPEG を収めた BMP。"},
        {"deep.jpg", deepJpeg, E::kJpegPrecision, "unsupported variant: 12-bit JPEG",
         "対応していない種類です: 12 ビットの JPEG。"},
        {"heic.avif",
         std::string("\0\0\0\x18"
                     "ftypheic\0\0\0\0mif1heic",
                     24),
         E::kAvifFeature, "unsupported variant: AVIF feature that the decoder lacks",
         "対応していない種類です: デコーダーにない AVIF の機能。"},
        {"crc.png", badCrc, E::kCorrupt, "the file is damaged at byte 33",
         "ファイルが 33 バイト目で壊れています。"},
        {"stray.gif", gif + "x", E::kCorrupt, "the file is damaged at byte 13",
         "ファイルが 13 バイト目で壊れています。"},
        {"none.gif", gif + ";", E::kNoPicture, "the file holds no picture",
         "ファイルに画像がありません。"},
        {"flat.bmp", bmp({.width = 0}), E::kNoPicture, "the file holds no picture",
         "ファイルに画像がありません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        if (!c.bytes.empty() || std::string(c.name).starts_with("empty"))
            testutil::WriteFile(path, c.bytes);
        CImage image;
        image.readLimits.maxPixels = c.maxPixels;
        image.Load(path, -1);
        EXPECT_EQ(image.GetWidth(), 0);
        const ze::Status& why = image.GetReadFailure();
        EXPECT_EQ(why, c.error);
        EXPECT_EQ(ze::StatusText(why, ze::TextLanguage::kEnglish), c.english);
        EXPECT_EQ(ze::StatusText(why, ze::TextLanguage::kJapanese), c.japanese);
    }

    // A file the user may not read: as root, read as a user who may not
    // enter the folder.
    testutil::WriteFile(dir.File("secret.bmp"), bmp({}));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(255);
        ::chmod(dir.File("secret.bmp").c_str(), 0);
        ::_exit(static_cast<int>(CImage(dir.File("secret.bmp"), -1).GetReadFailure().code));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, int(E::kReadDenied));
    const ze::Status denied = E::kReadDenied;
    EXPECT_EQ(ze::StatusText(denied, ze::TextLanguage::kEnglish), "permission denied");
    EXPECT_EQ(ze::StatusText(denied, ze::TextLanguage::kJapanese),
              "読み取りが許可されていません。");
}

// A 2 x 2 grid opens whole; 64 x 64 tiles of one flat 64 x 64 frame (201 KB
// from avifenc, which once took 1.7 GB) are refused before a tile is
// decoded, under the editor's bound and the fuzz target's smaller one; the
// count holds against references that claim more than their box holds.
TEST(AvifGrid, TilesAndTheirDecodersCountAgainstTheBound) {
    const std::string small = Corpus("grid_2x2_tiles.avif");
    EXPECT_EQ(Tiles(small, small.size()), 4u);
    PixelStore openedPixels;
    CAvifImpl opened(openedPixels);
    ASSERT_EQ(fixture::ReadBytes(opened, small), 1) << Why(opened);
    EXPECT_EQ(opened.GetWidth(), 128);

    const std::string bomb = Corpus("grid_64x64_tiles.avif");
    for (const uint64_t limit : {uint64_t{1} << 30, uint64_t{256} << 20}) {
        PixelStore refusedPixels;
        CAvifImpl refused(refusedPixels);
        refused.readLimits.decoderMemory = limit;
        EXPECT_EQ(fixture::ReadBytes(refused, bomb), 0);
        EXPECT_NE(Why(refused).find("(4096x4096, a grid of tiles) needs"), std::string::npos)
            << Why(refused);
    }

    std::string lying = small;
    lying[lying.find("dimg") + 6] = '\xFF';  // a count of 65,284 tiles in a box of four
    EXPECT_EQ(Tiles(lying, lying.size()), 4u);
    for (size_t cut = 0; cut < small.size(); cut += 7) EXPECT_LE(Tiles(small, cut), 4u);
}
