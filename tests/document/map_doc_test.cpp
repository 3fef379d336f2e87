// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a picture into the map document, writing the skeleton, the
// picture types by extension, saving the picture, and the readout.
#include "document/map_doc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "document/picture_source.h"
#include "document/picture_type.h"
#include "document/readout.h"
#include "support/pictures.h"
#include "support/test_util.h"

namespace {

class OpenPicture : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetPane(&pane);
        doc.SetOnPathSet([this](const std::string& p) { pathsSet.push_back(p); });
    }
    std::string Picture(const std::string& name, int width, int height) {
        const std::string path = dir.File(name);
        testutil::WriteFile(path, testutil::TinyBmp(width, height));
        return path;
    }
    testutil::TempDir dir;
    MemoryMarkupPane pane;
    CMapDoc doc;
    std::vector<std::string> pathsSet;
};

}  // namespace

// The source is LinkTextForPath's link text (link_path_test); the lower-case
// skeleton is OpenPicture's.
TEST(Skeleton, ThreeLinesInTheCaseAsked) {
    const struct {
        bool upper;
        const char* source;
        int width, height;
        const char* name;
        const char* expected;
    } cases[] = {
        {true, "logo.gif", 120, 60, "logo",
         "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 ALT=\"\" USEMAP=\"#map_logo\">\r\n"
         "<MAP NAME=\"map_logo\">\r\n</MAP>"},
        // A double quote in the file name is written as &quot;.
        {true, "a\"b.gif", 1, 2, "m\"",
         "<IMG SRC=\"a&quot;b.gif\" WIDTH=1 HEIGHT=2 ALT=\"\" USEMAP=\"#map_m&quot;\">\r\n"
         "<MAP NAME=\"map_m&quot;\">\r\n</MAP>"},
    };
    for (const auto& c : cases) {
        MemoryMarkupPane pane;
        pane.SetWindowText("old text");
        WriteSkeleton(pane, c.source, c.width, c.height, c.name, c.upper);
        EXPECT_EQ(pane.GetWindowText(), c.expected);
        EXPECT_EQ(pane.GetCaret(), pane.GetWindowText().size());
    }
}

// The whole file name, Japanese, spaces, every dot and the extension,
// names the map; each open follows the settings it is given.
TEST_F(OpenPicture, SkeletonNamesTheFileWholeWithTheSettingsOfEachOpen) {
    const std::string path = Picture("地図 画像.v1.bmp", 2, 3);
    ASSERT_TRUE(doc.OnOpenDocument(path, {}));
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(doc.GetTitle(), "地図 画像.v1.bmp");
    EXPECT_EQ(pathsSet, std::vector<std::string>{path});
    EXPECT_EQ(pane.GetWindowText(),
              "<img src=\"地図 画像.v1.bmp\" width=2 height=3 alt=\"\" usemap=\"#map_地図 "
              "画像.v1.bmp\">\r\n"
              "<map name=\"map_地図 画像.v1.bmp\">\r\n</map>");

    // Hand edits are discarded. A base folder 500 levels deep makes a source
    // far beyond 1,023 bytes.
    pane.SetWindowText("hand edits");
    std::string base = dir.path().string(), up;
    for (int i = 0; i < 500; ++i) base += "/d", up += "../";
    ASSERT_TRUE(doc.OnOpenDocument(path, MarkupSettings{true, base}));
    EXPECT_TRUE(
        pane.GetWindowText().starts_with("<IMG SRC=\"" + up + "地図 画像.v1.bmp\" WIDTH=2"));
}

TEST_F(OpenPicture, RefusedOrBrokenPictureChangesNothing) {
    const std::string path = Picture("logo.bmp", 4, 4);
    ASSERT_TRUE(doc.OnOpenDocument(path, {}));
    pane.SetWindowText("kept");
    const CImage* image = doc.m_pImage.get();
    // Refused by the extension, or a picture that does not load (broken,
    // empty, missing): nothing changes.
    testutil::WriteFile(dir.File("bad.JPG"), "not a picture");
    testutil::WriteFile(dir.File("empty.png"), "");
    for (const std::string& failed : {Picture("photo.tif", 4, 4), dir.File("bad.JPG"),
                                      dir.File("empty.png"), dir.File("missing.gif")}) {
        EXPECT_FALSE(doc.OnOpenDocument(failed, {})) << failed;
        EXPECT_EQ(doc.m_pImage.get(), image);
        EXPECT_EQ(image->GetWidth(), 4);
        EXPECT_EQ(doc.GetPathName(), path);
        EXPECT_EQ(doc.GetTitle(), "logo.bmp");
        EXPECT_EQ(pane.GetWindowText(), "kept");
    }
    EXPECT_EQ(pathsSet.size(), 1u);
}

TEST(PictureType, ExtensionsInAnyCaseAndTheLastDotOfThePath) {
    for (const char* path : {"/p/photo.JPG", "/p/photo.jpeg", "/p/photo.JpEg"})
        EXPECT_EQ(PictureTypeFromPath(path), 1) << path;
    EXPECT_EQ(PictureTypeFromPath("a.Gif"), 2);
    EXPECT_EQ(PictureTypeFromPath("a.PNG"), 4);
    EXPECT_EQ(PictureTypeFromPath("a.bmp"), 0);
    // Refused: other extensions, none at all, a trailing dot, XPM (no
    // implementation), and a dot only in a folder name.
    for (const char* path :
         {"a.tif", "a.jpe", "photo", "photo.", "a.xpm", "C:\\data.v2\\photo", "/data.gif/photo"})
        EXPECT_EQ(PictureTypeFromPath(path), -1) << path;
    EXPECT_EQ(PictureExtensionOfPath("C:\\data.v2\\photo"), "v2\\photo");
    // Bytes of UTF-8 text are never lowered.
    EXPECT_EQ(PictureExtensionOfPath("/p/写真.ÄBMP"), "Äbmp");
}

