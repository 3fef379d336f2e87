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
    std::string Head(const std::string& name, size_t n) {
        return testutil::ReadFile(dir.File(name)).substr(0, n);
    }
    MemoryProfileStore store;
    ScopedProfileStore scoped{&store};
    testutil::TempDir dir;
    CMapDoc doc;
    int pathsSet = 0;
};

TEST_F(SavePicture, FormatComesFromTheLoweredExtension) {
    EXPECT_EQ(doc.SavePicture(dir.File("out.PNG")), SaveStatus::kSaved);
    EXPECT_EQ(Head("out.PNG", 4), "\x89PNG");
    EXPECT_EQ(doc.SavePicture(dir.File("out.jpeg")), SaveStatus::kSaved);
    EXPECT_EQ(Head("out.jpeg", 2), "\xFF\xD8");
    EXPECT_EQ(doc.SavePicture(dir.File("out.Bmp")), SaveStatus::kSaved);
    EXPECT_EQ(Head("out.Bmp", 2), "BM");

    // Names that no writer takes: nothing is written.
    EXPECT_EQ(doc.SavePicture(dir.File("out.tif")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(dir.File("noext")), SaveStatus::kBadType);
    EXPECT_EQ(doc.SavePicture(""), SaveStatus::kNoName);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.tif")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("noext")));
    EXPECT_FALSE(doc.OnSaveDocument(dir.File("out.tif")));

    // Writing a copy leaves the document's own name alone.
    EXPECT_EQ(doc.GetPathName(), dir.File("a.bmp"));
    EXPECT_EQ(doc.GetTitle(), "a.bmp");
    EXPECT_EQ(pathsSet, 0);

    doc.m_pImage.reset();
    EXPECT_EQ(doc.SavePicture(dir.File("out2.bmp")), SaveStatus::kNoPicture);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out2.bmp")));
}

TEST_F(SavePicture, GifNameWritesGif) {
    const SaveStatus status = doc.SavePicture(dir.File("out.gif"));
    if (status == SaveStatus::kWriteFailed) GTEST_SKIP() << "this build has no GIF writer yet";
    EXPECT_EQ(status, SaveStatus::kSaved);
    EXPECT_EQ(Head("out.gif", 6), "GIF87a");
}

TEST_F(SavePicture, FailedWriteReportsAndLeavesWhatWasThere) {
    // Fails for root too: a folder stands where the file would go, and a
    // path through a device that is no folder.
    std::filesystem::create_directory(dir.File("taken.png"));
    testutil::WriteFile(dir.File("taken.png/keep"), "kept");
    EXPECT_EQ(doc.SavePicture(dir.File("taken.png")), SaveStatus::kWriteFailed);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.png")));
    EXPECT_EQ(testutil::ReadFile(dir.File("taken.png/keep")), "kept");
    EXPECT_EQ(doc.SavePicture("/dev/full/out.bmp"), SaveStatus::kWriteFailed);
    // The picture survives a failed write and can still be saved.
    EXPECT_EQ(doc.SavePicture(dir.File("after.bmp")), SaveStatus::kSaved);
}

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
}

}  // namespace
