#pragma once
// A profile store held in memory, for tests and tools.

#include <map>
#include <string>
#include <utility>

#include "doc/settings.h"

class MemoryProfileStore : public ProfileStore {
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int def) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& def) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;

private:
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
