// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store the commands use: the user's QSettings store, installed
// once per run. XDG_CONFIG_HOME (or HOME) chooses its folder on Linux.

#include <string>

namespace cli {

// Installs the store for the settings accessors (idempotent).
void InstallSettingsStore();
// Where the installed store keeps its values (a file path, or the registry
// key on Windows).
std::string SettingsLocation();

}  // namespace cli
