// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture types the file dialogs offer (PictureTypes rows with a filter
// label), in the order they are listed.

#include <string>

#include "shell/prompts.h"

// 0-based position of `code` among the rows enabled for opening (open) or
// saving (!open); -1 when it is not there.
int PictureTypePosition(int code, bool open);
// Type code of the n-th (0-based) enabled row; -1 when there is none.
int PictureTypeAt(int n, bool open);
// Extension of a type code over all listed rows; empty when none has it.
std::string PictureTypeExtension(int code);
// Save flag of a type code over all listed rows; false when none has it.
bool PictureTypeCanSave(int code);
// One filter per enabled row: the label and "*" + extension. The open
// dialog's list starts with one filter of every picture extension.
QList<FileFilter> PictureFilters(bool open);
// The Save As dialog's filters: every extension a picture is known by, then
// every file.
QList<FileFilter> SaveAsFilters();
// "gif, jpg, jpeg, png, bmp": every extension a picture is known by.
QString PictureExtensionList();
