#include "markup/html_scan.h"

#include <cstring>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Elements whose content is text, not tags, up to their own end tag.
bool IsRawText(std::string_view name) {
    for (const char* raw : {"script", "style", "textarea", "title", "xmp", "iframe", "noembed",
                            "noframes", "noscript"})
        if (name == raw) return true;
    return false;
}

size_t Find(std::string_view text, std::string_view what, size_t from) {
    const size_t pos = text.find(what, from);
    return pos;
}

// The position of the next "</name" (any case) followed by white space, '/'
// or '>', from `from`; npos when there is none.
size_t FindEndTag(std::string_view text, std::string_view name, size_t from) {
    size_t pos = from;
    while ((pos = text.find("</", pos)) != std::string_view::npos) {
        const size_t after = pos + 2 + name.size();
        bool same = after <= text.size();
        for (size_t i = 0; same && i < name.size(); ++i) same = Lower(text[pos + 2 + i]) == name[i];
        if (same && (after == text.size() || IsSpace(text[after]) || text[after] == '/' ||
                     text[after] == '>'))
            return pos;
        pos += 2;
    }
    return std::string_view::npos;
}

// Reads the name and attributes of a tag whose name starts at `pos`. Answers
// the position after its '>', or npos when the text ends first.
size_t ReadTag(std::string_view text, size_t pos, HtmlTag& tag) {
    tag.name.clear();
    tag.attributes.clear();
    const size_t size = text.size();
    while (pos < size && !IsSpace(text[pos]) && text[pos] != '/' && text[pos] != '>')
        tag.name += Lower(text[pos++]);
    for (;;) {
        while (pos < size && (IsSpace(text[pos]) || text[pos] == '/')) ++pos;
        if (pos >= size) return std::string_view::npos;
        if (text[pos] == '>') return pos + 1;
        const size_t nameBegin = pos++;  // a first '=' belongs to the name
        while (pos < size && !IsSpace(text[pos]) && text[pos] != '/' && text[pos] != '>' &&
               text[pos] != '=')
            ++pos;
        const size_t nameEnd = pos;
        while (pos < size && IsSpace(text[pos])) ++pos;
        std::string_view value;
        if (pos < size && text[pos] == '=') {
            ++pos;
            while (pos < size && IsSpace(text[pos])) ++pos;
            if (pos >= size) return std::string_view::npos;
            if (text[pos] == '"' || text[pos] == '\'') {
                const size_t close = text.find(text[pos], pos + 1);
                if (close == std::string_view::npos) return std::string_view::npos;
                value = text.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                const size_t valueBegin = pos;
                while (pos < size && !IsSpace(text[pos]) && text[pos] != '>') ++pos;
                value = text.substr(valueBegin, pos - valueBegin);
            }
        }
        if (tag.attributes.size() < HtmlTag::kMaxAttributes) {
            HtmlAttribute attribute;
            attribute.name.reserve(nameEnd - nameBegin);
            for (size_t i = nameBegin; i < nameEnd; ++i) attribute.name += Lower(text[i]);
            attribute.value = value;
            tag.attributes.push_back(std::move(attribute));
        }
    }
}

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
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

}  // namespace

const HtmlAttribute* HtmlTag::Find(std::string_view lowerName) const {
    for (const HtmlAttribute& attribute : attributes)
        if (attribute.name == lowerName) return &attribute;
    return nullptr;
}

std::string_view HtmlTag::Value(std::string_view lowerName) const {
    const HtmlAttribute* attribute = Find(lowerName);
    return attribute ? attribute->value : std::string_view();
}

void WalkHtmlTags(std::string_view text, const std::function<bool(const HtmlTag&)>& visit) {
    HtmlTag tag;
    size_t pos = 0;
    const size_t size = text.size();
    while ((pos = text.find('<', pos)) != std::string_view::npos) {
        const size_t begin = pos;
        if (pos + 1 >= size) return;
        const char next = text[pos + 1];
        if (next == '!' && text.substr(pos, 4) == "<!--") {
            // "<!-->" and "<!--->" are whole comments.
            if (text.substr(pos + 4, 1) == ">") {
                pos += 5;
            } else if (text.substr(pos + 4, 2) == "->") {
                pos += 6;
            } else {
                const size_t close = Find(text, "-->", pos + 4);
                if (close == std::string_view::npos) return;
                pos = close + 3;
            }
            continue;
        }
        if (next == '!' || next == '?' ||
            (next == '/' && pos + 2 < size && !IsLetter(text[pos + 2]))) {
            if (next == '/' && text[pos + 2] == '>') {  // "</>" is dropped
                pos += 3;
                continue;
            }
            const size_t close = text.find('>', pos + 2);
            if (close == std::string_view::npos) return;
            pos = close + 1;
            continue;
        }
        const bool closing = next == '/';
        const size_t nameBegin = pos + (closing ? 2 : 1);
        if (nameBegin >= size || !IsLetter(text[nameBegin])) {
            pos += 1;  // a '<' that starts no tag is text
            continue;
        }
        const size_t end = ReadTag(text, nameBegin, tag);
        if (end == std::string_view::npos) return;
        tag.begin = begin;
        tag.end = end;
        tag.closing = closing;
        if (!visit(tag)) return;
        pos = end;
        if (!closing && tag.name == "plaintext") return;
        if (!closing && IsRawText(tag.name)) {
            pos = FindEndTag(text, tag.name, pos);
            if (pos == std::string_view::npos) return;
        }
    }
}

std::string DecodeReferences(std::string_view value) {
    if (value.find('&') == std::string_view::npos) return std::string(value);
    std::string out;
    out.reserve(value.size());
    size_t pos = 0;
    while (pos < value.size()) {
        if (value[pos] != '&') {
            out += value[pos++];
            continue;
        }
        const size_t semicolon = value.find(';', pos);
        const std::string_view body = semicolon == std::string_view::npos || semicolon - pos > 12
                                          ? std::string_view()
                                          : value.substr(pos + 1, semicolon - pos - 1);
        static const struct {
            const char* name;
            const char* text;
        } kNamed[] = {{"amp", "&"},   {"lt", "<"},   {"gt", ">"},
                      {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
        bool done = false;
        for (const auto& named : kNamed) {
            if (body == named.name) {
                out += named.text;
                done = true;
                break;
            }
        }
        if (!done && body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x' || body[1] == 'X';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            char32_t cp = 0;
            bool ok = !digits.empty();
            for (const char c : digits) {
                int digit;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f')
                    digit = Lower(c) - 'a' + 10;
                else {
                    ok = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(digit);
                if (cp > 0x10FFFF) cp = 0x110000;  // stays out of range, never wraps
            }
            if (ok) {
                AppendUtf8(cp, out);
                done = true;
            }
        }
        if (done) {
            pos = semicolon + 1;
        } else {
            out += value[pos++];
        }
    }
    return out;
}
