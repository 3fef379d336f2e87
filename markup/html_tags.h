// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start tags of an HTML text as a browser's tokenizer finds them: names
// in any case, attributes with or without quotes, comments, declarations and
// the contents of raw-text elements (script, style, textarea...) skipped,
// a script's text read through its escaped parts. Tags inside SVG or MathML
// make no HTML elements and are left out, as are their CDATA sections. No
// tree is built beyond the foreign elements open. Any bytes are accepted.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/area_model.h"
#include "markup/html_states.h"

struct TagAttribute {
    std::string name;  // lower-cased
    TextRange nameRange;
    TextRange value;  // inside the quotes; absent for a name without '='
    char quote = 0;   // '"', '\'' or 0 for an unquoted or absent value
};

struct StartTag {
    TextRange range;           // '<' up to and including '>'
    std::string name;          // lower-cased
    bool closing = false;      // an end tag, which only a scanner told to report them gives
    bool selfClosing = false;  // ends with "/>"
    // In text order; a repeated name is dropped, the first one counts.
    std::vector<TagAttribute> attributes;
    // The attributes dropped for a name given before, in text order.
    std::vector<TagAttribute> repeated;
    // Where a new attribute goes: just after the last attribute (or the
    // name) and before any "/>" or ">"; after the name when the last
    // attribute is a "name=" without a value.
    size_t attributesEnd = 0;

    const TagAttribute* Find(std::string_view lowerName) const;
    // The raw value of that attribute in `text`; empty when it is missing.
    std::string_view Value(std::string_view text, std::string_view lowerName) const;
};

// Walks the start tags of a text in document order, and its end tags too
// once told to report them.
class CHtmlTagScanner {
public:
    // `from`: where the tokenizer reads plain text, such as the end of a
    // start tag found before.
    explicit CHtmlTagScanner(std::string_view text, size_t from = 0) : m_text(text), m_pos(from) {}
    // The next start tag, or false at the end of the text. A tag cut off by
    // the end of the text is not a tag.
    bool Next(StartTag& tag);
    void ReportEndTags() { m_endTags = true; }

private:
    // Reads the start tag at `lt`; *html: whether it makes an HTML element.
    bool ReadTag(size_t lt, StartTag& tag, bool* html);
    // Reads the end tag at `lt` into `tag`; answers where the text goes on.
    size_t ReadEndTag(size_t lt, StartTag& tag) const;
    void SkipRawText(std::string_view name);

    std::string_view m_text;
    size_t m_pos = 0;
    bool m_endTags = false;
    ForeignContent m_foreign;
};

// Reads the one start tag that begins at `lt` (a '<'); false when there is
// none there.
bool ReadStartTagAt(std::string_view text, size_t lt, StartTag& tag);

// An attribute value with its character references decoded as a browser
// decodes them inside attributes.
std::string DecodeAttributeValue(std::string_view raw);

// Text written into a page that we make: &, < and > as references, and with
// `quotes` (for a double-quoted attribute value) " as well.
std::string EscapeHtml(std::string_view text, bool quotes);
