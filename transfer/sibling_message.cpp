// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/sibling_message.h"

#include <limits>

#include "markup/text_encoding.h"

namespace ze::transfer {
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
    return EncodeWithReferences(utf8, CodePage::kShiftJis);
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
