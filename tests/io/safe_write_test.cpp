// SPDX-License-Identifier: GPL-3.0-or-later
// Writing over a file: a failed write leaves it byte for byte as it was,
// whichever way the write had to take; and the program's own folder.

#include "io/safe_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "io/own_file.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;
using testutil::ReadFile;
using testutil::WriteFile;
using ze::Status;
using ze::StatusCode;

// `sized`: the writer tells its size beforehand, so that it may stream in place.
Status Write(const std::string& target, const std::string& bytes, bool sized = false) {
    return ze::WriteFileSafely(
        target,
        [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
        sized ? std::optional<uint64_t>(bytes.size()) : std::nullopt);
}

size_t EntriesIn(const fs::path& dir) {
    return size_t(std::distance(fs::directory_iterator(dir), {}));
}

// A tmpfs of its own on `dir` (root only), there while the result lives.
std::shared_ptr<const void> MountTmpfs(const testutil::TempDir& dir, const char* options) {
    if (::geteuid() != 0 || ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, options) != 0)
        return nullptr;
    return {&dir, [](const testutil::TempDir* d) { ::umount2(d->path().c_str(), MNT_DETACH); }};
}

TEST(SafeWrite, ReplacesKeepingModeOwnerAndLinks) {
    testutil::TempDir dir;
    const std::string target = dir.File("t.bin");
    WriteFile(target, "old");
    ::chmod(target.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 1234, 1235), 0);
    }

    // An encoder that fails: nothing changes, nothing is left behind.
    const auto failing = [](std::FILE* f) { return std::fputs("partial", f), false; };
    EXPECT_EQ(ze::WriteFileSafely(target, failing), StatusCode::kEncode);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    ASSERT_EQ(Write(target, "new"), StatusCode::kOk);
    EXPECT_EQ(ReadFile(target), "new");
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(1234u, 1235u));
    }

    // Through a symbolic link the file it names changes; through a hard link
    // every name sees the new bytes.
    fs::create_symlink("t.bin", dir.File("sym.bin"));
    ASSERT_EQ(Write(dir.File("sym.bin"), "via link"), StatusCode::kOk);
    EXPECT_TRUE(fs::is_symlink(dir.File("sym.bin")));
    EXPECT_EQ(ReadFile(target), "via link");
    fs::create_hard_link(target, dir.File("hard.bin"));
    ASSERT_EQ(Write(dir.File("hard.bin"), "shared"), StatusCode::kOk);
    EXPECT_EQ(ReadFile(target), "shared");
    ASSERT_EQ(Write(target, "longer than before, and shared"), StatusCode::kOk);
    EXPECT_EQ(ReadFile(dir.File("hard.bin")), "longer than before, and shared");
    ASSERT_EQ(Write(target, "cut"), StatusCode::kOk);
    EXPECT_EQ(ReadFile(dir.File("hard.bin")), "cut");
    ASSERT_EQ(Write(target, "streamed in place, longer", true), StatusCode::kOk);
    EXPECT_EQ(ReadFile(dir.File("hard.bin")), "streamed in place, longer");
    ASSERT_EQ(Write(target, "cut again", true), StatusCode::kOk);
    EXPECT_EQ(ReadFile(dir.File("hard.bin")), "cut again");
    EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

TEST(SafeWrite, RefusesTargetsItMayNotWrite) {
    testutil::TempDir dir;
    WriteFile(dir.File("ro.png"), "read-only");
    ::chmod(dir.File("ro.png").c_str(), 0444);
    ASSERT_EQ(::mkfifo(dir.File("fifo.png").c_str(), 0644), 0);
    fs::create_directory(dir.File("folder.png"));
    fs::create_symlink("loop2.png", dir.File("loop1.png"));
    fs::create_symlink("loop1.png", dir.File("loop2.png"));
    const size_t entries = EntriesIn(dir.path());
    const struct {
        std::string target;
        Status want;
    } cases[] = {
        {dir.File("ro.png"), StatusCode::kWriteDenied},  // root too
        {dir.File("fifo.png"), StatusCode::kNotRegular},
        {dir.File("folder.png"), StatusCode::kNotRegular},
        {dir.File("loop1.png"), StatusCode::kLinkLoop},
        {dir.File("none/x.png"), StatusCode::kNoFolder},
        {dir.File("ro.png/x.png"), StatusCode::kNoFolder},
    };
    for (const auto& c : cases) EXPECT_EQ(Write(c.target, "new"), c.want) << c.target;
    EXPECT_EQ(ReadFile(dir.File("ro.png")), "read-only");
    EXPECT_TRUE(fs::is_fifo(dir.File("fifo.png")));
    EXPECT_EQ(EntriesIn(dir.path()), entries);
}

