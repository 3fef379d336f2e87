// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/safe_write.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "io/file_io.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#endif

namespace ze {

#ifdef _WIN32

Status WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write,
                       std::optional<uint64_t> /*knownSize: never in place here*/) {
    const std::filesystem::path real(std::u8string(target.begin(), target.end()));
    std::error_code ec;
    if (std::filesystem::exists(real, ec) && !std::filesystem::is_regular_file(real, ec))
        return StatusCode::kNotRegular;
    const std::string temp = target + ".zetmp";
    FilePtr f = OpenFile(temp, "wb");
    if (!f) return StatusFromErrno(errno, Access::kWrite);
    bool ok = write(f.get());
    ok = std::fflush(f.get()) == 0 && !std::ferror(f.get()) && ok;
    ok = std::fclose(f.release()) == 0 && ok;
    const std::filesystem::path tempPath(std::u8string(temp.begin(), temp.end()));
    if (ok && MoveFileExW(tempPath.c_str(), real.c_str(), MOVEFILE_REPLACE_EXISTING))
        return StatusCode::kOk;
    DeleteFileW(tempPath.c_str());
    return ok ? StatusCode::kWriteFailed : StatusCode::kEncode;
}

Status WritePrivateFile(const std::string& name, const std::string& bytes, std::string* path) {
    // The temporary folder of Windows is the user's own.
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec) / "zer-evizi";
    std::filesystem::create_directories(folder, ec);
    const std::u8string full = (folder / std::u8string(name.begin(), name.end())).u8string();
    path->assign(full.begin(), full.end());
    return WriteFileSafely(*path, [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    });
}

int RemoveStaleTemporaries(const std::string&) {
    return 0;
}
void InstallSaveSignalHandlers() {}

#else

namespace {

constexpr const char* kTempMark = ".zesave-";
// A temporary file older than this whose process has ended is left over.
constexpr time_t kStaleSeconds = 10 * 60;

// The temporary file of the write in progress, for the signal handler.
char g_tempPath[4096];
volatile sig_atomic_t g_tempActive = 0;

// The bytes of an encoded file, held by the stream that collected them.
struct Encoded {
    char* data = nullptr;
    size_t size = 0;
    Encoded() = default;
    Encoded(const Encoded&) = delete;
    Encoded& operator=(const Encoded&) = delete;
    ~Encoded() { std::free(data); }
};

bool Encode(const std::function<bool(std::FILE*)>& write, Encoded& out) {
    std::FILE* stream = open_memstream(&out.data, &out.size);
    if (!stream) return false;
    const bool ok = write(stream) && std::fflush(stream) == 0 && !std::ferror(stream);
    return std::fclose(stream) == 0 && ok;
}

// The stream's block: the encoder's bytes reach the file in pieces of this
// size as they come, so no copy of the whole file is ever held.
constexpr size_t kStreamBlock = size_t{256} << 10;

// A stream onto a file descriptor that keeps the first error of the system,
// so that a disk that fills in the middle of a write is told apart from an
// encoder that fails. After an error nothing more is written.
struct FdSink {
    int fd;
    int error = 0;
};

ssize_t SinkWrite(void* cookie, const char* data, size_t size) {
    auto* sink = static_cast<FdSink*>(cookie);
    if (sink->error != 0) return -1;
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(sink->fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            sink->error = n < 0 ? errno : ENOSPC;
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

// Moves the file's offset, for a writer that puts its parts in place.
int SinkSeek(void* cookie, off64_t* offset, int whence) {
    auto* sink = static_cast<FdSink*>(cookie);
    const off64_t at = ::lseek64(sink->fd, *offset, whence);
    if (at < 0) return -1;
    *offset = at;
    return 0;
}

// Runs the encoder into `fd` through a stream with a block of kStreamBlock.
Status EncodeInto(int fd, const std::function<bool(std::FILE*)>& write) {
    FdSink sink{fd};
    const cookie_io_functions_t functions{nullptr, SinkWrite, SinkSeek, nullptr};
    std::FILE* stream = ::fopencookie(&sink, "w", functions);
    if (!stream) return StatusFromErrno(errno, Access::kWrite);
    const std::unique_ptr<char, decltype(&std::free)> block(
        static_cast<char*>(std::malloc(kStreamBlock)), &std::free);
    if (block) std::setvbuf(stream, block.get(), _IOFBF, kStreamBlock);
    bool ok = write(stream);
    ok = std::fflush(stream) == 0 && !std::ferror(stream) && ok;
    ok = std::fclose(stream) == 0 && ok;
    if (sink.error != 0) return StatusFromErrno(sink.error, Access::kWrite);
    return ok ? StatusCode::kOk : StatusCode::kEncode;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the link `link` (`st` its lstat) may be followed: in a
// world-writable folder only one of the user's or of the folder's owner, as
// the kernel's protected_symlinks has it; anyone else may have planted it
// there to turn the write onto another file.
bool MayFollowLink(const std::string& link, const struct stat& st) {
    struct stat folder;
    if (::stat(FolderOf(link).c_str(), &folder) != 0) return false;
    return (folder.st_mode & S_IWOTH) == 0 || st.st_uid == ::geteuid() ||
           st.st_uid == folder.st_uid;
}

// The file that a write to `target` really changes, symbolic links followed.
// A name that does not exist yet is its own answer.
Status ResolveTarget(const std::string& target, std::string& real) {
    real = target;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(real.c_str(), &st) != 0) {
            return errno == ENOENT ? StatusCode::kOk : StatusFromErrno(errno, Access::kWrite);
        }
        if (!S_ISLNK(st.st_mode)) return StatusCode::kOk;
        if (hops == 40) return StatusCode::kLinkLoop;
        if (!MayFollowLink(real, st)) return StatusCode::kWriteDenied;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(real.c_str(), buf.data(), buf.size());
        if (n < 0 || static_cast<size_t>(n) >= buf.size()) return StatusCode::kWriteFailed;
        const std::string next(buf.data(), static_cast<size_t>(n));
        real = next.front() == '/' ? next : FolderOf(real) + "/" + next;
    }
}

Status WriteAll(int fd, const char* data, size_t size, bool positioned) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = positioned
                              ? ::pwrite(fd, data + done, size - done, static_cast<off_t>(done))
                              : ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return StatusFromErrno(n < 0 ? errno : ENOSPC, Access::kWrite);
        done += static_cast<size_t>(n);
    }
    return StatusCode::kOk;
}

