// SPDX-License-Identifier: GPL-3.0-or-later
// WebP, AVIF and full-colour JPEG through zer-evizi-cli against dwebp, avifdec and djpeg (alpha
// laid over the background as PNG alpha is); hostile files refused with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "cli/cli.h"
#include "document/picture_type.h"
#include "image/image.h"

namespace {

using clitest::Args;
using clitest::Cli;

// A 37 x 23 picture, every pixel its own colour; with alpha, every level
// but fully clear, so that no encoder crops a frame.
std::string Pam(bool alpha, int shift) {
    std::string out = "P7\nWIDTH 37\nHEIGHT 23\nDEPTH " + std::string(alpha ? "4" : "3") +
                      "\nMAXVAL 255\nTUPLTYPE " + (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            out += static_cast<char>(x * 7 + y * 3 + shift);
            out += static_cast<char>(x * x + y * 11);
            out += static_cast<char>(255 - x * 5 - y * 2);
            if (alpha) out += static_cast<char>(x < 4 ? 255 : 1 + (x * 13 + y * 17) % 255);
        }
    return out;
}

// Runs a shell script in `dir`, stopping at the first command that fails.
void Sh(const testutil::TempDir& dir, const std::string& script) {
    const auto r = testutil::RunProcess(
        {"/bin/sh", "-ec", "PATH=/usr/bin:/bin; cd \"$0\"; " + script, dir.path()});
    ASSERT_EQ(r.exitCode, 0) << script << ": " << r.err;
}

// A binary PPM of smooth bands, every row other than the one above.
std::string Bands(int width, int height) {
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ppm += {static_cast<char>(x * 7 + y), static_cast<char>(x ^ y * 5),
                    static_cast<char>(255 - y * 3)};
    return ppm;
}

std::string Ppm(const Args& args) {
    const auto r = Cli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

}  // namespace

TEST(PictureFormats, PpmGivesWhatTheFormatsOwnDecodersGive) {
    testutil::TempDir dir;
    const auto f = [&](const char* name) { return dir.File(name); };
    testutil::WriteFile(f("o.pam"), Pam(false, 0));
    testutil::WriteFile(f("a.pam"), Pam(true, 0));
    testutil::WriteFile(f("n.pam"), Pam(false, 90));
    Sh(dir, "for n in o a n; do convert $n.pam $n.png; done; convert o.pam o.ppm");

    // The file, how it is made and read by its own decoder, and what that
    // gives: a PPM, or a PNG (with alpha) read as the editor reads PNG.
    const struct {
        const char* file;
        const char* script;
        const char* decoded;
    } cases[] = {
        {"ll.webp", "cwebp -quiet -lossless o.png -o ll.webp; dwebp -quiet ll.webp -ppm -o ll.ppm",
         "ll.ppm"},
        {"ly.webp", "cwebp -quiet -q 70 o.png -o ly.webp; dwebp -quiet ly.webp -ppm -o ly.ppm",
         "ly.ppm"},
        {"la.webp",
         "cwebp -quiet -lossless -exact a.png -o la.webp; dwebp -quiet la.webp -o la.png",
         "la.png"},
        {"lya.webp", "cwebp -quiet -q 70 a.png -o lya.webp; dwebp -quiet lya.webp -o lya.png",
         "lya.png"},
        // An animation: its first frame, which covers the canvas.
        {"an.webp",
         "img2webp -loop 0 -lossy a.png -lossless n.png -o an.webp; "
         "webpmux -get frame 1 an.webp -o an1.webp; dwebp -quiet an1.webp -o an.png",
         "an.png"},
        {"o.avif", "avifenc -s 10 o.png o.avif; avifdec o.avif o.avif.png", "o.avif.png"},
        {"ll.avif", "avifenc -s 10 -l a.png ll.avif; avifdec ll.avif ll.avif.png", "ll.avif.png"},
        {"a.avif", "avifenc -s 10 -y 420 a.png a.avif; avifdec a.avif a.avif.png", "a.avif.png"},
        {"seq.avif", "avifenc -s 10 a.png n.png seq.avif; avifdec seq.avif seq.avif.png",
         "seq.avif.png"},
        {"o.jpg", "cjpeg -quality 85 -outfile o.jpg o.ppm; djpeg -ppm -outfile o.jpg.ppm o.jpg",
         "o.jpg.ppm"},
        {"p.jpg",
         "cjpeg -progressive -sample 1x1 -outfile p.jpg o.ppm; djpeg -ppm -outfile p.jpg.ppm p.jpg",
         "p.jpg.ppm"},
        {"g.jpg", "cjpeg -grayscale -outfile g.jpg o.ppm; djpeg -rgb -ppm -outfile g.jpg.ppm g.jpg",
         "g.jpg.ppm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Sh(dir, c.script);
        const std::string decoded = f(c.decoded);
        const std::string expected =
            decoded.ends_with(".png") ? Ppm({"ppm", decoded}) : testutil::ReadFile(decoded);
        EXPECT_EQ(Ppm({"ppm", "--full-colour", f(c.file)}), expected);
    }
    EXPECT_EQ(Cli({"skeleton", f("seq.avif")}).out.substr(0, 58),
              "<img src=\"seq.avif\" width=37 height=23 alt=\"\" usemap=\"#map");
    // Alpha is laid over the background, not dropped.
    EXPECT_NE(Ppm({"ppm", f("la.webp")}), Ppm({"ppm", f("o.png")}));

    // Without --full-colour a colour JPEG is quantized to 128 colours.
    EXPECT_EQ(Cli({"info", f("o.jpg"), "--full-colour"}).out,
              "37x23 depth=24 colortype=2 palette=0 transparent=-1\n");
    EXPECT_EQ(Cli({"info", f("o.jpg")}).out,
              "37x23 depth=8 colortype=3 palette=128 transparent=-1\n");
    // The readout names the file's own colour then: djpeg's pixel at 5,3.
    const std::string djpeg = testutil::ReadFile(f("o.jpg.ppm"));
    const size_t at = djpeg.size() - size_t{37 * 23 * 3} + size_t{3 * 37 + 5} * 3;
    const auto channel = [&](size_t k) { return std::to_string(uint8_t(djpeg[at + k])); };
    EXPECT_EQ(
        Cli({"readout", f("o.jpg"), "5", "3", "--full-colour"}).out,
        "X座標 = 5 Y座標 = 3   RGB(" + channel(0) + ", " + channel(1) + ", " + channel(2) + ")\n");

    // Lossless WebP and AVIF keep every pixel (avifdec agrees); a colour
    // JPEG goes into another format with its own colours, not 128.
    EXPECT_EQ(Cli({"convert", f("lya.webp"), f("out.webp"), "--lossless"}).exitCode, 0);
    EXPECT_EQ(Ppm({"ppm", f("out.webp")}), Ppm({"ppm", f("lya.webp")}));
    EXPECT_EQ(Cli({"convert", "--lossless", f("o.png"), f("out.avif")}).exitCode, 0);
    Sh(dir, "avifdec out.avif out.avif.png");
    EXPECT_EQ(Ppm({"ppm", f("out.avif.png")}), Ppm({"ppm", f("o.png")}));
    EXPECT_EQ(Ppm({"ppm", f("out.avif")}), Ppm({"ppm", f("o.png")}));
    EXPECT_EQ(Cli({"convert", f("o.jpg"), f("j.png")}).exitCode, 0);
    EXPECT_EQ(Ppm({"ppm", f("j.png")}), Ppm({"ppm", f("o.jpg"), "--full-colour"}));
    // Options a format does not take, and wrong calls, are refused.
    const std::pair<Args, int> refused[] = {
        {{"convert", f("o.png"), f("x.png"), "--quality", "50"}, 1},
        {{"convert", f("o.png"), f("x.jpg"), "--lossless"}, 1},
        {{"convert", f("o.png"), f("x.webp"), "--lossless", "--quality", "50"}, 1},
        {{"convert", f("o.png"), f("x.webp"), "--quality", "101"}, 1},
        {{"convert", f("o.png"), f("x.webp"), "--quality"}, 1},
        {{"convert", f("o.png"), f("x.webp"), "--fast"}, 2},
        {{"convert", f("o.png"), f("x.webp"), f("y.webp")}, 2}};
    for (const auto& [args, code] : refused) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, code) << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(f("x.webp")) || std::filesystem::exists(f("x.png")));
}

