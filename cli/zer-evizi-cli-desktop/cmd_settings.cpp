// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli settings [--base TEXT] [--tag N]: writes the given values,
// then prints the base folder, the tag switch and where they are stored.

#include <optional>
#include <string>

#include "cli_settings.h"
#include "command.h"
#include "desktop_commands.h"
#include "document/settings.h"

namespace {

int RunSettings(const cli::Args& args) {
    std::optional<std::string> base;
    std::optional<int> tag;
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return cli::UsageOf("settings");
        if (args[i] == "--base" && !base) {
            base = args[i + 1];
        } else if (args[i] == "--tag" && !tag) {
            tag = cli::ParseInt(args[i + 1]);
            if (!tag) return cli::UsageOf("settings");
        } else {
            return cli::UsageOf("settings");
        }
    }

    cli::InstallSettingsStore();
    // A write that did not take is not reported as done. The store's own
    // answer says so; reading the value back would race with other writers.
    if (base && !SetBaseDirSetting(*base))
        return cli::Fail("cannot store BaseDir in " + cli::SettingsLocation());
    if (tag && !SetTagSetting(*tag))
        return cli::Fail("cannot store tag in " + cli::SettingsLocation());
    cli::WriteOut("BaseDir=" + GetBaseDirSetting() + "\ntag=" + std::to_string(GetTagSetting()) +
                  "\nfile=" + cli::SettingsLocation() + "\n");
    return cli::kOk;
}

const cli::Registration kSettings({"settings", cli::DesktopCommandUsage("settings"), RunSettings});

}  // namespace
