#pragma once
// What the markup commands share: the settings given on the command line in
// place of the stored ones, and parsing of client points.

#include <optional>
#include <string>

#include "markup/area_markup.h"
#include "markup/settings.h"

namespace cli {

// Answers "General"/"BaseDir" and "General"/"tag" from the command line when
// given there, everything else from the stored settings. Writes nothing: the
// flags never change what is stored.
class OverrideStore : public ProfileStore {
public:
    explicit OverrideStore(ProfileStore* stored) : m_stored(stored) {}

    std::optional<std::string> baseDir;
    std::optional<int> tag;

    int GetProfileInt(const std::string& section, const std::string& entry, int def) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& def) override;
    bool WriteProfileInt(const std::string&, const std::string&, int) override { return false; }
    bool WriteProfileString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }

private:
    ProfileStore* m_stored;
};

// "X,Y" with two decimal 32-bit integers, each with an optional minus sign.
std::optional<ClientPoint> ParsePoint(const std::string& text);

}  // namespace cli
