// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The copy of unsaved markup that the editor keeps for after a crash: the
// pane's text with the picture it belongs to and the file it was opened
// from. One record a file; every field is length-prefixed, so paths and
// text may hold any bytes.

#include <cstddef>
#include <string>
#include <string_view>

#include "io/status.h"
#include "markup/html_page.h"

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

// A copy is no larger than the pages its markup comes from.
inline constexpr size_t kRecoveryMaxBytes = PageLimits{}.maxBytes;

// Reads a copy from its file: only a regular file that is not a link, is the
// user's own and holds at most kRecoveryMaxBytes, opened without blocking.
// False, with the reason in *why, for anything else (kOverBound with the
// bound as its limit) and for a copy that does not read as a whole record
// (kDamaged); the file is left as it is.
bool ReadRecoveryFile(const std::string& path, RecoveryRecord* record, ze::Status* why);
// Replaces the copy at `path` safely. False, with the reason in *why, when
// it cannot be written, when it would not read back (kOverBound), and when
// something other than a regular file of the user's stands at `path` (what
// stands there: a link is never written through).
bool WriteRecoveryFile(const std::string& path, const RecoveryRecord& record, ze::Status* why);
