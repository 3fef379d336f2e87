// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a finding says, one row for each form of message: its rule and
// severity, the English the reports print and the Japanese the window shows,
// with {1}, {2}, ... standing for the details taken from the page (names,
// values, sizes, lines), which both languages show.

#include <string>
#include <string_view>
#include <vector>

#include "markup/check_rules.h"

enum class CheckText {
    kAltEmpty,
    kAltMissing,
    kAltEmptyNamed,
    kAltMissingNamed,
    kNohrefObsolete,
    kNoHref,
    kShapeNotHtml,
    kShapeUnknown,
    kRepeatedAttribute,
    kLinkAttributes,
    kTargetSize,
    kNoSrc,
    kEmptySrc,
    kIsmapUsemap,
    kMapIdNoName,
    kMapNoName,
    kMapNameEmpty,
    kMapIdDiffers,
    kDuplicateId,
    kInvalidRect,
    kInvalidCircle,
    kInvalidRadius,
    kInvalidPoly,
    kScriptHref,
    kDuplicateAlt,
    kWhollyOutside,
    kEmptyArea,
    kPartOutside,
    kUnreachableByOne,
    kUnreachableByMany,
    kOverlap,
    kPictureNotHad,
    kImgAlt,
    kMissingMap,
    kScaledImage,
    kDuplicateMap,
    kSharedMap,
};

struct CheckTextInfo {
    CheckText text;
    CheckRule rule;
    CheckSeverity severity;
    const char* english;
    const char* japanese;
};

const CheckTextInfo& TextInfo(CheckText text);

// `pattern` with each {N} (1 to 9) replaced by args[N-1]; what the
// arguments hold is never read as a pattern.
std::string FillText(std::string_view pattern, const std::vector<std::string>& args);
