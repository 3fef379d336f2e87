// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window_text.h"

#include <utility>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// The image library's messages, as its codecs report them.
const std::pair<const char*, const char*> kLibraryMessages[] = {
    {"Can't open GIF for writing", "GIF ファイルを書き込み用に開けません。"},
    {"Write Error in GIF file", "GIF ファイルの書き込み中にエラーが起きました。"},
    {"CImageImpl::imagePalette already exists!", "画像のパレットがすでにあります (内部エラー)。"},
};

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

QString WindowText(const ze::Status& status) {
    return QString::fromStdString(ze::StatusText(status, ze::TextLanguage::kJapanese));
}

QString WindowTextOf(std::string_view libraryText) {
    if (libraryText.empty()) return {};
    const QString text = QString::fromUtf8(libraryText.data(), qsizetype(libraryText.size()));
    if (!IsAscii(libraryText)) return text;
    for (const auto& [english, japanese] : kLibraryMessages)
        if (libraryText == english) return U(japanese);
    return U("次のメッセージがありました: ") + text;
}
