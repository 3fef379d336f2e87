// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/file_io.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <system_error>
#endif

namespace ze {

#ifdef _WIN32
namespace {
std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
}  // namespace

FilePtr OpenFile(const std::string& utf8Name, const char* mode) {
    return FilePtr(_wfopen(Widen(utf8Name).c_str(), Widen(mode).c_str()));
}
#else
FilePtr OpenFile(const std::string& utf8Name, const char* mode) {
    return FilePtr(std::fopen(utf8Name.c_str(), mode));
}
#endif

FilePtr OpenForReading(const std::string& utf8Name, int* failure) {
    errno = 0;
    FilePtr file = OpenFile(utf8Name, "rb");
    int error = file ? 0 : (errno != 0 ? errno : EIO);
#ifndef _WIN32
    // A folder opens here; reading it would only fail later.
    struct stat info {};
    if (file && ::fstat(::fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        file.reset();
        error = EISDIR;
    }
#else
    // Windows refuses to open a folder as if access were denied.
    std::error_code ec;
    if (!file && error == EACCES &&
        std::filesystem::is_directory(
            std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end())), ec))
        error = EISDIR;
#endif
    if (!file && failure) *failure = error;
    return file;
}

int64_t BytesLeft(std::FILE* file) {
#ifdef _WIN32
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return -1;
    const int64_t at = _ftelli64(file);
#else
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    const int64_t at = ::ftello(file);
#endif
    if (at < 0) return -1;
    return at < info.st_size ? static_cast<int64_t>(info.st_size) - at : 0;
}

bool ReadWholeFile(const std::string& utf8Name, std::vector<unsigned char>& out) {
    out.clear();
    FilePtr f = OpenFile(utf8Name, "rb");
    if (!f) return false;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) out.insert(out.end(), buf, buf + n);
    return !std::ferror(f.get());
}
}  // namespace ze
