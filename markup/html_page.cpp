// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/html_page.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "io/large_pages.h"
#include "markup/encoding_label.h"
#include "markup/html_tags.h"
#include "markup/text_encoding.h"

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = Lower(c);
    return out;
}

bool IsAscii(std::string_view text) {
    // Eight bytes at a time: pages are tens of megabytes.
    uint64_t high = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080u) == 0;
}

// The charset label of a Content-Type value such as "text/html;
// charset=Shift_JIS"; empty when there is none.
std::string CharsetOfContentType(std::string_view content) {
    const std::string lowered = Lowered(content);
    size_t pos = lowered.find("charset");
    if (pos == std::string::npos) return {};
    pos += 7;
    while (pos < content.size() && IsSpace(content[pos])) ++pos;
    if (pos >= content.size() || content[pos] != '=') return {};
    ++pos;
    while (pos < content.size() && IsSpace(content[pos])) ++pos;
    char quote = 0;
    if (pos < content.size() && (content[pos] == '"' || content[pos] == '\''))
        quote = content[pos++];
    size_t end = pos;
    while (end < content.size() && content[end] != quote && content[end] != ';' &&
           !IsSpace(content[end]))
        ++end;
    return std::string(content.substr(pos, end - pos));
}

// Bytes of the page to UTF-8; a byte that is not part of a character
// becomes U+FFFD.
std::string ToUtf8(std::string_view bytes, PageEncoding encoding) {
    if (encoding == PageEncoding::kUtf8 && ze::IsValidUtf8(bytes)) return std::string(bytes);
    return ze::DecodeCodePage(bytes, encoding);
}

std::string FromUtf8(std::string_view utf8, PageEncoding encoding) {
    if (encoding != PageEncoding::kUtf8) return ze::EncodeWithReferences(utf8, encoding);
    return std::string(utf8);
}

// The decoded text of page bytes: the bytes themselves where they are
// already that text (ASCII, or valid UTF-8 in a UTF-8 page), else a copy.
class CPageText {
public:
    CPageText(std::string_view bytes, PageEncoding encoding) {
        if ((ze::InfoOf(encoding).asciiBytes && IsAscii(bytes)) ||
            (encoding == PageEncoding::kUtf8 && ze::IsValidUtf8(bytes))) {
            m_view = bytes;
        } else {
            m_copy = ToUtf8(bytes, encoding);
            m_view = m_copy;
        }
    }
    CPageText(const CPageText&) = delete;
    CPageText& operator=(const CPageText&) = delete;
    std::string_view View() const { return m_view; }
    bool Same(std::string_view bytes) const { return m_view.data() == bytes.data(); }

private:
    std::string m_copy;
    std::string_view m_view;
};

// Walks page bytes and their decoded text together, forwards only: the
// bytes that decode to the text up to an offset.
class CByteCursor {
public:
    CByteCursor(std::string_view bytes, PageEncoding encoding, bool same)
        : m_bytes(bytes), m_encoding(encoding), m_same(same) {}
    // Back over a U+FFFD that stands for the one byte before.
    void BackOverByte() {
        if (m_same) return;
        m_text -= 3;
        --m_byte;
    }
    size_t BytesAt(size_t textOffset) {
        if (m_same) return textOffset;
        if (m_encoding == PageEncoding::kUtf8) {
            while (m_text < textOffset && m_byte < m_bytes.size()) {
                size_t length;
                const char32_t cp = ze::DecodeUtf8At(m_bytes, m_byte, &length);
                m_byte += length;
                m_text += cp == ze::kReplacementChar && length == 1 ? 3 : length;
            }
        } else if (m_text < textOffset) {
            std::string skipped;
            m_byte += ze::DecodeCodePageUpTo(m_bytes.substr(m_byte), m_encoding,
                                             textOffset - m_text, &skipped);
            m_text += skipped.size();
        }
        return m_byte;
    }

private:
    std::string_view m_bytes;
    PageEncoding m_encoding;
    bool m_same;
    size_t m_byte = 0;
    size_t m_text = 0;
};

