// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coords attribute as a browser reads it: a list of numbers between
// commas, semicolons and whitespace, where each item is read as far as it
// looks like a number and an item that is no number at all counts as 0.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CoordToken {
    double value = 0;
    // The bytes of the value the number was read from, relative to the
    // value's start; empty (begin == end) where an item held no number.
    size_t begin = 0;
    size_t end = 0;
};

std::vector<CoordToken> ParseCoordTokens(std::string_view value);
std::vector<double> ParseCoordList(std::string_view value);

// A coordinate written back: whole numbers without a decimal point, others
// in the shortest form that reads back as the same number.
std::string FormatCoord(double value);
