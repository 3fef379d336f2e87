// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/jpeg_codec.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
// After jpeglib.h: the error codes.
#include <jerror.h>

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "image/image_types.h"
#include "image/jpeg_exif.h"
#include "image/jpeg_limits.h"
#include "image/jpeg_planes.h"
#include "image/rgb_rows.h"
#include "io/file_io.h"
#include "io/safe_write.h"

// libjpeg reports errors through the error manager, whose exit routine here
// returns to the caller's return point by longjmp. Each function that calls
// into libjpeg sets its own return point, keeps only trivially destructible
// locals and changes none of them after setjmp; the codec structure, the
// buffers and the file belong to the callers, which release them on every
// path.

namespace {

constexpr int kQuantizedColours = 128;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;            // the library's error code, once it has given up
    int number = 0;          // the error's first number (the precision of JERR_BAD_PRECISION)
    bool fileEnded = false;  // the data ran out and the library made up an end
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = err->pub.msg_code;
    err->number = err->pub.msg_parm.i[0];
    std::longjmp(err->jump, 1);
}

// Warnings and trace messages are not printed; the end of the data is noted.
void OnJpegMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level >= 0) return;
    ++err->pub.num_warnings;
    if (err->pub.msg_code == JWRN_JPEG_EOF) err->fileEnded = true;
}

void InstallErrorManager(ErrorManager& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnJpegError;
    err.pub.emit_message = OnJpegMessage;
}

// Why a read failed: the guard's refusal when it made one, else the
// library's error, placed in the file where the library had got to.
ze::Status WhyReadFailed(const ErrorManager& err, const ze::jpeg::ReadGuard& guard,
                         j_decompress_ptr cinfo, std::FILE* file) {
    if (!guard.failure.ok()) return guard.failure;
    ze::Status f;
    const long at = std::ftell(file);
    switch (err.code) {
        case JERR_NO_SOI:
            f.code = ze::StatusCode::kNotThisType;
            return f;
        case JERR_INPUT_EMPTY:
            f.code = ze::StatusCode::kCutOff;
            f.offset = 0;
            return f;
        case JERR_OUT_OF_MEMORY:
        case JERR_NO_BACKING_STORE:
            f.code = ze::StatusCode::kOutOfMemory;
            return f;
        case JERR_BAD_PRECISION:
            f.code = ze::StatusCode::kJpegPrecision;
            f.value = err.number;
            return f;
        case JERR_ARITH_NOTIMPL:
        case JERR_NOT_COMPILED:
        case JERR_NOTIMPL:
        case JERR_CONVERSION_NOTIMPL:
        case JERR_CCIR601_NOTIMPL:
        case JERR_FRACT_SAMPLE_NOTIMPL:
            f.code = ze::StatusCode::kJpegCoding;
            return f;
        default:
            break;
    }
    if (err.fileEnded) {
        f.code = ze::StatusCode::kCutOff;
        f.offset = at;
    } else {
        f.code = ze::StatusCode::kCorrupt;
        // The library reads ahead: its buffer holds bytes after the damage.
        if (at >= 0 && cinfo->src && static_cast<size_t>(at) >= cinfo->src->bytes_in_buffer)
            f.offset = at - static_cast<long>(cinfo->src->bytes_in_buffer);
    }
    return f;
}

enum class Output { kGrey, kQuantized, kColour, kCmyk };

struct ReadMode {
    bool fullColour;  // colour files in their own colours, not quantized
    bool sizeOnly;    // the header alone
    bool toSink;      // a row sink waits for the rows
};

struct ReadLayout {
    JDIMENSION width;
    JDIMENSION height;
    int components;
    Output output;
    int adobe;    // CMYK samples stored inverted, as Adobe writes them
    bool toSink;  // the rows go to the sink, red first: no orientation to apply
};