// A byte that may start a multi-byte character of the code page.
bool IsLeadByte(char c, PageEncoding encoding) {
    const unsigned char b = static_cast<unsigned char>(c);
    switch (encoding) {
        case PageEncoding::kShiftJis:
            return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        case PageEncoding::kEucJp:
            return b == 0x8E || b == 0x8F || b >= 0xA1;
        case PageEncoding::kGbk:
        case PageEncoding::kGb18030:
        case PageEncoding::kBig5:
        case PageEncoding::kEucKr:
            return b >= 0x81 && b <= 0xFE;
        default:
            return false;
    }
}

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}
bool IsContinuation(std::string_view text, size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}
// The length of the line break at text[at] (CR LF is one break).
size_t BreakAt(std::string_view text, size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}
// The length of the line break that ends at text[end - 1], not reaching
// below `floor`.
size_t BreakBefore(std::string_view text, size_t end, size_t floor) {
    return text[end - 1] == '\n' && end >= floor + 2 && text[end - 2] == '\r' ? 2 : 1;
}
size_t CountBreaks(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string_view::npos;) {
        at += BreakAt(text, at);
        ++count;
    }
    return count;
}

// How far two texts read the same from their starts and from their ends,
// at character boundaries, where any line break is the same as any other.
struct Common {
    size_t oldBegin = 0, newBegin = 0;  // the first differing character
    size_t oldEnd = 0, newEnd = 0;      // just after the last differing one
};
Common CommonEnds(std::string_view old, std::string_view now) {
    Common c;
    size_t i = 0, j = 0;
    while (i < old.size() && j < now.size()) {
        if (IsBreak(old[i]) && IsBreak(now[j])) {
            i += BreakAt(old, i);
            j += BreakAt(now, j);
        } else if (old[i] == now[j]) {
            ++i, ++j;
        } else {
            break;
        }
        if (!IsContinuation(old, i)) c.oldBegin = i, c.newBegin = j;
    }
    size_t e = old.size(), f = now.size();
    c.oldEnd = e, c.newEnd = f;
    while (e > c.oldBegin && f > c.newBegin) {
        if (IsBreak(old[e - 1]) && IsBreak(now[f - 1])) {
            e -= BreakBefore(old, e, c.oldBegin);
            f -= BreakBefore(now, f, c.newBegin);
        } else if (old[e - 1] == now[f - 1]) {
            --e, --f;
        } else {
            break;
        }
        if (!IsContinuation(old, e)) c.oldEnd = e, c.newEnd = f;
    }
    return c;
}

// The line break the page uses: that of its first line; CR LF when it has
// none (or none early in a UTF-16 page).
std::string_view PageLineBreak(std::string_view bytes, PageEncoding encoding) {
    std::string text;
    if (encoding == PageEncoding::kUtf16Le || encoding == PageEncoding::kUtf16Be) {
        ze::DecodeCodePageUpTo(bytes, encoding, size_t{64} << 10, &text);
        bytes = text;
    }
    const size_t pos = bytes.find_first_of("\r\n");
    if (pos == std::string_view::npos) return "\r\n";
    if (bytes[pos] == '\n') return "\n";
    return pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? "\r\n" : "\r";
}

// Where what a byte means depends on the escapes before it (ISO-2022-JP),
// a change is written anew by whole lines: a line starts and ends in ASCII.
void WidenToLines(std::string_view old, std::string_view now, Common* c) {
    if (c->oldBegin == c->oldEnd && c->newBegin == c->newEnd) return;  // nothing changed
    const auto start = [](std::string_view text, size_t at) {
        const size_t pos = text.substr(0, at).find_last_of("\r\n");
        return pos == std::string_view::npos ? 0 : pos + 1;
    };
    const auto end = [](std::string_view text, size_t at) {
        return std::min(text.find_first_of("\r\n", at), text.size());
    };
    c->oldBegin = start(old, c->oldBegin);
    c->newBegin = start(now, c->newBegin);
    c->oldEnd = end(old, c->oldEnd);
    c->newEnd = end(now, c->newEnd);
}

