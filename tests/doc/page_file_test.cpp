// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a page by name while someone swaps what the name points to.
#include "doc/page_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include "support/test_util.h"

// The name flips between a page and a FIFO (a link renamed over it) while
// the page is opened again and again: every open answers at once, with the
// page or "not a file", and never waits for a writer.
TEST(PageFile, AFifoSwappedInNeverHangsTheRead) {
    namespace fs = std::filesystem;
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("real.html"), "<img src=a.gif usemap=#m><map name=m></map>");
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    fs::create_symlink(dir.File("real.html"), dir.File("page.html"));
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (int k = 0; !stop; ++k) {
            const std::string next = dir.File("next");
            fs::remove(next);
            fs::create_symlink(dir.File(k % 2 ? "real.html" : "fifo"), next);
            std::rename(next.c_str(), dir.File("page.html").c_str());
        }
    });
    // Until both have been met a few times, however the threads are run.
    int hung = 0, read = 0, refused = 0;
    for (int i = 0; hung == 0 && i < 20000 && (i < 300 || read < 10 || refused < 10); ++i) {
        auto load =
            std::async(std::launch::async, [&] { return LoadPageFile(dir.File("page.html")); });
        if (load.wait_for(std::chrono::seconds(3)) == std::future_status::timeout) {
            ++hung;
            // A writer lets the blocked reader go.
            const int fd = open(dir.File("fifo").c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
        }
        const PageFile page = load.get();
        if (page.ok) {
            ++read;
        } else {
            ++refused;
            EXPECT_EQ(page.error, "not a file");
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(hung, 0);
    EXPECT_GE(read, 10);
    EXPECT_GE(refused, 10);
}
