// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document's picture types: the extension of a path selects the image
// library's type code. Opening, saving and the command-line tool share it.

#include <string>

// The extension of a path: the text after its last "." anywhere in the path
// (not only in the last component), lowered (ASCII letters only, so UTF-8
// text is never altered). Empty when the path holds no ".".
std::string PictureExtensionOfPath(const std::string& path);

// The type of a path by its extension, in any case, from the one table of
// formats (ImageTypeFromName): "jpg" and "jpeg" give 1 (JPEG), "gif" 2,
// "png" 4, "bmp" 0, "webp" 5, "avif" 6; -1 for any other extension and for
// a path without one.
int PictureTypeFromPath(const std::string& path);
