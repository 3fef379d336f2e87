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

// What a browser never makes an HTML element of: tags inside a script's
// escaped parts, inside SVG or MathML, and inside CDATA there. The tags after
// each are found again.
TEST(HtmlTags, ScannerSkipsScriptEscapesAndForeignContent) {
    const std::pair<const char*, const char*> cases[] = {
        {"<script><!--<script></script><map name=d></script><map name=m>", "script map "},
        {"<script><!--<script>--></script><map name=m>", "script map "},
        {"<script><!--</script><map name=m>", "script map "},
        {"<script><!--<scripts></script><map name=m>", "script map "},
        {"<script><!-- a --> <!--<SCRIPT/></script>--></script><p>", "script p "},
        {"<script><!--<script>-- ></script><map name=d></script><p>", "script p "},
        {"<svg><![CDATA[<map name=d>]]></svg><map name=m>", "svg map "},
        {"<svg><map name=d><area href=e></map></svg><map name=m>", "svg map "},
        {"<svg><g><script><map name=d></script></g></svg><p>", "svg p "},
        {"<svg><foreignObject><map name=m></foreignObject><area></svg><p>", "svg map p "},
        {"<svg><p><map name=m>", "svg p map "},
        {"<svg><font><area></svg><font color=red><area>", "svg font area "},
        {"<svg/><map name=m>", "svg map "},
        {"<math><mi><img src=a></mi><map name=d></math><img>", "math img img "},
        {"<![CDATA[ > <b> ]]><svg><![CDATA[ > <b> ]]></svg>", "b svg "},
    };
    for (const auto& [text, tags] : cases) {
        CHtmlTagScanner scanner(text);
        std::string found;
        for (StartTag tag; scanner.Next(tag);) found += tag.name + " ";
        EXPECT_EQ(found, tags) << text;
    }
}
