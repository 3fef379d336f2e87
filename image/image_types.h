// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Picture type codes and the one table of picture formats: for each, the
// name it is known by, its extensions, MIME type, what it keeps on save
// (alpha, a quality, lossless coding), its file-dialog label and its codec.
// The image library, the document, every dialog and message, and the
// command-line tool take their formats from here; a new format is its codec
// and one row.

#include <memory>
#include <span>
#include <string>

class CImageImpl;
class PixelStore;

enum ImageTypeCode : int {
    kImageUnknown = -1,
    kImageBmp = 0,
    kImageJpeg = 1,
    kImageGif = 2,
    // 3 was a format that never had a codec; the code stays unused.
    kImagePng = 4,
    kImageWebp = 5,
    kImageAvif = 6,
};

// How much transparency a file of the format holds.
enum class FormatAlpha {
    kNone,    // none: transparent pixels are laid over the background
    kBinary,  // one transparent colour: fully transparent or opaque
    kFull,    // every level
};

using CodecFactory = std::unique_ptr<CImageImpl> (*)(PixelStore& pixels, const std::string& name);

struct PictureTypeInfo {
    ImageTypeCode code;
    const char* name;            // in messages: "JPEG", "WebP"
    const char* extension;       // lower case, without a dot; the one files are saved with
    const char* otherExtension;  // a second extension the format is known by, or null
    const char* mimeType;
    bool canSave;  // every format opens
    FormatAlpha alpha;
    bool quality;             // a save takes a quality of 1 to 100
    bool lossless;            // a save may be lossless instead
    const char* filterLabel;  // UTF-8
    CodecFactory makeCodec;
};

// In the order the file dialogs list them.
std::span<const PictureTypeInfo> PictureTypes();

// The row of a type code; null for a code without a format.
const PictureTypeInfo* FindPictureType(int code);

// The type code for a file name: the text after the last "." (anywhere in
// the name) compared without ASCII case against every extension of the
// table ("jpg" and "jpeg" both give JPEG). -1 when there is no extension or
// it is not among them.
int ImageTypeFromName(const std::string& name);

// The name a format is known by in messages ("JPEG", "WebP"); "?" for a
// code without a format.
const char* PictureTypeName(int code);