// Reads the header and starts decompression: grey files as grey levels,
// CMYK and YCCK files as CMYK samples, every other file quantized to a
// palette, or with `mode.fullColour` as blue, green, red samples (red first
// when the rows go to a sink). Files larger than the guard's pixel
// limit, or that it does not admit, are refused before the library allocates for them, with the
// guard's failure set. 0 on a library error or a refused file. With
// `mode.sizeOnly` it stops before the decoding starts, with the file's size in *out.
int StartJpegRead(j_decompress_ptr cinfo, ErrorManager* err, std::FILE* file,
                  ze::jpeg::ReadGuard* guard, ReadMode mode, ReadLayout* out) {
    if (setjmp(err->jump)) return 0;
    jpeg_create_decompress(cinfo);  // keeps client_data: the caller's EXIF capture
    ze::jpeg::InstallGuard(cinfo, guard);
    jpeg_stdio_src(cinfo, file);
    WatchForExif(cinfo, static_cast<ExifCapture*>(cinfo->client_data));
    jpeg_read_header(cinfo, TRUE);
    // A picture that its EXIF orientation turns is read whole, then turned.
    out->toSink =
        mode.toSink && ExifOrientation(static_cast<ExifCapture*>(cinfo->client_data)->app1) == 1;
    if (static_cast<int64_t>(cinfo->image_width) * cinfo->image_height > guard->limits.maxPixels) {
        guard->failure.code = ze::StatusCode::kTooManyPixels;
        guard->failure.width = cinfo->image_width;
        guard->failure.height = cinfo->image_height;
        guard->failure.limit = guard->limits.maxPixels;
        return 0;
    }

    switch (cinfo->jpeg_color_space) {
        case JCS_GRAYSCALE:
            out->output = Output::kGrey;
            cinfo->out_color_space = JCS_GRAYSCALE;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            // The quantizer would work on the four CMYK samples and give a
            // colour map that is not red, green and blue; these files are
            // decoded to CMYK and converted here instead.
            out->output = Output::kCmyk;
            cinfo->out_color_space = JCS_CMYK;
            break;
        default:
            if (mode.fullColour) {
                out->output = Output::kColour;
                cinfo->out_color_space = out->toSink ? JCS_RGB : JCS_EXT_BGR;
                break;
            }
            out->output = Output::kQuantized;
            cinfo->out_color_space = JCS_RGB;
            cinfo->quantize_colors = TRUE;
            cinfo->desired_number_of_colors = kQuantizedColours;
            break;
    }
    out->adobe = cinfo->saw_Adobe_marker ? 1 : 0;
    if (!ze::jpeg::Admit(cinfo, guard)) return 0;
    if (mode.sizeOnly) {
        out->width = cinfo->image_width;
        out->height = cinfo->image_height;
        return 1;
    }
    jpeg_start_decompress(cinfo);
    out->width = cinfo->output_width;
    out->height = cinfo->output_height;
    out->components = cinfo->output_components;
    return 1;
}

// CMYK samples to blue, green, red (red, green, blue with `redFirst`). Adobe
// files store every sample inverted (255 means no ink), others store the ink itself.
void CmykToTriples(const uint8_t* cmyk, uint8_t* out, JDIMENSION width, int adobe, bool redFirst) {
    const int blue = redFirst ? 2 : 0, red = 2 - blue;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, out += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!adobe) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[blue] = static_cast<uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<uint8_t>((m * k + 127) / 255);
        out[red] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

// Decodes every row into `rows` (top row first), or with a sink each row
// into rows[0] (red first) and from there to the sink. With a CMYK row buffer the
// samples land there and are converted into the rows. 0 on a library error.
int ReadJpegRows(j_decompress_ptr cinfo, ErrorManager* err, JSAMPROW* rows, uint8_t* cmykRow,
                 int adobe, ze::RowSink* sink) {
    if (setjmp(err->jump)) return 0;
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION y = sink ? 0 : cinfo->output_scanline;
        if (cmykRow) {
            JSAMPROW sample = cmykRow;
            if (jpeg_read_scanlines(cinfo, &sample, 1) != 1) return 0;
            CmykToTriples(cmykRow, rows[y], cinfo->output_width, adobe, sink != nullptr);
        } else if (jpeg_read_scanlines(cinfo, rows + y,
                                       sink ? 1 : cinfo->output_height - cinfo->output_scanline) ==
                   0) {
            return 0;
        }
        if (sink) sink->Put(rows[0]);
    }
    jpeg_finish_decompress(cinfo);
    return 1;
}