// One piece of merged output: page bytes kept, or text made anew.
struct Piece {
    std::string_view kept;
    std::string made;
};

// New text (UTF-8) in the page's encoding, its line breaks the page's.
void AddMade(std::string_view text, PageEncoding encoding, std::string_view lineBreak,
             std::vector<Piece>* pieces) {
    if (text.empty()) return;
    std::string normal;
    normal.reserve(text.size());
    for (size_t at = 0;;) {
        const size_t next = text.find_first_of("\r\n", at);
        normal.append(text.substr(at, next - at));
        if (next == std::string_view::npos) break;
        normal += lineBreak;
        at = next + BreakAt(text, next);
    }
    pieces->push_back({{}, FromUtf8(normal, encoding)});
}

void AddKept(std::string_view bytes, std::vector<Piece>* pieces) {
    if (!bytes.empty()) pieces->push_back({bytes, {}});
}

// Whether each piece reads in the whole as it reads alone: in ISO-2022-JP
// a piece that leaves a character set switched would change the next.
bool ReadAlike(const std::vector<Piece>& pieces, PageEncoding encoding) {
    std::string whole, alone;
    for (const Piece& piece : pieces) {
        const std::string_view bytes = piece.kept.empty() ? piece.made : piece.kept;
        whole += bytes;
        alone += ToUtf8(bytes, encoding);
    }
    return pieces.size() < 2 || ToUtf8(whole, encoding) == alone;
}

// Lines edited one by one are matched line by line up to this many; beyond,
// the changed stretch is written anew as a whole.
constexpr size_t kMaxPairedLines = 4096;

