#include "shell/store/recent_files.h"

#include <gtest/gtest.h>

#include "common/test_util.h"
#include "shell/store/qt_profile_store.h"

namespace {

using List = std::vector<std::string>;

TEST(RecentFileList, AddMovesToTheHeadAndKeepsFour) {
    List files;
    for (const char* p : {"/a.gif", "/b.gif", "/c.gif", "/d.gif", "/e.gif"})
        files = AddToRecentFileList(files, p);
    EXPECT_EQ(files, (List{"/e.gif", "/d.gif", "/c.gif", "/b.gif"}));
    files = AddToRecentFileList(files, "/c.gif");
    EXPECT_EQ(files, (List{"/c.gif", "/e.gif", "/d.gif", "/b.gif"}));
    // Byte-wise: another case is another file.
    files = AddToRecentFileList(files, "/C.gif");
    EXPECT_EQ(files, (List{"/C.gif", "/c.gif", "/e.gif", "/d.gif"}));
}

TEST(RecentFileList, SavedListReadsBackAndShrinks) {
    testutil::TempDir dir;
    const std::string file = dir.File("z.conf");
    QtProfileStore store(file);
    EXPECT_TRUE(LoadRecentFileList(store).empty());

    EXPECT_TRUE(SaveRecentFileList(store, {"/x/地図.gif", "/y, z.png", "/w.bmp"}));
    EXPECT_EQ(LoadRecentFileList(store), (List{"/x/地図.gif", "/y, z.png", "/w.bmp"}));
    EXPECT_NE(testutil::ReadFile(file).find("File1=/x/"), std::string::npos);
    // The other settings share the file and stay.
    store.WriteProfileInt("General", "tag", 1);
    EXPECT_TRUE(SaveRecentFileList(store, {"/only.gif"}));
    EXPECT_EQ(LoadRecentFileList(store), List{"/only.gif"});
    EXPECT_EQ(store.GetProfileInt("General", "tag", 0), 1);

    // A gap left by an outside edit is skipped.
    testutil::WriteFile(file, "[Recent%20File%20List]\nFile1=/a\nFile3=/c\nFile5=/e\n");
    EXPECT_EQ(LoadRecentFileList(store), (List{"/a", "/c"}));

    QtProfileStore blocked(dir.File("z.conf/inside"));
    EXPECT_FALSE(SaveRecentFileList(blocked, {"/a"}));
}

}  // namespace