// Hands the rows to `sink` as they are decoded: red, green, blue, or
// indices into the grey ramp or the quantizer's colours. After a library
// error the rest go as zeros, or none with `stopAtFailure`. 1 when whole, 0
// on a library error, -1 (no rows given) when the quantizer's colours are
// unusable, -2 when the sink refused the rows (with `stopAtFailure`).
int StreamJpegRows(j_decompress_ptr cinfo, ErrorManager* err, const ReadLayout& layout,
                   ze::RowSink* sink, bool stopAtFailure) {
    const bool rgb = layout.output == Output::kCmyk || layout.output == Output::kColour;
    uint8_t table[256 * 3] = {};
    if (layout.output == Output::kGrey) {
        for (int i = 0; i < 256 * 3; ++i) table[i] = static_cast<uint8_t>(i / 3);
    } else if (layout.output == Output::kQuantized) {
        const int count = cinfo->actual_number_of_colors;
        if (count < 1 || count > 256 || !cinfo->colormap) return -1;
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c) table[3 * i + c] = cinfo->colormap[c][i];
    }
    const size_t width = layout.width;
    std::vector<uint8_t> row(width * (rgb ? 3 : 1)), cmyk;
    if (layout.output == Output::kCmyk) cmyk.resize(width * 4);
    sink->Begin(static_cast<int>(width), static_cast<int>(layout.height),
                rgb ? ze::RowForm::kRgb : ze::RowForm::kIndexed, rgb ? nullptr : table);
    if (stopAtFailure && sink->Refused()) return -2;
    JSAMPROW rows[1] = {row.data()};
    const int read =
        ReadJpegRows(cinfo, err, rows, cmyk.empty() ? nullptr : cmyk.data(), layout.adobe, sink);
    if (read || stopAtFailure) return read;
    std::fill(row.begin(), row.end(), uint8_t{0});
    for (JDIMENSION y = cinfo->output_scanline; y < layout.height; ++y) sink->Put(row.data());
    return 0;
}

struct WriteJob {
    JDIMENSION width;
    JDIMENSION height;
    int quality;
    const CRgbRows* colours;  // null: the picture's own rows go in as they are
    CJpegPlanes* planes;      // 8 bits: the encoder's planes, made from the palette
    uint8_t* row;             // width * 3 samples
    JSAMPROW* rows;           // without colours: every row, top row first
    J_COLOR_SPACE direct;     // the colour space of the picture's own rows
};

// Depths 24 and 32 hold blue, green, red (and one unused byte): the library
// takes such rows as they stand, with the same colour conversion as red,
// green, blue triples, so the file comes out the same. Others go through
// CRgbRows. JCS_UNKNOWN when the rows must be converted.
J_COLOR_SPACE DirectColourSpace(int depth) {
    if (depth == 24) return JCS_EXT_BGR;
    if (depth == 32) return JCS_EXT_BGRX;
    return JCS_UNKNOWN;
}

// The library's default sampling, which the planes are made for: full-size
// luminance, chroma halved each way.
bool SampledAsPlanes(j_compress_ptr cinfo) {
    const jpeg_component_info* c = cinfo->comp_info;
    return cinfo->num_components == 3 && c[0].h_samp_factor == 2 && c[0].v_samp_factor == 2 &&
           c[1].h_samp_factor == 1 && c[1].v_samp_factor == 1 && c[2].h_samp_factor == 1 &&
           c[2].v_samp_factor == 1;
}