TEST(PictureFormats, HostileFilesAreRefusedWithAReason) {
    testutil::TempDir dir;
    const auto f = [&](const char* name) { return dir.File(name); };
    testutil::WriteFile(f("o.pam"), Pam(false, 0));
    Sh(dir,
       "convert o.pam o.png; cwebp -quiet -lossless o.png -o o.webp; avifenc -s 10 o.png o.avif");
    const std::string webp = testutil::ReadFile(f("o.webp"));
    std::string avif = testutil::ReadFile(f("o.avif"));
    const size_t ispe = avif.find("ispe") + 8;  // after the box's version and flags
    ASSERT_GT(avif.size(), 300u);
    const auto declare = [&](const std::string& size) {
        return avif.substr(0, ispe) + size + avif.substr(ispe + 8);
    };

    const std::string riff = std::string("RIFF\x2a\0\0\0WEBPVP8X\x0a\0\0\0", 20);
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"e.webp", "", "the file is empty"},
        {"t.webp", "a text, not a picture", "not a WebP file"},
        {"t.avif", "a text, not a picture", "not an AVIF file"},
        {"cut.webp", webp.substr(0, 30), "the file is cut off at byte 30"},
        {"cut.avif", avif.substr(0, 200), "the file is cut off at byte 200"},
        // A canvas of 20000 x 20000 (stored less one), then nothing.
        {"huge.webp", riff + std::string("\0\0\0\0\x1f\x4e\0\x1f\x4e\0", 10),
         "the picture (20000x20000) is larger than the limit of 268435456 pixels"},
        {"huge.avif", declare(std::string("\0\0\x4e\x20\0\0\x4e\x20", 8)),
         "the picture (20000x20000) is larger than the limit of 268435456 pixels"},
        {"big.avif", declare(std::string("\0\0\x40\0\0\0\x3e\x80", 8)),
         "the AVIF picture (16384x16000) needs 1500 MB of working memory to decode; the limit is "
         "1024 MB"},
    };
    for (const auto& c : cases) {
        testutil::WriteFile(f(c.name), c.bytes);
        const auto r = Cli({"ppm", f(c.name)});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "zer-evizi-cli: cannot read " + f(c.name) + ": " + c.reason + "\n");
    }
}