// File systems that copy on write need fresh space to overwrite a file that
// has space reserved, so a reservation proves nothing there.
bool CopiesOnWrite(int fd) {
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return true;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type == 0x9123683EUL /* btrfs */ || type == 0x2FC12FC1UL /* zfs */ ||
           type == 0xCA451A4EUL /* bcachefs */;
}

// Overwrites the file in place, after reserving its whole new size, with
// what `fill` writes from its start, and cuts it where that ends. Until the
// reservation holds, nothing changes.
Status WriteInPlace(const std::string& real, const struct stat& before, uint64_t size,
                    const std::function<Status(int)>& fill) {
    const int fd = ::open(real.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return StatusFromErrno(errno, Access::kWrite);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) return StatusFromErrno(errno, Access::kWrite);
    if (st.st_dev != before.st_dev || st.st_ino != before.st_ino || !S_ISREG(st.st_mode))
        return StatusCode::kWriteFailed;  // replaced under our feet
    if (CopiesOnWrite(fd)) return StatusCode::kCannotReserve;
    if (size > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return StatusCode::kFileSizeLimit;
    if (size > 0) {
#ifdef __linux__
        // fallocate proper, never the library's emulation, which would write
        // into the file to reserve it.
        const int reserved = ::fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0 ? 0 : errno;
#else
        const int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
#endif
        if (reserved != 0) {
            struct stat now;
            if (::fstat(fd, &now) == 0 && now.st_size != st.st_size) {
                if (::ftruncate(fd, st.st_size) != 0) return StatusFromErrno(errno, Access::kWrite);
            }
            if (reserved == EOPNOTSUPP || reserved == ENOSYS || reserved == EINVAL)
                return StatusCode::kCannotReserve;
            return StatusFromErrno(reserved, Access::kWrite);
        }
    }
    if (const Status e = fill(fd); e != StatusCode::kOk) return e;
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    if (end < 0 || ::ftruncate(fd, end) != 0 || ::fdatasync(fd) != 0)
        return StatusFromErrno(errno, Access::kWrite);
    return StatusCode::kOk;
}

// Makes the temporary file beside `real`; answers its descriptor or -1.
int MakeTemporary(const std::string& real, std::string& path) {
    const size_t slash = real.rfind('/');
    std::string name = slash == std::string::npos ? real : real.substr(slash + 1);
    if (name.size() > 200) name.resize(200);  // room for the suffix within NAME_MAX
    path = FolderOf(real) + "/." + name + kTempMark + std::to_string(::getpid()) + "-XXXXXX";
    if (path.size() >= sizeof g_tempPath) {
        errno = ENAMETOOLONG;
        return -1;
    }
    // The file and the handler's record of it come into being together.
    sigset_t block, old;
    sigemptyset(&block);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&block, sig);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    const int error = errno;
    if (fd >= 0) {
        std::memcpy(g_tempPath, path.c_str(), path.size() + 1);
        g_tempActive = 1;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return fd;
}

Status ReplaceThroughTemporary(int fd, const std::string& temp, const std::string& real,
                               const struct stat* before,
                               const std::function<bool(std::FILE*)>& write) {
    if (before) {
        // Keep the owner and group where the system allows, at least the
        // group; then the permissions (a change of owner clears set-id bits).
        if ((before->st_uid != ::geteuid() || before->st_gid != ::getegid()) &&
            ::fchown(fd, before->st_uid, before->st_gid) != 0) {
            [[maybe_unused]] const int ignored =
                ::fchown(fd, static_cast<uid_t>(-1), before->st_gid);
        }
        ::fchmod(fd, before->st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    Status e = EncodeInto(fd, write);
    if (e == StatusCode::kOk && ::fdatasync(fd) != 0) e = StatusFromErrno(errno, Access::kWrite);
    if (::close(fd) != 0 && e == StatusCode::kOk) e = StatusFromErrno(errno, Access::kWrite);
    if (e == StatusCode::kOk && ::rename(temp.c_str(), real.c_str()) != 0)
        e = StatusFromErrno(errno, Access::kWrite);
    if (e != StatusCode::kOk) ::unlink(temp.c_str());
    // After the rename the name is gone; the handler's unlink would find nothing.
    g_tempActive = 0;
    return e;
}

// The folder that mkdtemp made for this process's private files.
std::mutex g_privateMutex;
std::string g_privateFolder;

// Opens `folder` when it is a folder of the user's with mode 0700, not a
// link; one the caller has just made gets that mode whatever the umask.
// Answers -1 otherwise.
int OpenOwnFolder(const std::string& folder, bool made) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid()) {
        if (made && ::fchmod(fd, 0700) == 0) st.st_mode = S_IFDIR | 0700;
        if ((st.st_mode & 07777) == 0700) return fd;
    }
    ::close(fd);
    errno = EACCES;
    return -1;
}

// The folder for WritePrivateFile: its descriptor (or -1), its path in `folder`.
int OpenPrivateFolder(std::string& folder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        folder = std::string(runtime) + "/zer-evizi";
        const bool made = ::mkdir(folder.c_str(), 0700) == 0;
        const int fd = OpenOwnFolder(folder, made);
        if (fd >= 0) return fd;
    }
    std::lock_guard<std::mutex> lock(g_privateMutex);
    if (!g_privateFolder.empty()) {
        folder = g_privateFolder;
        const int fd = OpenOwnFolder(folder, false);
        if (fd >= 0) return fd;
    }
    const char* tmp = std::getenv("TMPDIR");
    folder = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/zer-evizi-XXXXXX";
    if (!::mkdtemp(folder.data())) return -1;
    g_privateFolder = folder;
    return OpenOwnFolder(folder, true);
}

