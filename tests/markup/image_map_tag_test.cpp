// SPDX-License-Identifier: GPL-3.0-or-later
// The picture's tag and its map edited as fields: only the bytes of the
// changed values move, whatever the tags look like.
#include "markup/image_map_tag.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Edited(const std::string& text, const ImageMapFields& after) {
    const ImageMapFields before = ReadImageMapFields(text, FindImageMapTags(text));
    return ApplyEdit(text, SetImageMapEdit(text, before, after));
}

}  // namespace

TEST(ImageMapTag, EditsOnlyTheChangedValuesOfTheMapTheImageUses) {
    // Upper case, an unquoted size, a reference in alt, a map before the one used.
    const std::string text =
        "<map name=\"other\"></map>\r\n<IMG SRC=\"a b.png\" WIDTH=160 HEIGHT=\"120\" "
        "ALT=\"&amp;x\" USEMAP=\"#map_a\">\r\n<MAP ID=\"map_a\" NAME=\"map_a\">\r\n"
        "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" HREF=\"x.html\" ALT=\"\">\r\n</MAP>";
    const ImageMapTags tags = FindImageMapTags(text);
    ImageMapFields fields = ReadImageMapFields(text, tags);
    EXPECT_EQ(fields, (ImageMapFields{"map_a", "&x", "160", "120"}));
    EXPECT_EQ(Edited(text, fields), text);  // nothing changed: no edit

    fields.mapName = "nav";
    fields.alt = "\"案内\"";
    fields.width = "";
    fields.height = "60";
    EXPECT_EQ(Edited(text, fields),
              "<map name=\"other\"></map>\r\n<IMG SRC=\"a b.png\" HEIGHT=\"60\" "
              "ALT=\"&quot;案内&quot;\" USEMAP=\"#nav\">\r\n<MAP ID=\"nav\" NAME=\"nav\">\r\n"
              "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\" HREF=\"x.html\" ALT=\"\">\r\n</MAP>");

    // Unquoted values stay unquoted where they can; a missing alt is added;
    // the map before the image and an id that is not the name stay.
    const std::string before = "<map id=keep name=m>\n</map>\n<img src=p.png usemap=#m>";
    EXPECT_EQ(Edited(before, {"n", "x y", "", ""}),
              "<map id=keep name=n>\n</map>\n<img src=p.png usemap=#n alt=\"x y\">");
}

TEST(ImageMapTag, EveryCutOfAPageEditsToWhatWasAsked) {
    // Tag-like text in an attribute and a comment, references, odd quoting;
    // cut before the map, the usemap alone takes the name; before both, no edit.
    const std::string page =
        "<p title='<img usemap=#x>'>x</p><!-- <map name=c> --><IMG ALT='&lt;' width=1 "
        "usemap=#m><map id=m name=m><area href=a></map>";
    const ImageMapFields wanted{"新しい\"名", "a\"b'c", "", "42"};
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        const std::string text = page.substr(0, cut);
        const ImageMapTags tags = FindImageMapTags(text);
        const ImageMapFields before = ReadImageMapFields(text, tags);
        const std::string after = ApplyEdit(text, SetImageMapEdit(text, before, wanted));
        const ImageMapFields got = ReadImageMapFields(after, FindImageMapTags(after));
        if (tags.image.present()) {
            EXPECT_EQ(got.alt + "|" + got.width + "|" + got.height, "a\"b'c||42") << cut;
        }
        if (tags.map.present() || tags.image.present()) {
            EXPECT_EQ(got.mapName, wanted.mapName) << cut;
        } else {
            EXPECT_EQ(after, text) << cut;
        }
    }
}
