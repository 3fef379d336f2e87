// zer-evizi-cli info, ppm and convert over PNG and JPEG files, with
// ImageMagick as an independent decoder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "common/test_util.h"
#include "image/image.h"

namespace {

testutil::ProcessResult Cli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return testutil::RunProcess(argv);
}

// The pixel bytes of a binary P6 with maxval 255; empty when it is not one.
std::string PpmPixels(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string magic;
    int width = 0, height = 0, maxval = 0;
    in >> magic >> width >> height >> maxval;
    if (magic != "P6" || maxval != 255 || !in) return {};
    in.get();
    return bytes.substr(static_cast<size_t>(in.tellg()));
}

std::string Ours(const std::string& path) {
    return PpmPixels(Cli({"ppm", path}).out);
}

std::string Peer(const std::string& path) {
    return PpmPixels(
        testutil::RunProcess({"/bin/sh", "-c", "exec convert \"$0\" -strip -depth 8 ppm:-", path})
            .out);
}

double Psnr(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]);
        sum += d * d;
    }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * a.size() / sum);
}

}  // namespace

// BMP -> PNG -> BMP -> PNG keeps every pixel; PNG -> JPEG stays close and a
// JPEG converts to PNG exactly as it loads. ImageMagick reads our files to
// the same pixels; info reports what each file loads as.
TEST(CliPngJpeg, ConvertAmongFormatsAndInfo) {
    testutil::TempDir dir;
    CImage source;
    source.Create(45, 23, 24, -1);
    std::string want;
    for (int r = 0; r < 23; ++r)
        for (int x = 0; x < 45; ++x) {
            const uint8_t c[3] = {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(r * 11),
                                  static_cast<uint8_t>(200 - x - r)};
            source.SetPixelRGB(x, 22 - r, c[0], c[1], c[2]);
            want.append(reinterpret_cast<const char*>(c), 3);
        }
    ASSERT_EQ(source.Save(dir.File("a.bmp"), kImageBmp), 1);

    const char* chain[][2] = {{"a.bmp", "b.png"}, {"b.png", "c.BMP"}, {"c.BMP", "d.PNG"}};
    for (const auto& step : chain) {
        const auto r = Cli({"convert", dir.File(step[0]), dir.File(step[1])});
        ASSERT_EQ(r.exitCode, 0) << step[1] << r.err;
        EXPECT_EQ(Ours(dir.File(step[1])), want) << step[1];
        EXPECT_EQ(Peer(dir.File(step[1])), want) << step[1];
    }
    EXPECT_EQ(Cli({"info", dir.File("d.PNG")}).out,
              "45x23 depth=24 colortype=2 palette=0 transparent=-1\n");

    ASSERT_EQ(Cli({"convert", dir.File("d.PNG"), dir.File("e.jpg")}).exitCode, 0);
    const std::string jpeg = Ours(dir.File("e.jpg"));
    EXPECT_GT(Psnr(jpeg, want), 24.0);
    EXPECT_GT(Psnr(Peer(dir.File("e.jpg")), want), 26.0);
    const std::string info = Cli({"info", dir.File("e.jpg")}).out;
    EXPECT_EQ(info.rfind("45x23 depth=8 colortype=3 palette=", 0), 0u) << info;
    EXPECT_LE(std::atoi(info.c_str() + info.find("palette=") + 8), 128) << info;

    ASSERT_EQ(Cli({"convert", dir.File("e.jpg"), dir.File("f.png")}).exitCode, 0);
    EXPECT_EQ(Ours(dir.File("f.png")), jpeg);
    EXPECT_EQ(Peer(dir.File("f.png")), jpeg);
    ASSERT_EQ(Cli({"convert", dir.File("e.jpg"), dir.File("g.jpeg")}).exitCode, 0);
    EXPECT_GT(Psnr(Ours(dir.File("g.jpeg")), want), 22.0);
}

// A damaged or cut-short file is refused with exit 1 and one line on stderr;
// damage the libraries only warn about reads quietly.
TEST(CliPngJpeg, DamagedFilesAreRefusedAndWarningsStayQuiet) {
    testutil::TempDir dir;
    CImage source;
    source.Create(8, 8, 24, -1);
    ASSERT_EQ(source.Save(dir.File("ok.png"), kImagePng), 1);
    ASSERT_EQ(source.Save(dir.File("ok.jpg"), kImageJpeg), 1);
    for (const char* name : {"ok.png", "ok.jpg"}) {
        const std::string bytes = testutil::ReadFile(dir.File(name));
        const std::string cut = dir.File(std::string("cut-") + name);
        testutil::WriteFile(cut, bytes.substr(0, 20));
        const auto r = Cli({"convert", cut, dir.File("out.bmp")});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
        EXPECT_EQ(Cli({"info", cut}).exitCode, 1) << name;
    }

    // A text chunk with a broken CRC (libpng warns and drops it) and a JPEG
    // cut in its data (libjpeg warns and pads it) still load, in silence.
    std::string png = testutil::ReadFile(dir.File("ok.png"));
    const std::string text("\0\0\0\x05tEXtab\0cd\x01\x02\x03\x04", 17);
    png.insert(33, text);
    testutil::WriteFile(dir.File("text.png"), png);
    const std::string jpeg = testutil::ReadFile(dir.File("ok.jpg"));
    testutil::WriteFile(dir.File("short.jpg"), jpeg.substr(0, jpeg.size() - 10));
    for (const char* name : {"text.png", "short.jpg"}) {
        const auto r = Cli({"info", dir.File(name)});
        EXPECT_EQ(r.exitCode, 0) << name;
        const std::string want =
            name[0] == 't' ? "8x8 depth=24 colortype=2" : "8x8 depth=8 colortype=3";
        EXPECT_EQ(r.out.rfind(want, 0), 0u) << name << r.out;
        EXPECT_EQ(r.err, "") << name;
    }
}