void RemoveTemporaryAndReraise(int sig) {
    if (g_tempActive) ::unlink(g_tempPath);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Writing in place changes the file only once its whole new size is known
// and reserved: given beforehand, the encoder streams into the file after
// the reservation; else it runs into memory first.
Status EncodeAndWriteInPlace(const std::string& real, const struct stat& before,
                             const std::function<bool(std::FILE*)>& write,
                             std::optional<uint64_t> knownSize) {
    if (knownSize)
        return WriteInPlace(real, before, *knownSize,
                            [&](int fd) { return EncodeInto(fd, write); });
    Encoded bytes;
    if (!Encode(write, bytes)) return StatusCode::kEncode;
    return WriteInPlace(real, before, bytes.size,
                        [&](int fd) { return WriteAll(fd, bytes.data, bytes.size, false); });
}

}  // namespace

Status WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write,
                       std::optional<uint64_t> knownSize) {
    std::string real;
    if (const Status e = ResolveTarget(target, real); e != StatusCode::kOk) return e;
    struct stat st;
    const bool exists = ::stat(real.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return StatusFromErrno(errno, Access::kWrite);
    if (exists) {
        if (!S_ISREG(st.st_mode)) return StatusCode::kNotRegular;
        // The mode bits count for root too: a file without write permission
        // is not written over.
        if (::faccessat(AT_FDCWD, real.c_str(), W_OK, AT_EACCESS) != 0)
            return StatusFromErrno(errno, Access::kWrite);
        if ((st.st_mode & 0222) == 0) return StatusCode::kWriteDenied;
    }
    RemoveStaleTemporaries(FolderOf(real));
    // Every name of a file with several links must see the new picture.
    if (exists && st.st_nlink > 1) return EncodeAndWriteInPlace(real, st, write, knownSize);

    std::string temp;
    const int fd = MakeTemporary(real, temp);
    if (fd < 0) {
        const int error = errno;
        const bool noTemporary = error == EACCES || error == EPERM || error == ENOSPC
#ifdef EDQUOT
                                 || error == EDQUOT
#endif
            ;
        if (exists && noTemporary) return EncodeAndWriteInPlace(real, st, write, knownSize);
        return StatusFromErrno(error, Access::kWrite);
    }
    return ReplaceThroughTemporary(fd, temp, real, exists ? &st : nullptr, write);
}

Status WritePrivateFile(const std::string& name, const std::string& bytes, std::string* path) {
    std::string folder;
    const int dir = OpenPrivateFolder(folder);
    *path = folder;
    if (dir < 0) return StatusFromErrno(errno, Access::kWrite);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{dir};
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return StatusCode::kNotRegular;
    *path = folder + "/" + name;
    // Nobody else can enter the folder: the name is free once it is unlinked.
    if (::unlinkat(dir, name.c_str(), 0) != 0 && errno != ENOENT)
        return StatusFromErrno(errno, Access::kWrite);
    const int fd =
        ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return StatusFromErrno(errno, Access::kWrite);
    ::fchmod(fd, 0600);
    Status e = WriteAll(fd, bytes.data(), bytes.size(), false);
    if (::close(fd) != 0 && e == StatusCode::kOk) e = StatusFromErrno(errno, Access::kWrite);
    if (e != StatusCode::kOk) ::unlinkat(dir, name.c_str(), 0);
    return e;
}

int RemoveStaleTemporaries(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return 0;
    const time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        // ".NAME.zesave-PID-XXXXXX"
        const std::string name = entry->d_name;
        const size_t mark = name.rfind(kTempMark);
        if (name.front() != '.' || mark == std::string::npos || mark == 0) continue;
        const std::string tail = name.substr(mark + std::strlen(kTempMark));
        const size_t dash = tail.find('-');
        if (dash == 0 || dash == std::string::npos || tail.size() - dash - 1 != 6 ||
            tail.find_first_not_of("0123456789") != dash ||
            tail.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
                                   dash + 1) != std::string::npos)
            continue;
        const long pid = std::strtol(tail.substr(0, dash).c_str(), nullptr, 10);
        const std::string path = folder + "/" + name;
        struct stat st;
        if (pid <= 0 || pid == ::getpid() || ::lstat(path.c_str(), &st) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || now - st.st_mtime < kStaleSeconds)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;  // still running
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

void InstallSaveSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndReraise;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        // A signal the process was told to ignore stays ignored.
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

#endif

}  // namespace ze