void WriteRows(j_compress_ptr cinfo, const WriteJob* job) {
    while (cinfo->next_scanline < cinfo->image_height) {
        if (!job->colours) {
            jpeg_write_scanlines(cinfo, job->rows + cinfo->next_scanline,
                                 cinfo->image_height - cinfo->next_scanline);
            continue;
        }
        if (job->planes) {
            job->planes->Fill(static_cast<int>(cinfo->next_scanline));
            JSAMPARRAY planes[3] = {job->planes->Luma(), job->planes->Blue(), job->planes->Red()};
            jpeg_write_raw_data(cinfo, planes, CJpegPlanes::kRows);
            continue;
        }
        // Rows are stored bottom row first.
        job->colours->Get(static_cast<int>(job->height - 1 - cinfo->next_scanline), job->row);
        JSAMPROW sample = job->row;
        jpeg_write_scanlines(cinfo, &sample, 1);
    }
}

int WriteJpegData(j_compress_ptr cinfo, ErrorManager* err, std::FILE* file, const WriteJob* job) {
    if (setjmp(err->jump)) return 0;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, file);
    cinfo->image_width = job->width;
    cinfo->image_height = job->height;
    cinfo->input_components = job->direct == JCS_EXT_BGRX ? 4 : 3;
    cinfo->in_color_space = job->direct == JCS_UNKNOWN ? JCS_RGB : job->direct;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, job->quality, TRUE);
    if (job->planes && !SampledAsPlanes(cinfo)) return 0;
    cinfo->raw_data_in = job->planes ? TRUE : FALSE;
    jpeg_start_compress(cinfo, TRUE);
    WriteRows(cinfo, job);
    jpeg_finish_compress(cinfo);
    return 1;
}

}  // namespace

int CJpegImpl::Read(const std::string& name) {
    return ReadNamedFile(name);
}

int CJpegImpl::ReadStream(std::FILE* file) {
    BeginRead(kImageJpeg);
    // The samples are quantized or converted on the way in, and a JPEG
    // written back is encoded afresh: what the file held is never kept.
    Pixels().lossyLoad = true;
    ErrorManager err;
    InstallErrorManager(err);
    jpeg_decompress_struct cinfo{};
    cinfo.err = &err.pub;
    // Destroying is safe whether or not creation got as far as the memory manager.
    struct Destroy {
        jpeg_decompress_struct& c;
        ~Destroy() { jpeg_destroy_decompress(&c); }
    } destroy{cinfo};

    ze::jpeg::ReadGuard guard;
    guard.limits = readLimits;
    guard.fileBytes = ze::jpeg::BytesLeft(file);
    ExifCapture exif;  // the orientation, applied once the rows are in
    cinfo.client_data = &exif;
    const auto failed = [&] {
        readFailure = WhyReadFailed(err, guard, &cinfo, file);
        readFailure.name = ze::PictureStatus(readFailure.code, kImageJpeg).name;
        return 0;
    };
    ReadLayout layout{};
    const ReadMode mode{readFullColour, readSizeOnly, rowSink != nullptr};
    if (!StartJpegRead(&cinfo, &err, file, &guard, mode, &layout)) return failed();
    if (readSizeOnly) {
        // Orientations 5 to 8 turn the picture a quarter: width and height trade places.
        const bool across = ExifOrientation(exif.app1) >= 5;
        const auto w = static_cast<int>(layout.width), h = static_cast<int>(layout.height);
        return CreateForRead(across ? h : w, across ? w : h, 8, -1);
    }
    const int expected =
        layout.output == Output::kCmyk ? 4 : (layout.output == Output::kColour ? 3 : 1);
    if (layout.components != expected) return FailRead(ze::StatusCode::kCorrupt);

    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    const bool rgb = layout.output == Output::kCmyk || layout.output == Output::kColour;
    if (rowSink && rowsOnly && !layout.toSink) return 0;
    if (layout.toSink) {
        const int streamed = StreamJpegRows(&cinfo, &err, layout, rowSink, rowsOnly);
        if (streamed == -2) return FailRead(ze::StatusCode::kNoPicture);
        if (streamed < 0) return FailRead(ze::StatusCode::kCorrupt);
        return streamed ? 1 : failed();
    }
    if (!CreateForRead(width, height, rgb ? 24 : 8, -1)) return 0;

    if (layout.output == Output::kGrey) {
        uint8_t levels[256];
        for (int i = 0; i < 256; ++i) levels[i] = static_cast<uint8_t>(i);
        if (!SetPalette(256, levels, nullptr, nullptr))
            return FailRead(ze::StatusCode::kOutOfMemory);
    } else if (layout.output == Output::kQuantized) {
        const int count = cinfo.actual_number_of_colors;
        if (count < 1 || count > 256 || !cinfo.colormap) return FailRead(ze::StatusCode::kCorrupt);
        if (!SetPalette(count, cinfo.colormap[0], cinfo.colormap[1], cinfo.colormap[2]))
            return FailRead(ze::StatusCode::kOutOfMemory);
    }

    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    for (int r = 0; r < height; ++r) rows[r] = PixelAddress(0, height - 1 - r);
    std::vector<uint8_t> cmyk;
    if (layout.output == Output::kCmyk) cmyk.resize(static_cast<size_t>(width) * 4);
    if (!ReadJpegRows(&cinfo, &err, rows.data(), cmyk.empty() ? nullptr : cmyk.data(), layout.adobe,
                      nullptr))
        return failed();
    if (!ApplyExifOrientation(*this, ExifOrientation(exif.app1)))
        return FailRead(ze::StatusCode::kOutOfMemory);
    return 1;
}