// `pane` (UTF-8, any line breaks) written over the page bytes `old`: what
// reads the same keeps its bytes, invalid ones and line breaks included;
// only the characters that changed are converted, with the page's line
// break. When the changed stretch has as many lines as it had, each line is
// matched with its old self, so that edits on several lines keep what lies
// between them.
std::vector<Piece> EncodeLikeOriginal(std::string_view old, std::string_view pane,
                                      PageEncoding encoding, std::string_view lineBreak) {
    // Line breaks are never part of a multi-byte character in these
    // encodings, so the decoded text has the same lines as the bytes.
    const CPageText decoded(old, encoding);
    const std::string_view text = decoded.View();
    CByteCursor cursor(old, encoding, decoded.Same(old));
    std::vector<Piece> pieces;
    // A kept byte that starts no character but could start one would join
    // the new byte after it: it is written anew (as U+FFFD) instead.
    const auto keptUpTo = [&](size_t* oldAt, size_t* newAt) {
        size_t at = cursor.BytesAt(*oldAt);
        while (*oldAt >= 3 && text.substr(*oldAt - 3, 3) == "\xEF\xBF\xBD" && at > 0 &&
               IsLeadByte(old[at - 1], encoding)) {
            *oldAt -= 3, *newAt -= 3, --at;
            cursor.BackOverByte();
        }
        return at;
    };
    const bool stateful = encoding == PageEncoding::kIso2022Jp;
    Common whole = CommonEnds(text, pane);
    if (stateful) WidenToLines(text, pane, &whole);
    size_t keptFrom = keptUpTo(&whole.oldBegin, &whole.newBegin);  // bytes of `old` not yet added
    AddKept(old.substr(0, keptFrom), &pieces);
    const std::string_view oldMiddle = text.substr(whole.oldBegin, whole.oldEnd - whole.oldBegin);
    const std::string_view newMiddle = pane.substr(whole.newBegin, whole.newEnd - whole.newBegin);
    const size_t lines = CountBreaks(oldMiddle);
    if (lines == 0 || lines > kMaxPairedLines || CountBreaks(newMiddle) != lines) {
        AddMade(newMiddle, encoding, lineBreak, &pieces);
        keptFrom = cursor.BytesAt(whole.oldEnd);
    } else {
        for (size_t i = 0, j = 0;;) {  // in oldMiddle and newMiddle
            const size_t oldStop = std::min(oldMiddle.find_first_of("\r\n", i), oldMiddle.size());
            const size_t newStop = std::min(newMiddle.find_first_of("\r\n", j), newMiddle.size());
            const std::string_view newLine = newMiddle.substr(j, newStop - j);
            Common line = CommonEnds(oldMiddle.substr(i, oldStop - i), newLine);
            if (stateful) WidenToLines(oldMiddle.substr(i, oldStop - i), newLine, &line);
            const size_t base = whole.oldBegin + i;
            size_t begin = base + line.oldBegin;
            const size_t from = keptUpTo(&begin, &line.newBegin);
            AddKept(old.substr(keptFrom, from - keptFrom), &pieces);
            AddMade(newLine.substr(line.newBegin, line.newEnd - line.newBegin), encoding, lineBreak,
                    &pieces);
            // The rest of the line and its break keep their bytes.
            keptFrom = cursor.BytesAt(base + line.oldEnd);
            if (oldStop == oldMiddle.size()) break;
            i = oldStop + BreakAt(oldMiddle, oldStop);
            j = newStop + BreakAt(newMiddle, newStop);
        }
    }
    AddKept(old.substr(keptFrom), &pieces);
    // A CR that now comes before an LF would make one line break of two:
    // it becomes a CR LF.
    const std::string cr = FromUtf8("\r", encoding), lf = FromUtf8("\n", encoding);
    std::vector<Piece> joined;
    joined.reserve(pieces.size());
    for (Piece& piece : pieces) {
        const std::string_view now = piece.kept.empty() ? piece.made : piece.kept;
        if (!joined.empty() && now.starts_with(lf)) {
            const Piece& last = joined.back();
            const std::string_view before = last.kept.empty() ? last.made : last.kept;
            if (before.ends_with(cr) && before.data() + before.size() != now.data())
                joined.push_back({{}, lf});
        }
        joined.push_back(std::move(piece));
    }
    if (stateful && !ReadAlike(joined, encoding)) {
        // A page that leaves a line in another character set: the markup is
        // written anew as a whole.
        joined.clear();
        AddMade(pane, encoding, lineBreak, &joined);
    }
    return joined;
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

namespace {
// More images with maps than a person would choose from are not offered.
constexpr size_t kMaxImageMaps = 256;

// The declared charset of a <meta> tag; empty when it declares none.
std::string DeclaredCharset(std::string_view bytes, const StartTag& meta) {
    if (meta.Find("charset")) return std::string(meta.Value(bytes, "charset"));
    if (Lowered(meta.Value(bytes, "http-equiv")) == "content-type")
        return CharsetOfContentType(meta.Value(bytes, "content"));
    return {};
}

// An attribute value as the browser compares it: line breaks read as LF
// (the browser turns CR LF and CR into LF before it tokenizes), character
// references decoded.
std::string AttributeText(std::string_view raw, PageEncoding encoding) {
    std::string text = ToUtf8(raw, encoding);
    if (text.find('\r') != std::string::npos) {
        size_t to = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            text[to++] = text[i] == '\r' ? '\n' : text[i];
        }
        text.resize(to);
    }
    return DecodeAttributeValue(text);
}

// Template contents are inert: neither their images nor their maps are part
// of the page. Answers true for a tag inside a template (or a template tag).
class CTemplateDepth {
public:
    bool Inert(const StartTag& tag) {
        if (tag.name == "template") {
            if (!tag.closing)
                ++m_depth;
            else if (m_depth > 0)
                --m_depth;
            return true;
        }
        return m_depth > 0;
    }

private:
    size_t m_depth = 0;
};

struct FoundMap {
    size_t begin = 0;
    size_t end = 0;  // 0 while its end tag has not come
};

// The first map whose name or id is each wanted name, with where it ends.
// Maps nest as elements do: an end tag closes the innermost open map.
std::unordered_map<std::string, FoundMap> FindMaps(
    std::string_view bytes, PageEncoding encoding,
    const std::unordered_map<std::string, FoundMap>& wanted) {
    std::unordered_map<std::string, FoundMap> found;
    struct Open {
        std::string name;
        size_t depth;
    };
    std::vector<Open> open;  // wanted maps only, innermost last
    size_t depth = 0;
    CHtmlTagScanner scanner(bytes);
    scanner.ReportEndTags();
    CTemplateDepth inert;
    StartTag tag;
    while (scanner.Next(tag)) {
        if (inert.Inert(tag) || tag.name != "map") continue;
        if (!tag.closing) {
            ++depth;
            for (const char* attribute : {"name", "id"}) {
                if (!tag.Find(attribute)) continue;
                std::string key = AttributeText(tag.Value(bytes, attribute), encoding);
                if (wanted.count(key) != 0 && found.count(key) == 0) {
                    found[key] = {tag.range.begin, 0};
                    open.push_back({std::move(key), depth});
                }
            }
        } else if (depth > 0) {
            while (!open.empty() && open.back().depth == depth) {
                found[open.back().name].end = tag.range.end;
                open.pop_back();
            }
            --depth;
        }
    }
    return found;
}

// An image with a usemap, as the first pass finds it.
struct FoundImage {
    ByteSpan tag;
    std::string_view usemap;
    std::string_view source;
    std::string mapName;  // set once the encoding is known
    bool named = false;   // the usemap has a '#'
};

// The images with a usemap and the first charset declaration whose label
// names an encoding (labels that name none are passed over, as browsers do).
struct ImageScan {
    std::vector<FoundImage> images;
    std::string declared;
    ze::EncodingLabel label;
};
ImageScan ScanImages(std::string_view bytes) {
    ImageScan scan;
    CHtmlTagScanner scanner(bytes);
    scanner.ReportEndTags();
    CTemplateDepth inert;
    StartTag tag;
    while (scanner.Next(tag)) {
        if (tag.closing && tag.name != "template") continue;
        if (tag.name == "meta" && scan.label.kind == ze::LabelKind::kUnknown) {
            std::string declared = DeclaredCharset(bytes, tag);
            scan.label = ze::FindEncodingLabel(declared);
            if (scan.label.kind != ze::LabelKind::kUnknown) scan.declared = std::move(declared);
        } else if (!inert.Inert(tag) && tag.name == "img" && scan.images.size() < kMaxImageMaps &&
                   tag.Find("usemap")) {
            scan.images.push_back({{tag.range.begin, tag.range.end},
                                   tag.Value(bytes, "usemap"),
                                   tag.Value(bytes, "src"),
                                   {},
                                   false});
        }
    }
    return scan;
}

// The encoding of a page that neither has a byte order mark nor declares
// one: UTF-8 when it is valid, else the Japanese encoding its bytes fit,
// else windows-1252, which browsers take for a page that says nothing.
PageEncoding SniffEncoding(std::string_view bytes) {
    if (ze::IsValidUtf8(bytes)) return PageEncoding::kUtf8;
    if (ze::LooksLikeCodePage(bytes, ze::CodePage::kEucJp)) return PageEncoding::kEucJp;
    if (ze::LooksLikeCodePage(bytes, ze::CodePage::kShiftJis)) return PageEncoding::kShiftJis;
    return PageEncoding::kWindows1252;
}

// The maps the images name, as the page's entries with spans in `bytes`.
void FindImageMaps(std::string_view bytes, PageEncoding encoding, std::vector<FoundImage>* images,
                   HtmlPage* page) {
    std::unordered_map<std::string, FoundMap> wanted;
    for (FoundImage& image : *images) {
        // The text after the first '#' of the value names the map, white
        // space included, as a browser reads it; nothing there names none.
        const std::string reference = AttributeText(image.usemap, encoding);
        const size_t hash = reference.find('#');
        if (hash == std::string::npos || hash + 1 == reference.size()) continue;
        image.mapName = reference.substr(hash + 1);
        image.named = true;
        wanted.emplace(image.mapName, FoundMap{});
    }
    const std::unordered_map<std::string, FoundMap> maps =
        wanted.empty() ? wanted : FindMaps(bytes, encoding, wanted);

    size_t counted = 0;
    int line = 1;
    for (const FoundImage& image : *images) {
        if (!image.named) continue;
        const auto it = maps.find(image.mapName);
        if (it == maps.end() || it->second.end == 0) continue;
        const FoundMap& map = it->second;
        // An image inside its own map cannot be put back on its own.
        if (image.tag.begin >= map.begin && image.tag.end <= map.end) continue;
        PageImageMap entry;
        entry.image = image.tag;
        entry.map = {map.begin, map.end};
        entry.source = DecodeAttributeValue(ToUtf8(image.source, encoding));
        entry.mapName = image.mapName;
        line += static_cast<int>(
            std::count(bytes.begin() + static_cast<std::ptrdiff_t>(counted),
                       bytes.begin() + static_cast<std::ptrdiff_t>(image.tag.begin), '\n'));
        counted = image.tag.begin;
        entry.line = line;
        page->maps.push_back(std::move(entry));
    }
}

// The entries' spans, found in the decoded text of `bytes`, moved to the
// bytes they were decoded from.
void SpansToBytes(std::string_view bytes, PageEncoding encoding, HtmlPage* page) {
    std::vector<size_t*> ends;
    for (PageImageMap& entry : page->maps)
        for (size_t* end : {&entry.image.begin, &entry.image.end, &entry.map.begin, &entry.map.end})
            ends.push_back(end);
    std::sort(ends.begin(), ends.end(), [](size_t* a, size_t* b) { return *a < *b; });
    size_t byte = page->bomLength, text = 0;
    std::string skipped;
    ze::Iso2022JpState state;  // ISO-2022-JP reads on as it was
    for (size_t* end : ends) {
        if (*end > text) {
            skipped.clear();
            const std::string_view rest = bytes.substr(byte);
            byte += encoding == PageEncoding::kIso2022Jp
                        ? ze::DecodeIso2022JpUpTo(rest, *end - text, &skipped, &state)
                        : ze::DecodeCodePageUpTo(rest, encoding, *end - text, &skipped);
            text += skipped.size();
        }
        *end = byte;
    }
}

// The byte order mark at the start of the page, if any.
size_t ByteOrderMark(std::string_view bytes, PageEncoding* encoding) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return *encoding = PageEncoding::kUtf8, 3;
    if (bytes.starts_with("\xFE\xFF")) return *encoding = PageEncoding::kUtf16Be, 2;
    if (bytes.starts_with("\xFF\xFE")) return *encoding = PageEncoding::kUtf16Le, 2;
    return 0;
}
}  // namespace

