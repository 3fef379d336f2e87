// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup_options.h"

#include <string_view>

#include "cli_settings.h"
#include "command.h"
#include "document/settings.h"

namespace cli {

MarkupSettings MarkupSettingsFrom(const std::optional<std::string>& baseDir,
                                  std::optional<bool> upperCase) {
    InstallSettingsStore();
    MarkupSettings settings = ReadMarkupSettings();
    if (baseDir) settings.baseDir = *baseDir;
    if (upperCase) settings.upperCase = *upperCase;
    return settings;
}

std::optional<ClientPoint> ParsePoint(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const std::string_view s = text;
    const std::optional<int> x = ParseInt(s.substr(0, comma));
    const std::optional<int> y = ParseInt(s.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return ClientPoint{*x, *y};
}

}  // namespace cli
