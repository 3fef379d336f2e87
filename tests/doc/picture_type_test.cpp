// The document's picture types by extension, and writing its picture in the
// format of the name's extension.
#include "doc/picture_type.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "doc/map_doc.h"
#include "support/test_util.h"
#include "support/tiny_bmp.h"

namespace {

TEST(PictureType, ExtensionsInAnyCaseAndTheLastDotOfThePath) {
    for (const char* path : {"/p/photo.JPG", "/p/photo.jpeg", "/p/photo.JpEg"})
        EXPECT_EQ(PictureTypeFromPath(path), 1) << path;
    EXPECT_EQ(PictureTypeFromPath("a.Gif"), 2);
    EXPECT_EQ(PictureTypeFromPath("a.PNG"), 4);
    EXPECT_EQ(PictureTypeFromPath("a.bmp"), 0);
    // Refused: other extensions, none at all, a trailing dot, XPM (no
    // implementation), and a dot only in a folder name.
    for (const char* path :
         {"a.tif", "photo", "photo.", "a.xpm", "C:\\data.v2\\photo", "/data.gif/photo"})
        EXPECT_EQ(PictureTypeFromPath(path), -1) << path;
    EXPECT_EQ(PictureExtensionOfPath("C:\\data.v2\\photo"), "v2\\photo");
    // Bytes of UTF-8 text are never lowered.
    EXPECT_EQ(PictureExtensionOfPath("/p/写真.ÄBMP"), "Äbmp");
}

TEST(SavePicture, WritesACopyAndRefusesBeforeAnyWriter) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("a.bmp"), testutil::TinyBmp(5, 3));
    CMapDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("a.bmp"), {}));
    int pathsSet = 0;
    doc.SetOnPathSet([&](const std::string&) { ++pathsSet; });

    EXPECT_EQ(doc.SavePicture(dir.File("b.png")), SaveStatus::kSaved);
    EXPECT_TRUE(std::filesystem::exists(dir.File("b.png")));
    // The document stays the picture it opened.
    EXPECT_EQ(doc.GetPathName(), dir.File("a.bmp"));
    EXPECT_EQ(pathsSet, 0);

    // What is refused before any writer runs.
    EXPECT_EQ(doc.SavePicture(dir.File("out.tif")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(dir.File("noext")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(""), SaveStatus::kNoName);
    doc.m_pImage.reset();
    EXPECT_EQ(doc.SavePicture(dir.File("c.bmp")), SaveStatus::kNoPicture);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.bmp")));
}

}  // namespace
