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

// Reasons written as words by the core's file and page readers.
const std::pair<const char*, const char*> kReasons[] = {
    {"not a file", "ファイルではありません"},
    {"cut off or damaged", "途中で切れているか壊れています"},
};

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

QString WindowText(ze::WriteError error) {
    using E = ze::WriteError;
    switch (error) {
        case E::kNone:
            return U("エラーはありません");
        case E::kEncode:
            return U("この形式では画像を書き出せません");
        case E::kPermission:
            return U("書き込みの許可がありません");
        case E::kReadOnlyFs:
            return U("読み取り専用のファイルシステムです");
        case E::kNoSpace:
            return U("ディスクがいっぱいです");
        case E::kTooLarge:
            return U("ファイルが大きすぎます");
        case E::kNoFolder:
            return U("フォルダがありません");
        case E::kNotRegular:
            return U("通常のファイルではありません");
        case E::kLinkLoop:
            return U("シンボリックリンクが循環しています");
        case E::kCannotReserve:
            return U("ここでは安全に上書きできません");
        case E::kIo:
            break;
    }
    return U("書き込みエラーです");
}

QString WindowText(ze::OwnFileStatus status) {
    using S = ze::OwnFileStatus;
    switch (status) {
        case S::kOk:
            return U("エラーはありません");
        case S::kMissing:
            return U("ファイルがありません");
        case S::kLink:
            return U("シンボリックリンクです");
        case S::kNotRegular:
            return U("通常のファイルではありません");
        case S::kNotFolder:
            return U("フォルダではありません");
        case S::kNotOurs:
            return U("ほかのユーザーのものです");
        case S::kTooLarge:
            return U("大きすぎます");
        case S::kPermission:
            return U("許可がありません");
        case S::kReadOnlyFs:
            return U("読み取り専用のファイルシステムです");
        case S::kNoSpace:
            return U("ディスクがいっぱいです");
        case S::kIo:
            break;
    }
    return U("読み込めません");
}

QString WindowText(PageStatus status) {
    switch (status) {
        case PageStatus::kOk:
            return U("問題ありません");
        case PageStatus::kTooLarge:
            return U("ページが 64 MB より大きいです");
        case PageStatus::kRefusedEncoding:
            return U(
                "ブラウザが何も表示しない文字コード (ISO-2022-KR、ISO-2022-CN、HZ) "
                "のページです");
        case PageStatus::kNoImageMap:
            return U("マップ付きの画像 (<img usemap> と <map>) がないページです");
        case PageStatus::kPaneTooLarge:
            return U("画像のタグとマップが 1 MB または 25,000 行より大きいです");
        case PageStatus::kPaneLineTooLong:
            return U("画像のタグかマップに 16 KB より長い行があります");
    }
    return {};
}

QString WindowText(MergeStatus status) {
    switch (status) {
        case MergeStatus::kMerged:
            return U("問題ありません");
        case MergeStatus::kNoImage:
            return U("マークアップの <map> の前に <img> タグがありません");
        case MergeStatus::kNoMap:
            return U("マークアップに完全な <map> ... </map> がありません");
    }
    return {};
}

QString WindowTextOf(std::string_view coreText) {
    if (coreText.empty()) return {};
    if (!IsAscii(coreText)) return QString::fromUtf8(coreText.data(), qsizetype(coreText.size()));
    for (const auto& [english, japanese] : kLibraryMessages)
        if (coreText == english) return U(japanese);
    for (const auto& [english, japanese] : kReasons)
        if (coreText == english) return U(japanese);
    // The enumerations' own English words.
    for (int i = 0; i <= int(ze::WriteError::kIo); ++i)
        if (coreText == ze::WriteErrorText(ze::WriteError(i))) return WindowText(ze::WriteError(i));
    for (int i = 0; i <= int(ze::OwnFileStatus::kIo); ++i)
        if (coreText == ze::OwnFileStatusText(ze::OwnFileStatus(i)))
            return WindowText(ze::OwnFileStatus(i));
    for (int i = 0; i <= int(PageStatus::kPaneLineTooLong); ++i)
        if (coreText == PageStatusText(PageStatus(i))) return WindowText(PageStatus(i));
    constexpr std::string_view there = "the file there is ";
    if (coreText.starts_with(there))
        return U("そこにあるファイルは%1").arg(WindowTextOf(coreText.substr(there.size())));
    constexpr std::string_view larger = "larger than ";
    if (coreText.starts_with(larger))
        return U("%1 より大きいです")
            .arg(QString::fromUtf8(coreText.substr(larger.size()).data(),
                                   qsizetype(coreText.size() - larger.size())));
    return U("次のメッセージがありました: ") +
           QString::fromUtf8(coreText.data(), qsizetype(coreText.size()));
}
