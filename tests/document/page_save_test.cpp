// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a page by name, saving back into a page that changed on disk, the image source of
// markup saved elsewhere, and the copy kept for after a crash: any bytes survive, anything cut or
// altered is refused.
#include "document/page_save.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>

#include "document/page_file.h"
#include "document/recovery_record.h"
#include "support/test_util.h"

namespace {
const std::string kBanner = "<img src=\"b.gif\" usemap=\"#b\"><map name=\"b\"></map>\n";
const std::string kOurs =
    "<img src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\"><area href=1></map>\n";
}  // namespace

TEST(PageSave, FindsOurImageAndMapByWhatTheyAre) {
    const std::string opened = kBanner + kOurs;
    const PageSnapshot ours = TakePageSnapshot(opened, ReadHtmlPage(opened), 1);
    const std::string twice = opened + "<img src=\"a.gif\" usemap=\"#m\">\n";
    const PageSnapshot second = TakePageSnapshot(twice, ReadHtmlPage(twice), 2);
    const PageSnapshot pane = PaneIdentity(kOurs);
    const struct {
        const char* what;
        std::string disk;
        const PageSnapshot& snapshot;
        const ze::Status& status;
        size_t index;
    } cases[] = {
        {"unchanged", opened, ours, ze::StatusCode::kOk, 1},
        {"area added to ours",
         kBanner + "<img src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\">"
                   "<area href=1><area></map>\n",
         ours, ze::StatusCode::kOursChanged, 1},
        {"our tag changed", "<img alt=x src=\"a.gif\" usemap=\"#m\">\n<map name=\"m\"></map>", ours,
         ze::StatusCode::kOursChanged, 0},
        {"src changed", "<img src=c.gif usemap=#m><map name=m></map>", ours,
         ze::StatusCode::kMapNotFound, 0},
        {"twice alike", "<p>" + twice, ours, ze::StatusCode::kMapSeveral, 1},
        {"twice, one as it was", kBanner + "<img src=a.gif usemap=#m>\n" + kOurs, ours,
         ze::StatusCode::kOk, 2},
        {"twice alike, unchanged page", twice, second, ze::StatusCode::kOk, 2},
        {"nothing remembered", opened, pane, ze::StatusCode::kUnknownOrigin, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PageSavePlan plan = PlanPageSave(c.disk, ReadHtmlPage(c.disk), c.snapshot);
        EXPECT_EQ(plan.status, c.status);
        EXPECT_EQ(plan.index, c.index);
    }
}

TEST(PageSave, WhatIsWrittenIsRememberedWhicheverComesFirst) {
    for (const std::string& page : {kBanner + kOurs + "<p>", "<map name=\"m\"></map>\n" + kBanner +
                                                                 "<img usemap=#m src=a.gif>"}) {
        const HtmlPage read = ReadHtmlPage(page);
        const size_t index = read.maps.size() - 1;
        const std::string pane =
            "<img src=\"a.gif\" usemap=\"#m\">\r\n<map name=\"m\"><area></map>";
        std::string merged;
        ASSERT_EQ(MergeMarkup(page, read, index, pane, &merged), ze::StatusCode::kOk);
        const PageSnapshot written = SnapshotAfterMerge(page, read, index, merged);
        EXPECT_EQ(written.image, "<img src=\"a.gif\" usemap=\"#m\">");
        EXPECT_EQ(written.map, "<map name=\"m\"><area></map>");
        EXPECT_EQ(PlanPageSave(merged, ReadHtmlPage(merged), written).status, ze::StatusCode::kOk);
    }
}

TEST(PageSave, ImageSourceEditKeepsTheQuotesAndEscapes) {
    const struct {
        const char* pane;
        const char* after;
    } cases[] = {
        {"<img src=\"a.gif\"><map>", "<img src=\"../d/a&amp;'.gif\"><map>"},
        {"<IMG SRC='a.gif' USEMAP=#m>", "<IMG SRC='../d/a&amp;&#39;.gif' USEMAP=#m>"},
        {"<img src=a.gif usemap=#m>", "<img src=\"../d/a&amp;'.gif\" usemap=#m>"},
        {"<!-- <img> --><img usemap='#m'/>",
         "<!-- <img> --><img usemap='#m' src=\"../d/a&amp;'.gif\"/>"},
    };
    for (const auto& c : cases) {
        TextEdit edit;
        ASSERT_TRUE(ImageSourceEdit(c.pane, "../d/a&'.gif", &edit)) << c.pane;
        EXPECT_EQ(ApplyEdit(c.pane, edit), c.after);
    }
    TextEdit edit;
    EXPECT_FALSE(ImageSourceEdit("<map name=m></map>", "a.gif", &edit));
}

TEST(RecoveryRecord, RoundTripsAnyBytesAndRefusesDamage) {
    const RecoveryRecord record{"/home/me/地図\nwith newline.gif", "/home/me/index.html", true, 2,
                                std::string("<map name=\"m\">\r\n\0</map>", 23)};
    const std::string bytes = FormatRecoveryRecord(record);
    RecoveryRecord read;
    ASSERT_TRUE(ParseRecoveryRecord(bytes, &read));
    EXPECT_EQ(
        std::tie(read.picture, read.markupFile, read.fromPage, read.image, read.text),
        std::tie(record.picture, record.markupFile, record.fromPage, record.image, record.text));

    RecoveryRecord plain;
    plain.text = "x";
    ASSERT_TRUE(ParseRecoveryRecord(FormatRecoveryRecord(plain), &read));
    EXPECT_FALSE(read.fromPage);
    EXPECT_EQ(read.picture, "");

    read.text = "unchanged";
    for (size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(ParseRecoveryRecord(bytes.substr(0, cut), &read)) << cut;
    const std::string damaged[] = {
        bytes + "x",
        "ZER-EVIZI-RECOVERY 2" + bytes.substr(20),
        "ZER-EVIZI-RECOVERY 1\npicture 99999999999999999999999\n",
        "ZER-EVIZI-RECOVERY 1\npicture 0\n\nmarkup 0\n\npage 1\n-\ntext 0\n\n",
    };
    for (const std::string& d : damaged) EXPECT_FALSE(ParseRecoveryRecord(d, &read)) << d;
    EXPECT_EQ(read.text, "unchanged");
}

// A copy is read back only from a regular file of the user's own within the
// bound, without following links or blocking; what does not read as a whole
// record is refused with its reason.
TEST(RecoveryRecord, ReadsOnlyAWholeCopyFromARegularFileOfOurs) {
    namespace fs = std::filesystem;
    testutil::TempDir dir;
    const std::string good =
        "ZER-EVIZI-RECOVERY 1\npicture 0\n\nmarkup 0\n\npage 0\n\ntext 2\nab\n";
    testutil::WriteFile(dir.File("good"), good);
    testutil::WriteFile(dir.File("cut"), good.substr(0, good.size() - 1));
    testutil::WriteFile(dir.File("garbled"), "ZER-EVIZI-RECOVERY 1\npicture 9\n");
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    fs::create_symlink(dir.File("good"), dir.File("link"));
    fs::create_symlink(dir.File("fifo"), dir.File("fifo-link"));
    fs::create_symlink("/dev/zero", dir.File("zero-link"));
    fs::create_directory(dir.File("folder"));
    testutil::WriteFile(dir.File("sparse"), "");
    fs::resize_file(dir.File("sparse"), size_t{1} << 30);
    testutil::WriteFile(dir.File("nobody"), good);
    const bool root = geteuid() == 0 && chown(dir.File("nobody").c_str(), 65534, 65534) == 0;
    const struct {
        const char* name;
        const char* why;  // empty: read
    } cases[] = {
        {"good", ""},
        {"cut", "cut off or damaged"},
        {"garbled", "cut off or damaged"},
        {"fifo", "not a regular file"},
        {"link", "a symbolic link"},
        {"fifo-link", "a symbolic link"},
        {"zero-link", "a symbolic link"},
        {"folder", "not a regular file"},
        {"sparse", "larger than 64 MB"},
        {"missing", "no such file"},
        {"nobody", root ? "owned by another user" : ""},
    };
    for (const auto& c : cases) {
        RecoveryRecord record;
        ze::Status why;
        const bool read = ReadRecoveryFile(dir.File(c.name), &record, &why);
        EXPECT_EQ(read, !*c.why) << c.name;
        EXPECT_EQ(read ? "" : ze::StatusText(why, ze::TextLanguage::kEnglish), c.why) << c.name;
        EXPECT_EQ(record.text, *c.why ? "" : "ab") << c.name;
    }
}

// A page exactly at the size bound opens; one byte over it is refused as too
// large, before the page is read.
TEST(PageFile, APageAtTheBoundOpens) {
    testutil::TempDir dir;
    const std::string page = "<img src=a.gif usemap=#m><map name=m></map>";
    testutil::WriteFile(dir.File("page.html"), page);
    PageLimits limits;
    limits.maxBytes = page.size();
    const PageFile at = LoadPageFile(dir.File("page.html"), limits);
    EXPECT_TRUE(at.ok) << ze::StatusText(at.error, ze::TextLanguage::kEnglish);
    EXPECT_EQ(at.bytes, page);
    limits.maxBytes = page.size() - 1;
    const PageFile over = LoadPageFile(dir.File("page.html"), limits);
    EXPECT_FALSE(over.ok);
    EXPECT_EQ(over.page.status, ze::StatusCode::kPageTooLarge);
    EXPECT_EQ(over.bytes, "");
}

// The name flips between a page and a FIFO (a link renamed over it) while
// the page is opened again and again: every open answers at once, with the
// page or not a regular file, and never waits for a writer.
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
    // Until both have been met a few times, however the threads are run. A
    // read that waits for a writer hangs here (the test's time limit fails it).
    int read = 0, refused = 0;
    for (int i = 0; i < 20000 && (i < 300 || read < 10 || refused < 10); ++i) {
        const PageFile page = LoadPageFile(dir.File("page.html"));
        (page.ok ? read : refused) += 1;
        EXPECT_TRUE(page.ok || page.error == ze::StatusCode::kNotRegular) << int(page.error.code);
    }
    stop = true;
    swapper.join();
    EXPECT_GE(read, 10);
    EXPECT_GE(refused, 10);
}
