// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image tag's src once the picture has been saved under another name.

#include <string>
#include <string_view>

// The src that names `savedPath` in place of `picturePath`. When the two
// files share a folder and `currentSrc` ends with the picture's file name,
// that name is replaced and the rest of the src kept (it found the folder
// before and still does); otherwise the link the skeleton would make for
// `savedPath` from `baseDir`.
std::string SavedPictureSource(std::string_view currentSrc, const std::string& picturePath,
                               const std::string& savedPath, const std::string& baseDir);
