// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli_settings.h"

#include "document/settings.h"
#include "store/qt_profile_store.h"

namespace cli {
namespace {
QtProfileStore& Store() {
    static QtProfileStore store;
    return store;
}
}  // namespace

void InstallSettingsStore() {
    SetProfileStore(&Store());
}

std::string SettingsLocation() {
    return Store().Location();
}

}  // namespace cli
