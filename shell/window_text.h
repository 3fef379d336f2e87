// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's words for what the core reports. The core's reasons speak
// English, for the command-line tool; the window shows each in Japanese:
// the status enumerations by value, and texts that arrive already written
// (the image library's messages, a page's or a recovery copy's reason) by
// their English words.

#include <QString>
#include <string_view>

#include "io/own_file.h"
#include "io/safe_write.h"
#include "markup/html_page.h"

QString WindowText(ze::WriteError error);
QString WindowText(ze::OwnFileStatus status);
QString WindowText(PageStatus status);
QString WindowText(MergeStatus status);

// The Japanese for a reason or message the core wrote in English; a text
// not known here is shown after a Japanese lead-in, and Japanese text as it
// is; no text, none.
QString WindowTextOf(std::string_view coreText);