HtmlPage ReadHtmlPage(std::string_view bytes, const PageLimits& limits) {
    HtmlPage page;
    if (bytes.size() > limits.maxBytes) {
        page.status = ze::StatusCode::kPageTooLarge;
        return page;
    }
    // The encoding: the byte order mark, then the first declaration, then
    // what the bytes look like.
    page.bomLength = ByteOrderMark(bytes, &page.encoding);
    ImageScan scan;
    if (page.bomLength == 0 || page.encoding == PageEncoding::kUtf8) {
        scan = ScanImages(bytes);
        page.declaredCharset = scan.declared;
    }
    if (page.bomLength == 0) {
        switch (scan.label.kind) {
            case ze::LabelKind::kReplacement:
                page.status = ze::StatusCode::kRefusedEncoding;
                return page;
            case ze::LabelKind::kXUserDefined:
                page.encoding = PageEncoding::kWindows1252;
                break;
            case ze::LabelKind::kEncoding:
                // A page that can say so in ASCII is not in UTF-16.
                page.encoding = scan.label.page == PageEncoding::kUtf16Le ||
                                        scan.label.page == PageEncoding::kUtf16Be
                                    ? PageEncoding::kUtf8
                                    : scan.label.page;
                break;
            case ze::LabelKind::kUnknown:
                page.encoding = SniffEncoding(bytes);
                break;
        }
    }

    if (ze::InfoOf(page.encoding).asciiBytes) {
        FindImageMaps(bytes, page.encoding, &scan.images, &page);
    } else {
        // Tags are found in the text, and their places moved to the bytes.
        const std::string text = PageText(bytes, page);
        ImageScan inText = ScanImages(text);
        FindImageMaps(text, PageEncoding::kUtf8, &inText.images, &page);
        SpansToBytes(bytes, page.encoding, &page);
    }
    page.status = page.maps.empty() ? ze::StatusCode::kNoImageMap : ze::StatusCode::kOk;
    return page;
}

