// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_coords.h"

#include <charconv>
#include <cmath>

namespace {

bool IsDelimiter(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ',' || c == ';';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsNumber(char c) {
    return IsDigit(c) || c == '.' || c == '-';
}

// Reads the number at the start of `item`: [-|+] digits [. [digits]]
// [e [-|+] digits], or [-|+] . digits [e...]. Answers the bytes used, 0 when
// there is no number; one out of a double's range reads as 0.
size_t ReadNumber(std::string_view item, double& value) {
    const size_t n = item.size();
    size_t i = 0;
    const bool negative = i < n && item[i] == '-';
    if (i < n && (item[i] == '-' || item[i] == '+')) ++i;
    const size_t intStart = i;
    unsigned long long whole = 0;
    while (i < n && IsDigit(item[i])) whole = whole * 10 + static_cast<unsigned>(item[i++] - '0');
    const size_t intDigits = i - intStart;
    bool plain = intDigits > 0 && intDigits <= 15;
    if (i < n && item[i] == '.') {
        size_t f = i + 1;
        while (f < n && IsDigit(item[f])) ++f;
        if (f > i + 1 || intDigits > 0) {
            plain = plain && f == i + 1;
            i = f;  // "5." is 5
        }
    }
    if (i == intStart) return 0;
    if (i < n && (item[i] == 'e' || item[i] == 'E')) {
        size_t e = i + 1;
        if (e < n && (item[e] == '-' || item[e] == '+')) ++e;
        const size_t expStart = e;
        while (e < n && IsDigit(item[e])) ++e;
        if (e > expStart) {
            plain = false;
            i = e;
        }
    }
    if (plain) {
        value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    } else {
        // from_chars takes no '+'; the text from intStart is otherwise the
        // same number.
        double parsed = 0;
        const char* first = item.data() + intStart;
        if (std::from_chars(first, item.data() + i, parsed).ec != std::errc() ||
            !std::isfinite(parsed))
            parsed = 0;
        value = negative ? -parsed : parsed;
    }
    if (value == 0) value = 0;  // no negative zero
    return i;
}

// Calls add(token) for each item of the list.
template <typename Add>
void ForEachItem(std::string_view value, Add add) {
    size_t i = 0;
    const size_t n = value.size();
    while (i < n && IsDelimiter(value[i])) ++i;
    while (i < n) {
        while (i < n && !IsDelimiter(value[i]) && !StartsNumber(value[i])) ++i;
        size_t end = i;
        while (end < n && !IsDelimiter(value[end])) ++end;
        CoordToken token;
        const size_t used = ReadNumber(value.substr(i, end - i), token.value);
        token.begin = i;
        token.end = i + used;
        add(token);
        i = end;
        while (i < n && IsDelimiter(value[i])) ++i;
    }
}

}  // namespace

std::vector<CoordToken> ParseCoordTokens(std::string_view value) {
    std::vector<CoordToken> tokens;
    ForEachItem(value, [&](const CoordToken& t) { tokens.push_back(t); });
    return tokens;
}

std::vector<double> ParseCoordList(std::string_view value) {
    std::vector<double> numbers;
    ForEachItem(value, [&](const CoordToken& t) { numbers.push_back(t.value); });
    return numbers;
}

std::string FormatCoord(double value) {
    if (value == 0) return "0";
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return std::to_string(static_cast<long long>(value));
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}
