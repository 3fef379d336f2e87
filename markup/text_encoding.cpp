// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/text_encoding.h"

#include <algorithm>
#include <iterator>

namespace ze {

namespace {
// In the order of CodePage.
constexpr CodePageInfo kInfo[] = {
    {"UTF-8", nullptr, 65001, true, false},
    {"Shift_JIS", "CP932", 932, true, false},
    {"EUC-JP", "EUC-JP", 20932, true, false},
    {"ISO-2022-JP", "ISO-2022-JP", 50220, false, false},
    {"UTF-16LE", nullptr, 1200, false, false},
    {"UTF-16BE", nullptr, 1201, false, false},
    // The GBK page's decoder is GB18030's; only its encoder is narrower.
    {"GBK", "GB18030", 936, true, false},
    {"gb18030", "GB18030", 54936, true, false},
    // Browsers read Big5 with the Hong Kong additions.
    {"Big5", "BIG5-HKSCS", 950, true, false},
    // EUC-KR as browsers read it is Microsoft's extension of it.
    {"EUC-KR", "CP949", 949, true, false},
    {"IBM866", "IBM866", 866, true, true},
    {"ISO-8859-2", "ISO-8859-2", 28592, true, true},
    {"ISO-8859-3", "ISO-8859-3", 28593, true, true},
    {"ISO-8859-4", "ISO-8859-4", 28594, true, true},
    {"ISO-8859-5", "ISO-8859-5", 28595, true, true},
    {"ISO-8859-6", "ISO-8859-6", 28596, true, true},
    {"ISO-8859-7", "ISO-8859-7", 28597, true, true},
    {"ISO-8859-8", "ISO-8859-8", 28598, true, true},
    {"ISO-8859-8-I", "ISO-8859-8", 38598, true, true},
    {"ISO-8859-10", "ISO-8859-10", 0, true, true},
    {"ISO-8859-13", "ISO-8859-13", 28603, true, true},
    {"ISO-8859-14", "ISO-8859-14", 0, true, true},
    {"ISO-8859-15", "ISO-8859-15", 28605, true, true},
    {"ISO-8859-16", "ISO-8859-16", 0, true, true},
    {"KOI8-R", "KOI8-R", 20866, true, true},
    {"KOI8-U", "KOI8-U", 21866, true, true},
    {"macintosh", "MACINTOSH", 10000, true, true},
    {"windows-874", "CP874", 874, true, true},
    {"windows-1250", "CP1250", 1250, true, true},
    {"windows-1251", "CP1251", 1251, true, true},
    {"windows-1252", "CP1252", 1252, true, true},
    {"windows-1253", "CP1253", 1253, true, true},
    {"windows-1254", "CP1254", 1254, true, true},
    {"windows-1255", "CP1255", 1255, true, true},
    {"windows-1256", "CP1256", 1256, true, true},
    {"windows-1257", "CP1257", 1257, true, true},
    {"windows-1258", "CP1258", 1258, true, true},
    {"x-mac-cyrillic", "MAC-CYRILLIC", 10007, true, true},
};
static_assert(std::size(kInfo) == size_t(CodePage::kXMacCyrillic) + 1);

// UTF-16 code units to UTF-8: a surrogate without its partner, and an odd
// byte at the end, become U+FFFD.
size_t DecodeUtf16UpTo(std::string_view bytes, bool bigEndian, size_t limit, std::string* out) {
    const size_t start = out->size();
    const auto unit = [&](size_t at) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
    };
    size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp = kReplacementChar;
        size_t used = bytes.size() - pos < 2 ? 1 : 2;
        if (used == 2) {
            cp = unit(pos);
            if (cp >= 0xDC00 && cp <= 0xDFFF) {
                cp = kReplacementChar;
            } else if (cp >= 0xD800 && cp <= 0xDBFF) {
                const bool paired =
                    pos + 4 <= bytes.size() && unit(pos + 2) >= 0xDC00 && unit(pos + 2) <= 0xDFFF;
                cp = paired ? 0x10000 + ((cp - 0xD800) << 10) + (unit(pos + 2) - 0xDC00)
                            : kReplacementChar;
                used = paired ? 4 : 2;
            }
        }
        std::string character;
        AppendUtf8(cp, &character);
        if (character.size() > limit - (out->size() - start)) break;
        *out += character;
        pos += used;
    }
    return pos;
}

void AppendUtf16(char32_t cp, bool bigEndian, std::string* out) {
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        *out += bigEndian ? high : low;
        *out += bigEndian ? low : high;
    };
    if (cp >= 0x10000) {
        put(0xD800 + ((cp - 0x10000) >> 10));
        put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        put(cp);
    }
}

size_t DecodeUtf8UpTo(std::string_view bytes, size_t limit, std::string* out) {
    const size_t start = out->size();
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t length;
        const char32_t cp = DecodeUtf8At(bytes, pos, &length);
        const bool bad = cp == kReplacementChar && length == 1;
        if ((bad ? 3 : length) > limit - (out->size() - start)) break;
        if (bad)
            *out += "\xEF\xBF\xBD";
        else
            out->append(bytes.substr(pos, length));
        pos += length;
    }
    return pos;
}
}  // namespace

const CodePageInfo& InfoOf(CodePage page) {
    return kInfo[size_t(page)];
}

