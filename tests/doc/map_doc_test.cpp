// Opening a picture into the map document and writing the skeleton.
#include "doc/map_doc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_util.h"
#include "support/tiny_bmp.h"

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
         "<IMG SRC=\"logo.gif\" WIDTH=120 HEIGHT=60 USEMAP=\"#map_logo\">\r\n"
         "<MAP NAME=\"map_logo\">\r\n</MAP>"},
        // A double quote in the file name is written as &quot;.
        {true, "a\"b.gif", 1, 2, "m\"",
         "<IMG SRC=\"a&quot;b.gif\" WIDTH=1 HEIGHT=2 USEMAP=\"#map_m&quot;\">\r\n"
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
              "<img src=\"地図 画像.v1.bmp\" width=2 height=3 usemap=\"#map_地図 画像.v1.bmp\">\r\n"
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
