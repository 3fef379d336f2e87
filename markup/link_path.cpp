// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/link_path.h"

#include <algorithm>

namespace {

// Relative form shared by both styles: "..<sep>" for each folder of `base`
// below the common prefix, then the rest of `path` from the last common
// separator. The common prefix ends at a difference or at the end of either
// string.
std::string RelativePart(const std::string& base, const std::string& path, char sep) {
    const auto nb = std::count(base.begin(), base.end(), sep);
    size_t i = 0, last = 0;
    long nc = 0;
    while (i < base.size() && i < path.size() && base[i] == path[i]) {
        ++i;
        if (base[i - 1] == sep) {
            last = i;
            ++nc;
        }
    }
    std::string result;
    for (long k = nc; k < nb; ++k) {
        result += "..";
        result += sep;
    }
    result.append(path, last, std::string::npos);
    return result;
}

PathStyle Resolve(PathStyle style) {
    if (style != PathStyle::kNative) return style;
#ifdef _WIN32
    return PathStyle::kWindows;
#else
    return PathStyle::kPosix;
#endif
}

char Separator(PathStyle style) {
    return Resolve(style) == PathStyle::kWindows ? '\\' : '/';
}

}  // namespace

std::string MakeLinkPath(const std::string& base, const std::string& path) {
    std::string result;
    // The first two bytes decide the drive; a string shorter than two bytes
    // compares by its end as a C string would.
    const bool sameStart = !base.empty() && base.compare(0, 2, path, 0, 2) == 0;
    if (!sameStart) {
        // The asterisk stands for the scheme's colon until the final pass, so
        // that the pass turning colons into "|" leaves it alone.
        result = "file*///" + path;
    } else {
        result = RelativePart(base, path, '\\');
    }
    for (char& c : result) {
        if (c == '\\')
            c = '/';
        else if (c == ':')
            c = '|';
        else if (c == '*')
            c = ':';
    }
    return result;
}

std::string FileNameOfPath(const std::string& path, PathStyle style) {
    const size_t pos = path.rfind(Separator(style));
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string LinkTextForPath(const std::string& baseDir, const std::string& path, PathStyle style) {
    if (baseDir.empty()) return FileNameOfPath(path, style);
    const char sep = Separator(style);
    std::string base = baseDir;
    // A folder that already ends with a separator (a drive root) gets no
    // second one, which would count as one more folder to climb.
    if (base.back() != sep) base += sep;
    if (Resolve(style) == PathStyle::kWindows) return MakeLinkPath(base, path);
    // POSIX: one file system, no drive check and no character replaced.
    return RelativePart(base, path, '/');
}
