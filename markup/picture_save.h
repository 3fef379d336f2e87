#pragma once
// Writing the document's picture back: whether Ctrl+S can write straight
// over the document's file or must first ask for a name.

#include <string>

enum class SaveRoute {
    kNothing,    // no picture: nothing to write
    kWriteBack,  // write over the target at once
    kAskName,    // run the picture dialog first
};

struct SaveSituation {
    bool hasPicture = false;
    // The name to write back to; empty when the document's file is
    // read-only or its attributes cannot be read (it has gone).
    std::string target;
    // The type code of the document's file, and whether the picture dialog
    // lists it for saving (GIF is not listed).
    int fileType = -1;
    bool typeSavable = false;
    // The picture was read with loss (see CImageImpl::lossyLoad).
    bool lossyLoad = false;
};

// True when writing the picture over a file of `fileType` would lose what
// that file holds although nothing was edited: every JPEG (encoded afresh),
// and any file whose reading already dropped something.
bool WriteBackLoses(int fileType, bool lossyLoad);

// Ctrl+S asks for a name when there is no target, when the file's type is
// not savable, or when writing it back would lose what the file holds.
SaveRoute DecideSave(const SaveSituation& situation);
