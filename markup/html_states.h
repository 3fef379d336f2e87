// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two things the tag scanner needs beyond plain tags, each as a browser's
// parser has it: where a <script> element's text ends (its escaped parts
// "<!-- ... -->" and the "<script> ... </script>" inside them), and which
// tags stand in SVG or MathML content, where they make no HTML elements and
// "<![CDATA[ ... ]]>" is text. No tree is built: the foreign elements open
// are all that is kept.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The '<' of the end tag that closes the script whose text begins at
// `from`, or the end of the text.
size_t ScriptDataEnd(std::string_view text, size_t from);

// Where "<![CDATA[" at `lt` ends in foreign content: after "]]>", or the
// end of the text.
size_t CdataEnd(std::string_view text, size_t lt);

// The SVG and MathML elements open at a point of the text.
class ForeignContent {
public:
    // Whether the tags read now are foreign ones (and no HTML elements).
    bool Active() const { return !m_open.empty() && !m_open.back().integration; }
    // A start tag read; answers whether it makes an HTML element. Foreign
    // ones are kept to know where their content ends.
    bool OnStartTag(std::string_view lowerName, bool selfClosing, bool htmlContentBreaker);
    // An end tag read; answers whether it may end an HTML element (false
    // when it closed a foreign one).
    bool OnEndTag(std::string_view lowerName);

private:
    struct Open {
        std::string name;
        bool math = false;         // a MathML element, else SVG
        bool integration = false;  // its content is HTML again
    };
    void Push(std::string_view name, bool math, bool selfClosing);
    // Leaves foreign content: every foreign element above the last element
    // whose content is HTML is closed.
    void BreakOut();

    std::vector<Open> m_open;
};

// Whether a start tag in foreign content closes it and makes an HTML
// element instead (b, div, img, p, table...; font with color, face or size).
bool BreaksOutOfForeignContent(std::string_view lowerName, bool fontAttributes);
