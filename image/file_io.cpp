#include "image/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

bool ReadWholeFile(const std::string& utf8Name, std::vector<unsigned char>& out) {
    out.clear();
    FilePtr f = OpenFile(utf8Name, "rb");
    if (!f) return false;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) out.insert(out.end(), buf, buf + n);
    return !std::ferror(f.get());
}

namespace {
namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }
std::string Utf8FromPath(const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

// The file that a write to `target` really changes: symbolic links followed.
std::string ResolveTarget(const std::string& target) {
    std::error_code ec;
    fs::path p = PathFromUtf8(target);
    for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
        fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return Utf8FromPath(p);
}

bool WriteInPlace(const std::string& target, const std::function<bool(std::FILE*)>& write) {
    FilePtr f = OpenFile(target, "wb");
    if (!f) return false;
    const bool ok = write(f.get());
    const bool flushed = std::fflush(f.get()) == 0 && !std::ferror(f.get());
    return std::fclose(f.release()) == 0 && ok && flushed;
}
}  // namespace

#ifdef _WIN32
bool WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write) {
    const std::string real = ResolveTarget(target);
    const std::string temp = real + ".zetmp";
    FilePtr f = OpenFile(temp, "wb");
    if (!f) return WriteInPlace(real, write);
    bool ok = write(f.get());
    ok = std::fflush(f.get()) == 0 && !std::ferror(f.get()) && ok;
    ok = std::fclose(f.release()) == 0 && ok;
    if (ok)
        ok = MoveFileExW(PathFromUtf8(temp).c_str(), PathFromUtf8(real).c_str(),
                         MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileW(PathFromUtf8(temp).c_str());
    return ok;
}
#else
bool WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write) {
    const std::string real = ResolveTarget(target);
    const fs::path realPath = PathFromUtf8(real);
    const std::string dir = realPath.has_parent_path() ? realPath.parent_path().string() : ".";
    std::string pattern = dir + "/." + realPath.filename().string() + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return WriteInPlace(real, write);

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones (0666 less the umask) rather than mkstemp's 0600.
    struct stat st;
    if (::stat(real.c_str(), &st) == 0) {
        fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    std::FILE* raw = fdopen(fd, "wb");
    if (!raw) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    FilePtr f(raw);
    bool ok = write(f.get());
    ok = std::fflush(f.get()) == 0 && !std::ferror(f.get()) && ok;
    ok = std::fclose(f.release()) == 0 && ok;
    if (ok) ok = std::rename(pattern.c_str(), real.c_str()) == 0;
    if (!ok) ::unlink(pattern.c_str());
    return ok;
}
#endif

}  // namespace ze
