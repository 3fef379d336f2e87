// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the map checker, one row each: the id that reports and
// --disable use, the usual severity, a title in English and a message in
// Japanese, a short Japanese label for the area list, and the help text that
// SARIF readers show. Every reader of a rule (the checker, the report
// writers, the CLI, the 問題 panel, the area list) takes it from here.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class CheckSeverity { kWarning, kError };

enum class CheckRule {
    kAreaAlt,
    kImgAlt,
    kInvalidArea,
    kEmptyArea,
    kOutsidePicture,
    kUnreachable,
    kOverlap,
    kDuplicateAlt,
    kNoHref,
    kScriptHref,
    kMissingMap,
    kDuplicateMap,
    kSharedMap,
    kScaledImage,
    kPictureMissing,
    kMapName,
    kAreaShape,
    kDuplicateId,
    kDuplicateAttribute,
    kAreaLinkAttributes,
    kIsmapUsemap,
    kTargetSize,
};

struct CheckRuleInfo {
    CheckRule rule;
    const char* id;          // "area-alt", ...
    CheckSeverity severity;  // the usual one; a finding may say otherwise
    const char* title;       // English, one line
    const char* japanese;    // the 問題 panel's message
    const char* label;       // shorter Japanese for the area list, or null: the message
    const char* help;        // English: why it matters and what to do
};

// Every rule, in the order of CheckRule.
std::span<const CheckRuleInfo> AllCheckRules();
const CheckRuleInfo& RuleInfo(CheckRule rule);
inline const char* RuleId(CheckRule rule) {
    return RuleInfo(rule).id;
}
// The area list's words for the rule.
const char* RuleLabel(CheckRule rule);
// The row of a rule id; null when there is none.
const CheckRuleInfo* FindCheckRule(std::string_view id);

const char* SeverityName(CheckSeverity severity);

// Whether a table's rows are keyed 0, 1, 2, ... by `key` and end with `last`:
// one row for each value of the enumeration, in its order.
template <typename Row, size_t N, typename Key>
constexpr bool RowsInOrder(const Row (&rows)[N], Key Row::*key, Key last) {
    for (size_t i = 0; i < N; ++i)
        if (static_cast<size_t>(rows[i].*key) != i) return false;
    return N == static_cast<size_t>(last) + 1;
}  // "error" or "warning"

// The rules of a comma-separated list of ids ("no-href,target-size").
// False, with the first unknown id in *unknown, when one is not a rule.
bool ParseRuleList(std::string_view list, std::vector<CheckRule>* rules, std::string* unknown);
