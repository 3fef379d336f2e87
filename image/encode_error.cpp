// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/encode_error.h"

#include "image/image_types.h"

namespace ze {
namespace {

std::string English(const EncodeFailure& f, const std::string& type) {
    switch (f.error) {
        case EncodeError::kNoPixels:
            return "the picture holds no pixels";
        case EncodeError::kTooLargeSide:
            return type + " holds at most " + std::to_string(f.limit) +
                   " pixels a side (the picture is " + std::to_string(f.width) + "x" +
                   std::to_string(f.height) + ")";
        case EncodeError::kDepth:
            return "the " + type + " writer does not take " + std::to_string(f.value) +
                   "-bit pictures";
        case EncodeError::kOutOfMemory:
            return "out of memory while encoding";
        case EncodeError::kNoLibrary:
            return "the " + type + " library cannot be loaded";
        case EncodeError::kLibrary:
            return "the " + type + " encoder failed";
        case EncodeError::kQuantize:
            return "the colours could not be reduced to 256";
        case EncodeError::kNone:
            break;
    }
    return "no error";
}

std::string Japanese(const EncodeFailure& f, const std::string& type) {
    switch (f.error) {
        case EncodeError::kNoPixels:
            return "画像に画素がありません。";
        case EncodeError::kTooLargeSide:
            return type + " の幅と高さは " + std::to_string(f.limit) +
                   " ピクセルまでです (この画像は " + std::to_string(f.width) + "x" +
                   std::to_string(f.height) + ")。";
        case EncodeError::kDepth:
            return std::to_string(f.value) + " ビットの画像は " + type + " に書けません。";
        case EncodeError::kOutOfMemory:
            return "書き出しのためのメモリが足りません。";
        case EncodeError::kNoLibrary:
            return type + " のライブラリを読み込めません。";
        case EncodeError::kLibrary:
            return type + " のエンコーダーが失敗しました。";
        case EncodeError::kQuantize:
            return "色を 256 色に減らせませんでした。";
        case EncodeError::kNone:
            break;
    }
    return "";
}

}  // namespace

std::string EncodeFailureText(const EncodeFailure& failure, TextLanguage language) {
    const std::string type = PictureTypeName(failure.type);
    return language == TextLanguage::kEnglish ? English(failure, type) : Japanese(failure, type);
}

}  // namespace ze
