// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/status.h"

#include <cerrno>
#include <string_view>

namespace ze {
namespace {

// The words of a code. {offset}, {limit}, {megabytes} (the limit's whole
// MB), {value}, {size} (width x height), {name} and {a name} ("a PNG", "an
// AVIF") stand for the status's detail.
// Where a row names a detail the status lacks (an offset of -1, no name),
// its plain words say the same without it.
struct StatusWords {
    StatusCode code;
    const char* english;
    const char* japanese;
    const char* plainEnglish = nullptr;
    const char* plainJapanese = nullptr;
};

constexpr const char* kSendFailed = "ZURI Zezez SEKKA へ転送できませんでした。";
constexpr const char* kSendUnanswered = "ZURI Zezez SEKKA への転送に応答がありませんでした。";

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
    {StatusCode::kOverBound, "larger than {megabytes} MB", "{megabytes} MB より大きいです。",
     "too large", "大きすぎます。"},
    {StatusCode::kReadDenied, "permission denied", "読み取りが許可されていません。"},
    {StatusCode::kWriteDenied, "permission denied", "書き込みが許可されていません。"},
    {StatusCode::kReadOnlyFs, "read-only file system", "読み取り専用のファイルシステムです。"},
    {StatusCode::kNoSpace, "disk full", "ディスクの空きが足りません。"},
    {StatusCode::kFileSizeLimit, "file too large", "ファイルが大きすぎます。"},
    {StatusCode::kCannotReserve, "no safe way to write in place here",
     "この場所では安全に上書きできません。"},
    {StatusCode::kEncode, "the picture cannot be written in this format",
     "{name} 形式に書き出せませんでした。", nullptr, "この形式では画像を書き出せません。"},
    {StatusCode::kReadFailed, "read error", "読み込みエラーです。"},
    {StatusCode::kWriteFailed, "write error", "書き込みエラーです。"},
    {StatusCode::kDamaged, "cut off or damaged", "途中で切れているか壊れています。"},
    {StatusCode::kLockDenied, "cannot make the lock: permission denied",
     "ロックを作れません: 許可がありません。"},
    {StatusCode::kLockFailed, "cannot take the lock", "ロックを取れません。"},
    {StatusCode::kLockInUse, "the lock is in use", "ロックが使われています。"},
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
    {StatusCode::kOursChanged, "another program changed the image tag or map in the page",
     "ページの画像のタグかマップがほかのプログラムに書き換えられています。"},
    {StatusCode::kMapNotFound, "the page has no image with this src that names this map",
     "ページにこの画像とマップがありません。"},
    {StatusCode::kMapSeveral, "the page has this image and map more than once",
     "ページにこの画像とマップが複数あります。"},
    {StatusCode::kUnknownOrigin, "not known to be the image and map that were read",
     "ページの画像とマップが読んだ時のままかどうか分かりません。"},
    {StatusCode::kIsFolder, "is a folder", "フォルダです。"},
    {StatusCode::kUnknownType, "not a picture type the editor opens ({name})",
     "開ける画像の種類ではありません ({name})。"},
    {StatusCode::kNotThisType, "not {a name} file", "{name} ファイルではありません。",
     "not a picture", "画像ではありません。"},
    {StatusCode::kEmptyFile, "the file is empty", "ファイルが空です。"},
    {StatusCode::kCutOff, "the file is cut off at byte {offset}",
     "ファイルが {offset} バイト目で途切れています。", "the file is cut off",
     "ファイルが途中で途切れています。"},
    {StatusCode::kTooManyPixels, "the picture ({size}) is larger than the limit of {limit} pixels",
     "画像が大きすぎます ({size}、上限は {limit} ピクセル)。"},
    {StatusCode::kDecodeMemory,
     "the {name} picture ({size}) needs {value} MB of working memory to decode; the limit is "
     "{limit} MB",
     "{name} 画像 ({size}) の展開には {value} MB の作業メモリが要ります (上限は {limit} MB)。",
     "the JPEG picture ({size}) needs {value} MB of working memory to decode; the limit is "
     "{limit} MB",
     "JPEG 画像 ({size}) の展開には {value} MB の作業メモリが要ります (上限は {limit} MB)。"},
    {StatusCode::kDecodeMemoryProgressive,
     "the JPEG picture ({size}, progressive) needs {value} MB of working memory to decode; the "
     "limit is {limit} MB",
     "JPEG 画像 ({size}、プログレッシブ) の展開には {value} MB の作業メモリが要ります (上限は "
     "{limit} MB)。"},
    {StatusCode::kDecodeMemoryGrid,
     "the AVIF picture ({size}, a grid of tiles) needs {value} MB of working memory to decode; "
     "the limit is {limit} MB",
     "AVIF 画像 ({size}、タイルの格子) の展開には {value} MB の作業メモリが要ります (上限は "
     "{limit} MB)。"},
    {StatusCode::kTooManyScans, "the JPEG file has more than {limit} scans",
     "JPEG ファイルのスキャンが {limit} を超えています。"},
    {StatusCode::kTooLittleData,
     "the JPEG file declares {size} pixels but holds only {offset} bytes",
     "JPEG ファイルは {size} ピクセルの画像と言いながら {offset} バイトしかありません。"},
    {StatusCode::kFileOverLimit, "the file is larger than the limit of {limit} bytes",
     "ファイルが大きすぎます (上限は {limit} バイト)。"},
    {StatusCode::kOs2Bmp, "unsupported variant: OS/2 2.x BMP",
     "対応していない種類です: OS/2 2.x BMP。"},
    {StatusCode::kBmpHeader, "unsupported variant: BMP with a {value}-byte header",
     "対応していない種類です: {value} バイトのヘッダーの BMP。"},
    {StatusCode::kBmpDepth, "unsupported variant: {value}-bit BMP",
     "対応していない種類です: {value} ビットの BMP。"},
    {StatusCode::kBmpJpeg, "unsupported variant: BMP holding a JPEG",
     "対応していない種類です: JPEG を収めた BMP。"},
    {StatusCode::kBmpPng, "unsupported variant: BMP holding a PNG",
     "対応していない種類です: PNG を収めた BMP。"},
    {StatusCode::kBmpCompression, "unsupported variant: BMP compression {value}",
     "対応していない種類です: 圧縮方式 {value} の BMP。"},
    {StatusCode::kJpegPrecision, "unsupported variant: {value}-bit JPEG",
     "対応していない種類です: {value} ビットの JPEG。"},
    {StatusCode::kJpegCoding, "unsupported variant: JPEG coding that the decoder lacks",
     "対応していない種類です: デコーダーにない JPEG の符号化。"},
    {StatusCode::kWebpFeature, "unsupported variant: WebP feature that the decoder lacks",
     "対応していない種類です: デコーダーにない WebP の機能。"},
    {StatusCode::kAvifFeature, "unsupported variant: AVIF feature that the decoder lacks",
     "対応していない種類です: デコーダーにない AVIF の機能。"},
    {StatusCode::kCorrupt, "the file is damaged at byte {offset}",
     "ファイルが {offset} バイト目で壊れています。", "the file is damaged",
     "ファイルが壊れています。"},
    {StatusCode::kNoPicture, "the file holds no picture", "ファイルに画像がありません。"},
    {StatusCode::kOutOfMemory, "not enough memory", "メモリが足りません。"},
    {StatusCode::kNoPixels, "the picture holds no pixels", "画像に画素がありません。"},
    {StatusCode::kSideTooLong, "{name} holds at most {limit} pixels a side (the picture is {size})",
     "{name} の幅と高さは {limit} ピクセルまでです (この画像は {size})。"},
    {StatusCode::kDepthNotWritten, "the {name} writer does not take {value}-bit pictures",
     "{value} ビットの画像は {name} に書けません。"},
    {StatusCode::kEncodeMemory, "out of memory while encoding",
     "書き出しのためのメモリが足りません。"},
    {StatusCode::kNoLibrary, "the {name} library cannot be loaded",
     "{name} のライブラリを読み込めません。"},
    {StatusCode::kEncoderFailed, "the {name} encoder failed",
     "{name} のエンコーダーが失敗しました。"},
    {StatusCode::kQuantize, "the colours could not be reduced to 256",
     "色を 256 色に減らせませんでした。"},
    {StatusCode::kNoFileName, "no file name", "ファイル名がありません。"},
    {StatusCode::kNotSavable, "the extension must be one of {name}",
     "拡張子は {name} のどれかにしてください。"},
    {StatusCode::kNothingOpen, "no picture is open", "画像が開かれていません。"},
    // The window tells only whether the receiver was silent or the transfer
    // failed; the command-line tool says how.
    {StatusCode::kNoSibling, "no window title contains \"ZURI Zezez SEKKA\"",
     "ZURI Zezez SEKKA のウィンドウがありません。"},
    {StatusCode::kTextTooLarge, "the text is too large to send", kSendFailed},
    {StatusCode::kTooLargeForX, "the text is too large for one X request", kSendFailed},
    {StatusCode::kNoDisplay, "cannot open the X display", kSendFailed},
    {StatusCode::kNoAtoms, "cannot intern X atoms", kSendFailed},
    {StatusCode::kCannotStart, "cannot start the transfer", kSendFailed},
    {StatusCode::kReceiverVanished, "the receiving window vanished before the data reached it",
     kSendFailed},
    {StatusCode::kReceiverClosed, "the receiving window closed without taking the data",
     kSendFailed},
    {StatusCode::kReceiverSilent, "the receiver did not take the data within {limit} seconds",
     kSendUnanswered},
    {StatusCode::kServerSilent, "the X server did not answer within {limit} seconds",
     kSendUnanswered},
    {StatusCode::kConnectionBroken, "the X connection failed while waiting for the receiver",
     kSendFailed},
    {StatusCode::kConnectionFailed, "the X connection failed during the transfer", kSendFailed},
};
static_assert(std::size(kWords) == size_t(StatusCode::kLast) + 1, "one row a code");

constexpr bool InOrder() {
    for (size_t i = 0; i < std::size(kWords); ++i)
        if (size_t(kWords[i].code) != i) return false;
    return true;
}
static_assert(InOrder(), "rows in the order of the codes");

// Whether `words` name a detail that `status` does not have.
bool LacksDetail(std::string_view words, const Status& status) {
    const bool lacksOffset = status.offset < 0 && words.find("{offset}") != words.npos;
    const bool lacksLimit = status.limit <= 0 && words.find("{megabytes}") != words.npos;
    return lacksOffset || lacksLimit || (!status.name && words.find("name}") != words.npos);
}

std::string Detail(std::string_view field, const Status& s) {
    const std::string name = s.name ? s.name : "";
    if (field == "offset") return std::to_string(s.offset);
    if (field == "limit") return std::to_string(s.limit);
    if (field == "megabytes") return std::to_string(s.limit >> 20);
    if (field == "value") return std::to_string(s.value);
    if (field == "size") return std::to_string(s.width) + "x" + std::to_string(s.height);
    if (field == "name") return name;
    if (field == "a name") {
        std::string text = name.starts_with('A') ? "an " : "a ";
        return text.append(name);
    }
    return std::string(field);  // no such detail: the word as it stands
}

// `words` with each {field} replaced by the status's detail.
std::string Fill(std::string_view words, const Status& status) {
    std::string text;
    for (size_t at = 0; at < words.size();) {
        const size_t open = words.find('{', at);
        const size_t close = open == words.npos ? words.npos : words.find('}', open);
        if (close == words.npos) {
            text += words.substr(at);
            break;
        }
        text += words.substr(at, open - at);
        text += Detail(words.substr(open + 1, close - open - 1), status);
        at = close + 1;
    }
    return text;
}

}  // namespace

std::string StatusText(const Status& status, TextLanguage language) {
    const bool english = language == TextLanguage::kEnglish;
    const bool empty = status.code == StatusCode::kCutOff && status.offset == 0;
    const size_t i = size_t(empty ? StatusCode::kEmptyFile : status.code);
    if (i >= std::size(kWords)) return english ? "error" : "エラーです。";
    const StatusWords& row = kWords[i];
    const char* words = english ? row.english : row.japanese;
    const char* plain = english ? row.plainEnglish : row.plainJapanese;
    return Fill(plain && LacksDetail(words, status) ? plain : words, status);
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
            status.code = writing ? StatusCode::kNotRegular : StatusCode::kIsFolder;
            break;
        case ENOMEM:
            status.code = StatusCode::kOutOfMemory;
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
