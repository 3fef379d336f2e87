// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/decoded_rows.h"
#include "image/image_types.h"
#include "image/rgb_rows.h"
#include "io/file_io.h"
#include "io/safe_write.h"

// libpng returns its errors by longjmp. Every function below that calls into
// libpng sets its own return point, keeps only trivially destructible locals
// and changes none of them after setjmp; the structures, buffers and the file
// belong to the callers, which release them on every path.

namespace {

[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// A read's file, how far into it the reader has got and, once it fails, why.
struct ReadState {
    std::FILE* file = nullptr;
    int64_t offset = 0;
    ze::ReadError error = ze::ReadError::kNone;
};

void ReadData(png_structp png, png_bytep data, size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    const size_t got = std::fread(data, 1, length, state->file);
    state->offset += static_cast<int64_t>(got);
    if (got < length) {
        state->error = std::ferror(state->file) ? ze::ReadError::kIo : ze::ReadError::kTruncated;
        png_error(png, "the file ends");
    }
}

[[noreturn]] void OnPngReadError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    if (state->error == ze::ReadError::kNone)
        state->error =
            std::strstr(message, "memory") ? ze::ReadError::kOutOfMemory : ze::ReadError::kCorrupt;
    png_longjmp(png, 1);
}

// Transparent areas of colour and palette files are laid over ze::kBackRed,
// kBackGreen, kBackBlue.
// Grey files are laid over this grey level and stay grey.
constexpr int kBackGrey = 0;

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    explicit ReadStructs(ReadState* state) {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, OnPngReadError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~ReadStructs() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
    ReadStructs(const ReadStructs&) = delete;
    ReadStructs& operator=(const ReadStructs&) = delete;
};

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    WriteStructs() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~WriteStructs() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
    WriteStructs(const WriteStructs&) = delete;
    WriteStructs& operator=(const WriteStructs&) = delete;
};

// What the rows look like once every transform has been applied.
struct ReadLayout {
    png_uint_32 width;
    png_uint_32 height;
    int fileColorType;
    int fileBitDepth;
    int channels;
    int bitDepth;
    size_t rowBytes;
    bool transparency;  // a tRNS chunk came before the image data
};

// Reads the chunks before the image data and sets up the transforms: alpha
// and transparency composited away, 16-bit samples cut to 8, small depths
// unpacked to one byte a pixel, colour delivered as blue, green, red, and the
// passes of an interlaced file combined. The signature has been read. 0 on a
// library error.
int ReadPngHeader(png_structp png, png_infop info, ReadState* state, ReadLayout* out) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_set_read_fn(png, state, ReadData);
    png_set_sig_bytes(png, 8);
    // Only the header, palette, transparency and image data matter here.
    // Every other chunk is skipped unread, so that a text or profile chunk
    // claiming a huge length costs no allocation, and no gamma chunk
    // changes how pixels are laid over the background.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    out->transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    png_color_16 background{};
    background.index = 0;
    // Given in 8-bit units for every file: libpng widens the record itself
    // when it composites 16-bit samples that it then cuts to 8 bits.
    background.red = ze::kBackRed;
    background.green = ze::kBackGreen;
    background.blue = ze::kBackBlue;
    background.gray = kBackGrey;
    png_set_background(png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    if (type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_RGB_ALPHA) png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->fileColorType = type;
    out->fileBitDepth = depth;
    out->channels = png_get_channels(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    out->rowBytes = png_get_rowbytes(png, info);
    return 1;
}

// Reads every pass of the image data into the rows (top row first) and the
// chunks after it. 0 on a library error.
int ReadPngRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return 1;
}

struct WriteLayout {
    png_uint_32 width;
    png_uint_32 height;
    int colorType;
    int bgr;
    const png_color* palette;  // 256 entries for palette pictures
    png_bytepp rows;           // top row first
};

int WritePngData(png_structp png, png_infop info, std::FILE* file, const WriteLayout* layout) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_init_io(png, file);
    png_set_IHDR(png, info, layout->width, layout->height, 8, layout->colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout->palette) png_set_PLTE(png, info, layout->palette, 256);
    png_write_info(png, info);
    if (layout->bgr) png_set_bgr(png);
    png_write_image(png, layout->rows);
    png_write_end(png, info);
    return 1;
}

}  // namespace

int CPngImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CPngImpl::ReadStream(std::FILE* file) {
    BeginRead(kImagePng);
    lossyLoad = false;
    png_byte signature[8];
    const size_t got = std::fread(signature, 1, sizeof signature, file);
    if (got < sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0) {
        // A file that begins as a PNG and ends inside the signature is cut off.
        if (got == 0 || (got < sizeof signature && png_sig_cmp(signature, 0, got) == 0))
            return FailRead(ze::ReadError::kTruncated, static_cast<int64_t>(got));
        return FailRead(ze::ReadError::kNotThisType);
    }
    ReadState state{file, 8};
    // Why libpng gave up, and where.
    const auto failed = [this, &state] {
        if (state.error == ze::ReadError::kOutOfMemory) return FailRead(state.error);
        return FailRead(state.error, state.offset);
    };
    ReadStructs s(&state);
    if (!s.info) return FailRead(ze::ReadError::kOutOfMemory);
    ReadLayout layout{};
    if (!ReadPngHeader(s.png, s.info, &state, &layout)) return failed();

    // After the transforms every file gives 8-bit grey, palette indices or
    // blue-green-red rows; anything else is refused rather than misread.
    if (layout.bitDepth != 8 || (layout.channels != 1 && layout.channels != 3))
        return FailRead(ze::ReadError::kCorrupt);
    if (layout.width == 0 || layout.height == 0) return FailRead(ze::ReadError::kNoImage);
    if (static_cast<uint64_t>(layout.width) * layout.height >
        static_cast<uint64_t>(readLimits.maxPixels))
        return FailTooLarge(layout.width, layout.height);
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    // Nothing is left of the alpha channel, so the colour type says so.
    if (!CreateForRead(width, height, 8 * layout.channels,
                       layout.fileColorType & ~PNG_COLOR_MASK_ALPHA))
        return 0;
    if (static_cast<size_t>(rowBytes) < layout.rowBytes) return FailRead(ze::ReadError::kCorrupt);

    if (layout.fileColorType == PNG_COLOR_TYPE_PALETTE) {
        // libpng has already laid the transparent entries over the background.
        png_colorp entries = nullptr;
        int count = 0;
        if (!png_get_PLTE(s.png, s.info, &entries, &count) || count < 1 || count > 256)
            return FailRead(ze::ReadError::kCorrupt);
        uint8_t red[256], green[256], blue[256];
        for (int i = 0; i < count; ++i) {
            red[i] = entries[i].red;
            green[i] = entries[i].green;
            blue[i] = entries[i].blue;
        }
        if (!SetPalette(count, red, green, blue)) return FailRead(ze::ReadError::kOutOfMemory);
    }

    std::vector<png_bytep> rows(layout.height);
    for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    if (!ReadPngRows(s.png, rows.data())) return failed();
    // Alpha, transparency and 16-bit samples did not survive the read.
    lossyLoad = (layout.fileColorType & PNG_COLOR_MASK_ALPHA) != 0 || layout.transparency ||
                layout.fileBitDepth == 16;

    if (layout.fileColorType == PNG_COLOR_TYPE_GRAY && layout.fileBitDepth < 8) {
        // Unpacked grey levels run 0..2^depth-1; stretch them to 0..255.
        const int levels = (1 << layout.fileBitDepth) - 1;
        uint8_t scale[256] = {};
        for (int v = 0; v <= levels; ++v) scale[v] = static_cast<uint8_t>(v * 255 / levels);
        for (int r = 0; r < height; ++r)
            for (int x = 0; x < width; ++x) rows[r][x] = scale[rows[r][x]];
    }
    return 1;
}

int CPngImpl::Write(const std::string& name) {
    if (!name.empty()) fileName = name;
    if (!imageBits || imageWidth <= 0 || imageHeight <= 0) return 0;
    writeError =
        ze::WriteFileSafely(fileName, [this](std::FILE* f) { return WriteStream(f) != 0; });
    return writeError == ze::WriteError::kNone ? 1 : 0;
}

int CPngImpl::WriteStream(std::FILE* file) const {
    if (!imageBits || imageWidth <= 0 || imageHeight <= 0) return 0;
    const int width = imageWidth, height = imageHeight;
    WriteLayout layout{};
    layout.width = static_cast<png_uint_32>(width);
    layout.height = static_cast<png_uint_32>(height);

    // Pictures of depth 8 or 24 go out straight from their rows; the others
    // are first converted into one of those forms.
    std::vector<uint8_t> converted;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    std::vector<png_color> palette;
    const bool indexed = imageDepth <= 8 && imagePalette;
    if (indexed) {
        layout.colorType = PNG_COLOR_TYPE_PALETTE;
        palette.assign(256, png_color{0, 0, 0});
        for (int i = 0; i < imagePalette->GetEntryCount() && i < 256; ++i)
            imagePalette->GetEntryRGB(i, &palette[i].red, &palette[i].green, &palette[i].blue);
        layout.palette = palette.data();
    } else if (imageDepth <= 8) {
        layout.colorType = PNG_COLOR_TYPE_GRAY;
    } else {
        layout.colorType = PNG_COLOR_TYPE_RGB;
    }

    if (imageDepth == 8) {
        for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    } else if (imageDepth == 24) {
        for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
        layout.bgr = 1;
    } else {
        const size_t stride = static_cast<size_t>(width) * (imageDepth <= 8 ? 1 : 3);
        converted.resize(stride * static_cast<size_t>(height));
        const CRgbRows colours(*this);
        std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
        for (int r = 0; r < height; ++r) {
            uint8_t* row = converted.data() + stride * static_cast<size_t>(r);
            rows[r] = row;
            const int y = height - 1 - r;
            if (indexed) {
                for (int x = 0; x < width; ++x) row[x] = static_cast<uint8_t>(GetPixelIndex(x, y));
            } else if (imageDepth <= 8) {
                colours.Get(y, rgb.data());
                for (int x = 0; x < width; ++x) row[x] = rgb[3 * static_cast<size_t>(x)];
            } else {
                colours.Get(y, row);
            }
        }
    }
    layout.rows = rows.data();

    WriteStructs s;
    if (!s.info) return 0;
    return WritePngData(s.png, s.info, file, &layout);
}
