#pragma once
// The copy of unsaved markup that the editor keeps for after a crash: the
// pane's text with the picture it belongs to and the file it was opened
// from. One record a file; every field is length-prefixed, so paths and
// text may hold any bytes.

#include <string>
#include <string_view>

struct RecoveryRecord {
    std::string picture;     // the picture's full path; empty when none was open
    std::string markupFile;  // the page or markup file the text came from; may be empty
    bool fromPage = false;   // markupFile is a page the text goes back into
    int image = 0;           // which image with a map of that page (0-based)
    std::string text;        // the pane's text
};

std::string FormatRecoveryRecord(const RecoveryRecord& record);
// False (and *record unchanged) for anything that is not a whole record.
bool ParseRecoveryRecord(std::string_view bytes, RecoveryRecord* record);
