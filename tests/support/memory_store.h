// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A profile store held in memory, for tests and tools.

#include <map>
#include <string>
#include <utility>

#include "document/settings.h"

class MemoryProfileStore : public ProfileStore {
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int def) override {
        return Get(m_ints, section, entry, def);
    }
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& def) override {
        return Get(m_strings, section, entry, def);
    }
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override {
        return m_ints[{section, entry}] = value, true;
    }
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override {
        return m_strings[{section, entry}] = value, true;
    }

private:
    template <class Map, class T>
    static T Get(const Map& map, const std::string& section, const std::string& entry, T def) {
        const auto it = map.find({section, entry});
        return it == map.end() ? def : it->second;
    }
    std::map<std::pair<std::string, std::string>, int> m_ints;
    std::map<std::pair<std::string, std::string>, std::string> m_strings;
};

// Installs a store for the lifetime of this object and restores the previous one.
class ScopedProfileStore {
public:
    explicit ScopedProfileStore(ProfileStore* store) : m_old(SetProfileStore(store)) {}
    ~ScopedProfileStore() { SetProfileStore(m_old); }
    ScopedProfileStore(const ScopedProfileStore&) = delete;
    ScopedProfileStore& operator=(const ScopedProfileStore&) = delete;

private:
    ProfileStore* m_old;
};