int CJpegImpl::Write(const std::string& name) {
    if (!name.empty()) fileName = name;
    if (!Pixels().imageBits || Pixels().imageWidth <= 0 || Pixels().imageHeight <= 0) return 0;
    writeError =
        ze::WriteFileSafely(fileName, [this](std::FILE* f) { return WriteStream(f) != 0; });
    return writeError == ze::StatusCode::kOk ? 1 : 0;
}

int CJpegImpl::WriteStream(std::FILE* file) const {
    if (!Pixels().imageBits || Pixels().imageWidth <= 0 || Pixels().imageHeight <= 0) return 0;
    const J_COLOR_SPACE direct = DirectColourSpace(Pixels().imageDepth);
    const CRgbRows colours(Pixels());
    // 8-bit pictures go in as the encoder's planes, their colours converted
    // once an index; other depths without direct rows go in as triples.
    std::optional<CJpegPlanes> planes;
    if (Pixels().imageDepth == 8) planes.emplace(Pixels(), colours.Colours());
    const bool triples = direct == JCS_UNKNOWN && !planes;
    std::vector<uint8_t> row(triples ? static_cast<size_t>(Pixels().imageWidth) * 3 : 0);
    std::vector<JSAMPROW> rows(direct != JCS_UNKNOWN ? static_cast<size_t>(Pixels().imageHeight)
                                                     : 0);
    for (size_t r = 0; r < rows.size(); ++r)
        rows[r] = PixelAddress(0, Pixels().imageHeight - 1 - static_cast<int>(r));
    WriteJob job{static_cast<JDIMENSION>(Pixels().imageWidth),
                 static_cast<JDIMENSION>(Pixels().imageHeight),
                 ze::QualityOr(saveOptions, jpegQuality),
                 direct != JCS_UNKNOWN ? nullptr : &colours,
                 planes ? &*planes : nullptr,
                 row.data(),
                 rows.data(),
                 direct};

    ErrorManager err;
    InstallErrorManager(err);
    jpeg_compress_struct cinfo{};
    cinfo.err = &err.pub;
    struct Destroy {
        jpeg_compress_struct& c;
        ~Destroy() { jpeg_destroy_compress(&c); }
    } destroy{cinfo};
    return WriteJpegData(&cinfo, &err, file, &job);
}
