#include "shell/store/recent_files.h"

#include <algorithm>

namespace {
constexpr const char* kSection = "Recent File List";

std::string EntryName(int index) {
    return "File" + std::to_string(index + 1);
}
}  // namespace

std::vector<std::string> LoadRecentFileList(ProfileStore& store, int count) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        std::string path = store.GetProfileString(kSection, EntryName(i), "");
        if (!path.empty()) files.push_back(std::move(path));
    }
    return files;
}

bool SaveRecentFileList(ProfileStore& store, const std::vector<std::string>& files, int count) {
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        const size_t n = static_cast<size_t>(i);
        ok = store.WriteProfileString(kSection, EntryName(i), n < files.size() ? files[n] : "") &&
             ok;
    }
    return ok;
}

std::vector<std::string> AddToRecentFileList(std::vector<std::string> files,
                                             const std::string& path, int count) {
    std::erase(files, path);
    files.insert(files.begin(), path);
    if (count >= 0 && files.size() > static_cast<size_t>(count))
        files.resize(static_cast<size_t>(count));
    return files;
}
