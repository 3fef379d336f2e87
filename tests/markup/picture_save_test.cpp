// The document's picture types by extension, writing its picture in the
// format of the name's extension, and when Ctrl+S may write straight back
// over the document's file.
#include "markup/picture_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/test_util.h"
#include "common/tiny_bmp.h"
#include "image/image_types.h"
#include "markup/map_doc.h"
#include "markup/picture_type.h"

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

TEST(DecideSave, WritesBackOnlyWhatLosesNothing) {
    const struct {
        const char* target;
        int type;
        bool savable, lossy;
        SaveRoute route;
    } cases[] = {
        {"/p/a.bmp", kImageBmp, true, false, SaveRoute::kWriteBack},
        {"/p/a.png", kImagePng, true, false, SaveRoute::kWriteBack},
        // Alpha, transparency or 16-bit samples were flattened on load.
        {"/p/a.png", kImagePng, true, true, SaveRoute::kAskName},
        // A JPEG is encoded afresh, whatever the reader recorded.
        {"/p/a.jpg", kImageJpeg, true, false, SaveRoute::kAskName},
        // GIF is not savable from the picture dialog's list: always asked.
        {"/p/a.gif", kImageGif, false, false, SaveRoute::kAskName},
        // No target: the file is read-only or has gone.
        {"", kImageBmp, true, false, SaveRoute::kAskName},
    };
    for (const auto& c : cases) {
        SaveSituation s{true, c.target, c.type, c.savable, c.lossy};
        EXPECT_EQ(DecideSave(s), c.route) << c.target << c.lossy;
        s.hasPicture = false;
        EXPECT_EQ(DecideSave(s), SaveRoute::kNothing);
    }
}

TEST(SavePicture, WritingTheDocumentsFileTakesItsName) {
    testutil::TempDir dir;
    testutil::WriteFile(dir.File("a.bmp"), testutil::TinyBmp(5, 3));
    CMapDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("a.bmp"), {}));
    int pathsSet = 0;
    doc.SetOnPathSet([&](const std::string&) { ++pathsSet; });

    doc.m_pImage->GetImpl()->lossyLoad = true;
    EXPECT_EQ(doc.SavePicture(dir.File("b.png")), SaveStatus::kSaved);
    // A copy does not change what the document's own file holds.
    EXPECT_TRUE(doc.m_pImage->GetImpl()->lossyLoad);
    doc.PictureWrittenTo(dir.File("b.png"));
    EXPECT_EQ(doc.GetPathName(), dir.File("b.png"));
    EXPECT_EQ(doc.GetTitle(), "b.png");
    EXPECT_EQ(pathsSet, 1);
    EXPECT_FALSE(doc.m_pImage->GetImpl()->lossyLoad);

    // What is refused before any writer runs.
    EXPECT_EQ(doc.SavePicture(dir.File("out.tif")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(dir.File("noext")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(""), SaveStatus::kNoName);
    doc.m_pImage.reset();
    EXPECT_EQ(doc.SavePicture(dir.File("c.bmp")), SaveStatus::kNoPicture);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.bmp")));
}

}  // namespace