// PNG alpha through WebP and back comes out as dwebp reads the WebP and as
// the first PNG held it; a format without alpha gets the picture as shown,
// and the command says so in one line.
// PNG -> WebP -> AVIF -> PNG, lossless, every pixel and its alpha as the
// formats' own decoders read them; lossy, the alpha still exact.
TEST(PictureFormats, ConvertKeepsAlphaThroughWebpAndAvifAndSaysWhenItCannot) {
    testutil::TempDir dir;
    const auto f = [&](const char* name) { return dir.File(name); };
    testutil::WriteFile(f("a.pam"), Pam(true, 0));
    Sh(dir, "PATH=/usr/local/bin:$PATH; convert a.pam a.png");
    for (const auto& [from, to, lossless] :
         {std::tuple{"a.png", "a.webp", true}, std::tuple{"a.webp", "a.avif", true},
          std::tuple{"a.avif", "b.png", false}, std::tuple{"a.png", "l.webp", false},
          std::tuple{"a.png", "l.avif", false}}) {
        const auto r = lossless ? Cli({"convert", f(from), f(to), "--lossless"})
                                : Cli({"convert", f(from), f(to)});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
    }
    Sh(dir,
       "PATH=/usr/local/bin:$PATH; dwebp -quiet a.webp -pam -o w.pam; dwebp -quiet l.webp -pam "
       "-o lw.pam; avifdec a.avif v.png >/dev/null; avifdec l.avif lv.png >/dev/null; "
       "for p in w.pam v.png b.png a.png; do convert $p -depth 8 rgba:$p.rgba; done; "
       "for p in a.png lw.pam lv.png; do convert $p -alpha extract -depth 8 gray:$p.a; done; "
       "for p in w.pam v.png b.png; do cmp a.png.rgba $p.rgba; done; "
       "cmp a.png.a lw.pam.a; cmp a.png.a lv.png.a");
    const auto jpeg = Cli({"convert", f("a.png"), f("a.jpg")});
    EXPECT_EQ(jpeg.exitCode, 0);
    EXPECT_EQ(jpeg.err, f("a.jpg") +
                            ": JPEG keeps no alpha: transparent pixels are laid over "
                            "RGB(31, 127, 255) as shown\n");
}

