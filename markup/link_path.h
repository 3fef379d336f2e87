// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning a full file path into link text relative to the base folder.

#include <string>

// The relative link from `base` (a folder followed by one backslash) to the
// Windows-style full `path`, or a file URL ("file:///D|/...") when the two do
// not start with the same two bytes. Byte-wise and case-sensitive.
std::string MakeLinkPath(const std::string& base, const std::string& path);

enum class PathStyle { kWindows, kPosix, kNative };

// The link text for `path` by the rule every caller follows: with an empty
// base folder, the file name alone; otherwise MakeLinkPath over the base
// folder with one separator appended (none when it already ends with one).
std::string LinkTextForPath(const std::string& baseDir, const std::string& path,
                            PathStyle style = PathStyle::kNative);

// The part of `path` after its last separator of the given style.
std::string FileNameOfPath(const std::string& path, PathStyle style = PathStyle::kNative);
