// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/picture_source.h"

#include "markup/link_path.h"

namespace {

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.size() - FileNameOfPath(path).size());
}

}  // namespace

std::string SavedPictureSource(std::string_view currentSrc, const std::string& picturePath,
                               const std::string& savedPath, const std::string& baseDir) {
    const std::string oldName = FileNameOfPath(picturePath);
    const size_t slash = currentSrc.find_last_of("/\\");
    const std::string_view srcName =
        slash == std::string_view::npos ? currentSrc : currentSrc.substr(slash + 1);
    if (!oldName.empty() && srcName == oldName && FolderOf(picturePath) == FolderOf(savedPath))
        return std::string(currentSrc.substr(0, currentSrc.size() - srcName.size())) +
               FileNameOfPath(savedPath);
    return LinkTextForPath(baseDir, savedPath);
}
