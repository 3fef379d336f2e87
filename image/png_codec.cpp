// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "image/decoded_rows.h"
#include "image/image_types.h"
#include "image/rgb_rows.h"
#include "image/row_sink.h"
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
    ze::StatusCode error = ze::StatusCode::kOk;
};

void ReadData(png_structp png, png_bytep data, size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    const size_t got = std::fread(data, 1, length, state->file);
    state->offset += static_cast<int64_t>(got);
    if (got < length) {
        state->error =
            std::ferror(state->file) ? ze::StatusCode::kReadFailed : ze::StatusCode::kCutOff;
        png_error(png, "the file ends");
    }
}

[[noreturn]] void OnPngReadError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    if (state->error == ze::StatusCode::kOk)
        state->error = std::strstr(message, "memory") ? ze::StatusCode::kOutOfMemory
                                                      : ze::StatusCode::kCorrupt;
    png_longjmp(png, 1);
}

// Transparent areas of colour and palette files are shown laid over
// ze::kBackRed, kBackGreen, kBackBlue; those of grey files over this grey
// level, so that they stay grey.
constexpr uint8_t kBackGrey = 0;

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
    bool keepAlpha;     // alpha or transparency read into an alpha plane
    bool streamed;      // the rows go to a sink, colour as red, green, blue
};

// Reads the chunks before the image data and sets up the transforms: alpha
// and transparency as an alpha channel, 16-bit samples cut to 8, small depths
// unpacked to one byte a pixel, colour delivered as blue, green, red, and the
// passes of an interlaced file combined. The signature has been read. With
// `toSink`, a file of one pass without alpha is set up to hand its rows on
// one at a time, red first. 0 on a library error.
int ReadPngHeader(png_structp png, png_infop info, ReadState* state, bool toSink, ReadLayout* out) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_set_read_fn(png, state, ReadData);
    png_set_sig_bytes(png, 8);
    // Only the header, palette, transparency and image data matter here.
    // Every other chunk is skipped unread, so that a text or profile chunk
    // claiming a huge length costs no allocation, and no gamma chunk
    // changes the samples.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);
    out->transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    out->keepAlpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || out->transparency;
    out->streamed =
        toSink && !out->keepAlpha && png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
    // Alpha and transparency are kept beside the colours, never laid over a
    // background here: palette indices (their alpha table read apart), grey
    // and alpha, or blue, green, red and alpha.
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8 && out->keepAlpha)
        png_set_expand_gray_1_2_4_to_8(png);
    else if (depth < 8)
        png_set_packing(png);
    if (out->transparency && type != PNG_COLOR_TYPE_PALETTE) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if ((type == PNG_COLOR_TYPE_RGB || type == PNG_COLOR_TYPE_RGB_ALPHA) && !out->streamed)
        png_set_bgr(png);
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

// The next row of a file of one pass. 0 on a library error.
int ReadPngRow(png_structp png, png_bytep row) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_read_row(png, row, nullptr);
    return 1;
}

// The chunks after the image data. 0 on a library error.
int ReadPngEnd(png_structp png) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_read_end(png, nullptr);
    return 1;
}

struct WriteLayout {
    png_uint_32 width;
    png_uint_32 height;
    int colorType;
    int bgr;
    const png_color* palette;  // 256 entries for palette pictures
    const png_byte* trans;     // the palette's alpha table, numTrans entries
    int numTrans;
    png_bytepp rows;  // top row first
};

int WritePngData(png_structp png, png_infop info, std::FILE* file, const WriteLayout* layout) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_init_io(png, file);
    png_set_IHDR(png, info, layout->width, layout->height, 8, layout->colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout->palette) png_set_PLTE(png, info, layout->palette, 256);
    if (layout->numTrans > 0) png_set_tRNS(png, info, layout->trans, layout->numTrans, nullptr);
    png_write_info(png, info);
    if (layout->bgr) png_set_bgr(png);
    png_write_image(png, layout->rows);
    png_write_end(png, info);
    return 1;
}

// The alpha of each palette index: the file's alpha table, opaque past it.
void IndexAlpha(png_structp png, png_infop info, uint8_t (&alpha)[256]) {
    std::memset(alpha, 255, sizeof alpha);
    png_bytep table = nullptr;
    int count = 0;
    png_color_16p colour = nullptr;
    if (png_get_tRNS(png, info, &table, &count, &colour) && table)
        for (int i = 0; i < count && i < 256; ++i) alpha[i] = table[i];
}

// Unpacked grey levels of a file of depth 1, 2 or 4 run 0..2^depth-1;
// stretches them to 0..255.
void StretchGrey(png_bytepp rows, int width, int height, int depth) {
    const int levels = (1 << depth) - 1;
    uint8_t scale[256] = {};
    for (int v = 0; v <= levels; ++v) scale[v] = static_cast<uint8_t>(v * 255 / levels);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) rows[r][x] = scale[rows[r][x]];
}

