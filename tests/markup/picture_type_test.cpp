// The document's extension table.

#include "markup/picture_type.h"

#include <gtest/gtest.h>

TEST(PictureType, ExtensionsInAnyCaseAndTheLastDotOfThePath) {
    EXPECT_EQ(PictureTypeFromPath("/p/photo.JPG"), 1);
    EXPECT_EQ(PictureTypeFromPath("/p/photo.jpeg"), 1);
    EXPECT_EQ(PictureTypeFromPath("/p/photo.JpEg"), 1);
    EXPECT_EQ(PictureTypeFromPath("a.Gif"), 2);
    EXPECT_EQ(PictureTypeFromPath("a.PNG"), 4);
    EXPECT_EQ(PictureTypeFromPath("a.bmp"), 0);
    // Refused: other extensions, none at all, a trailing dot, XPM (no
    // implementation), and a dot only in a folder name.
    EXPECT_EQ(PictureTypeFromPath("a.tif"), -1);
    EXPECT_EQ(PictureTypeFromPath("photo"), -1);
    EXPECT_EQ(PictureTypeFromPath("photo."), -1);
    EXPECT_EQ(PictureTypeFromPath("a.xpm"), -1);
    EXPECT_EQ(PictureTypeFromPath("C:\\data.v2\\photo"), -1);
    EXPECT_EQ(PictureTypeFromPath("/data.gif/photo"), -1);
    EXPECT_EQ(PictureExtensionOfPath("C:\\data.v2\\photo"), "v2\\photo");
    // Bytes of UTF-8 text are never lowered.
    EXPECT_EQ(PictureExtensionOfPath("/p/写真.ÄBMP"), "Äbmp");
}
