// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/check_messages.h"

#include <algorithm>

namespace {

using T = CheckText;
using R = CheckRule;
constexpr CheckSeverity kError = CheckSeverity::kError, kWarning = CheckSeverity::kWarning;

constexpr CheckTextInfo kTexts[] = {
    {T::kAltEmpty, R::kAreaAlt, kError, "the link's alternative text is empty",
     "リンクの代替テキスト (alt) が空です"},
    {T::kAltMissing, R::kAreaAlt, kError, "the link has no alternative text (alt)",
     "リンクに代替テキスト (alt) がありません"},
    {T::kAltEmptyNamed, R::kAreaAlt, kWarning,
     "the link's alternative text is empty; assistive technology still announces its {1}, but "
     "HTML requires alt",
     "リンクの代替テキスト (alt) が空です。支援技術は {1} を読み上げますが、HTML では alt "
     "が必要です"},
    {T::kAltMissingNamed, R::kAreaAlt, kWarning,
     "the link has no alternative text (alt); assistive technology still announces its {1}, but "
     "HTML requires alt",
     "リンクに代替テキスト (alt) がありません。支援技術は {1} を読み上げますが、HTML では alt "
     "が必要です"},
    {T::kNohrefObsolete, R::kNoHref, kWarning,
     "nohref is obsolete: an area without href is no link already; give it a link or remove the "
     "area",
     "nohref は廃止されています。href のない領域はもともとリンクではありません。リンクを付けるか"
     "領域を削除してください"},
    {T::kNoHref, R::kNoHref, kWarning, "the area has no href: give it a link or remove the area",
     "領域に href がありません。リンクを付けるか領域を削除してください"},
    {T::kShapeNotHtml, R::kAreaShape, kWarning,
     "shape=\"{1}\" is not HTML: browsers read it as {2}; write {2}",
     "shape=\"{1}\" は HTML の値ではありません。ブラウザは {2} として読みます。{2} "
     "と書いてください"},
    {T::kShapeUnknown, R::kAreaShape, kWarning,
     "shape=\"{1}\" is no shape keyword: browsers read it as rect",
     "shape=\"{1}\" は形の値ではありません。ブラウザは rect として読みます"},
    {T::kRepeatedAttribute, R::kDuplicateAttribute, kWarning,
     "{1} is given more than once: a browser uses the first, {1}=\"{2}\", and drops the others",
     "{1} が二度以上書かれています。ブラウザは最初の {1}=\"{2}\" を使い、ほかは捨てます"},
    {T::kLinkAttributes, R::kAreaLinkAttributes, kWarning,
     "{1} mean nothing on an area without href: give it a link or remove them",
     "{1} は href のない領域では意味を持ちません。リンクを付けるか削除してください"},
    {T::kTargetSize, R::kTargetSize, kWarning,
     "the area's box is {1}x{2} CSS pixels where the page shows the picture, under the 24x24 "
     "that WCAG 2.2 (2.5.8) asks of a target",
     "ページでの領域の大きさが {1}×{2} CSS ピクセルで、WCAG 2.2 (2.5.8) が求める 24×24 "
     "より小さいです"},
    {T::kNoSrc, R::kPictureMissing, kWarning,
     "the image has no src: its map is checked without a picture",
     "画像に src がありません。マップは画像なしで確認します"},
    {T::kEmptySrc, R::kPictureMissing, kWarning,
     "the image's src is empty: its map is checked without a picture",
     "画像の src が空です。マップは画像なしで確認します"},
    {T::kIsmapUsemap, R::kIsmapUsemap, kWarning,
     "the image has both ismap and usemap: a browser uses the map and ignores ismap",
     "画像に ismap と usemap の両方があります。ブラウザはマップを使い、ismap を無視します"},
    {T::kMapIdNoName, R::kMapName, kWarning,
     "the map has an id but no name: HTML requires name, and not every browser finds a map by "
     "its id",
     "マップに id はありますが name がありません。HTML では name が必要で、id "
     "でマップを探さないブラウザもあります"},
    {T::kMapNoName, R::kMapName, kWarning, "the map has no name: no image can use it",
     "マップに name がありません。どの画像も使えません"},
    {T::kMapNameEmpty, R::kMapName, kWarning, "the map's name is empty: no image can use it",
     "マップの name が空です。どの画像も使えません"},
    {T::kMapIdDiffers, R::kMapName, kWarning,
     "the map's id \"{1}\" differs from its name \"{2}\": HTML requires them to be the same",
     "マップの id \"{1}\" が name \"{2}\" と異なります。HTML では同じでなければなりません"},
    {T::kDuplicateId, R::kDuplicateId, kError,
     "the id \"{1}\" is also that of the {2} at line {3}: links and aria-labelledby find only "
     "that one",
     "id \"{1}\" は {3} 行目の {2} と同じです。リンクと aria-labelledby "
     "はそちらだけを見つけます"},
    {T::kInvalidRect, R::kInvalidArea, kError,
     "a browser ignores this area: a rectangle needs 4 coordinates",
     "ブラウザが無視する領域です: 四角形には座標が 4 つ必要です"},
    {T::kInvalidCircle, R::kInvalidArea, kError,
     "a browser ignores this area: a circle needs 3 coordinates",
     "ブラウザが無視する領域です: 円には座標が 3 つ必要です"},
    {T::kInvalidRadius, R::kInvalidArea, kError,
     "a browser ignores this area: a circle's radius must be above 0",
     "ブラウザが無視する領域です: 円の半径は 0 より大きくなければなりません"},
    {T::kInvalidPoly, R::kInvalidArea, kError,
     "a browser ignores this area: a polygon needs 3 corners (6 coordinates)",
     "ブラウザが無視する領域です: 多角形には角が 3 つ (座標が 6 つ) 必要です"},
    {T::kScriptHref, R::kScriptHref, kWarning,
     "a javascript: link is lost to keyboard and no-script users",
     "javascript: のリンクはキーボードやスクリプトを使わない利用者に届きません"},
    {T::kDuplicateAlt, R::kDuplicateAlt, kWarning,
     "the alternative text \"{1}\" is also that of the area at line {2}, which links elsewhere",
     "代替テキスト \"{1}\" は {2} 行目の、別の場所へのリンクと同じです"},
    {T::kWhollyOutside, R::kOutsidePicture, kError, "the area lies wholly outside the {1} picture",
     "領域が {1} の画像のまったく外にあります"},
    {T::kEmptyArea, R::kEmptyArea, kError, "the area holds no pixel of the picture",
     "領域が画像の画素を含みません"},
    {T::kPartOutside, R::kOutsidePicture, kWarning, "part of the area lies outside the {1} picture",
     "領域の一部が {1} の画像からはみ出しています"},
    {T::kUnreachableByOne, R::kUnreachable, kError,
     "a browser never picks this area: the area at line {1} covers all of it",
     "ブラウザはこの領域を選びません: {1} 行目の領域がすべて覆っています"},
    {T::kUnreachableByMany, R::kUnreachable, kError,
     "a browser never picks this area: the areas at lines {1} cover all of it",
     "ブラウザはこの領域を選びません: {1} 行目の領域がすべて覆っています"},
    {T::kOverlap, R::kOverlap, kWarning,
     "the area shares pixels with the area at line {1}, which a browser picks there",
     "{1} 行目の領域と重なっています。重なりではブラウザはそちらを選びます"},
    {T::kPictureNotHad, R::kPictureMissing, kWarning,
     "the picture \"{1}\" {2}: the rules that need its size are left out",
     "画像 \"{1}\" を使えません ({2})。その大きさが要る規則は省きます"},
    {T::kImgAlt, R::kImgAlt, kError, "the image uses a map but has no alternative text (alt)",
     "マップを使う画像に代替テキスト (alt) がありません"},
    {T::kMissingMap, R::kMissingMap, kError, "usemap \"{1}\" names no map of the page",
     "usemap \"{1}\" の名前のマップがページにありません"},
    {T::kScaledImage, R::kScaledImage, kWarning,
     "the image is shown at {1} but the picture is {2}: the areas miss their targets unless they "
     "are scaled",
     "画像は {1} で表示されますが、画像は {2} です。座標を合わせないと領域がずれます"},
    {T::kDuplicateMap, R::kDuplicateMap, kWarning,
     "a map named \"{1}\" comes before it at line {2}; images use that one",
     "名前 \"{1}\" のマップが {2} 行目に先にあります。画像はそちらを使います"},
    {T::kSharedMap, R::kSharedMap, kWarning,
     "the map \"{1}\" is used by {2} images (lines {3}): keyboard order breaks",
     "マップ \"{1}\" を {2} 個の画像 ({3} 行目) が使っています。キーボードでの順序が崩れます"},
};

static_assert(RowsInOrder(kTexts, &CheckTextInfo::text, T::kSharedMap),
              "one row a message, in the order of CheckText");

}  // namespace

const CheckTextInfo& TextInfo(CheckText text) {
    return kTexts[static_cast<size_t>(text)];
}

std::string FillText(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    for (size_t i = 0; i < pattern.size();) {
        const size_t open = std::min(pattern.find('{', i), pattern.size());
        out.append(pattern.substr(i, open - i));
        i = open;
        if (i == pattern.size()) break;
        const bool slot = i + 2 < pattern.size() && pattern[i + 1] >= '1' &&
                          pattern[i + 1] <= '9' && pattern[i + 2] == '}';
        const size_t n = slot ? size_t(pattern[i + 1] - '1') : args.size();
        if (n < args.size()) {
            out += args[n];
            i += 3;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}
