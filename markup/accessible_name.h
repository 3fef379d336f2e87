// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The name assistive technology announces for a link area, in the order the
// accessible name is computed: the text of the elements aria-labelledby
// names, aria-label, alt, then title; the first that is not blank.

#include <string>
#include <string_view>
#include <unordered_map>

#include "markup/html_tags.h"

// Where each id of the text stands (the '<' of the first element with it).
using IdIndex = std::unordered_map<std::string, size_t>;
IdIndex IndexIds(std::string_view text);

// Empty when the area has no name.
std::string AreaAccessibleName(std::string_view text, const StartTag& area, const IdIndex& ids);
