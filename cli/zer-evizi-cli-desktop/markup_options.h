// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the markup commands share: the settings given on the command line in
// place of the stored ones, and parsing of client points.

#include <optional>
#include <string>

#include "markup/area_markup.h"

namespace cli {

// The stored tag and BaseDir settings, each replaced by its flag when given.
// The flags never change what is stored.
MarkupSettings MarkupSettingsFrom(const std::optional<std::string>& baseDir,
                                  std::optional<bool> upperCase);

// "X,Y" with two decimal 32-bit integers, each with an optional minus sign.
std::optional<ClientPoint> ParsePoint(const std::string& text);

}  // namespace cli