// The picture is written in the format of the name's extension, as a copy:
// the document stays the picture it opened.
TEST_F(OpenPicture, SavePictureWritesACopyAndRefusesBeforeAnyWriter) {
    ASSERT_TRUE(doc.OnOpenDocument(Picture("a.bmp", 5, 3), {}));
    EXPECT_EQ(doc.SavePicture(dir.File("b.png")), ze::StatusCode::kOk);
    EXPECT_TRUE(std::filesystem::exists(dir.File("b.png")));
    EXPECT_EQ(doc.GetPathName(), dir.File("a.bmp"));
    EXPECT_EQ(pathsSet.size(), 1u);  // by the open alone

    // What is refused before any writer runs.
    EXPECT_EQ(doc.SavePicture(dir.File("out.tif")), ze::StatusCode::kNotSavable);
    EXPECT_EQ(doc.SavePicture(dir.File("noext")), ze::StatusCode::kNotSavable);
    EXPECT_EQ(doc.SavePicture(""), ze::StatusCode::kNoFileName);
    doc.m_pImage.reset();
    EXPECT_EQ(doc.SavePicture(dir.File("c.bmp")), ze::StatusCode::kNothingOpen);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.bmp")));
}

// A JPEG shown in 128 colours goes into another format with its file's own
// colours; into JPEG again, from the colours shown, as it always has.
TEST_F(OpenPicture, SavingIntoAnotherFormatReadsTheFileInItsOwnColours) {
    auto shades = testutil::Gradient(64, 48);
    ASSERT_EQ(shades->Save(dir.File("a.jpg"), kImageJpeg, {95, false}), 1);
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("a.jpg"), {}));
    ASSERT_EQ(doc.m_pImage->GetDepth(), 8);
    ASSERT_EQ(doc.SavePicture(dir.File("b.png")), ze::StatusCode::kOk);
    const auto full = LoadPicture(dir.File("a.jpg"), kImageJpeg, nullptr, true);
    const CImage png(dir.File("b.png"), kImagePng);
    ASSERT_EQ(png.GetDepth(), 24);
    EXPECT_EQ(std::memcmp(png.GetBits(), full->GetBits(), size_t(full->GetRowBytes()) * 48), 0);
    EXPECT_EQ(doc.m_pImage->GetDepth(), 8);  // the picture shown stays as it was
    EXPECT_FALSE(ReadAgainForSave(kImageJpeg, false, kImageJpeg));
    EXPECT_FALSE(ReadAgainForSave(kImageJpeg, true, kImagePng));
}

// The src after Save As: the file name swapped where the folder is the same,
// else the link the skeleton makes.
TEST(SavedPictureSource, KeepsTheWayToTheFolderOrLinksAnew) {
    EXPECT_EQ(SavedPictureSource("img/a.jpg", "/p/img/a.jpg", "/p/img/a.webp", "/p/"),
              "img/a.webp");
    EXPECT_EQ(SavedPictureSource("a.jpg", "/p/a.jpg", "/p/b c.gif", ""), "b c.gif");
    EXPECT_EQ(SavedPictureSource("img/a.jpg", "/p/img/a.jpg", "/p/out/a.webp", "/p/"),
              "out/a.webp");
    EXPECT_EQ(SavedPictureSource("other.jpg", "/p/a.jpg", "/p/a.png", ""), "a.png");
}

// The view's cases (tests/view) and the command-line tool's (tests/cli)
// cover the formats at both zooms; here the edges of the function itself.
TEST(Readout, NothingWithoutAPictureASpaceOutsideItAndHalvesRoundedAway) {
    auto image = testutil::Gradient(100, 50);
    EXPECT_EQ(FormatReadout(image.get(), 10, 5, 90, 0, 1), " ");  // scrolled past the right edge
    // Client and scroll near the integer limit: no overflow.
    EXPECT_EQ(FormatReadout(image.get(), 2147483647, 0, 2147483647, 0, 2), " ");
    EXPECT_EQ(FormatReadout(nullptr, 10, 5, 0, 0, 1), "");
    CImage empty;
    EXPECT_EQ(FormatReadout(&empty, 10, 5, 0, 0, 1), "");
    EXPECT_EQ(FormatReadout(image.get(), 10, 5, 0, 0, 1, false), " ");
    // Left of or above the window, where a held button still reports the mouse.
    EXPECT_EQ(FormatReadout(image.get(), -1, 5, 0, 0, 2), " ");
    EXPECT_EQ(FormatReadout(image.get(), 5, -1, 0, 0, 1), " ");
    // Rounding halves away from zero.
    EXPECT_EQ(FormatRoundedHalfAway(0.5), "1");
    EXPECT_EQ(FormatRoundedHalfAway(2.5), "3");
    EXPECT_EQ(FormatRoundedHalfAway(2.4999), "2");
    EXPECT_EQ(FormatRoundedHalfAway(-2.5), "-3");
    EXPECT_EQ(FormatRoundedHalfAway(-0.4), "0");
    EXPECT_EQ(FormatRoundedHalfAway(1073741823.5), "1073741824");
}
