// The copy kept for after a crash: any bytes survive, anything cut or
// altered is refused rather than half restored.
#include "markup/recovery_record.h"

#include <gtest/gtest.h>

TEST(RecoveryRecord, RoundTripsAnyBytesAndRefusesDamage) {
    RecoveryRecord record;
    record.picture = "/home/me/地図\nwith newline.gif";
    record.markupFile = "/home/me/index.html";
    record.fromPage = true;
    record.image = 2;
    record.text = std::string("<map name=\"m\">\r\n\0</map>", 23);
    const std::string bytes = FormatRecoveryRecord(record);
    RecoveryRecord read;
    ASSERT_TRUE(ParseRecoveryRecord(bytes, &read));
    EXPECT_EQ(read.picture, record.picture);
    EXPECT_EQ(read.markupFile, record.markupFile);
    EXPECT_TRUE(read.fromPage);
    EXPECT_EQ(read.image, 2);
    EXPECT_EQ(read.text, record.text);

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
