// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message that carries the markup to the sibling editor: the fields of a
// WM_COPYDATA structure, whichever transport delivers them.

#include <cstdint>
#include <string>
#include <string_view>

namespace ze::transfer {

struct CopyDataMessage {
    uint32_t dwData = 0;
    uint32_t cbData = 0;  // bytes.size(): the text's length plus its NUL
    std::string bytes;    // code page 932 text with CR LF line breaks, NUL-terminated
};

// Every LF that does not follow a CR becomes CR LF; everything else stays.
std::string ToCrLf(std::string_view text);

// UTF-8 to code page 932 through the one mapping table shared by every
// platform. A character that code page 932 cannot hold (it would not come
// back as itself) becomes a decimal HTML character reference such as
// "&#12316;"; a byte that is not part of valid UTF-8 becomes "&#65533;".
std::string ToCodePage932(std::string_view utf8);

// The whole pane text (UTF-8) as the message: dwData 0, CR LF line breaks,
// code page 932, one terminating NUL counted in cbData. An empty text sends
// one NUL. Fails only when the converted text would not fit a 32-bit cbData.
bool MakeCopyDataMessage(std::string_view utf8PaneText, CopyDataMessage* message);

}  // namespace ze::transfer
