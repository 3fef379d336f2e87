// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/settings.h"

#include <algorithm>
#include <climits>

#include "image/region_trace.h"

namespace {
ProfileStore* g_store = nullptr;
constexpr const char* kGeneral = "General";
}  // namespace

ProfileStore* SetProfileStore(ProfileStore* store) {
    ProfileStore* old = g_store;
    g_store = store;
    return old;
}

std::string GetBaseDirSetting() {
    return g_store ? g_store->GetProfileString(kGeneral, "BaseDir", "") : std::string();
}

bool SetBaseDirSetting(const std::string& text) {
    return g_store && g_store->WriteProfileString(kGeneral, "BaseDir", text);
}

int GetTagSetting() {
    return g_store ? g_store->GetProfileInt(kGeneral, "tag", 0) : 0;
}

bool SetTagSetting(int value) {
    return g_store && g_store->WriteProfileInt(kGeneral, "tag", value);
}

MarkupSettings ReadMarkupSettings() {
    return MarkupSettings{GetTagSetting() != 0, GetBaseDirSetting()};
}

int GetTraceToleranceSetting() {
    if (!g_store) return kDefaultTraceTolerance;
    int value = g_store->GetProfileInt(kGeneral, "TraceTolerance", INT_MIN);
    if (value == INT_MIN) {
        // Not a 32-bit number: a whole number too long for one still lies
        // beyond an end of the range; anything else is no tolerance at all.
        std::string text = g_store->GetProfileString(kGeneral, "TraceTolerance", "");
        const size_t first = text.find_first_not_of(" \t");
        text.erase(0, first == std::string::npos ? text.size() : first);
        text.erase(text.find_last_not_of(" \t") + 1);
        const bool negative = !text.empty() && text[0] == '-';
        const size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
        const bool whole = text.size() > digits &&
                           text.find_first_not_of("0123456789", digits) == std::string::npos;
        if (!whole) return kDefaultTraceTolerance;
        value = negative ? INT_MIN : INT_MAX;
    }
    return std::clamp(value, 0, kMaxTraceTolerance);
}

bool SetTraceToleranceSetting(int value) {
    return g_store && g_store->WriteProfileInt(kGeneral, "TraceTolerance", value);
}

bool GetGridSetting() {
    return g_store && g_store->GetProfileInt(kGeneral, "Grid", 0) != 0;
}

bool SetGridSetting(bool on) {
    return g_store && g_store->WriteProfileInt(kGeneral, "Grid", on ? 1 : 0);
}

int GetGridSpacingSetting() {
    constexpr int kDefaultSpacing = 8;
    const int value = g_store ? g_store->GetProfileInt(kGeneral, "GridSpacing", kDefaultSpacing)
                              : kDefaultSpacing;
    return value >= 2 && value <= 256 ? value : kDefaultSpacing;
}

bool SetGridSpacingSetting(int spacing) {
    return g_store && g_store->WriteProfileInt(kGeneral, "GridSpacing", spacing);
}

namespace {
const char* SwitchName(ViewSwitch which) {
    switch (which) {
        case ViewSwitch::kAreaLabels:
            return "AreaLabels";
        case ViewSwitch::kAreaFill:
            return "AreaFill";
        case ViewSwitch::kCheckerboard:
            break;
    }
    return "Checkerboard";
}
}  // namespace

bool GetViewSwitch(ViewSwitch which) {
    const int byDefault = which == ViewSwitch::kCheckerboard ? 0 : 1;
    if (!g_store) return byDefault != 0;
    return g_store->GetProfileInt(kGeneral, SwitchName(which), byDefault) != 0;
}

bool SetViewSwitch(ViewSwitch which, bool on) {
    return g_store && g_store->WriteProfileInt(kGeneral, SwitchName(which), on ? 1 : 0);
}

bool GetFullColourSetting() {
    return g_store && g_store->GetProfileInt(kGeneral, "FullColour", 0) != 0;
}

bool SetFullColourSetting(bool on) {
    return g_store && g_store->WriteProfileInt(kGeneral, "FullColour", on ? 1 : 0);
}

bool GetMoreAttributesSetting() {
    return g_store && g_store->GetProfileInt(kGeneral, "MoreAttributes", 0) != 0;
}

bool SetMoreAttributesSetting(bool shown) {
    return g_store && g_store->WriteProfileInt(kGeneral, "MoreAttributes", shown ? 1 : 0);
}

std::string GetSiteRootSetting() {
    if (!g_store) return {};
    return g_store->GetProfileString(kGeneral, "SiteRoot", "");
}

bool SetSiteRootSetting(const std::string& folder) {
    return g_store && g_store->WriteProfileString(kGeneral, "SiteRoot", folder);
}

std::string GetZoomSetting() {
    if (!g_store) return "100%";
    return g_store->GetProfileString(kGeneral, "Zoom", "100%");
}

bool SetZoomSetting(const std::string& text) {
    return g_store && g_store->WriteProfileString(kGeneral, "Zoom", text);
}
