#include "shell/store/qt_profile_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <filesystem>
#include <string>

#include "common/test_util.h"
#include "markup/memory_store.h"
#include "markup/settings.h"

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

// The tag-case command: any non-zero value counts as on and is switched off.
void ToggleTag() {
    SetTagSetting(GetTagSetting() == 0 ? 1 : 0);
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
    EXPECT_NE(text.find("[General]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("tag=1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("BaseDir=/home/user/web\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("%General"), std::string::npos) << text;
}

TEST(QtProfileStore, ValuesRoundTripExactly) {
    TempDir dir;
    QtProfileStore store(dir.File("sub/folder/z.conf"));  // folders made on the first write
    ScopedProfileStore installed(&store);
    for (const std::string& text :
         {std::string("C:\\web\\サイト, 2\\"), std::string("@Variant(0)"), std::string(" a=b; c "),
          std::string("\"quoted\""), std::string("")}) {
        SetBaseDirSetting(text);
        EXPECT_EQ(GetBaseDirSetting(), text);
    }
    // The empty folder is stored, not removed: it overrides any default.
    EXPECT_EQ(store.GetProfileString("General", "BaseDir", "unset"), "");
    for (int value : {0, 1, -1, 2147483647, -2147483647 - 1}) {
        SetTagSetting(value);
        EXPECT_EQ(GetTagSetting(), value);
    }
}

TEST(QtProfileStore, OutsideWritesCountAtTheNextUse) {
    TempDir dir;
    const std::string file = dir.File("z.conf");
    QtProfileStore store(file);
    ScopedProfileStore installed(&store);
    SetBaseDirSetting("C:\\web");

    WriteFile(file, "[General]\ntag=5\n");
    EXPECT_EQ(GetTagSetting(), 5);
    EXPECT_EQ(GetBaseDirSetting(), "");  // the outside writer dropped it
    ToggleTag();
    EXPECT_NE(ReadFile(file).find("tag=0"), std::string::npos);

    WriteFile(file, "[General]\nBaseDir=/srv/www\ntag=12\n\n[Recent%20File%20List]\nFile2=/x\n");
    EXPECT_EQ(GetTagSetting(), 12);
    EXPECT_EQ(GetBaseDirSetting(), "/srv/www");
    EXPECT_EQ(store.GetProfileString("Recent File List", "File2", ""), "/x");
}

TEST(QtProfileStore, NonIntegerValuesGiveTheDefault) {
    TempDir dir;
    // One file per value: QSettings sees a change made from outside by the
    // file's size and time, and two writes of the same size within one tick
    // of the file-system clock look alike.
    int n = 0;
    const auto tagIn = [&](const std::string& value) {
        const std::string file = dir.File("z" + std::to_string(n++) + ".conf");
        WriteFile(file, "[General]\ntag=" + value + "\n");
        return QtProfileStore(file).GetProfileInt("General", "tag", 7);
    };
    for (const char* value : {"abc", "1.5", "5x", "", "0x10", "4294967296", "99999999999", "1, 2"})
        EXPECT_EQ(tagIn(value), 7) << value;
    EXPECT_EQ(tagIn(" -3 "), -3);
    EXPECT_EQ(tagIn("\"12\""), 12);
}

TEST(QtProfileStore, BrokenFilesGiveDefaults) {
    TempDir dir;
    const std::string file = dir.File("z.conf");
    QtProfileStore store(file);
    ScopedProfileStore installed(&store);
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) & 0xff);
    for (const std::string& text : {noise, std::string("\0\0\0[General]\0tag=\0", 17),
                                    std::string(70000, '['), std::string("=\n=\n[]\n[/]\ntag\n")}) {
        WriteFile(file, text);
        (void)GetBaseDirSetting();
        ToggleTag();  // must not crash; the outcome depends on what could be read
    }
    WriteFile(file, noise);
    EXPECT_EQ(GetTagSetting(), 0);
    EXPECT_EQ(GetBaseDirSetting(), "");

    // A folder where the file should be cannot be read nor written.
    const std::string folder = dir.File("folder.conf");
    std::filesystem::create_directories(folder + "/x");
    QtProfileStore blocked(folder);
    EXPECT_EQ(blocked.GetProfileInt("General", "tag", 0), 0);
    EXPECT_EQ(blocked.GetProfileString("General", "BaseDir", "d"), "d");
    EXPECT_FALSE(blocked.WriteProfileInt("General", "tag", 1));
}

}  // namespace
