// The program's own folder: made for the user alone, and never a link or
// another user's folder.
#include "io/own_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/test_util.h"

TEST(OwnFile, FolderIsTheUsersAloneAndNeverALink) {
    namespace fs = std::filesystem;
    using ze::OwnFileStatus;
    testutil::TempDir dir;
    const auto mode = [&](const std::string& name) {
        struct stat st {};
        lstat(dir.File(name).c_str(), &st);
        return st.st_mode & 0777;
    };
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("state/new")), OwnFileStatus::kOk);
    EXPECT_EQ(mode("state/new"), 0700u);
    fs::create_directory(dir.File("open"));
    chmod(dir.File("open").c_str(), 0777);
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("open")), OwnFileStatus::kOk);
    EXPECT_EQ(mode("open"), 0700u);

    fs::create_symlink(dir.File("open"), dir.File("link"));
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("link")), OwnFileStatus::kLink);
    testutil::WriteFile(dir.File("file"), "");
    EXPECT_EQ(ze::MakeOwnFolder(dir.File("file")), OwnFileStatus::kNotFolder);
    fs::create_directory(dir.File("nobody"));
    chmod(dir.File("nobody").c_str(), 0777);
    if (geteuid() == 0 && chown(dir.File("nobody").c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(ze::MakeOwnFolder(dir.File("nobody")), OwnFileStatus::kNotOurs);
        EXPECT_EQ(mode("nobody"), 0777u);
    }
}
