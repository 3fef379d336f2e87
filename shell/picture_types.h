// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture types the file dialogs offer (the rows of PictureTypes), in
// the order they are listed.

#include <string>

#include "shell/prompts.h"

// 0-based position of `code` among the rows enabled for opening (open) or
// saving (!open); -1 when it is not there.
int PictureTypePosition(int code, bool open);
// Type code of the n-th (0-based) enabled row; -1 when there is none.
int PictureTypeAt(int n, bool open);
// Extension of a type code; empty for a code without a format.
std::string PictureTypeExtension(int code);
// One filter per enabled row: the label and "*" + extension. The open
// dialog's list starts with one filter of every picture extension.
QList<FileFilter> PictureFilters(bool open);
// The Save As dialog's filters: every extension a picture is known by, then
// every file.
QList<FileFilter> SaveAsFilters();
