// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user profile store over QSettings. Every operation opens the store
// afresh and closes it again, so a value written from outside (another
// program, or the user editing the file) takes effect at the next use.
//
// Default location: QSettings("SEKKA", "Zer Evizi SEKKA"), that is the
// registry key HKEY_CURRENT_USER\Software\SEKKA\Zer Evizi SEKKA on Windows
// and the INI file "SEKKA/Zer Evizi SEKKA.conf" in the user's config folder
// elsewhere. Each section is a group of its own; the section "General" is
// kept as the INI file's own [General] section.
//
// An INI file with any line that is not understood in full (see
// ini::IsClean) is taken as holding nothing: every value reads as its
// default and every write is refused, so the file stays as the user left it.
// A text value with commas reads back exactly as the file has it.
//
// QSettings notices a change made from outside by the file's size and
// modification time, so a rewrite of the same size within one tick of the
// file-system clock after the store's last access goes unseen until the next
// change.

#include <string>

#include "document/settings.h"

class QtProfileStore : public ProfileStore {
public:
    static constexpr const char* kOrganization = "SEKKA";
    static constexpr const char* kApplication = "Zer Evizi SEKKA";

    // The user's store at its default location.
    QtProfileStore();
    // An INI file at the given path (UTF-8), for tests and tools.
    explicit QtProfileStore(std::string iniFile);

    int GetProfileInt(const std::string& section, const std::string& entry, int def) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& def) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;

    // Where the values live: the INI file's path, or the registry path on
    // Windows (UTF-8).
    std::string Location() const;

private:
    std::string m_iniFile;  // empty: the default location
};