// The 256 red, green, blue triples a sink's rows of one byte stand for: the
// file's palette (black past its entries) or a grey ramp. False for a
// palette the store would refuse too.
bool ColoursOfBytes(png_structp png, png_infop info, int fileColorType, uint8_t (&table)[768]) {
    std::memset(table, 0, sizeof table);
    if (fileColorType != PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 768; ++i) table[i] = static_cast<uint8_t>(i / 3);
        return true;
    }
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &entries, &count) || count < 1 || count > 256) return false;
    for (int i = 0; i < count; ++i)
        table[3 * i] = entries[i].red, table[3 * i + 1] = entries[i].green,
                  table[3 * i + 2] = entries[i].blue;
    return true;
}

// Hands a file's rows to `sink` one at a time, as read: the store's pixels
// row by row (grey stretched, the rows a damaged file leaves unread as
// zeros, or none with `stopAtFailure`), then reads the chunks after them. 1
// whole, 0 failed in libpng, -1 a palette the store refuses, -2 no memory
// for a row, -3 the sink refused the rows (with `stopAtFailure`).
int StreamPngRows(png_structp png, png_infop info, const ReadLayout& layout, ze::RowSink* sink,
                  bool stopAtFailure) {
    uint8_t table[768];
    if (!ColoursOfBytes(png, info, layout.fileColorType, table)) return -1;
    std::vector<uint8_t> row;
    try {
        row.resize(layout.rowBytes);
    } catch (const std::bad_alloc&) {
        return -2;
    }
    const bool rgb = layout.channels == 3;
    const ze::RowForm form = rgb ? ze::RowForm::kRgb
                             : layout.fileColorType == PNG_COLOR_TYPE_PALETTE
                                 ? ze::RowForm::kIndexed
                                 : ze::RowForm::kGrey;
    const int width = static_cast<int>(layout.width), height = static_cast<int>(layout.height);
    const bool stretch = form == ze::RowForm::kGrey && layout.fileBitDepth < 8;
    sink->Begin(width, height, form, rgb ? nullptr : table);
    if (stopAtFailure && sink->Refused()) return -3;
    bool whole = true;
    png_bytep rows[1] = {row.data()};
    for (int y = 0; y < height; ++y) {
        whole = whole && ReadPngRow(png, row.data());
        if (!whole && stopAtFailure) return 0;
        if (!whole) std::fill(row.begin(), row.end(), uint8_t{0});
        if (whole && stretch) StretchGrey(rows, width, 1, layout.fileBitDepth);
        sink->Put(row.data());
    }
    return whole && ReadPngEnd(png) ? 1 : 0;
}

// Splits rows of `channels` bytes a pixel, the last one alpha and top row
// first, into the store's colour rows and its alpha plane.
void SplitAlpha(PixelStore& pixels, const uint8_t* in, int channels) {
    const int width = pixels.imageWidth, height = pixels.imageHeight;
    const int colours = channels - 1;
    for (int r = 0; r < height; ++r) {
        const int y = height - 1 - r;
        uint8_t* out = pixels.PixelAddress(0, y);
        uint8_t* alpha = pixels.AlphaRow(y);
        for (int x = 0; x < width; ++x, in += channels, out += colours) {
            std::memcpy(out, in, static_cast<size_t>(colours));
            alpha[x] = in[colours];
        }
    }
}

}  // namespace

namespace {

// The palette of an indexed picture, 256 entries (black past its own).
std::vector<png_color> FullPalette(const CImagePalette& from) {
    std::vector<png_color> palette(256, png_color{0, 0, 0});
    for (int i = 0; i < from.GetEntryCount() && i < 256; ++i)
        from.GetEntryRGB(i, &palette[i].red, &palette[i].green, &palette[i].blue);
    return palette;
}

// Writes a picture with alpha or a transparent index: a palette picture
// whose alpha goes with its indices as indices and an alpha table, a grey
// one as grey and alpha, any other as red, green, blue and alpha.
int WriteWithAlpha(const PixelStore& pixels, std::FILE* file) {
    const int width = pixels.imageWidth, height = pixels.imageHeight;
    WriteLayout layout{};
    layout.width = static_cast<png_uint_32>(width);
    layout.height = static_cast<png_uint_32>(height);
    uint8_t byIndex[256];
    std::vector<png_color> palette;
    int channels = 4;
    if (pixels.imagePalette && pixels.AlphaByIndex(byIndex)) {
        layout.colorType = PNG_COLOR_TYPE_PALETTE;
        palette = FullPalette(*pixels.imagePalette);
        layout.palette = palette.data();
        layout.trans = byIndex;
        for (int i = 0; i < 256; ++i)
            if (byIndex[i] != 255) layout.numTrans = i + 1;
        channels = 1;
    } else if (pixels.imageDepth <= 8 && !pixels.imagePalette) {
        layout.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
        channels = 2;
    } else {
        layout.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    }
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
    std::vector<uint8_t> converted(stride * static_cast<size_t>(height));
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    const CRgbRows colours(pixels);
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * 4);
    for (int r = 0; r < height; ++r) {
        uint8_t* row = converted.data() + stride * static_cast<size_t>(r);
        rows[r] = row;
        const int y = height - 1 - r;
        if (channels == 1) {
            for (int x = 0; x < width; ++x)
                row[x] = static_cast<uint8_t>(pixels.GetPixelIndex(x, y));
            continue;
        }
        colours.GetRgba(y, channels == 4 ? row : rgba.data());
        if (channels == 2)
            for (int x = 0; x < width; ++x)
                row[2 * x] = rgba[4 * x], row[2 * x + 1] = rgba[4 * x + 3];
    }
    layout.rows = rows.data();
    WriteStructs s;
    if (!s.info) return 0;
    return WritePngData(s.png, s.info, file, &layout);
}

}  // namespace

