// The copy kept for after a crash: any bytes survive, anything cut or
// altered is refused rather than half restored.
#include "doc/recovery_record.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "support/test_util.h"

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
        std::string why;
        EXPECT_EQ(ReadRecoveryFile(dir.File(c.name), &record, &why), !*c.why) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        EXPECT_EQ(record.text, *c.why ? "" : "ab") << c.name;
    }
}
