// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names a page may give its encoding, as browsers read them: every
// label browsers know, with the encoding it stands for.

#include <string_view>

#include "markup/text_encoding.h"

namespace ze {

enum class LabelKind {
    kUnknown,       // no encoding has this label
    kEncoding,      // `page` is the encoding
    kReplacement,   // ISO-2022-KR, HZ and ISO-2022-CN: browsers show nothing of such a page
    kXUserDefined,  // bytes 0x80 to 0xFF as private-use characters
};

struct EncodingLabel {
    LabelKind kind = LabelKind::kUnknown;
    CodePage page = CodePage::kUtf8;
};

// The encoding a label names; ASCII white space around it is ignored and
// letters compare without case.
EncodingLabel FindEncodingLabel(std::string_view label);

}  // namespace ze
