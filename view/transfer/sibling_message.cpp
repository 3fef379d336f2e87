#include "view/transfer/sibling_message.h"

#include <limits>

#include "view/transfer/cp932.h"

namespace ze::transfer {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[pos]. Answers the scalar value and sets
// *length, or answers kReplacement with *length 1 for a byte that does not
// start a complete, shortest-form sequence of a scalar value.
char32_t DecodeAt(std::string_view text, size_t pos, size_t* length) {
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
        return kReplacement;
    }
    if (text.size() - pos < count) return kReplacement;
    for (size_t i = 1; i < count; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    *length = count;
    return cp;
}

}  // namespace

std::string ToCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string ToCodePage932(std::string_view utf8) {
    Cp932Encoder encoder;
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[pos]);
        if (c < 0x80) {  // code page 932 keeps ASCII as it is
            out += static_cast<char>(c);
            ++pos;
            continue;
        }
        size_t length;
        const char32_t cp = DecodeAt(utf8, pos, &length);
        pos += length;
        if (!encoder.Append(cp, &out)) {
            out += "&#";
            out += std::to_string(static_cast<uint32_t>(cp));
            out += ';';
        }
    }
    return out;
}

bool MakeCopyDataMessage(std::string_view utf8PaneText, CopyDataMessage* message) {
    std::string bytes = ToCodePage932(ToCrLf(utf8PaneText));
    if (bytes.size() >= std::numeric_limits<uint32_t>::max()) return false;
    bytes += '\0';
    message->dwData = 0;
    message->cbData = static_cast<uint32_t>(bytes.size());
    message->bytes = std::move(bytes);
    return true;
}

}  // namespace ze::transfer
