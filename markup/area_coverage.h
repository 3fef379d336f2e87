// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which of one map's areas a browser picks at each pixel centre of the
// picture, summed up per area: what it holds, where it is picked, and the
// areas picked instead of it. Row by row, the areas claim their spans in the
// order a browser tries them (default areas last); the work grows with the
// rows each area reaches and its corners, whatever the areas' sizes.

#include <cstdint>
#include <vector>

#include "markup/area_model.h"

struct Coverage {
    std::vector<int64_t> inside;  // pixel centres each area holds
    std::vector<int64_t> picked;  // where a browser picks it
    // For each area, the areas picked on some of its pixels: at most
    // kMaxHiders of them, so that a map of areas stacked on each other
    // stays linear.
    std::vector<std::vector<int>> hiddenBy;
};

inline constexpr size_t kMaxHiders = 16;

Coverage Cover(const std::vector<const AreaTag*>& areas, int width, int height);
