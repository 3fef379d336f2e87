// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/html_tags.h"

#include <cstdint>
#include <cstring>
#include <unordered_set>

namespace {

// The tokenizer's whitespace; a CR counts because the browser turns it into
// a line feed before tokenizing.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

void AssignLower(std::string& out, std::string_view name) {
    out.assign(name);
    for (char& c : out) c = Lower(c);
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view lowerWord) {
    if (text.size() - at < lowerWord.size()) return false;
    for (size_t k = 0; k < lowerWord.size(); ++k)
        if (Lower(text[at + k]) != lowerWord[k]) return false;
    return true;
}

size_t FindChar(std::string_view text, size_t from, char c) {
    if (from >= text.size()) return std::string_view::npos;
    const void* hit = std::memchr(text.data() + from, c, text.size() - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data())
               : std::string_view::npos;
}

// Where the comment that opens at `lt` ("<!--") ends: after the first "-->"
// or "--!>", where "<!-->" and "<!--->" close at once; the end of the text
// when it never closes. One pass: a text of many comments costs its length.
size_t CommentEnd(std::string_view text, size_t lt) {
    const size_t n = text.size();
    for (size_t at = lt + 2; (at = text.find("--", at)) != std::string_view::npos; ++at) {
        if (at + 2 < n && text[at + 2] == '>') return at + 3;
        if (at >= lt + 4 && at + 3 < n && text[at + 2] == '!' && text[at + 3] == '>') return at + 4;
    }
    return n;
}

// Elements whose contents the tokenizer reads as text up to their end tag.
bool IsRawTextElement(std::string_view name) {
    for (std::string_view raw : {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                                 "noframes", "noscript"})
        if (name == raw) return true;
    return false;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// What a numeric reference to `cp` stands for: the C1 range means the
// Windows-1252 characters, and nothing that is no character comes through.
uint32_t NumericReferenceChar(uint32_t cp) {
    static constexpr uint16_t kC1[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    if (cp >= 0x80 && cp <= 0x9F) return kC1[cp - 0x80];
    return cp;
}

struct NamedReference {
    std::string_view name;  // with its ';' where one is required
    uint32_t cp;
};
// The references that markup for links and alternative texts uses; the
// forms without ';' are the ones browsers still accept without it.
constexpr NamedReference kNamed[] = {
    {"amp;", '&'},   {"lt;", '<'},    {"gt;", '>'},   {"quot;", '"'}, {"apos;", '\''},
    {"nbsp;", 0xA0}, {"copy;", 0xA9}, {"reg;", 0xAE}, {"amp", '&'},   {"lt", '<'},
    {"gt", '>'},     {"quot", '"'},   {"nbsp", 0xA0}, {"copy", 0xA9}, {"reg", 0xAE},
};

// Decodes the reference after the '&' at raw[at]; answers the bytes it used
// (0 when it is no reference, and the '&' stands for itself).
size_t DecodeReference(std::string_view raw, size_t at, std::string& out) {
    size_t i = at + 1;
    if (i < raw.size() && raw[i] == '#') {
        ++i;
        const bool hex = i < raw.size() && (raw[i] == 'x' || raw[i] == 'X');
        if (hex) ++i;
        const size_t digits = i;
        uint32_t cp = 0;
        for (; i < raw.size(); ++i) {
            const char c = raw[i];
            int d;
            if (IsDigit(c))
                d = c - '0';
            else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f')
                d = Lower(c) - 'a' + 10;
            else
                break;
            cp = cp > 0x10FFFF ? cp : cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
        }
        if (i == digits) return 0;
        if (i < raw.size() && raw[i] == ';') ++i;
        AppendUtf8(out, NumericReferenceChar(cp));
        return i - at;
    }
    for (const NamedReference& ref : kNamed) {
        if (raw.compare(i, ref.name.size(), ref.name) != 0) continue;
        const size_t next = i + ref.name.size();
        // Inside an attribute, a reference without ';' that runs on into a
        // letter, digit or '=' is left as it is.
        if (ref.name.back() != ';' && next < raw.size() &&
            (IsAlpha(raw[next]) || IsDigit(raw[next]) || raw[next] == '='))
            return 0;
        AppendUtf8(out, ref.cp);
        return next - at;
    }
    return 0;
}

// The attributes of a tag from just after its name up to its '>'.
bool ReadAttributes(std::string_view text, size_t i, StartTag& tag) {
    const size_t n = text.size();
    const size_t lt = tag.range.begin;
    tag.attributes.clear();
    tag.selfClosing = false;
    tag.repeated.clear();
    const size_t nameEnd = i;
    tag.attributesEnd = i;
    // Past a few attributes their names are looked up in a set, so that a
    // tag of many thousands costs their number, not its square.
    constexpr size_t kListed = 16;
    std::unordered_set<std::string> names;
    for (;;) {
        // Between attributes: whitespace, a '/' that may close the tag, '>'.
        while (i < n && IsSpace(text[i])) ++i;
        if (i >= n) return false;
        if (text[i] == '>') break;
        if (text[i] == '/') {
            if (++i >= n) return false;
            if (text[i] == '>') {
                tag.selfClosing = true;
                break;
            }
            continue;
        }
        // The name: its first character may be '='.
        TagAttribute attr;
        attr.nameRange.begin = i++;
        while (i < n && !IsSpace(text[i]) && text[i] != '/' && text[i] != '>' && text[i] != '=')
            ++i;
        attr.nameRange.end = i;
        AssignLower(attr.name, text.substr(attr.nameRange.begin, i - attr.nameRange.begin));
        size_t j = i;
        while (j < n && IsSpace(text[j])) ++j;
        if (j >= n) return false;
        size_t attrEnd = i;
        if (text[j] == '=') {
            ++j;
            while (j < n && IsSpace(text[j])) ++j;
            if (j >= n) return false;
            if (text[j] == '"' || text[j] == '\'') {
                const size_t close = FindChar(text, j + 1, text[j]);
                if (close == std::string_view::npos) return false;
                attr.quote = text[j];
                attr.value = {j + 1, close};
                i = attrEnd = close + 1;
            } else {
                size_t k = j;
                while (k < n && !IsSpace(text[k]) && text[k] != '>') ++k;
                if (k >= n) return false;
                attr.value = {j, k};
                i = attrEnd = k;
            }
        } else {
            i = j;
        }
        // After "name=" with nothing before the '>', whatever followed would
        // become its value: new attributes go right after the tag's name.
        const bool emptyUnquoted =
            attr.value.present() && attr.quote == 0 && attr.value.begin == attr.value.end;
        tag.attributesEnd = emptyUnquoted ? nameEnd : attrEnd;
        bool repeated;
        if (tag.attributes.size() < kListed) {
            repeated = tag.Find(attr.name) != nullptr;
        } else {
            if (names.empty())
                for (const TagAttribute& a : tag.attributes) names.insert(a.name);
            repeated = !names.insert(attr.name).second;
        }
        (repeated ? tag.repeated : tag.attributes).push_back(std::move(attr));
    }
    tag.range = {lt, i + 1};
    return true;
}

}  // namespace

const TagAttribute* StartTag::Find(std::string_view lowerName) const {
    for (const TagAttribute& a : attributes)
        if (a.name == lowerName) return &a;
    return nullptr;
}

std::string_view StartTag::Value(std::string_view text, std::string_view lowerName) const {
    const TagAttribute* a = Find(lowerName);
    if (!a || !a->value.present()) return {};
    return text.substr(a->value.begin, a->value.end - a->value.begin);
}

bool ReadStartTagAt(std::string_view text, size_t lt, StartTag& tag) {
    const size_t n = text.size();
    if (lt + 1 >= n || text[lt] != '<' || !IsAlpha(text[lt + 1])) return false;
    tag.range.begin = lt;
    size_t i = lt + 1;
    while (i < n && !IsSpace(text[i]) && text[i] != '/' && text[i] != '>') ++i;
    AssignLower(tag.name, text.substr(lt + 1, i - lt - 1));
    return ReadAttributes(text, i, tag);
}

bool CHtmlTagScanner::Next(StartTag& tag) {
    const size_t n = m_text.size();
    for (;;) {
        const size_t lt = FindChar(m_text, m_pos, '<');
        if (lt == std::string_view::npos || lt + 1 >= n) {
            m_pos = n;
            return false;
        }
        const char c = m_text[lt + 1];
        if (IsAlpha(c)) {
            bool html = true;
            if (!ReadTag(lt, tag, &html)) {
                m_pos = n;  // cut off by the end of the text
                return false;
            }
            if (html) return true;
            continue;
        }
        if (m_foreign.Active() && m_text.compare(lt, 9, "<![CDATA[") == 0) {
            m_pos = CdataEnd(m_text, lt);
        } else if (m_text.compare(lt, 4, "<!--") == 0) {
            m_pos = CommentEnd(m_text, lt);
        } else if (c == '!' || c == '?') {
            const size_t gt = FindChar(m_text, lt + 2, '>');
            m_pos = gt == std::string_view::npos ? n : gt + 1;
        } else if (c == '/') {
            m_pos = ReadEndTag(lt, tag);
            if (tag.closing && m_foreign.OnEndTag(tag.name) && m_endTags) return true;
        } else {
            m_pos = lt + 1;
        }
    }
}

bool CHtmlTagScanner::ReadTag(size_t lt, StartTag& tag, bool* html) {
    tag.closing = false;
    if (!ReadStartTagAt(m_text, lt, tag)) return false;
    m_pos = tag.range.end;
    const bool breaker = m_foreign.Active() &&
                         BreaksOutOfForeignContent(
                             tag.name, tag.Find("color") || tag.Find("face") || tag.Find("size"));
    *html = m_foreign.OnStartTag(tag.name, tag.selfClosing, breaker);
    if (!*html) return true;
    if (tag.name == "plaintext")
        m_pos = m_text.size();
    else if (tag.name == "script")
        m_pos = ScriptDataEnd(m_text, m_pos);
    else if (IsRawTextElement(tag.name))
        SkipRawText(tag.name);
    return true;
}

size_t CHtmlTagScanner::ReadEndTag(size_t lt, StartTag& tag) const {
    tag.closing = false;
    const size_t n = m_text.size();
    if (lt + 2 >= n) return n;
    const char c = m_text[lt + 2];
    if (c == '>') return lt + 3;
    if (!IsAlpha(c)) {
        const size_t gt = FindChar(m_text, lt + 2, '>');
        return gt == std::string_view::npos ? n : gt + 1;
    }
    // An end tag reads its (ignored) attributes like a start tag.
    size_t i = lt + 2;
    while (i < n && !IsSpace(m_text[i]) && m_text[i] != '/' && m_text[i] != '>') ++i;
    tag.range.begin = lt;
    if (!ReadAttributes(m_text, i, tag)) return n;
    AssignLower(tag.name, m_text.substr(lt + 2, i - lt - 2));
    tag.closing = true;
    return tag.range.end;
}

void CHtmlTagScanner::SkipRawText(std::string_view name) {
    const size_t n = m_text.size();
    size_t at = m_pos;
    for (;;) {
        const size_t lt = m_text.find("</", at);
        if (lt == std::string_view::npos) {
            m_pos = n;
            return;
        }
        const size_t after = lt + 2 + name.size();
        if (StartsWithNoCase(m_text, lt + 2, name) &&
            (after >= n || IsSpace(m_text[after]) || m_text[after] == '/' ||
             m_text[after] == '>')) {
            m_pos = lt;
            return;
        }
        at = lt + 2;
    }
}

std::string DecodeAttributeValue(std::string_view raw) {
    if (raw.find('&') == std::string_view::npos) return std::string(raw);
    std::string out;
    out.reserve(raw.size());
    size_t i = 0;
    while (i < raw.size()) {
        const size_t amp = FindChar(raw, i, '&');
        if (amp == std::string_view::npos) {
            out.append(raw, i);
            break;
        }
        out.append(raw, i, amp - i);
        const size_t used = DecodeReference(raw, amp, out);
        if (used == 0) {
            out += '&';
            i = amp + 1;
        } else {
            i = amp + used;
        }
    }
    return out;
}

std::string EscapeHtml(std::string_view text, bool quotes) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                if (quotes) {
                    out += "&quot;";
                    break;
                }
                [[fallthrough]];
            default:
                out += c;
        }
    }
    return out;
}