// On a tmpfs of its own (root only): with no free inode (so no temporary
// file) or no free space the old bytes stay unless the whole new file fits;
// a read-only file system refuses.
TEST(SafeWrite, FullDiskLeavesTheFileAsItWas) {
    testutil::TempDir dir;
    const std::string target = dir.File("a.png"), old(1456, 'o');
    const auto mounted = MountTmpfs(dir, "size=64k,nr_inodes=4,mode=0755");
    if (!mounted) GTEST_SKIP() << "needs root to mount a tmpfs";
    WriteFile(target, old);

    // One inode left: the temporary file can be made, but space runs out.
    const int fd = ::open(dir.File("filler").c_str(), O_WRONLY | O_CREAT, 0644);
    for (const std::string block(4096, 'f'); ::write(fd, block.data(), block.size()) > 0;) {
    }
    ::close(fd);
    const ze::Status full = Write(target, std::string(8192, 'n'));
    EXPECT_EQ(full, StatusCode::kNoSpace);
    EXPECT_EQ(full.sysError, ENOSPC);
    EXPECT_EQ(ze::StatusText(full, ze::TextLanguage::kEnglish), "disk full");
    EXPECT_EQ(ze::StatusText(full, ze::TextLanguage::kJapanese), "ディスクの空きが足りません。");
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(EntriesIn(dir.path()), 2u);

    // No inode left: written in place only when the whole size can be had.
    WriteFile(dir.File("third"), "");
    EXPECT_EQ(Write(target, std::string(8192, 'n')), StatusCode::kNoSpace);
    EXPECT_EQ(ReadFile(target), old);
    const std::string smaller(1000, 's');
    EXPECT_EQ(Write(target, smaller), StatusCode::kOk);
    EXPECT_EQ(ReadFile(target), smaller);
    EXPECT_EQ(EntriesIn(dir.path()), 3u);

    ASSERT_EQ(::mount(nullptr, dir.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_EQ(Write(target, old), StatusCode::kReadOnlyFs);
    EXPECT_EQ(Write(dir.File("new.png"), old), StatusCode::kReadOnlyFs);
    EXPECT_EQ(ReadFile(target), smaller);
}

// The encoder's bytes go to the temporary file while it runs; a disk that
// fills up halfway through is a full disk, not a failed encoder, and costs
// neither the old file nor a leftover temporary file.
TEST(SafeWrite, DiskFullHalfwayThroughTheEncoderLeavesTheFileAsItWas) {
    testutil::TempDir dir;
    const auto mounted = MountTmpfs(dir, "size=512k,mode=0755");
    if (!mounted) GTEST_SKIP() << "needs root to mount a tmpfs";
    const std::string target = dir.File("a.bmp"), old(1000, 'o');
    WriteFile(target, old);
    // 1 MB in pieces of 4 KB; halfway, what the temporary file holds so far.
    const std::string piece(4096, 'n');
    for (const bool stopAtFailure : {true, false}) {
        uintmax_t halfway = 0;
        const auto encoder = [&](std::FILE* f) {
            bool ok = true;
            for (int i = 0; i < 256 && (ok || !stopAtFailure); ++i) {
                if (i == 128) {
                    for (const auto& entry : fs::directory_iterator(dir.path()))
                        if (entry.path() != target) halfway = entry.file_size();
                }
                ok = std::fwrite(piece.data(), 1, piece.size(), f) == piece.size() && ok;
            }
            return ok || !stopAtFailure;
        };
        EXPECT_EQ(ze::WriteFileSafely(target, encoder), StatusCode::kNoSpace);
        EXPECT_GE(halfway, 256u * 1024) << stopAtFailure;
        EXPECT_EQ(ReadFile(target), old);
        EXPECT_EQ(EntriesIn(dir.path()), 1u);
    }
}

// Under a file-size limit (a child process, SIGXFSZ ignored as the programs
// do), by the temporary file and in place.
TEST(SafeWrite, FileSizeLimitLeavesTheFileAsItWas) {
    testutil::TempDir dir;
    const std::string single = dir.File("single.png"), linked = dir.File("linked.png");
    const std::string old(3000, 'o');
    WriteFile(single, old);
    WriteFile(linked, old);
    fs::create_hard_link(linked, dir.File("other.png"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ze::InstallSaveSignalHandlers();
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string big(10000, 'n');
        const bool ok = Write(single, big) == StatusCode::kFileSizeLimit &&
                        Write(linked, big) == StatusCode::kFileSizeLimit &&
                        Write(linked, big, true) == StatusCode::kFileSizeLimit;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFile(single), old);
    EXPECT_EQ(ReadFile(linked), old);
    EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

TEST(SafeWrite, RemovesOnlyItsOwnOldTemporaries) {
    testutil::TempDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const struct {
        std::string name;
        bool old;
        bool removed;
    } cases[] = {
        {".a.png.zesave-" + dead + "-Ab12Cd", true, true},
        {".a.png.zesave-" + dead + "-Ab12Cd2", true, false},  // not our pattern
        {".a.png.zesave-" + dead + "-Ab12C", true, false},
        {"a.png.zesave-" + dead + "-Ab12Cd", true, false},
        {".a.png.zesave-" + dead + "-Ab12Cd", false, false},  // recent (another name below)
        {".a.png.zesave-1-Ab12Cd", true, false},              // its process runs
        {".a.png.XyZ123", true, false},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(c.old ? c.name : ".b" + c.name);
        WriteFile(path, "x");
        if (c.old) fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
    }
    ASSERT_EQ(Write(dir.File("a.png"), "new"), StatusCode::kOk);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(dir.File(c.old ? c.name : ".b" + c.name)), !c.removed) << c.name;
    EXPECT_EQ(ze::RemoveStaleTemporaries(dir.path().string()), 0);
}

mode_t ModeOf(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SafeWrite, LinksOfOthersInSharedFoldersAreNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "planting another user's link takes root";
    testutil::TempDir dir;
    const std::string shared = dir.File("shared"), notes = dir.File("notes.txt");
    fs::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    WriteFile(notes, "notes");
    fs::create_symlink(notes, shared + "/theirs.html");
    ASSERT_EQ(::lchown((shared + "/theirs.html").c_str(), 65534, 65534), 0);
    EXPECT_EQ(Write(shared + "/theirs.html", "page"), StatusCode::kWriteDenied);
    EXPECT_EQ(ReadFile(notes), "notes");
    fs::create_symlink(notes, shared + "/mine.html");
    EXPECT_EQ(Write(shared + "/mine.html", "page"), StatusCode::kOk);
    EXPECT_EQ(ReadFile(notes), "page");
}

TEST(SafeWrite, PrivateFilesGoWhereOnlyTheUserMayLook) {
    testutil::TempDir dir;
    const std::string run = dir.File("run"), tmp = dir.File("tmp"), notes = dir.File("notes.txt");
    const std::string own = run + "/zer-evizi";
    fs::create_directory(run);
    fs::create_directory(tmp);
    ::chmod(tmp.c_str(), 01777);
    WriteFile(notes, "notes");
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    std::string path;
    // The folder is made; a file of the name there before, a link too, goes.
    ASSERT_EQ(ze::WritePrivateFile("p.html", "one", &path), StatusCode::kOk);
    ASSERT_EQ(path, own + "/p.html");
    fs::remove(path);
    fs::create_symlink(notes, path);
    ASSERT_EQ(ze::WritePrivateFile("p.html", "two", &path), StatusCode::kOk);
    EXPECT_EQ(ReadFile(path), "two");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(own), 0700u);
    EXPECT_EQ(ReadFile(notes), "notes");
    // Anything else under that name: one folder of mkdtemp, used again.
    std::string first;
    for (const bool link : {true, false}) {
        fs::remove_all(own);
        if (link) {
            fs::create_directory_symlink(tmp, own);
        } else {
            fs::create_directory(own);
            ::chmod(own.c_str(), 0755);
        }
        ASSERT_EQ(ze::WritePrivateFile("p.html", "three", &path), StatusCode::kOk);
        EXPECT_EQ(fs::path(path).parent_path().parent_path(), fs::path(tmp));
        EXPECT_EQ(ModeOf(fs::path(path).parent_path()), 0700u);
        EXPECT_EQ(ModeOf(path), 0600u);
        if (first.empty()) first = path;
        EXPECT_EQ(path, first);
    }
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("TMPDIR");
}

// The program's own folder is made for the user alone, and is never a link
// or another user's folder.
TEST(OwnFile, FolderIsTheUsersAloneAndNeverALink) {
    using ze::Status;
    testutil::TempDir dir;
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("state/new")), StatusCode::kOk);
    EXPECT_EQ(ModeOf(dir.File("state/new")), 0700u);
    fs::create_directory(dir.File("open"));
    ::chmod(dir.File("open").c_str(), 0777);
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("open")), StatusCode::kOk);
    EXPECT_EQ(ModeOf(dir.File("open")), 0700u);

    fs::create_symlink(dir.File("open"), dir.File("link"));
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("link")), StatusCode::kLink);
    WriteFile(dir.File("file"), "");
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("file")), StatusCode::kNotFolder);
    fs::create_directory(dir.File("nobody"));
    ::chmod(dir.File("nobody").c_str(), 0777);
    if (::geteuid() == 0 && ::chown(dir.File("nobody").c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(ze::MakeOwnFolder(dir.File("nobody")), StatusCode::kNotOurs);
        EXPECT_EQ(ModeOf(dir.File("nobody")), 0777u);
    }
}

}  // namespace

// A file exactly at the size bound is read whole, by either reader; one byte
// more is refused and the caller's buffer left alone.
TEST(OwnFile, AFileAtTheBoundIsReadOneByteMoreIsNot) {
    using ze::Status;
    testutil::TempDir dir;
    for (const size_t size : {size_t{0}, size_t{1}, size_t{70000}}) {
        const std::string bytes(size, 'x');
        WriteFile(dir.File("f"), bytes);
        for (const auto read : {ze::ReadOwnFile, ze::ReadNamedFile}) {
            std::string got = "kept";
            EXPECT_EQ(ze::CheckOwnFile(dir.File("f"), size), StatusCode::kOk);
            EXPECT_EQ(read(dir.File("f"), size, &got), StatusCode::kOk) << size;
            EXPECT_EQ(got, bytes);
            if (size == 0) continue;
            got = "kept";
            EXPECT_EQ(read(dir.File("f"), size - 1, &got), StatusCode::kOverBound) << size;
            EXPECT_EQ(got, "kept");
        }
    }
}
