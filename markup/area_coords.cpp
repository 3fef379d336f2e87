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

// Reads the number at the start of `item`: [-|+] digits [. digits] [e [-|+]
// digits], or [-|+] . digits [...]. Answers the bytes used, 0 when none.
size_t ReadNumber(std::string_view item, double& value) {
    size_t i = 0;
    std::string normal;
    if (i < item.size() && (item[i] == '-' || item[i] == '+')) {
        if (item[i] == '-') normal += '-';
        ++i;
    }
    const size_t intStart = i;
    while (i < item.size() && IsDigit(item[i])) ++i;
    bool digits = i > intStart;
    normal.append(item, intStart, i - intStart);
    if (i < item.size() && item[i] == '.') {
        size_t f = i + 1;
        while (f < item.size() && IsDigit(item[f])) ++f;
        if (f > i + 1) {
            if (!digits) normal += '0';
            normal.append(item, i, f - i);
            digits = true;
            i = f;
        } else if (digits) {
            i = f;  // "5." is 5
        }
    }
    if (!digits) return 0;
    if (i < item.size() && (item[i] == 'e' || item[i] == 'E')) {
        size_t e = i + 1;
        std::string exp = "e";
        if (e < item.size() && (item[e] == '-' || item[e] == '+')) {
            if (item[e] == '-') exp += '-';
            ++e;
        }
        const size_t expStart = e;
        while (e < item.size() && IsDigit(item[e])) ++e;
        if (e > expStart) {
            exp.append(item, expStart, e - expStart);
            normal += exp;
            i = e;
        }
    }
    double parsed = 0;
    // Out of a double's range either way counts as 0, as no number does.
    if (std::from_chars(normal.data(), normal.data() + normal.size(), parsed).ec != std::errc() ||
        !std::isfinite(parsed))
        parsed = 0;
    value = parsed == 0 ? 0 : parsed;  // no negative zero
    return i;
}

}  // namespace

std::vector<CoordToken> ParseCoordTokens(std::string_view value) {
    std::vector<CoordToken> tokens;
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
        tokens.push_back(token);
        i = end;
        while (i < n && IsDelimiter(value[i])) ++i;
    }
    return tokens;
}

std::vector<double> ParseCoordList(std::string_view value) {
    std::vector<double> numbers;
    for (const CoordToken& t : ParseCoordTokens(value)) numbers.push_back(t.value);
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
