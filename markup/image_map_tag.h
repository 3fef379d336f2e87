// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture's <img> tag and the <map> it uses, as one set of fields that
// can be read from the markup and written back as one edit: the map's name
// (the img's usemap follows it, and the map's id where it equals the name),
// the picture's alternative text, width and height. Pure text logic over
// UTF-8 bytes; every byte that no changed field is about stays.

#include <string>
#include <string_view>

#include "markup/area_model.h"

struct ImageMapTags {
    TextRange image;  // the first <img> with a usemap, else the first <img>
    TextRange map;    // the <map> its usemap names, else the first <map>
};
ImageMapTags FindImageMapTags(std::string_view text);

struct ImageMapFields {
    std::string mapName;  // values with character references decoded
    std::string alt;
    std::string width;  // empty: the attribute is missing
    std::string height;
    bool operator==(const ImageMapFields&) const = default;
};
ImageMapFields ReadImageMapFields(std::string_view text, const ImageMapTags& tags);

// A map name HTML accepts: not empty, without blanks.
bool IsValidMapName(std::string_view name);

// One edit of the tags FindImageMapTags finds that writes the fields of
// `after` that differ from `before`: alt even when empty, width or height
// removed when emptied, the map's name with the usemap ("#name") and an id
// that equalled the old name. A field of a tag that is missing is left out.
// No edit (removed 0, nothing inserted) when nothing changed.
TextEdit SetImageMapEdit(std::string_view text, const ImageMapFields& before,
                         const ImageMapFields& after);
