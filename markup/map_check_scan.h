// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map checker's one reading of a page's tags: the images with a
// usemap, the maps, every area and the ids that map and area tags repeat.
// Template contents are left out of all but the areas, which are read as
// ParseAreas reads them.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "markup/area_model.h"
#include "markup/html_tags.h"

struct ScannedImage {
    size_t offset = 0;
    std::string source;  // src, decoded
    std::string usemap;  // decoded
    bool hasAlt = false;
    const TagAttribute* width = nullptr;  // in `tag`
    const TagAttribute* height = nullptr;
    StartTag tag;
};

struct ScannedMap {
    size_t begin = 0;
    size_t end = 0;  // just past its end tag, or the end of the text
    std::string name;
    std::string id;
    bool hasName = false;
    bool hasId = false;
    std::vector<size_t> images;  // indices of the images that use it (filled by the checker)
};

// A map or area tag whose id a tag before it has.
struct RepeatedId {
    size_t offset = 0;  // its '<'
    size_t first = 0;   // the '<' of the first tag with the id
    const std::string* id = nullptr;
    bool firstIsMap = false;  // the first is a map tag, else an area tag
};

struct PageScan {
    std::vector<ScannedImage> images;
    std::vector<ScannedMap> maps;
    // Each map name or id: the first map that has it.
    std::unordered_map<std::string, size_t> firstNamed;
    std::vector<AreaTag> areas;
    std::vector<RepeatedId> repeatedIds;  // in the order of the text
    // Every id of a map or area tag: where it is first given, and whether
    // by a map; RepeatedId::id points at a key here.
    std::unordered_map<std::string, std::pair<size_t, bool>> ids;
};

// With `whole` false, only the images and maps.
PageScan ScanPage(std::string_view text, bool whole);

// The map a usemap names: the text after its first '#'; false when there is
// none or nothing after it.
bool MapNameOf(const std::string& usemap, std::string* name);
// The first map whose name or id is `name`; -1 when there is none.
int FindMap(const PageScan& scan, const std::string& name);
