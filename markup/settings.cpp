#include "markup/settings.h"

#include <algorithm>

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

ProfileStore* GetProfileStore() {
    return g_store;
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

int GetTraceToleranceSetting() {
    const int value =
        g_store ? g_store->GetProfileInt(kGeneral, "TraceTolerance", kDefaultTraceTolerance)
                : kDefaultTraceTolerance;
    return std::clamp(value, 0, kMaxTraceTolerance);
}

bool SetTraceToleranceSetting(int value) {
    return g_store && g_store->WriteProfileInt(kGeneral, "TraceTolerance", value);
}