namespace {
std::string_view Slice(std::string_view bytes, ByteSpan span) {
    return bytes.substr(span.begin, span.end - span.begin);
}

// Room for `size` bytes in `text`, in large pages where it is large.
void ReserveLarge(std::string* text, size_t size) {
    text->reserve(size);
    ze::AdviseLargePages(text->data(), text->capacity());
}

// Page bytes to pane text: UTF-8 with CR LF between lines. Measured
// first, then written through a small buffer into its final size, so that
// a map of nothing but line breaks is written once.
void AppendPanePiece(std::string_view bytes, PageEncoding encoding, std::string* out) {
    const CPageText decoded(bytes, encoding);
    const std::string_view text = decoded.View();
    const size_t n = text.size();
    // Each LF and CR that is not part of a CR LF grows by a byte.
    size_t breaks = 0, pairs = 0;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        breaks += (c == '\n') + (c == '\r');
        pairs += (c == '\r') & (i + 1 < n && text[i + 1] == '\n');
    }
    ReserveLarge(out, out->size() + n + breaks - 2 * pairs);
    char buffer[16384];
    size_t used = 0;
    for (size_t i = 0; i < n; ++i) {
        if (used + 2 > sizeof buffer) out->append(buffer, std::exchange(used, 0));
        const char c = text[i];
        if (c == '\r' || (c == '\n' && (i == 0 || text[i - 1] != '\r'))) {
            buffer[used++] = '\r';
            buffer[used++] = '\n';
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        } else {
            buffer[used++] = c;
        }
    }
    out->append(buffer, used);
}

