// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixtures.h"

#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "image/image.h"
#include "image/image_impl.h"
#include "support/test_util.h"

namespace fixture {

std::string MakePng(const PngLayout& layout) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng failed on a fixture");
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
        },
        [](png_structp) {});
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const Rgb& c : layout.palette) palette.push_back({c.r, c.g, c.b});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_color_16 trans{0, layout.trnsRed, layout.trnsGreen, layout.trnsBlue, layout.trnsGrey};
    if (!layout.trnsAlpha.empty())
        png_set_tRNS(png, info, layout.trnsAlpha.data(), static_cast<int>(layout.trnsAlpha.size()),
                     nullptr);
    else if (layout.trnsColor)
        png_set_tRNS(png, info, nullptr, 0, &trans);
    png_write_info(png, info);

    // One sample a byte, which libpng packs for the small depths, or a
    // big-endian pair at 16 bits.
    std::string bytes;
    for (const uint16_t v : layout.samples) {
        if (layout.bitDepth == 16) bytes += static_cast<char>(v >> 8);
        bytes += static_cast<char>(v);
    }
    if (layout.bitDepth < 8) png_set_packing(png);
    const size_t rowBytes =
        size_t(layout.width) * png_get_channels(png, info) * (layout.bitDepth == 16 ? 2 : 1);
    bytes.resize(rowBytes * layout.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < layout.height; ++y)
        rows.push_back(reinterpret_cast<png_bytep>(bytes.data() + rowBytes * y));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string MakeJpeg(const JpegLayout& layout) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = layout.width;
    cinfo.image_height = layout.height;
    cinfo.input_components = layout.components;
    cinfo.in_color_space = layout.components == 1   ? JCS_GRAYSCALE
                           : layout.components == 3 ? JCS_RGB
                                                    : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (layout.ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    cinfo.write_Adobe_marker = layout.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (layout.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(layout.width) * layout.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(layout.samples.data()) + stride * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    free(buffer);
    return out;
}

std::vector<Rgb> Pixels(const CImageImpl& impl) {
    std::vector<Rgb> out;
    const int width = impl.GetWidth(), height = impl.GetHeight();
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            Rgb c;
            impl.GetPixelRGB(x, height - 1 - r, &c.r, &c.g, &c.b);
            out.push_back(c);
        }
    return out;
}

double Psnr(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double dr = a[i].r - b[i].r, dg = a[i].g - b[i].g, db = a[i].b - b[i].b;
        sum += dr * dr + dg * dg + db * db;
    }
    const double mse = sum / (3.0 * a.size());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<Rgb> MagickPixels(const std::string& path, const std::string& option) {
    // Through the shell so that convert is found on the PATH.
    const testutil::ProcessResult r = testutil::RunProcess(
        {"/bin/sh", "-c", "exec convert \"$0\" $1 -colorspace sRGB -depth 8 rgb:-", path, option});
    std::vector<Rgb> out;
    if (r.exitCode != 0) return out;
    for (size_t i = 0; i + 2 < r.out.size(); i += 3)
        out.push_back({static_cast<uint8_t>(r.out[i]), static_cast<uint8_t>(r.out[i + 1]),
                       static_cast<uint8_t>(r.out[i + 2])});
    return out;
}

}  // namespace fixture
