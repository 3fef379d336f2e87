// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/status.h"

#include <cerrno>

namespace ze {
namespace {

struct StatusWords {
    StatusCode code;
    const char* english;
    const char* japanese;
};

// One row a code, in the order of the enumeration.
constexpr StatusWords kWords[] = {
    {StatusCode::kOk, "no error", "エラーはありません。"},
    {StatusCode::kMissing, "no such file", "ファイルがありません。"},
    {StatusCode::kNoFolder, "folder missing", "フォルダがありません。"},
    {StatusCode::kNotRegular, "not a regular file", "通常のファイルではありません。"},
    {StatusCode::kNotFolder, "not a folder", "フォルダではありません。"},
    {StatusCode::kLink, "a symbolic link", "シンボリックリンクです。"},
    {StatusCode::kLinkLoop, "too many levels of symbolic links",
     "シンボリックリンクが循環しています。"},
    {StatusCode::kNotOurs, "owned by another user", "ほかのユーザーのものです。"},
    {StatusCode::kOverBound, "too large", "大きすぎます。"},
    {StatusCode::kReadDenied, "permission denied", "読み取りが許可されていません。"},
    {StatusCode::kWriteDenied, "permission denied", "書き込みが許可されていません。"},
    {StatusCode::kReadOnlyFs, "read-only file system", "読み取り専用のファイルシステムです。"},
    {StatusCode::kNoSpace, "disk full", "ディスクの空きが足りません。"},
    {StatusCode::kFileSizeLimit, "file too large", "ファイルが大きすぎます。"},
    {StatusCode::kCannotReserve, "no safe way to write in place here",
     "この場所では安全に上書きできません。"},
    {StatusCode::kEncode, "the picture cannot be written in this format",
     "この形式では画像を書き出せません。"},
    {StatusCode::kReadFailed, "cannot be read", "読み込めません。"},
    {StatusCode::kWriteFailed, "write error", "書き込みエラーです。"},
    {StatusCode::kDamaged, "cut off or damaged", "途中で切れているか壊れています。"},
    {StatusCode::kPageTooLarge, "the page is larger than 64 MB", "ページが 64 MB より大きいです。"},
    {StatusCode::kRefusedEncoding,
     "the page declares an encoding that browsers show nothing of "
     "(ISO-2022-KR, ISO-2022-CN or HZ)",
     "ブラウザが何も表示しない文字コード (ISO-2022-KR、ISO-2022-CN、HZ) のページです。"},
    {StatusCode::kNoImageMap, "the page has no image with a map (<img usemap> and <map>)",
     "マップ付きの画像 (<img usemap> と <map>) がないページです。"},
    {StatusCode::kPaneTooLarge, "the image tag and its map are larger than 1 MB or 25,000 lines",
     "画像のタグとマップが 1 MB または 25,000 行より大きいです。"},
    {StatusCode::kPaneLineTooLong, "a line of the image tag or its map is longer than 16 KB",
     "画像のタグかマップに 16 KB より長い行があります。"},
    {StatusCode::kNoImageTag, "the markup has no <img> tag before its <map>",
     "マークアップの <map> の前に <img> タグがありません。"},
    {StatusCode::kNoMapElement, "the markup has no complete <map> ... </map>",
     "マークアップに完全な <map> ... </map> がありません。"},
};
static_assert(std::size(kWords) == size_t(StatusCode::kLast) + 1, "one row a code");

constexpr bool InOrder() {
    for (size_t i = 0; i < std::size(kWords); ++i)
        if (size_t(kWords[i].code) != i) return false;
    return true;
}
static_assert(InOrder(), "rows in the order of the codes");

}  // namespace

std::string StatusText(const Status& status, TextLanguage language) {
    const bool english = language == TextLanguage::kEnglish;
    if (status.code == StatusCode::kOverBound && status.limit > 0) {
        const std::string bound = std::to_string(status.limit >> 20) + " MB";
        return english ? "larger than " + bound : bound + " より大きいです。";
    }
    const size_t i = size_t(status.code);
    if (i >= std::size(kWords)) return english ? "error" : "エラーです。";
    return english ? kWords[i].english : kWords[i].japanese;
}

Status StatusFromErrno(int error, Access access) {
    const bool writing = access == Access::kWrite;
    Status status;
    switch (error) {
        case 0:
            return status;
        case ENOENT:
        case ENOTDIR:
            status.code = writing ? StatusCode::kNoFolder : StatusCode::kMissing;
            break;
        case EACCES:
        case EPERM:
            status.code = writing ? StatusCode::kWriteDenied : StatusCode::kReadDenied;
            break;
        case EROFS:
            status.code = StatusCode::kReadOnlyFs;
            break;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            status.code = StatusCode::kNoSpace;
            break;
        case EFBIG:
            status.code = StatusCode::kFileSizeLimit;
            break;
        case EISDIR:
            status.code = StatusCode::kNotRegular;
            break;
#ifdef ELOOP
        case ELOOP:  // reading opens without following links: one was met
            status.code = writing ? StatusCode::kLinkLoop : StatusCode::kLink;
            break;
#endif
        default:
            status.code = writing ? StatusCode::kWriteFailed : StatusCode::kReadFailed;
            break;
    }
    status.sysError = error;
    return status;
}

}  // namespace ze
