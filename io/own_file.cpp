// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/own_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "io/file_io.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ze {

namespace {
// maxBytes + 1 bytes tell a file at the bound from one beyond it.
size_t ReadLimit(size_t maxBytes) {
    return maxBytes < SIZE_MAX ? maxBytes + 1 : maxBytes;
}
// Where a folder is to be made, its parents first. Failures show when the
// folder itself is made.
void MakeParents(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path parent =
        std::filesystem::path(std::u8string(path.begin(), path.end())).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
}
std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}
}  // namespace

#ifdef _WIN32

Status CheckOwnFile(const std::string& path, size_t maxBytes) {
    std::error_code ec;
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    const std::filesystem::file_status status = std::filesystem::symlink_status(name, ec);
    if (!std::filesystem::exists(status)) return StatusCode::kMissing;
    if (std::filesystem::is_symlink(status)) return StatusCode::kLink;
    if (!std::filesystem::is_regular_file(status)) return StatusCode::kNotRegular;
    const auto size = std::filesystem::file_size(name, ec);
    if (ec) return StatusCode::kReadFailed;
    return size > maxBytes ? StatusCode::kOverBound : StatusCode::kOk;
}

namespace {
Status ReadChecked(const std::string& path, size_t maxBytes, std::string* bytes) {
    FilePtr f = OpenFile(path, "rb");
    if (!f) return StatusCode::kReadDenied;
    std::string data;
    char buffer[65536];
    size_t n;
    while (data.size() < ReadLimit(maxBytes) &&
           (n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        data.append(buffer, n);
    if (std::ferror(f.get())) return StatusCode::kReadFailed;
    if (data.size() > maxBytes) return StatusCode::kOverBound;
    *bytes = std::move(data);
    return StatusCode::kOk;
}
}  // namespace

Status ReadOwnFile(const std::string& path, size_t maxBytes, std::string* bytes) {
    const Status seen = CheckOwnFile(path, maxBytes);
    if (seen != StatusCode::kOk) return seen;
    return ReadChecked(path, maxBytes, bytes);
}

Status ReadNamedFile(const std::string& path, size_t maxBytes, std::string* bytes) {
    std::error_code ec;
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    const std::filesystem::file_status status = std::filesystem::status(name, ec);
    if (!std::filesystem::exists(status)) return StatusCode::kMissing;
    if (!std::filesystem::is_regular_file(status)) return StatusCode::kNotRegular;
    return ReadChecked(path, maxBytes, bytes);
}

Status MakeOwnFolder(const std::string& folder) {
    const std::string path = WithoutTrailingSlashes(folder);
    std::error_code ec;
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    MakeParents(path);
    std::filesystem::create_directory(name, ec);
    const std::filesystem::file_status status = std::filesystem::symlink_status(name, ec);
    if (!std::filesystem::exists(status)) return StatusCode::kReadDenied;
    if (std::filesystem::is_symlink(status)) return StatusCode::kLink;
    if (!std::filesystem::is_directory(status)) return StatusCode::kNotFolder;
    return StatusCode::kOk;
}

#else

namespace {
// `anyOwner`: a file the user names may be anyone's.
Status CheckStat(const struct stat& st, size_t maxBytes, bool anyOwner = false) {
    if (S_ISLNK(st.st_mode)) return StatusCode::kLink;
    if (!S_ISREG(st.st_mode)) return StatusCode::kNotRegular;
    if (!anyOwner && st.st_uid != geteuid()) return StatusCode::kNotOurs;
    if (st.st_size < 0 || static_cast<uintmax_t>(st.st_size) > maxBytes)
        return StatusCode::kOverBound;
    return StatusCode::kOk;
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};
}  // namespace

Status CheckOwnFile(const std::string& path, size_t maxBytes) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return StatusFromErrno(errno, Access::kRead);
    return CheckStat(st, maxBytes);
}

namespace {
// Opens `path` once without blocking (`flags` adds to that), checks what was
// opened and reads it within the bound.
Status ReadOpened(const std::string& path, int flags, size_t maxBytes, bool anyOwner,
                  std::string* bytes) {
    const Descriptor file{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags)};
    if (file.fd < 0) return StatusFromErrno(errno, Access::kRead);
    // What was opened decides: the name may have been replaced since.
    struct stat st;
    if (fstat(file.fd, &st) != 0) return StatusFromErrno(errno, Access::kRead);
    const Status opened = CheckStat(st, maxBytes, anyOwner);
    if (opened != StatusCode::kOk) return opened;
    const size_t limit = ReadLimit(maxBytes);
    std::string data(std::min(static_cast<size_t>(st.st_size) + 1, limit), '\0');
    size_t have = 0;
    for (;;) {
        if (have == data.size()) {
            if (data.size() >= limit) break;
            data.resize(std::min(limit, data.size() * 2));
        }
        const ssize_t n = read(file.fd, data.data() + have, data.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return StatusFromErrno(errno, Access::kRead);
        if (n == 0) break;
        have += static_cast<size_t>(n);
    }
    if (have > maxBytes) return StatusCode::kOverBound;
    data.resize(have);
    *bytes = std::move(data);
    return StatusCode::kOk;
}
}  // namespace

Status ReadOwnFile(const std::string& path, size_t maxBytes, std::string* bytes) {
    // A look before opening: opening a device can have effects of its own.
    const Status seen = CheckOwnFile(path, maxBytes);
    if (seen != StatusCode::kOk) return seen;
    return ReadOpened(path, O_NOFOLLOW, maxBytes, false, bytes);
}

Status ReadNamedFile(const std::string& path, size_t maxBytes, std::string* bytes) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return StatusFromErrno(errno, Access::kRead);
    const Status seen = CheckStat(st, maxBytes, true);
    if (seen != StatusCode::kOk) return seen;
    return ReadOpened(path, 0, maxBytes, true, bytes);
}

Status MakeOwnFolder(const std::string& folder) {
    const std::string path = WithoutTrailingSlashes(folder);
    MakeParents(path);
    if (mkdir(path.c_str(), 0700) == 0) return StatusCode::kOk;
    if (errno != EEXIST) return StatusFromErrno(errno, Access::kRead);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return StatusFromErrno(errno, Access::kRead);
    if (S_ISLNK(st.st_mode)) return StatusCode::kLink;
    if (!S_ISDIR(st.st_mode)) return StatusCode::kNotFolder;
    if (st.st_uid != geteuid()) return StatusCode::kNotOurs;
    if ((st.st_mode & 077) == 0) return StatusCode::kOk;
    // Narrowed through a descriptor of the folder itself, never through a
    // link put in its place since.
    const Descriptor dir{open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (dir.fd < 0)
        return errno == ELOOP ? StatusCode::kLink : StatusFromErrno(errno, Access::kRead);
    if (fstat(dir.fd, &st) != 0) return StatusFromErrno(errno, Access::kRead);
    if (st.st_uid != geteuid()) return StatusCode::kNotOurs;
    if (fchmod(dir.fd, 0700) != 0) return StatusFromErrno(errno, Access::kRead);
    return StatusCode::kOk;
}

#endif

}  // namespace ze
