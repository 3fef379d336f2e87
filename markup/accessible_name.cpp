// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/accessible_name.h"

#include <algorithm>

#include "markup/tag_rules.h"

namespace {

constexpr size_t kMaxNameBytes = 4096;
// How far an element's text is looked for: a name is a few words, and an
// element that holds more is not read to its end for each area naming it.
constexpr size_t kMaxScanBytes = 65536;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Runs of white space as one space, none at the ends.
std::string Collapsed(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!IsSpace(c))
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The text inside the element whose start tag begins at `lt`: up to its
// end tag, tags left out, character references decoded.
std::string TextOfElement(std::string_view text, size_t lt) {
    StartTag tag;
    if (!ReadStartTagAt(text, lt, tag)) return {};
    const std::string close = "</" + tag.name;
    std::string inner;
    bool inTag = false;
    const size_t end = std::min(text.size(), tag.range.end + kMaxScanBytes);
    for (size_t i = tag.range.end; i < end && inner.size() < kMaxNameBytes; ++i) {
        if (text[i] == '<') {
            std::string ahead(text.substr(i, close.size()));
            for (char& c : ahead)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (ahead == close) break;
            inTag = true;
        } else if (text[i] == '>' && inTag) {
            inTag = false;
            inner += ' ';
        } else if (!inTag) {
            inner += text[i];
        }
    }
    return Collapsed(DecodeAttributeValue(inner));
}

}  // namespace

IdIndex IndexIds(std::string_view text) {
    IdIndex ids;
    CHtmlTagScanner scanner(text);
    StartTag tag;
    while (scanner.Next(tag))
        if (tag.Find("id"))
            ids.try_emplace(DecodeAttributeValue(tag.Value(text, "id")), tag.range.begin);
    return ids;
}

std::string AreaAccessibleName(std::string_view text, const StartTag& area, const IdIndex& ids) {
    const std::string labelledBy = DecodeAttributeValue(area.Value(text, "aria-labelledby"));
    std::string joined;
    for (size_t i = 0; i < labelledBy.size();) {
        while (i < labelledBy.size() && IsSpace(labelledBy[i])) ++i;
        size_t end = i;
        while (end < labelledBy.size() && !IsSpace(labelledBy[end])) ++end;
        const auto found = ids.find(labelledBy.substr(i, end - i));
        if (end > i && found != ids.end()) {
            const std::string part = TextOfElement(text, found->second);
            if (!part.empty()) joined += (joined.empty() ? "" : " ") + part;
        }
        i = end;
    }
    if (!joined.empty()) return joined;
    for (const char* name : {"aria-label", "alt", "title"}) {
        const std::string value = Collapsed(DecodeAttributeValue(area.Value(text, name)));
        if (!IsBlankText(value)) return value;
    }
    return {};
}
