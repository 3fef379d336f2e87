// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/image_map_tag.h"

#include "markup/area_attributes.h"
#include "markup/html_tags.h"

namespace {

std::string Decoded(std::string_view text, const StartTag& tag, std::string_view name) {
    return DecodeAttributeValue(tag.Value(text, name));
}

// The name a usemap value points at: what follows its '#'.
std::string UsemapName(std::string_view text, const StartTag& image) {
    const std::string value = Decoded(text, image, "usemap");
    const size_t hash = value.find('#');
    return hash == std::string::npos ? std::string() : value.substr(hash + 1);
}

bool ReadAt(std::string_view text, TextRange range, StartTag& tag) {
    return range.present() && ReadStartTagAt(text, range.begin, tag) && tag.range.end == range.end;
}

// Sets (or, for an empty value with `removeEmpty`, removes) one attribute
// of the tag at `range` in `text`; the tag's end moves with the edit.
void SetField(std::string& text, TextRange& range, std::string_view name, const std::string& value,
              bool removeEmpty) {
    StartTag tag;
    if (!ReadAt(text, range, tag)) return;
    TextEdit edit;
    if (removeEmpty && value.empty()) {
        edit = RemoveAttributeEdit(text, tag, name);
    } else {
        AreaTag at;
        at.tag = range;
        edit = SetAttributeEdit(text, at, name, value);
    }
    text = ApplyEdit(text, edit);
    range.end = range.end - edit.removed + edit.inserted.size();
}

}  // namespace

ImageMapTags FindImageMapTags(std::string_view text) {
    ImageMapTags found;
    StartTag tag;
    std::string wanted;
    TextRange firstMap;
    CHtmlTagScanner scanner(text);
    while (scanner.Next(tag)) {
        if (tag.name == "img" && !found.image.present()) {
            if (tag.Find("usemap")) {
                found.image = tag.range;
                wanted = UsemapName(text, tag);
            }
        } else if (tag.name == "map") {
            if (!firstMap.present()) firstMap = tag.range;
            if (!wanted.empty() && Decoded(text, tag, "name") == wanted) {
                found.map = tag.range;
                break;
            }
        }
    }
    if (!found.map.present()) found.map = firstMap;
    if (!found.image.present()) {
        CHtmlTagScanner again(text);
        while (again.Next(tag))
            if (tag.name == "img") {
                found.image = tag.range;
                break;
            }
    }
    return found;
}

ImageMapFields ReadImageMapFields(std::string_view text, const ImageMapTags& tags) {
    ImageMapFields fields;
    StartTag tag;
    if (ReadAt(text, tags.image, tag)) {
        fields.alt = Decoded(text, tag, "alt");
        fields.width = Decoded(text, tag, "width");
        fields.height = Decoded(text, tag, "height");
        fields.mapName = UsemapName(text, tag);
    }
    if (ReadAt(text, tags.map, tag)) fields.mapName = Decoded(text, tag, "name");
    return fields;
}

bool IsValidMapName(std::string_view name) {
    return !name.empty() && name.find_first_of(" \t\r\n\f") == std::string_view::npos;
}

TextEdit SetImageMapEdit(std::string_view text, const ImageMapFields& before,
                         const ImageMapFields& after) {
    ImageMapTags tags = FindImageMapTags(text);
    // The later tag is edited first, so that the earlier one's range holds.
    const bool mapFirst =
        tags.map.present() && tags.image.present() && tags.map.begin > tags.image.begin;
    std::string edited(text);
    const auto editMap = [&] {
        if (after.mapName == before.mapName) return;
        StartTag map;
        const bool idIsName = ReadAt(edited, tags.map, map) && map.Find("id") &&
                              Decoded(edited, map, "id") == before.mapName;
        SetField(edited, tags.map, "name", after.mapName, false);
        if (idIsName) SetField(edited, tags.map, "id", after.mapName, false);
    };
    const auto editImage = [&] {
        if (after.alt != before.alt) SetField(edited, tags.image, "alt", after.alt, false);
        if (after.width != before.width) SetField(edited, tags.image, "width", after.width, true);
        if (after.height != before.height)
            SetField(edited, tags.image, "height", after.height, true);
        StartTag image;
        if (after.mapName != before.mapName && ReadAt(edited, tags.image, image) &&
            image.Find("usemap"))
            SetField(edited, tags.image, "usemap", "#" + after.mapName, false);
    };
    if (mapFirst) {
        editMap();
        editImage();
    } else {
        editImage();
        editMap();
    }
    if (edited == text) return {};
    return DiffEdit(text, edited);
}