// A colour JPEG goes into a BMP row by row, in blocks written from the file's
// end: rows of 1001 pixels (3,004 bytes with padding) come 21 to a block, so
// 50 rows make two whole blocks and a short one. The file is the bytes of the
// whole picture read and saved; so is that of a grey JPEG (an 8-bit BMP) and
// of a cut-off one, which take the whole-picture path. A file without rows
// leaves the target as it was, with no temporary file beside it.
TEST(PictureFormats, ConvertIntoBmpRowByRowGivesTheWholePicturesBytes) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("c.ppm"), Bands(1001, 50));
    Sh(dir,
       "cjpeg -quality 90 c.ppm > c.jpg; cjpeg -grayscale c.ppm > g.jpg; "
       "head -c 9000 c.jpg > cut.jpg; head -c 400 c.jpg > bare.jpg");
    for (const std::string name : {"c", "g", "cut"}) {
        const auto r = Cli({"convert", dir.File(name + ".jpg"), dir.File(name + ".bmp")});
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        CImage whole;
        whole.fullColour = true;
        ASSERT_NE(whole.Load(dir.File(name + ".jpg"), kImageJpeg), 0) << name;
        ASSERT_NE(whole.Save(dir.File(name + "-whole.bmp"), kImageBmp, {}), 0) << name;
        EXPECT_EQ(testutil::ReadFile(dir.File(name + ".bmp")),
                  testutil::ReadFile(dir.File(name + "-whole.bmp")))
            << name;
    }
    testutil::WriteFile(dir.File("bare.bmp"), "the picture before");
    EXPECT_EQ(Cli({"convert", dir.File("bare.jpg"), dir.File("bare.bmp")}).exitCode, 1);
    EXPECT_EQ(testutil::ReadFile(dir.File("bare.bmp")), "the picture before");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find("zesave"), std::string::npos);
}

// Every pair of JPEG, PNG and BMP, streamed or not (grey, palette, alpha,
// cut off), writes the whole picture's bytes; ppm of a PNG or a BMP gives
// ImageMagick's pixels. A pipe is read once; no temporary file is left.
TEST(PictureFormats, ConvertAmongJpegPngAndBmpGivesTheWholePicturesBytes) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("c.ppm"), Bands(301, 90));
    Sh(dir,
       "cjpeg c.ppm > c.jpg; cjpeg -grayscale c.ppm > g.jpg; convert c.ppm c.png; "
       "convert c.ppm -colors 100 png8:p.png; convert c.ppm -alpha set a.png; "
       "convert c.ppm bmp3:c.bmp; convert p.png bmp3:p.bmp; head -c 30000 c.png > cut.png; "
       "for f in p.png p.bmp; do convert $f $f.ppm; done");
    for (const std::string source :
         {"c.jpg", "g.jpg", "c.png", "p.png", "a.png", "c.bmp", "p.bmp", "cut.png"}) {
        const int inType = PictureTypeFromPath(source);
        for (const std::string ext : {"png", "jpg", "bmp"}) {
            const std::string out = dir.File(source + "." + ext), outWhole = out + ".whole";
            const int outType = PictureTypeFromPath(out), quality = ext == "jpg" ? 85 : 0;
            Args args{"convert", dir.File(source), out};
            if (quality) args.insert(args.end(), {"--quality", "85"});
            EXPECT_EQ(Cli(args).exitCode, 0) << out;
            CImage whole;
            whole.fullColour = inType == kImageJpeg && outType != kImageJpeg;
            whole.Load(dir.File(source), inType);
            ASSERT_NE(whole.Save(outWhole, outType, {.quality = quality}), 0) << out;
            EXPECT_TRUE(testutil::ReadFile(out) == testutil::ReadFile(outWhole)) << out;
        }
    }
    for (const std::string source : {"p.png", "p.bmp"})
        EXPECT_TRUE(Ppm({"ppm", dir.File(source)}) ==
                    testutil::ReadFile(dir.File(source + ".ppm")));
    Sh(dir, "mkfifo f.png; cat c.png > f.png & timeout 20 " + std::string(ZE_CLI) +
                " convert f.png f.bmp; cmp f.bmp c.png.bmp");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find("zesave"), std::string::npos);
}
