// zer-evizi-cli info, ppm and convert over BMP files built by hand, with
// ImageMagick as an independent decoder where it is installed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../image/bmp_files.h"
#include "common/test_util.h"

using bmpfile::Make;
using bmpfile::Spec;

namespace {

testutil::ProcessResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return testutil::RunProcess(argv);
}

struct Ppm {
    int width = -1, height = -1;
    std::string pixels;
};

// A binary P6 with maxval 255; width -1 when it is not one.
Ppm ParsePpm(const std::string& bytes) {
    Ppm p;
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    if (magic != "P6" || maxval != 255 || !in) return {};
    in.get();  // the one whitespace byte before the pixels
    p.pixels = bytes.substr(static_cast<size_t>(in.tellg()));
    return p;
}

bool HaveImageMagick() {
    static const bool have = std::system("convert -version >/dev/null 2>&1") == 0;
    return have;
}

// Pixels as ImageMagick decodes the file.
Ppm PeerPpm(const std::string& path) {
    // Through the shell, which finds convert on the PATH.
    return ParsePpm(
        testutil::RunProcess({"/bin/sh", "-c", "exec convert \"$0\" -strip -depth 8 ppm:-", path})
            .out);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

Spec Fields(uint16_t depth, int width, const std::vector<uint32_t>& values) {
    Spec s;
    s.depth = depth;
    s.width = width;
    s.height = static_cast<int32_t>(values.size()) / width;
    const size_t row = (static_cast<size_t>(width) * depth / 8 + 3) / 4 * 4;
    for (int y = 0; y < s.height; ++y) {
        std::string r;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = values[static_cast<size_t>(y * width + x)];
            bmpfile::Put16(r, v & 0xFFFF);
            if (depth == 32) bmpfile::Put16(r, v >> 16);
        }
        r.resize(row, '\0');
        s.pixels += r;
    }
    return s;
}

// One file of every depth, header and compression the reader takes.
std::vector<std::pair<std::string, std::string>> Samples() {
    std::vector<std::pair<std::string, std::string>> files;
    Spec one;
    one.width = 11;
    one.height = 3;
    one.depth = 1;
    one.table = {{10, 20, 30}, {200, 150, 100}};
    one.pixels = Bytes({0xA5, 0x3C, 0, 0, 0xFF, 0x00, 0, 0, 0x0F, 0xE0, 0, 0});
    files.emplace_back("depth1.bmp", Make(one));

    Spec four;
    four.width = 5;
    four.height = 2;
    four.depth = 4;
    four.table = bmpfile::Table(16);
    four.pixels = Bytes({0x01, 0x23, 0x40, 0, 0xFE, 0xDC, 0xB0, 0});
    files.emplace_back("depth4.bmp", Make(four));

    Spec eight;
    eight.width = 3;
    eight.height = 2;
    eight.depth = 8;
    eight.table = bmpfile::Table(256);
    eight.pixels = Bytes({0, 128, 255, 0, 7, 9, 11, 0});
    files.emplace_back("depth8.bmp", Make(eight));

    Spec core = four;
    core.headerSize = 12;
    files.emplace_back("core4.bmp", Make(core));

    Spec v5 = eight;
    v5.headerSize = 124;
    files.emplace_back("v5.bmp", Make(v5));

    Spec rle8 = eight;
    rle8.width = 4;
    rle8.height = 3;
    rle8.compression = 1;
    rle8.pixels = Bytes({3, 5, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 0, 4, 200, 0, 1});
    files.emplace_back("rle8.bmp", Make(rle8));

    Spec rle4 = four;
    rle4.compression = 2;
    rle4.pixels = Bytes({5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x78, 0, 1});
    files.emplace_back("rle4.bmp", Make(rle4));

    Spec rgb;
    rgb.width = 3;
    rgb.height = 2;
    rgb.pixels =
        Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 90, 80, 70, 60, 50, 40, 30, 20, 10, 0, 0, 0});
    files.emplace_back("depth24.bmp", Make(rgb));
    Spec topDown = rgb;
    topDown.height = -2;
    files.emplace_back("topdown.bmp", Make(topDown));

    files.emplace_back("depth16.bmp",
                       Make(Fields(16, 3, {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x4210})));
    Spec f565 = Fields(16, 2, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    f565.compression = 3;
    f565.masksAfterHeader = true;
    f565.masks[0] = 0xF800, f565.masks[1] = 0x07E0, f565.masks[2] = 0x001F;
    files.emplace_back("bitfields565.bmp", Make(f565));

    files.emplace_back("depth32.bmp", Make(Fields(32, 2, {0xFF102030, 0xFF405060})));
    Spec f32 = Fields(32, 2, {0x102030FF, 0x405060FF});
    f32.headerSize = 56;
    f32.compression = 3;
    f32.masks[0] = 0xFF000000, f32.masks[1] = 0x00FF0000, f32.masks[2] = 0x0000FF00;
    files.emplace_back("bitfields32.bmp", Make(f32));
    return files;
}

}  // namespace

