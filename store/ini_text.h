// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of the settings file as QSettings writes it: checking that a file
// holds nothing else, and reading a text value as one string.

#include <QByteArray>
#include <QString>
#include <optional>

namespace ini {

// True when every line is one the store understands in full: blank, a
// comment (";..."), a section header "[NAME]", or "KEY=VALUE" whose quotes
// close on the line and that does not run on into the next line. The text
// must be UTF-8 without control characters other than tabs and line breaks.
bool IsClean(const QByteArray& text);

// The value text of `key` as it stands after the "=" ("Section/Entry", or
// "Entry" for the [General] section); the last one when the key occurs more
// than once. Empty when the file has no such key.
std::optional<QByteArray> RawValue(const QByteArray& text, const QString& key);

// A value as one string, read as QSettings reads a text value (escapes,
// quotes, blanks around it, a comment after ";"), except that a comma is an
// ordinary character with the blanks around it kept.
QString WholeValue(const QByteArray& raw);

}  // namespace ini