int CPngImpl::ReadWithAlpha(png_structp png, png_infop info, int channels) {
    PixelStore& pixels = Pixels();
    const int width = pixels.imageWidth, height = pixels.imageHeight;
    if (!pixels.CreateAlpha()) {
        Create(0, 0, 8, -1);
        return FailRead(ze::StatusCode::kOutOfMemory);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    std::vector<uint8_t> packed;
    if (channels == 1) {
        for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    } else {
        const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
        try {
            packed.resize(stride * static_cast<size_t>(height));
        } catch (const std::bad_alloc&) {
            Create(0, 0, 8, -1);
            return FailRead(ze::StatusCode::kOutOfMemory);
        }
        for (int r = 0; r < height; ++r) rows[r] = packed.data() + stride * static_cast<size_t>(r);
    }
    if (!ReadPngRows(png, rows.data())) return -1;
    if (channels == 1) {
        uint8_t alpha[256];
        IndexAlpha(png, info, alpha);
        for (int y = 0; y < height; ++y) {
            const uint8_t* index = PixelAddress(0, y);
            uint8_t* out = pixels.AlphaRow(y);
            for (int x = 0; x < width; ++x) out[x] = alpha[index[x]];
        }
    } else {
        SplitAlpha(pixels, packed.data(), channels);
    }
    if (channels == 2) pixels.matte[0] = pixels.matte[1] = pixels.matte[2] = kBackGrey;
    return 1;
}

int CPngImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CPngImpl::ReadStream(std::FILE* file) {
    BeginRead(kImagePng);
    Pixels().lossyLoad = false;
    if (!ReadSignature(file)) return 0;
    ReadState state{file, 8};
    // Why libpng gave up, and where.
    const auto failed = [this, &state] {
        if (state.error == ze::StatusCode::kOutOfMemory) return FailRead(state.error);
        return FailRead(state.error, state.offset);
    };
    ReadStructs s(&state);
    if (!s.info) return FailRead(ze::StatusCode::kOutOfMemory);
    ReadLayout layout{};
    if (!ReadPngHeader(s.png, s.info, &state, rowSink != nullptr, &layout)) return failed();

    // After the transforms every file gives 8-bit grey, palette indices or
    // blue-green-red rows, with alpha where the file has it (grey and alpha,
    // or four bytes a pixel); anything else is refused rather than misread.
    const int colours = layout.channels - (layout.keepAlpha && layout.channels > 1 ? 1 : 0);
    if (layout.bitDepth != 8 || (colours != 1 && colours != 3) ||
        (layout.keepAlpha && layout.fileColorType != PNG_COLOR_TYPE_PALETTE &&
         layout.channels != colours + 1))
        return FailRead(ze::StatusCode::kCorrupt);
    if (layout.width == 0 || layout.height == 0) return FailRead(ze::StatusCode::kNoPicture);
    if (static_cast<uint64_t>(layout.width) * layout.height >
        static_cast<uint64_t>(readLimits.maxPixels))
        return FailTooLarge(layout.width, layout.height);
    if (rowSink && rowsOnly && !layout.streamed) return 0;
    if (layout.streamed) {
        if (layout.rowBytes != size_t{layout.width} * static_cast<size_t>(layout.channels))
            return FailRead(ze::StatusCode::kCorrupt);
        const int streamed = StreamPngRows(s.png, s.info, layout, rowSink, rowsOnly);
        if (streamed == -1) return FailRead(ze::StatusCode::kCorrupt);
        if (streamed == -2) return FailRead(ze::StatusCode::kOutOfMemory);
        if (streamed == -3) return FailRead(ze::StatusCode::kNoPicture);
        return streamed ? 1 : failed();
    }
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    // The alpha channel lives in the store's alpha plane, so the colour type
    // leaves it out.
    if (!CreateForRead(width, height, 8 * colours, layout.fileColorType & ~PNG_COLOR_MASK_ALPHA))
        return 0;
    // Rows read straight into the store must fit its rows; others go
    // through a copy of exactly `channels` bytes a pixel.
    const size_t need = layout.channels == colours ? static_cast<size_t>(Pixels().rowBytes)
                                                   : static_cast<size_t>(width) * layout.channels;
    if (layout.channels == colours ? need < layout.rowBytes : need != layout.rowBytes)
        return FailRead(ze::StatusCode::kCorrupt);

    if (layout.fileColorType == PNG_COLOR_TYPE_PALETTE && !ReadPalette(s.png, s.info)) return 0;

    // 16-bit samples do not survive the read.
    Pixels().lossyLoad = layout.fileBitDepth == 16;
    if (layout.keepAlpha) {
        const int read = ReadWithAlpha(s.png, s.info, layout.channels);
        return read < 0 ? failed() : read;
    }
    std::vector<png_bytep> rows(layout.height);
    for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    if (!ReadPngRows(s.png, rows.data())) return failed();

    if (layout.fileColorType == PNG_COLOR_TYPE_GRAY && layout.fileBitDepth < 8)
        StretchGrey(rows.data(), width, height, layout.fileBitDepth);
    return 1;
}

int CPngImpl::ReadSignature(std::FILE* file) {
    png_byte signature[8];
    const size_t got = std::fread(signature, 1, sizeof signature, file);
    if (got == sizeof signature && png_sig_cmp(signature, 0, sizeof signature) == 0) return 1;
    // A file that begins as a PNG and ends inside the signature is cut off.
    if (got == 0 || (got < sizeof signature && png_sig_cmp(signature, 0, got) == 0))
        return FailRead(ze::StatusCode::kCutOff, static_cast<int64_t>(got));
    return FailRead(ze::StatusCode::kNotThisType);
}

int CPngImpl::ReadPalette(png_struct* png, png_info* info) {
    png_colorp entries = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &entries, &count) || count < 1 || count > 256)
        return FailRead(ze::StatusCode::kCorrupt);
    uint8_t red[256], green[256], blue[256];
    for (int i = 0; i < count; ++i) {
        red[i] = entries[i].red;
        green[i] = entries[i].green;
        blue[i] = entries[i].blue;
    }
    if (!SetPalette(count, red, green, blue)) return FailRead(ze::StatusCode::kOutOfMemory);
    return 1;
}

