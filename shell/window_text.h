// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's words for what the core reports: a status in the Japanese of
// the one table, and the image library's own messages, which arrive as
// written.

#include <QString>
#include <string_view>

#include "io/status.h"

QString WindowText(const ze::Status& status);

// The Japanese for a message of the image library; a text not known here
// is shown after a Japanese lead-in, and Japanese text as it is; no text,
// none.
QString WindowTextOf(std::string_view libraryText);
