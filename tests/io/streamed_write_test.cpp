// The encoder's bytes go to the temporary file while it runs; a disk that
// fills up halfway through is a full disk, not a failed encoder, and costs
// neither the old file nor a leftover temporary file.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "io/safe_write.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;

TEST(StreamedWrite, DiskFullHalfwayLeavesTheFileAsItWas) {
    testutil::TempDir dir;
    if (::geteuid() != 0 ||
        ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=512k,mode=0755") != 0)
        GTEST_SKIP() << "needs root to mount a tmpfs";
    const std::shared_ptr<void> unmount(nullptr,
                                        [&](void*) { ::umount2(dir.path().c_str(), MNT_DETACH); });
    const std::string target = dir.File("a.bmp"), old(1000, 'o');
    testutil::WriteFile(target, old);
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
        EXPECT_EQ(ze::WriteFileSafely(target, encoder), ze::WriteError::kNoSpace);
        EXPECT_GE(halfway, 256u * 1024) << stopAtFailure;
        EXPECT_EQ(testutil::ReadFile(target), old);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
    }
}

}  // namespace
