#include "support/memory_store.h"

int MemoryProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                      int def) {
    auto it = m_ints.find({section, entry});
    return it == m_ints.end() ? def : it->second;
}

std::string MemoryProfileStore::GetProfileString(const std::string& section,
                                                 const std::string& entry, const std::string& def) {
    auto it = m_strings.find({section, entry});
    return it == m_strings.end() ? def : it->second;
}

bool MemoryProfileStore::WriteProfileInt(const std::string& section, const std::string& entry,
                                         int value) {
    m_ints[{section, entry}] = value;
    return true;
}

bool MemoryProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                            const std::string& value) {
    m_strings[{section, entry}] = value;
    return true;
}
