// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a picture read is bounded and how it fails. Every reader takes its
// limits from a ReadLimits value and, when it cannot give a picture, says why
// in a ReadFailure; ReadFailureText turns that into the one sentence that the
// editor (Japanese) or the command-line tool (English) shows.

#include <cstdint>
#include <string>

#include "io/status.h"

namespace ze {

// What one read may cost. The defaults are the bounds of every build.
struct ReadLimits {
    // The largest picture, in pixels, in every format (16384 x 16384).
    int64_t maxPixels = int64_t{16384} * 16384;
    // JPEG: the most the decoder's own buffers may take for one picture (the
    // coefficients of a progressive or multi-scan file, the colour
    // quantizer's copy of the picture), the picture's own pixels not counted.
    // A baseline colour picture of 16384 x 16384 needs 768 MiB.
    uint64_t jpegMemory = uint64_t{1} << 30;
    // JPEG: the most scans a file may have (real files have a few dozen).
    int jpegScans = 500;
    // WebP and AVIF: the most the decoder's own buffers and the reader's
    // copy of the decoded rows may take for one picture, the picture's own
    // pixels not counted. A lossless WebP of 16384 x 16384 needs 1 GiB.
    uint64_t decoderMemory = uint64_t{1} << 30;
};

enum class ReadError {
    kNone,
    kFileMissing,       // no file of that name
    kFolder,            // the name is a folder's
    kNotRegular,        // a FIFO, device or socket where a picture file was expected
    kPermissionDenied,  // the file may not be read
    kUnknownType,       // the name's extension is not a picture type the editor opens
    kNotThisType,       // the bytes are not a picture of the reader's type
    kTruncated,         // the file ends at byte `offset`, before the picture does
    kTooLarge,          // width x height is over ReadLimits::maxPixels (`limit`)
    kTooMuchMemory,     // JPEG, WebP, AVIF: decoding needs `value` MB, over `limit` MB
    kTooManyScans,      // JPEG: more than `limit` scans
    kTooLittleData,     // JPEG: `offset` bytes cannot hold the width x height declared
    kFileTooLarge,      // WebP, AVIF: the file is over `limit` bytes, more than its picture needs
    kUnsupported,       // a variant of the format that the reader does not read
    kCorrupt,           // damaged data, found at byte `offset` when known
    kNoImage,           // the file holds no picture (none, or an empty one)
    kOutOfMemory,       // the memory for the picture could not be had
    kIo,                // the system failed to read the file
};

// Which variant a kUnsupported file is (or, for kTooMuchMemory, which kind
// of JPEG or AVIF); `value` holds its number where the name has one.
enum class ReadVariant {
    kNone,
    kOs2Bmp,           // an OS/2 2.x BMP header
    kBmpHeader,        // a BMP information header of `value` bytes
    kBmpDepth,         // a BMP of `value` bits per pixel
    kBmpJpeg,          // a BMP holding a JPEG
    kBmpPng,           // a BMP holding a PNG
    kBmpCompression,   // a BMP compression code `value`
    kJpegPrecision,    // a JPEG of `value` bits per sample
    kJpegCoding,       // a JPEG coding process or colour conversion the decoder lacks
    kProgressiveJpeg,  // kTooMuchMemory: the picture is progressive
    kWebpFeature,      // a WebP feature the decoder lacks
    kAvifFeature,      // an AVIF feature or coding the decoder lacks
    kAvifGrid,         // kTooMuchMemory: the picture is a grid of tiles
};

// Why a read gave no picture. The numbers mean what the code's comment says;
// the others stay as they are.
struct ReadFailure {
    ReadError error = ReadError::kNone;
    ReadVariant variant = ReadVariant::kNone;
    int type = -1;        // the image type code of the reader; -1 when none read
    int64_t offset = -1;  // a byte offset in the file; -1 when not known
    int64_t width = 0;    // the picture the file declares, where the text names it
    int64_t height = 0;
    int64_t value = 0;
    int64_t limit = 0;

    explicit operator bool() const { return error != ReadError::kNone; }
};

// One sentence on why the read failed. English: a short clause without a
// full stop ("cut off at byte 120"), for "cannot read FILE: REASON".
// Japanese: a sentence with its full stop, for a line of its own.
std::string ReadFailureText(const ReadFailure& failure, TextLanguage language);

// The failure for a file that could not be opened, from the system's errno.
ReadError ReadErrorFromErrno(int error);

}  // namespace ze