// The longest line of a text, and its line breaks.
struct LineCount {
    size_t breaks = 0;
    size_t longest = 0;
};
LineCount CountLines(std::string_view text) {
    LineCount count;
    size_t start = 0;
    for (size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string_view::npos;) {
        count.longest = std::max(count.longest, at - start);
        at += BreakAt(text, at);
        start = at;
        ++count.breaks;
    }
    count.longest = std::max(count.longest, text.size() - start);
    return count;
}
}  // namespace

ze::Status CheckPaneBounds(std::string_view bytes, const HtmlPage& page, size_t index,
                           const PageLimits& limits) {
    if (index >= page.maps.size()) return ze::StatusCode::kNoImageMap;
    const PageImageMap& entry = page.maps[index];
    const std::string_view image = Slice(bytes, entry.image);
    const std::string_view map = Slice(bytes, entry.map);
    if (image.size() + map.size() > limits.maxPaneBytes) return ze::StatusCode::kPaneTooLarge;
    const LineCount a = CountLines(image);
    const LineCount b = CountLines(map);
    if (a.breaks + b.breaks >= limits.maxPaneLines) return ze::StatusCode::kPaneTooLarge;
    if (std::max(a.longest, b.longest) > limits.maxPaneLineBytes)
        return ze::StatusCode::kPaneLineTooLong;
    return ze::StatusCode::kOk;
}

