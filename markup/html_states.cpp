// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/html_states.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsTagName(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == '/' || c == '>';
}

// Whether the letters at `at` spell "script" followed by what ends a tag
// name; `end` is set past the letters either way.
bool SpellsScript(std::string_view text, size_t at, size_t* end) {
    size_t i = at;
    std::string name;
    while (i < text.size() && IsAsciiAlpha(text[i])) {
        if (name.size() < 7) name += LowerAscii(text[i]);
        ++i;
    }
    *end = i;
    return name == "script" && i < text.size() && EndsTagName(text[i]);
}

}  // namespace

size_t ScriptDataEnd(std::string_view text, size_t from) {
    // kData: plain script text; kEscaped: inside "<!--"; kDouble: inside a
    // "<script" within the escape, where "</script>" ends nothing.
    enum { kData, kEscaped, kDouble } state = kData;
    const size_t n = text.size();
    size_t dashes = 0;  // '-' just read in a row, in the escaped states
    size_t i = from;
    while (i < n) {
        if (state == kData) {
            const void* hit = std::memchr(text.data() + i, '<', n - i);
            if (!hit) return n;
            const size_t lt = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
            size_t end;
            if (lt + 1 < n && text[lt + 1] == '/' && SpellsScript(text, lt + 2, &end)) return lt;
            if (text.compare(lt, 4, "<!--") == 0) {
                state = kEscaped;
                dashes = 2;
                i = lt + 4;
            } else {
                i = lt + 1;
            }
            continue;
        }
        const char c = text[i];
        if (c == '-') {
            ++dashes;
            ++i;
            continue;
        }
        if (c == '>' && dashes >= 2) {
            state = kData;
            ++i;
            continue;
        }
        dashes = 0;
        if (c != '<') {
            ++i;
            continue;
        }
        size_t end;
        if (state == kEscaped && i + 1 < n && text[i + 1] == '/' && SpellsScript(text, i + 2, &end))
            return i;
        const bool closing = i + 1 < n && text[i + 1] == '/';
        if (state == kEscaped && !closing && SpellsScript(text, i + 1, &end)) {
            state = kDouble;
            i = end + 1;  // the character after the name goes with it
        } else if (state == kDouble && closing && SpellsScript(text, i + 2, &end)) {
            state = kEscaped;
            i = end + 1;
        } else {
            i += closing ? 2 : 1;
            if (i > n) i = n;
            // Letters after '<' or "</" are read as one name either way.
            while (i < n && IsAsciiAlpha(text[i])) ++i;
        }
    }
    return n;
}

size_t CdataEnd(std::string_view text, size_t lt) {
    const size_t end = text.find("]]>", lt + 9);
    return end == std::string_view::npos ? text.size() : end + 3;
}

bool BreaksOutOfForeignContent(std::string_view name, bool fontAttributes) {
    static constexpr const char* kNames[] = {
        "b",      "big",  "blockquote", "body",  "br",   "center", "code",    "dd",   "div",
        "dl",     "dt",   "em",         "embed", "h1",   "h2",     "h3",      "h4",   "h5",
        "h6",     "head", "hr",         "i",     "img",  "li",     "listing", "menu", "meta",
        "nobr",   "ol",   "p",          "pre",   "ruby", "s",      "small",   "span", "strong",
        "strike", "sub",  "sup",        "table", "tt",   "u",      "ul",      "var"};
    if (name == "font") return fontAttributes;
    return std::any_of(std::begin(kNames), std::end(kNames),
                       [name](const char* known) { return name == known; });
}

bool ForeignContent::OnStartTag(std::string_view name, bool selfClosing, bool htmlContentBreaker) {
    if (Active()) {
        if (!htmlContentBreaker) {
            Push(name, m_open.back().math, selfClosing);
            return false;
        }
        BreakOut();
    }
    // HTML content, at the top or inside an element whose content is HTML.
    if (name == "svg" || name == "math") Push(name, name == "math", selfClosing);
    return true;
}

bool ForeignContent::OnEndTag(std::string_view name) {
    if (m_open.empty()) return true;
    if (!Active()) {
        // Inside an element whose content is HTML: its own end tag closes it.
        if (name != m_open.back().name) return true;
        m_open.pop_back();
        return false;
    }
    if (name == "p" || name == "br") {
        BreakOut();
        return true;
    }
    // The nearest open foreign element of that name closes, with every one
    // above it. Any other end tag is answered as an HTML one: it may close
    // an element around the foreign ones (a map), which stay open here.
    // Only the innermost few hundred are searched, so that end tags cost
    // their number whatever the text nests.
    constexpr size_t kSearched = 512;
    const size_t stop = m_open.size() > kSearched ? m_open.size() - kSearched : 0;
    for (size_t k = m_open.size(); k-- > stop && !m_open[k].integration;) {
        if (m_open[k].name == name) {
            m_open.resize(k);
            return false;
        }
    }
    return true;
}

void ForeignContent::Push(std::string_view name, bool math, bool selfClosing) {
    if (selfClosing) return;
    Open open{std::string(name), math, false};
    if (math)
        open.integration =
            name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext";
    else
        open.integration = name == "foreignobject" || name == "desc" || name == "title";
    m_open.push_back(std::move(open));
}

void ForeignContent::BreakOut() {
    while (!m_open.empty() && !m_open.back().integration) m_open.pop_back();
}
