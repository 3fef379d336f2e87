// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/read_error.h"

#include <cerrno>

#include "image/image_types.h"

namespace ze {
namespace {

std::string N(int64_t n) {
    return std::to_string(n);
}

std::string Size(const ReadFailure& f) {
    return N(f.width) + "x" + N(f.height);
}

// "gif, jpg, jpeg, png, bmp, webp, avif": every extension of the table.
std::string Extensions() {
    std::string list;
    for (const PictureTypeInfo& type : PictureTypes()) {
        for (const char* ext : {type.extension, type.otherExtension})
            if (ext) list += (list.empty() ? "" : ", ") + std::string(ext);
    }
    return list;
}

const char* TypeName(int type) {
    const char* name = PictureTypeName(type);
    return name[0] == '?' ? nullptr : name;
}

std::string VariantName(const ReadFailure& f, bool en) {
    switch (f.variant) {
        case ReadVariant::kOs2Bmp:
            return "OS/2 2.x BMP";
        case ReadVariant::kBmpHeader:
            return en ? "BMP with a " + N(f.value) + "-byte header"
                      : N(f.value) + " バイトのヘッダーの BMP";
        case ReadVariant::kBmpDepth:
            return en ? N(f.value) + "-bit BMP" : N(f.value) + " ビットの BMP";
        case ReadVariant::kBmpJpeg:
            return en ? "BMP holding a JPEG" : "JPEG を収めた BMP";
        case ReadVariant::kBmpPng:
            return en ? "BMP holding a PNG" : "PNG を収めた BMP";
        case ReadVariant::kBmpCompression:
            return en ? "BMP compression " + N(f.value) : "圧縮方式 " + N(f.value) + " の BMP";
        case ReadVariant::kJpegPrecision:
            return en ? N(f.value) + "-bit JPEG" : N(f.value) + " ビットの JPEG";
        case ReadVariant::kWebpFeature:
            return en ? "WebP feature that the decoder lacks" : "デコーダーにない WebP の機能";
        case ReadVariant::kAvifFeature:
            return en ? "AVIF feature that the decoder lacks" : "デコーダーにない AVIF の機能";
        case ReadVariant::kJpegCoding:
        case ReadVariant::kProgressiveJpeg:
        case ReadVariant::kAvifGrid:
        case ReadVariant::kNone:
            break;
    }
    return en ? "JPEG coding that the decoder lacks" : "デコーダーにない JPEG の符号化";
}

std::string English(const ReadFailure& f) {
    const char* type = TypeName(f.type);
    switch (f.error) {
        case ReadError::kNone:
            return "no error";
        case ReadError::kFileMissing:
            return "no such file";
        case ReadError::kFolder:
            return "is a folder";
        case ReadError::kNotRegular:
            return "not a regular file";
        case ReadError::kPermissionDenied:
            return "permission denied";
        case ReadError::kUnknownType:
            return "not a picture type the editor opens (" + Extensions() + ")";
        case ReadError::kNotThisType:
            if (!type) return "not a picture";
            return std::string(type[0] == 'A' ? "not an " : "not a ") + type + " file";
        case ReadError::kTruncated:
            if (f.offset == 0) return "the file is empty";
            return f.offset > 0 ? "the file is cut off at byte " + N(f.offset)
                                : "the file is cut off";
        case ReadError::kTooLarge:
            return "the picture (" + Size(f) + ") is larger than the limit of " + N(f.limit) +
                   " pixels";
        case ReadError::kTooMuchMemory:
            return std::string("the ") + (type ? type : "JPEG") + " picture (" + Size(f) +
                   (f.variant == ReadVariant::kProgressiveJpeg ? ", progressive"
                    : f.variant == ReadVariant::kAvifGrid      ? ", a grid of tiles"
                                                               : "") +
                   ") needs " + N(f.value) + " MB of working memory to decode; the limit is " +
                   N(f.limit) + " MB";
        case ReadError::kTooManyScans:
            return "the JPEG file has more than " + N(f.limit) + " scans";
        case ReadError::kTooLittleData:
            return "the JPEG file declares " + Size(f) + " pixels but holds only " + N(f.offset) +
                   " bytes";
        case ReadError::kFileTooLarge:
            return "the file is larger than the limit of " + N(f.limit) + " bytes";
        case ReadError::kUnsupported:
            return "unsupported variant: " + VariantName(f, true);
        case ReadError::kCorrupt:
            return f.offset >= 0 ? "the file is damaged at byte " + N(f.offset)
                                 : "the file is damaged";
        case ReadError::kNoImage:
            return "the file holds no picture";
        case ReadError::kOutOfMemory:
            return "not enough memory";
        case ReadError::kIo:
            break;
    }
    return "read error";
}

std::string Japanese(const ReadFailure& f) {
    const char* type = TypeName(f.type);
    switch (f.error) {
        case ReadError::kNone:
            return "エラーはありません。";
        case ReadError::kFileMissing:
            return "ファイルがありません。";
        case ReadError::kFolder:
            return "フォルダです。";
        case ReadError::kNotRegular:
            return "通常のファイルではありません。";
        case ReadError::kPermissionDenied:
            return "読み取りが許可されていません。";
        case ReadError::kUnknownType:
            return "開ける画像の種類ではありません (" + Extensions() + ")。";
        case ReadError::kNotThisType:
            return type ? std::string(type) + " ファイルではありません。" : "画像ではありません。";
        case ReadError::kTruncated:
            if (f.offset == 0) return "ファイルが空です。";
            return f.offset > 0 ? "ファイルが " + N(f.offset) + " バイト目で途切れています。"
                                : "ファイルが途中で途切れています。";
        case ReadError::kTooLarge:
            return "画像が大きすぎます (" + Size(f) + "、上限は " + N(f.limit) + " ピクセル)。";
        case ReadError::kTooMuchMemory:
            return std::string(type ? type : "JPEG") + " 画像 (" + Size(f) +
                   (f.variant == ReadVariant::kProgressiveJpeg ? "、プログレッシブ"
                    : f.variant == ReadVariant::kAvifGrid      ? "、タイルの格子"
                                                               : "") +
                   ") の展開には " + N(f.value) + " MB の作業メモリが要ります (上限は " +
                   N(f.limit) + " MB)。";
        case ReadError::kTooManyScans:
            return "JPEG ファイルのスキャンが " + N(f.limit) + " を超えています。";
        case ReadError::kTooLittleData:
            return "JPEG ファイルは " + Size(f) + " ピクセルの画像と言いながら " + N(f.offset) +
                   " バイトしかありません。";
        case ReadError::kFileTooLarge:
            return "ファイルが大きすぎます (上限は " + N(f.limit) + " バイト)。";
        case ReadError::kUnsupported:
            return "対応していない種類です: " + VariantName(f, false) + "。";
        case ReadError::kCorrupt:
            return f.offset >= 0 ? "ファイルが " + N(f.offset) + " バイト目で壊れています。"
                                 : "ファイルが壊れています。";
        case ReadError::kNoImage:
            return "ファイルに画像がありません。";
        case ReadError::kOutOfMemory:
            return "メモリが足りません。";
        case ReadError::kIo:
            break;
    }
    return "読み込みエラーです。";
}

}  // namespace

std::string ReadFailureText(const ReadFailure& failure, TextLanguage language) {
    return language == TextLanguage::kEnglish ? English(failure) : Japanese(failure);
}

ReadError ReadErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return ReadError::kNone;
        case ENOENT:
        case ENOTDIR:
            return ReadError::kFileMissing;
        case EACCES:
        case EPERM:
            return ReadError::kPermissionDenied;
        case EISDIR:
            return ReadError::kFolder;
        case ENOMEM:
            return ReadError::kOutOfMemory;
        default:
            return ReadError::kIo;
    }
}

}  // namespace ze
