#include "markup/link_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* base;
    const char* path;
    const char* link;
};

TEST(MakeLinkPath, RelativeOnTheSameDriveElseAFileUrl) {
    const Case cases[] = {
        {"C:\\web\\", "C:\\web\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\web\\img\\a.gif", "img/a.gif"},
        {"C:\\web\\site\\", "C:\\web\\img\\a.gif", "../img/a.gif"},
        {"C:\\a\\b\\c\\", "C:\\a\\x.html", "../../x.html"},
        // The common prefix ends at the last common backslash, not at the
        // last common byte.
        {"C:\\web\\", "C:\\website\\a.gif", "../website/a.gif"},
        // Case-sensitive: only C:\ is common.
        {"C:\\Web\\", "C:\\web\\a.gif", "../web/a.gif"},
        {"\\\\srv\\share\\", "\\\\srv\\share\\a.gif", "a.gif"},
        // Nothing is escaped, and UTF-8 passes through byte for byte.
        {"C:\\web\\", "C:\\web\\my pic.gif", "my pic.gif"},
        {"C:\\web\\", "C:\\web\\#100%.gif", "#100%.gif"},
        {"C:\\ウェブ\\", "C:\\ウェブ\\画像\\地図.gif", "画像/地図.gif"},
        // The path ends inside the base folder: the walk stops at its end.
        {"C:\\web\\img\\", "C:\\web", "../../web"},
        // A doubled separator counts as one more level, as the plain steps
        // give for a base that reaches MakeLinkPath with two backslashes.
        {"C:\\\\", "C:\\a.gif", "../a.gif"},
        // A colon after the drive also becomes "|".
        {"C:\\web\\", "C:\\web\\a:b.gif", "a|b.gif"},
        // Other drives, and drive letters that differ in case: a file URL.
        {"C:\\web\\", "D:\\pics\\a.gif", "file:///D|/pics/a.gif"},
        {"C:\\web\\", "D:\\x.gif", "file:///D|/x.gif"},
        {"c:\\web\\", "C:\\web\\a.gif", "file:///C|/web/a.gif"},
        // An asterisk in the path is a colon in the URL, like the scheme's.
        {"C:\\web\\", "D:\\a*b.gif", "file:///D|/a:b.gif"},
        // Empty base, empty path, strings shorter than the drive.
        {"", "C:\\a.gif", "file:///C|/a.gif"},
        {"C:\\web\\", "", "file:///"},
        {"C", "C:\\a.gif", "file:///C|/a.gif"},
        {"", "", "file:///"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeLinkPath(c.base, c.path), c.link) << c.base << " " << c.path;
}

TEST(LinkTextForPath, WindowsAndPosixPaths) {
    const Case windows[] = {
        // No base folder: the file name alone, with nothing replaced in it.
        {"", "C:\\web\\img\\a b.gif", "a b.gif"},
        {"", "a.gif", "a.gif"},
        {"", "C:\\web\\", ""},
        // One separator is appended to the stored folder...
        {"C:\\web", "C:\\web\\img\\a.gif", "img/a.gif"},
        // ...but none to a folder that already ends with one (a drive root).
        {"C:\\", "C:\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\web\\a.gif", "a.gif"},
        {"C:\\web\\", "C:\\a.gif", "../a.gif"},
    };
    for (const Case& c : windows)
        EXPECT_EQ(LinkTextForPath(c.base, c.path, PathStyle::kWindows), c.link) << c.path;
    const Case posix[] = {
        {"", "/home/u/web/a b.gif", "a b.gif"},
        {"/home/u/web/site", "/home/u/web/img/a.gif", "../img/a.gif"},
        {"/home/u/web", "/home/u/website/a.gif", "../website/a.gif"},
        {"/home/u/web/", "/home/u/web/a.gif", "a.gif"},
        {"/", "/a.gif", "a.gif"},
        {"/srv", "/a.gif", "../a.gif"},
        // No drives, no URL form, and "\", ":" and "*" are ordinary characters.
        {"/web", "/web/a\\b:c*.gif", "a\\b:c*.gif"},
        {"/web", "/web/c:\\x", "c:\\x"},
        {"", "/web/a\\b.gif", "a\\b.gif"},
    };
    for (const Case& c : posix)
        EXPECT_EQ(LinkTextForPath(c.base, c.path, PathStyle::kPosix), c.link) << c.path;
    EXPECT_EQ(FileNameOfPath("C:\\web\\a.gif", PathStyle::kPosix), "C:\\web\\a.gif");
    EXPECT_EQ(FileNameOfPath("/web/a.gif", PathStyle::kWindows), "/web/a.gif");
}

}  // namespace
