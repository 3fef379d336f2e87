// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/qt_profile_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <filesystem>
#include <string>

#include "document/settings.h"
#include "support/memory_store.h"
#include "support/test_util.h"

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

// A settings file of its own for each text: QSettings sees a change made
// from outside by the file's size and time, and two writes of the same size
// within one tick of the file-system clock look alike.
std::string NewFile(TempDir& dir, const std::string& text) {
    static int n = 0;
    const std::string file = dir.File(std::to_string(n++) + ".conf");
    WriteFile(file, text);
    return file;
}

TEST(QtProfileStore, DefaultLocationHoldsGeneralAsIniSection) {
    TempDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.path().string()));
    QtProfileStore store;
    ScopedProfileStore installed(&store);
    const std::string file = dir.File("SEKKA/Zer Evizi SEKKA.conf");
    EXPECT_EQ(store.Location(), file);

    SetTagSetting(1);
    SetBaseDirSetting("/home/user/web");
    EXPECT_TRUE(store.WriteProfileString("Recent File List", "File1", "/home/user/a.gif"));
    const std::string text = ReadFile(file);
    for (const char* line : {"[General]\n", "tag=1\n", "BaseDir=/home/user/web\n"})
        EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_EQ(text.find("%General"), std::string::npos) << text;
}

TEST(QtProfileStore, ValuesRoundTripExactlyAndOutsideWritesCount) {
    TempDir dir;
    const std::string file = dir.File("sub/folder/z.conf");  // folders made on the first write
    QtProfileStore store(file);
    ScopedProfileStore installed(&store);
    for (const char* text : {"C:\\web\\サイト, 2\\", "@Variant(0)", " a=b; c ", "\"quoted\"", ""}) {
        SetBaseDirSetting(text);
        EXPECT_EQ(GetBaseDirSetting(), text);
    }
    // The empty folder is stored, not removed: it overrides any default.
    EXPECT_EQ(store.GetProfileString("General", "BaseDir", "unset"), "");
    for (int value : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        SetTagSetting(value);
        EXPECT_EQ(GetTagSetting(), value);
    }

    // What is written from outside counts at the next use.
    SetBaseDirSetting("C:\\web");
    WriteFile(file, "[General]\ntag=5\n");
    EXPECT_EQ(GetTagSetting(), 5);
    EXPECT_EQ(GetBaseDirSetting(), "");  // the outside writer dropped it
    SetTagSetting(0);
    EXPECT_NE(ReadFile(file).find("tag=0"), std::string::npos);

    WriteFile(file, "[General]\nBaseDir=/srv/www\ntag=12\n\n[Recent%20File%20List]\nFile2=/x\n");
    EXPECT_EQ(GetTagSetting(), 12);
    EXPECT_EQ(GetBaseDirSetting(), "/srv/www");
    EXPECT_EQ(store.GetProfileString("Recent File List", "File2", ""), "/x");
}

// A file with anything the store does not understand in full reads as
// empty and is never written; a file QSettings could have written is both
// read and written. Only a whole number is an integer.
TEST(QtProfileStore, FilesNotUnderstoodInFullAreNeverWritten) {
    TempDir dir;
    const auto tagIn = [&dir](const std::string& value) {
        return QtProfileStore(NewFile(dir, "[General]\ntag=" + value + "\n"))
            .GetProfileInt("General", "tag", 7);
    };
    for (const char* value : {"abc", "1.5", "5x", "", "0x10", "4294967296", "99999999999", "1, 2"})
        EXPECT_EQ(tagIn(value), 7) << value;
    EXPECT_EQ(tagIn(" -3 "), -3);
    EXPECT_EQ(tagIn("\"12\""), 12);

    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) & 0xff);
    const struct {
        std::string text;
        bool clean;
    } cases[] = {
        {noise, false},
        {std::string("\0\0\0[General]\0tag=\0", 17), false},
        {std::string(70000, '['), false},
        {"=\n=\n[]\n[/]\ntag\n", false},
        {"[General]\ntag=5\n[Broken\nb=2\n", false},
        {"[General]\ntag=5\nnot a setting\n", false},
        {"[General]\ntag=5\nBaseDir=\"/srv\n", false},  // quote left open
        {"[General]\ntag=5\\\nBaseDir=/srv\n", false},  // runs on into the next line
        {"[General]\ntag=5\xff\n", false},
        {"\xEF\xBB\xBF; mine\r\n[General]\r\ntag = 5 ; five\r\n\r\n[Recent%20File%20List]\r\n"
         "File1=\"/a;b\"\r\n",
         true},
    };
    for (const auto& c : cases) {
        const std::string file = NewFile(dir, c.text);
        QtProfileStore store(file);
        EXPECT_EQ(store.GetProfileInt("General", "tag", 0), c.clean ? 5 : 0) << &c - cases;
        EXPECT_EQ(store.WriteProfileInt("General", "tag", 7), c.clean) << &c - cases;
        if (c.clean) {
            EXPECT_EQ(store.GetProfileInt("General", "tag", 0), 7);
            EXPECT_EQ(store.GetProfileString("Recent File List", "File1", ""), "/a;b");
        } else {
            EXPECT_EQ(ReadFile(file), c.text);
        }
    }

    // A folder where the file should be cannot be read nor written.
    const std::string folder = dir.File("folder.conf");
    std::filesystem::create_directories(folder + "/x");
    QtProfileStore blocked(folder);
    EXPECT_EQ(blocked.GetProfileInt("General", "tag", 0), 0);
    EXPECT_EQ(blocked.GetProfileString("General", "BaseDir", "d"), "d");
    EXPECT_FALSE(blocked.WriteProfileInt("General", "tag", 1));
}

// Commas typed into the file by hand, unquoted: the text reads back as it
// stands, and a later write stores it as that text.
TEST(QtProfileStore, TextWithCommasReadsBackExactly) {
    TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"/home/me/a,b", "/home/me/a,b"},
        {" C:\\\\web\\\\a , b,,  c ", "C:\\web\\a , b,,  c"},
        {"a,b ; note", "a,b"},
        {"x\\x41, \\t", "xA, \t"},
        {",", ","},
    };
    for (const auto& [raw, want] : cases) {
        const std::string file =
            NewFile(dir, std::string("[General]\nBaseDir=") + raw + "\ntag=1\n");
        QtProfileStore store(file);
        ScopedProfileStore installed(&store);
        EXPECT_EQ(GetBaseDirSetting(), want) << raw;
        SetTagSetting(0);
        EXPECT_EQ(GetTagSetting(), 0);
        EXPECT_EQ(GetBaseDirSetting(), want) << raw << "\n" << ReadFile(file);
    }
}

}  // namespace