std::string PageText(std::string_view bytes, const HtmlPage& page) {
    return ToUtf8(bytes.substr(page.bomLength), page.encoding);
}

std::string ExtractMarkup(std::string_view bytes, const HtmlPage& page, size_t index) {
    if (index >= page.maps.size()) return {};
    const PageImageMap& entry = page.maps[index];
    std::string out;
    out.reserve(entry.image.end - entry.image.begin + 2);
    AppendPanePiece(Slice(bytes, entry.image), page.encoding, &out);
    out += "\r\n";
    AppendPanePiece(Slice(bytes, entry.map), page.encoding, &out);
    return out;
}

ze::Status MergeMarkup(std::string_view bytes, const HtmlPage& page, size_t index,
                       std::string_view paneText, std::string* out) {
    if (index >= page.maps.size()) return ze::StatusCode::kNoMapElement;
    // The pane's first image, its first map and where that map ends.
    size_t firstImage = std::string_view::npos;
    size_t split = std::string_view::npos;
    size_t mapEnd = 0;
    size_t depth = 0;
    CHtmlTagScanner scanner(paneText);
    scanner.ReportEndTags();
    StartTag tag;
    while (scanner.Next(tag)) {
        if (tag.name == "img" && !tag.closing && firstImage == std::string_view::npos)
            firstImage = tag.range.begin;
        if (tag.name != "map") continue;
        if (!tag.closing) {
            if (split == std::string_view::npos) split = tag.range.begin;
            ++depth;
        } else if (depth > 0 && --depth == 0) {
            mapEnd = tag.range.end;
            break;
        }
    }
    if (split == std::string_view::npos || mapEnd == 0) return ze::StatusCode::kNoMapElement;
    if (firstImage == std::string_view::npos || firstImage > split)
        return ze::StatusCode::kNoImageTag;

    const PageImageMap& entry = page.maps[index];
    const std::string_view lineBreak = PageLineBreak(bytes, page.encoding);
    const std::vector<Piece> image = EncodeLikeOriginal(
        Slice(bytes, entry.image), TrimEnd(paneText.substr(0, split)), page.encoding, lineBreak);
    const std::vector<Piece> map = EncodeLikeOriginal(
        Slice(bytes, entry.map), TrimEnd(paneText.substr(split)), page.encoding, lineBreak);
    const bool imageFirst = entry.image.begin < entry.map.begin;
    const ByteSpan first = imageFirst ? entry.image : entry.map;
    const ByteSpan second = imageFirst ? entry.map : entry.image;
    // The pieces are measured first, so that the page is written into one
    // buffer of its final size.
    size_t size = bytes.size() - (first.end - first.begin) - (second.end - second.begin);
    for (const std::vector<Piece>* pieces : {&image, &map})
        for (const Piece& piece : *pieces) size += piece.kept.size() + piece.made.size();
    std::string result;
    ReserveLarge(&result, size);
    const auto append = [&result](const std::vector<Piece>& pieces) {
        for (const Piece& piece : pieces) {
            result.append(piece.kept);
            result += piece.made;
        }
    };
    result.append(bytes.substr(0, first.begin));
    append(imageFirst ? image : map);
    result.append(bytes.substr(first.end, second.begin - first.end));
    append(imageFirst ? map : image);
    result.append(bytes.substr(second.end));
    *out = std::move(result);
    return ze::StatusCode::kOk;
}
