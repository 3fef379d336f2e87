#pragma once
// The picture types the file dialogs offer, in the order they are listed.

#include <array>
#include <string>

#include "shell/prompts.h"

struct PictureType {
    int code;  // the image library's type code
    bool canOpen;
    bool canSave;
    const char* description;
    const char* extension;  // without a dot
};

extern const std::array<PictureType, 4> g_pictureTypes;

// 0-based position of `code` among the rows enabled for opening (open) or
// saving (!open); -1 when it is not there.
int PictureTypePosition(int code, bool open);
// Type code of the n-th (0-based) enabled row; -1 when there is none.
int PictureTypeAt(int n, bool open);
// Extension of a type code over all rows; empty when no row has it.
std::string PictureTypeExtension(int code);
// Save flag of a type code over all rows; false when no row has it.
bool PictureTypeCanSave(int code);
// One filter per enabled row: the description and "*" + extension. The open
// dialog's list starts with one filter of every picture extension.
QList<FileFilter> PictureFilters(bool open);
