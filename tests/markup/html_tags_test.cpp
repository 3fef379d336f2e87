// SPDX-License-Identifier: GPL-3.0-or-later
// Start tags and attribute values read as a browser reads them.
#include "markup/html_tags.h"

#include <gtest/gtest.h>

#include <string>

TEST(HtmlTags, ScannerSkipsRawTextUpToItsEndTagInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        // the text, then the names found, each followed by a space
        {"<script>'<area>'</SCRIPT><area>", "script area "},
        {"<Style>a</stylex><p></style ><textarea><img></TextArea/><img src=a>",
         "style textarea img "},
        {"<!-- <p> --><!x><P\r>", "p "},
        {"<title><area>", "title "},  // never closed: the rest is its text
    };
    for (const auto& [text, tags] : cases) {
        CHtmlTagScanner scanner(text);
        std::string found;
        for (StartTag tag; scanner.Next(tag);) found += tag.name + " ";
        EXPECT_EQ(found, tags) << text;
    }
}

TEST(HtmlTags, AttributeValuesDecodeAsABrowserDecodesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.cgi?x=1&copy=2&reg2&amp", "a.cgi?x=1&copy=2&reg2&"},  // no ';' before '=' or a digit
        {"&copy;=&copy &lt;&gt&quot;", "\xC2\xA9=\xC2\xA9 <>\""},
        {"&#128;&#x9F;&#159;&#129;", "\xE2\x82\xAC\xC5\xB8\xC5\xB8\xC2\x81"},
        {"&#0;&#xD800;&#1114112;&#12316&#x;&#",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE3\x80\x9C&#x;&#"},
    };
    for (const auto& [raw, decoded] : cases) EXPECT_EQ(DecodeAttributeValue(raw), decoded) << raw;
}
