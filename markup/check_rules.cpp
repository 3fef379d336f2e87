// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/check_rules.h"

namespace {

using S = CheckSeverity;
using R = CheckRule;

constexpr CheckRuleInfo kRules[] = {
    {R::kAreaAlt, "area-alt", S::kError, "A link area has no alternative text",
     "リンクの代替テキスト (alt) がありません", "代替テキストなし",
     "A screen reader announces an area with href by its alt. Give each link area a short alt "
     "that says where it leads. An area with aria-label, aria-labelledby or title is still "
     "announced by that name, but HTML requires alt and browsers without ARIA show nothing."},
    {R::kImgAlt, "img-alt", S::kError, "An image with a map has no alternative text",
     "画像に代替テキスト (alt) がありません", nullptr,
     "HTML requires alt on img. Give the image of a map alt=\"\" when its areas carry the "
     "names, or a short description of the picture."},
    {R::kInvalidArea, "invalid-area", S::kError, "A browser ignores the area",
     "ブラウザが無視する領域です", "ブラウザが無視",
     "A rectangle needs 4 coordinates, a circle 3 with a radius above 0, a polygon at least 6. "
     "A browser never picks an area with fewer; fix its coords."},
    {R::kEmptyArea, "empty-area", S::kError, "The area holds no pixel of the picture",
     "領域が画像の画素を含みません", nullptr,
     "A zero-size rectangle or a polygon of no area can never be clicked. Redraw the area or "
     "remove it."},
    {R::kOutsidePicture, "outside-picture", S::kWarning, "The area lies outside the picture",
     "領域が画像からはみ出しています", nullptr,
     "Coordinates outside the picture's size cannot be clicked there. Move the area onto the "
     "picture; one wholly outside is an error."},
    {R::kUnreachable, "unreachable", S::kError, "A browser never picks the area",
     "前の領域に覆われて選べない領域です", nullptr,
     "A browser picks the first area that holds the pointer. Earlier areas cover all of this "
     "one; move it before them or change the shapes."},
    {R::kOverlap, "overlap", S::kWarning, "The area overlaps an earlier one",
     "領域が前の領域と重なっています", nullptr,
     "Where areas overlap, a browser picks the earlier one. Make sure the shared pixels belong "
     "to the area that should have them."},
    {R::kDuplicateAlt, "duplicate-alt", S::kWarning,
     "Two links to different places share an alternative text", "別のリンクと同じ代替テキストです",
     nullptr,
     "Links to different places with the same name confuse anyone who hears or lists them. "
     "Say where each one leads."},
    {R::kNoHref, "no-href", S::kWarning, "The area is no link", "リンク (href) のない領域です",
     nullptr,
     "An area without href does nothing when clicked and is skipped by the keyboard. Give it a "
     "link or remove the area. nohref is obsolete in HTML: an area without href is no link "
     "already."},
    {R::kScriptHref, "script-href", S::kWarning, "A javascript: link", "javascript: のリンクです",
     nullptr,
     "A javascript: link does nothing without scripts and is hard to reach from the keyboard. "
     "Link to a real page."},
    {R::kMissingMap, "missing-map", S::kError, "usemap names no map of the page",
     "usemap の名前のマップがありません", nullptr,
     "usemap=\"#name\" must name a map of the same page by its name. Without it the picture "
     "has no links."},
    {R::kDuplicateMap, "duplicate-map", S::kWarning, "An earlier map has the same name",
     "同じ名前のマップが前にあります", nullptr,
     "Images use the first map of a name; later ones are never used. Rename or remove them."},
    {R::kSharedMap, "shared-map", S::kWarning, "Several images use one map",
     "マップを複数の画像が使っています", nullptr,
     "Browsers put a shared map's links in the keyboard order once, after one of the images. "
     "Give each image its own map."},
    {R::kScaledImage, "scaled-image", S::kWarning, "The image is shown at another size",
     "画像の表示サイズが画像と異なります", nullptr,
     "Coordinates are picture pixels. When width or height shows the picture at another size, "
     "the areas miss their targets; scale the coordinates or export a map that scales."},
    {R::kPictureMissing, "picture-missing", S::kWarning, "The picture cannot be found or read",
     "画像が見つからないか読めません", nullptr,
     "The rules that need the picture's size (coverage, outside-picture, scaled-image) are "
     "left out for this image. Give the site's folder with --root for src=\"/...\", or fix src."},
    {R::kMapName, "map-name", S::kWarning, "The map's name is missing or differs from its id",
     "マップに name がないか、id と name が異なります", nullptr,
     "HTML requires name on map, and an id equal to it. Browsers differ in whether usemap finds "
     "a map by id, so name the map and keep id the same."},
    {R::kAreaShape, "area-shape", S::kWarning, "The shape keyword is not HTML",
     "shape の値が HTML のものではありません", nullptr,
     "HTML knows rect, circle, poly and default. Browsers also read circ, polygon and "
     "rectangle, and read anything else as rect; write the HTML keyword."},
    {R::kDuplicateId, "duplicate-id", S::kError, "Another map or area has the same id",
     "同じ id の要素がほかにあります", nullptr,
     "An id must be unique in the page: links to it, aria-labelledby and scripts find only "
     "the first element."},
    {R::kDuplicateAttribute, "duplicate-attribute", S::kWarning,
     "An attribute is given twice on the area", "同じ属性が二度書かれています", nullptr,
     "A browser uses the first of two attributes with the same name and drops the rest. Keep "
     "one."},
    {R::kAreaLinkAttributes, "area-link-attributes", S::kWarning,
     "Link attributes on an area without href", "href のない領域にリンクの属性があります", nullptr,
     "alt, target, rel and download mean something only on a link. Give the area an href or "
     "remove them."},
    {R::kIsmapUsemap, "ismap-usemap", S::kWarning, "The image has both ismap and usemap",
     "画像に ismap と usemap の両方があります", nullptr,
     "A browser uses the client-side map and ignores ismap. Remove ismap, or the map if the "
     "server-side map is meant."},
    {R::kTargetSize, "target-size", S::kWarning, "The area is smaller than 24 by 24 CSS pixels",
     "領域が 24×24 CSS ピクセルより小さいです", nullptr,
     "WCAG 2.2 success criterion 2.5.8 (Target Size, Minimum) asks for targets of at least "
     "24 by 24 CSS pixels at the size the page shows the picture, so that people who do not "
     "point precisely can hit them. Enlarge the area."},
};

static_assert(RowsInOrder(kRules, &CheckRuleInfo::rule, R::kTargetSize),
              "one row a rule, in the order of CheckRule");

}  // namespace

std::span<const CheckRuleInfo> AllCheckRules() {
    return kRules;
}

const CheckRuleInfo& RuleInfo(CheckRule rule) {
    return kRules[static_cast<size_t>(rule)];
}

const CheckRuleInfo* FindCheckRule(std::string_view id) {
    for (const CheckRuleInfo& info : kRules)
        if (id == info.id) return &info;
    return nullptr;
}

const char* RuleLabel(CheckRule rule) {
    const CheckRuleInfo& info = RuleInfo(rule);
    return info.label ? info.label : info.japanese;
}

const char* SeverityName(CheckSeverity severity) {
    return severity == CheckSeverity::kError ? "error" : "warning";
}

bool ParseRuleList(std::string_view list, std::vector<CheckRule>* rules, std::string* unknown) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view id = list.substr(0, comma);
        const CheckRuleInfo* info = FindCheckRule(id);
        if (!info) {
            *unknown = std::string(id);
            return false;
        }
        rules->push_back(info->rule);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return true;
}