void AppendUtf8(char32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out += static_cast<char>(0xC0 | (cp >> 6));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += static_cast<char>(0xE0 | (cp >> 12));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (cp >> 18));
        *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t DecodeCodePageUpTo(std::string_view bytes, CodePage page, size_t limit, std::string* out) {
    if (page == CodePage::kUtf8) return DecodeUtf8UpTo(bytes, limit, out);
    if (page == CodePage::kUtf16Le || page == CodePage::kUtf16Be)
        return DecodeUtf16UpTo(bytes, page == CodePage::kUtf16Be, limit, out);
    if (page == CodePage::kIso2022Jp) {
        Iso2022JpState state;
        return DecodeIso2022JpUpTo(bytes, limit, out, &state);
    }
    return CodePageDecoder(page).DecodeUpTo(bytes, limit, out);
}

std::string DecodeCodePage(std::string_view bytes, CodePage page) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    DecodeCodePageUpTo(bytes, page, static_cast<size_t>(-1), &out);
    return out;
}

bool CodePageEncoder::Append(char32_t cp, std::string* out) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    switch (m_page) {
        case CodePage::kUtf8:
            AppendUtf8(cp, out);
            return true;
        case CodePage::kUtf16Le:
        case CodePage::kUtf16Be:
            AppendUtf16(cp, m_page == CodePage::kUtf16Be, out);
            return true;
        default:
            break;
    }
    // Browsers write the euro sign of a GBK page as the one byte 0x80.
    if (m_page == CodePage::kGbk && cp == 0x20AC) {
        *out += '\x80';
        return true;
    }
    const size_t before = out->size();
    if (!AppendConverted(cp, out)) return false;
    const size_t length = out->size() - before;
    const auto lead = static_cast<unsigned char>((*out)[before]);
    // A GBK page takes no four-byte GB18030 sequences; a Big5 page none of
    // the Hong Kong additions below lead byte 0xA1 (browsers write neither).
    if ((m_page == CodePage::kGbk && length == 4) ||
        (m_page == CodePage::kBig5 && length == 2 && lead < 0xA1)) {
        out->resize(before);
        return false;
    }
    return true;
}

char32_t DecodeUtf8At(std::string_view text, size_t pos, size_t* length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    *length = 1;
    size_t count;
    char32_t cp;
    char32_t minimum;
    if (lead < 0x80) return lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return kReplacementChar;
    }
    if (text.size() - pos < count) return kReplacementChar;
    for (size_t i = 1; i < count; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return kReplacementChar;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacementChar;
    *length = count;
    return cp;
}

bool IsValidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        size_t length;
        if (DecodeUtf8At(text, pos, &length) == kReplacementChar && length == 1) {
            // U+FFFD written out in UTF-8 is three bytes long, so a length of
            // one means a bad byte.
            return false;
        }
        pos += length;
    }
    return true;
}

bool LooksLikeCodePage(std::string_view text, CodePage page) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = at(i);
        if (c < 0x80) continue;
        if (page == CodePage::kShiftJis) {
            if (c >= 0xA1 && c <= 0xDF) continue;  // half-width katakana
            const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
            if (!lead || i + 1 >= text.size()) return false;
            const unsigned char t = at(++i);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
        } else {
            size_t trail = 1;
            if (c == 0x8F) {
                trail = 2;  // JIS X 0212 through SS3
            } else if (c == 0x8E) {
                if (i + 1 >= text.size() || at(i + 1) < 0xA1 || at(i + 1) > 0xDF) return false;
                ++i;
                continue;
            } else if (c < 0xA1 || c > 0xFE) {
                return false;
            }
            for (size_t k = 0; k < trail; ++k) {
                if (i + 1 >= text.size() || at(i + 1) < 0xA1 || at(i + 1) > 0xFE) return false;
                ++i;
            }
        }
    }
    return true;
}

std::string EncodeWithReferences(std::string_view utf8, CodePage page) {
    CodePageEncoder encoder(page);
    const bool asciiBytes = InfoOf(page).asciiBytes;
    // ISO-2022-JP: the characters it holds are gathered and written as one
    // run, so that it switches character sets once a run.
    const bool runs = page == CodePage::kIso2022Jp;
    std::u32string run;
    std::string out;
    out.reserve(utf8.size());
    std::string scratch;
    const auto reference = [&out](char32_t cp) {
        out += "&#";
        out += std::to_string(static_cast<uint32_t>(cp));
        out += ';';
    };
    const auto flush = [&] {
        if (!run.empty() && !ConvertRun(run, page, &out))
            for (char32_t c : run) reference(c);
        run.clear();
    };
    size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80 && asciiBytes && !runs) {
            out += static_cast<char>(c);
            ++pos;
            continue;
        }
        if (c < 0x80 && runs && c != 0x0E && c != 0x0F && c != 0x1B) {
            run += c;  // ESC, SO and SI would switch sets: references
            ++pos;
            continue;
        }
        size_t length;
        const char32_t cp = DecodeUtf8At(utf8, pos, &length);
        pos += length;
        scratch.clear();
        if (encoder.Append(cp, runs ? &scratch : &out)) {
            if (runs) run += cp;
        } else {
            flush();
            reference(cp);
        }
    }
    flush();
    return out;
}

}  // namespace ze