TEST(CliImage, InfoOfEachKind) {
    testutil::TempDir dir;
    const struct {
        const char* name;
        const char* line;
    } want[] = {
        {"depth1.bmp", "11x3 depth=1 colortype=3 palette=2 transparent=-1\n"},
        {"depth4.bmp", "5x2 depth=4 colortype=3 palette=16 transparent=-1\n"},
        {"core4.bmp", "5x2 depth=4 colortype=3 palette=16 transparent=-1\n"},
        {"rle8.bmp", "4x3 depth=8 colortype=3 palette=256 transparent=-1\n"},
        {"depth24.bmp", "3x2 depth=24 colortype=2 palette=0 transparent=-1\n"},
        {"topdown.bmp", "3x2 depth=24 colortype=2 palette=0 transparent=-1\n"},
        {"depth16.bmp", "3x2 depth=24 colortype=2 palette=0 transparent=-1\n"},
        {"depth32.bmp", "2x1 depth=32 colortype=2 palette=0 transparent=-1\n"},
        {"bitfields32.bmp", "2x1 depth=24 colortype=2 palette=0 transparent=-1\n"},
    };
    const auto samples = Samples();
    for (const auto& [name, bytes] : samples) testutil::WriteFile(dir.File(name), bytes);
    for (const auto& w : want) {
        const auto r = Cli({"info", dir.File(w.name)});
        EXPECT_EQ(r.exitCode, 0) << w.name << r.err;
        EXPECT_EQ(r.out, w.line) << w.name;
    }
    // Upper-case extension is the same type.
    std::filesystem::copy_file(dir.File("depth8.bmp"), dir.File("UP.BMP"));
    EXPECT_EQ(Cli({"info", dir.File("UP.BMP")}).out,
              "3x2 depth=8 colortype=3 palette=256 transparent=-1\n");
}

TEST(CliImage, FailuresAndUsage) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("junk.bmp"), "not a picture at all, just some text here....");
    testutil::WriteFile(dir.File("pic.tif"), Samples()[0].second);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"info", dir.File("missing.bmp")},
             {"info", dir.File("junk.bmp")},
             {"info", dir.File("pic.tif")},
             {"ppm", dir.File("junk.bmp")},
             {"convert", dir.File("missing.bmp"), dir.File("o.bmp")},
         }) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args[0] << " " << args[1];
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_NE(Cli({"info", dir.File("pic.tif")}).err.find("unsupported format"), std::string::npos);
    EXPECT_EQ(Cli({"info"}).exitCode, 2);
    EXPECT_EQ(Cli({"ppm", "a.bmp", "b.bmp"}).exitCode, 2);
    EXPECT_EQ(Cli({"convert", "a.bmp"}).exitCode, 2);
}

TEST(CliImage, PpmRowsTopDownAgainstKnownPixels) {
    testutil::TempDir dir;
    const auto samples = Samples();
    for (const auto& [name, bytes] : samples) testutil::WriteFile(dir.File(name), bytes);
    const auto r = Cli({"ppm", dir.File("depth24.bmp")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // File rows are bottom-up: the second stored row is the top of the picture.
    EXPECT_EQ(r.out, "P6\n3 2\n255\n" +
                         Bytes({70, 80, 90, 40, 50, 60, 10, 20, 30, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
    const auto t = Cli({"ppm", dir.File("topdown.bmp")});
    EXPECT_EQ(t.out, "P6\n3 2\n255\n" +
                         Bytes({3, 2, 1, 6, 5, 4, 9, 8, 7, 70, 80, 90, 40, 50, 60, 10, 20, 30}));
}

TEST(CliImage, EveryKindMatchesImageMagick) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    testutil::TempDir dir;
    for (const auto& [name, bytes] : Samples()) {
        const std::string path = dir.File(name);
        testutil::WriteFile(path, bytes);
        const Ppm ours = ParsePpm(Cli({"ppm", path}).out);
        const Ppm peer = PeerPpm(path);
        ASSERT_GT(ours.width, 0) << name;
        ASSERT_EQ(ours.width, peer.width) << name;
        ASSERT_EQ(ours.height, peer.height) << name;
        ASSERT_EQ(ours.pixels.size(), peer.pixels.size()) << name;
        // Channels scaled up from 5 or 6 bits may round differently.
        for (size_t i = 0; i < ours.pixels.size(); ++i) {
            const int a = static_cast<uint8_t>(ours.pixels[i]),
                      b = static_cast<uint8_t>(peer.pixels[i]);
            ASSERT_LE(std::abs(a - b), 4) << name << " byte " << i;
        }
    }
}

TEST(CliImage, ConvertRoundTripsAndRefusesUnwritableFormats) {
    testutil::TempDir dir;
    for (const auto& [name, bytes] : Samples()) {
        const std::string in = dir.File(name);
        testutil::WriteFile(in, bytes);
        const std::string out = dir.File("out-" + name.substr(0, name.size() - 4) + ".Bmp");
        const auto r = Cli({"convert", in, out});
        ASSERT_EQ(r.exitCode, 0) << name << r.err;
        EXPECT_EQ(Cli({"ppm", out}).out, Cli({"ppm", in}).out) << name;
        if (HaveImageMagick()) {
            EXPECT_EQ(PeerPpm(out).pixels, ParsePpm(Cli({"ppm", in}).out).pixels) << name;
        }
    }
    const std::string in = dir.File("depth8.bmp");
    for (const char* ext : {".tif", ".xpm", ""}) {
        const auto r = Cli({"convert", in, dir.File(std::string("x") + ext)});
        EXPECT_EQ(r.exitCode, 1) << ext;
        EXPECT_NE(r.err.find("unsupported format"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File(std::string("x") + ext)));
    }
}
