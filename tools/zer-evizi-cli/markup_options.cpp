#include "markup_options.h"

#include <charconv>

namespace cli {

int OverrideStore::GetProfileInt(const std::string& section, const std::string& entry, int def) {
    if (tag && section == "General" && entry == "tag") return *tag;
    return m_stored ? m_stored->GetProfileInt(section, entry, def) : def;
}

std::string OverrideStore::GetProfileString(const std::string& section, const std::string& entry,
                                            const std::string& def) {
    if (baseDir && section == "General" && entry == "BaseDir") return *baseDir;
    return m_stored ? m_stored->GetProfileString(section, entry, def) : def;
}

namespace {
// A whole decimal integer, optionally negative; nothing before or after.
bool ParseInt(const char* first, const char* last, int& value) {
    if (first == last) return false;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}
}  // namespace

std::optional<ClientPoint> ParsePoint(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    ClientPoint p;
    const char* s = text.data();
    if (!ParseInt(s, s + comma, p.x) || !ParseInt(s + comma + 1, s + text.size(), p.y))
        return std::nullopt;
    return p;
}

}  // namespace cli
