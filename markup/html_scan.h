#pragma once
// A tag walker over HTML text, close to how a browser's tokenizer splits it:
// comments, doctype and processing instructions are skipped, the content of
// raw-text elements (script, style, textarea, title and the like) is not
// read as tags, attribute values may be double-, single- or unquoted. Works
// on bytes of any ASCII-compatible encoding; one linear pass, no allocation
// that grows with the input beyond one tag's name and its first attributes.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct HtmlAttribute {
    std::string name;        // lower case
    std::string_view value;  // as written, without quotes; refers into the text
};

struct HtmlTag {
    size_t begin = 0;  // the '<'
    size_t end = 0;    // after the '>'
    bool closing = false;
    std::string name;  // lower case
    // The first kMaxAttributes attributes, in order, duplicates included.
    std::vector<HtmlAttribute> attributes;
    static constexpr size_t kMaxAttributes = 256;

    // The first attribute of that (lower-case) name, or null.
    const HtmlAttribute* Find(std::string_view lowerName) const;
    // Its value, or "" when it is missing.
    std::string_view Value(std::string_view lowerName) const;
};

// Calls `visit` for each start and end tag in document order, until the
// text or a tag ends (a tag cut off by the end of the text is not visited)
// or `visit` answers false.
void WalkHtmlTags(std::string_view text, const std::function<bool(const HtmlTag&)>& visit);

// Decodes the character references &amp; &lt; &gt; &quot; &apos; &nbsp;
// and &#N; / &#xN; in an attribute value; anything else stays as written.
std::string DecodeReferences(std::string_view value);
