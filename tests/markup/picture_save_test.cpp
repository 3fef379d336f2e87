// Writing the document's picture: the format by the name's extension, and
// when Ctrl+S may write straight back over the document's file.
#include "markup/picture_save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/test_util.h"
#include "common/tiny_bmp.h"
#include "image/image_types.h"
#include "markup/map_doc.h"
#include "markup/memory_store.h"
#include "markup/settings.h"

namespace {

SaveSituation Situation(const std::string& target, int type, bool savable, bool lossy) {
    SaveSituation s;
    s.hasPicture = true;
    s.target = target;
    s.fileType = type;
    s.typeSavable = savable;
    s.lossyLoad = lossy;
    return s;
}

TEST(DecideSave, WritesBackOnlyWhatLosesNothing) {
    EXPECT_EQ(DecideSave(Situation("/p/a.bmp", kImageBmp, true, false)), SaveRoute::kWriteBack);
    EXPECT_EQ(DecideSave(Situation("/p/a.png", kImagePng, true, false)), SaveRoute::kWriteBack);
    // Alpha, transparency or 16-bit samples were flattened on load.
    EXPECT_EQ(DecideSave(Situation("/p/a.png", kImagePng, true, true)), SaveRoute::kAskName);
    // A JPEG is encoded afresh, whatever the reader recorded.
    EXPECT_EQ(DecideSave(Situation("/p/a.jpg", kImageJpeg, true, false)), SaveRoute::kAskName);
    // GIF is not savable from the picture dialog's list: always asked.
    EXPECT_EQ(DecideSave(Situation("/p/a.gif", kImageGif, false, false)), SaveRoute::kAskName);
    // No target: the file is read-only or has gone.
    EXPECT_EQ(DecideSave(Situation("", kImageBmp, true, false)), SaveRoute::kAskName);
    SaveSituation none = Situation("/p/a.bmp", kImageBmp, true, false);
    none.hasPicture = false;
    EXPECT_EQ(DecideSave(none), SaveRoute::kNothing);
}

class SavePicture : public ::testing::Test {
protected:
    void SetUp() override {
        testutil::WriteFile(dir.File("a.bmp"), testutil::TinyBmp(5, 3));
        doc.SetOnPathSet([this](const std::string&) { ++pathsSet; });
        ASSERT_TRUE(doc.OnOpenDocument(dir.File("a.bmp")));
        pathsSet = 0;
    }
    MemoryProfileStore store;
    ScopedProfileStore scoped{&store};
    testutil::TempDir dir;
    CMapDoc doc;
    int pathsSet = 0;
};

TEST_F(SavePicture, WritingTheDocumentsFileTakesItsName) {
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