int CPngImpl::Write(const std::string& name) {
    if (!name.empty()) fileName = name;
    if (!Pixels().imageBits || Pixels().imageWidth <= 0 || Pixels().imageHeight <= 0) return 0;
    writeError =
        ze::WriteFileSafely(fileName, [this](std::FILE* f) { return WriteStream(f) != 0; });
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}

int CPngImpl::WriteStream(std::FILE* file) const {
    if (!Pixels().imageBits || Pixels().imageWidth <= 0 || Pixels().imageHeight <= 0) return 0;
    if (Pixels().HasAnyAlpha()) return WriteWithAlpha(Pixels(), file);
    const int width = Pixels().imageWidth, height = Pixels().imageHeight;
    WriteLayout layout{};
    layout.width = static_cast<png_uint_32>(width);
    layout.height = static_cast<png_uint_32>(height);

    // Pictures of depth 8 or 24 go out straight from their rows; the others
    // are first converted into one of those forms.
    std::vector<uint8_t> converted;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    std::vector<png_color> palette;
    const bool indexed = Pixels().imageDepth <= 8 && Pixels().imagePalette;
    if (indexed) {
        layout.colorType = PNG_COLOR_TYPE_PALETTE;
        palette = FullPalette(*Pixels().imagePalette);
        layout.palette = palette.data();
    } else if (Pixels().imageDepth <= 8) {
        layout.colorType = PNG_COLOR_TYPE_GRAY;
    } else {
        layout.colorType = PNG_COLOR_TYPE_RGB;
    }

    if (Pixels().imageDepth == 8) {
        for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    } else if (Pixels().imageDepth == 24) {
        for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
        layout.bgr = 1;
    } else {
        const size_t stride = static_cast<size_t>(width) * (Pixels().imageDepth <= 8 ? 1 : 3);
        converted.resize(stride * static_cast<size_t>(height));
        const CRgbRows colours(Pixels());
        std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3);
        for (int r = 0; r < height; ++r) {
            uint8_t* row = converted.data() + stride * static_cast<size_t>(r);
            rows[r] = row;
            const int y = height - 1 - r;
            if (indexed) {
                for (int x = 0; x < width; ++x) row[x] = static_cast<uint8_t>(GetPixelIndex(x, y));
            } else if (Pixels().imageDepth <= 8) {
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
