// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/encoding_label.h"

#include <algorithm>
#include <string>

namespace ze {
namespace {

struct Row {
    const char* labels;  // separated by spaces
    LabelKind kind;
    CodePage page;
};

constexpr LabelKind kEnc = LabelKind::kEncoding;

const Row kRows[] = {
    {"unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8", kEnc,
     CodePage::kUtf8},
    {"866 cp866 csibm866 ibm866", kEnc, CodePage::kIbm866},
    {"csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2",
     kEnc, CodePage::kIso8859_2},
    {"csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3",
     kEnc, CodePage::kIso8859_3},
    {"csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4",
     kEnc, CodePage::kIso8859_4},
    {"csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
     "iso_8859-5:1988",
     kEnc, CodePage::kIso8859_5},
    {"arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
     "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987",
     kEnc, CodePage::kIso8859_6},
    {"csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
     "iso_8859-7 iso_8859-7:1987 sun_eu_greek",
     kEnc, CodePage::kIso8859_7},
    {"csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
     "iso_8859-8 iso_8859-8:1988 visual",
     kEnc, CodePage::kIso8859_8},
    {"csiso88598i iso-8859-8-i logical", kEnc, CodePage::kIso8859_8I},
    {"csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6", kEnc,
     CodePage::kIso8859_10},
    {"iso-8859-13 iso8859-13 iso885913", kEnc, CodePage::kIso8859_13},
    {"iso-8859-14 iso8859-14 iso885914", kEnc, CodePage::kIso8859_14},
    {"csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9", kEnc, CodePage::kIso8859_15},
    {"iso-8859-16", kEnc, CodePage::kIso8859_16},
    {"cskoi8r koi koi8 koi8-r koi8_r", kEnc, CodePage::kKoi8R},
    {"koi8-ru koi8-u", kEnc, CodePage::kKoi8U},
    {"csmacintosh mac macintosh x-mac-roman", kEnc, CodePage::kMacintosh},
    {"dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874", kEnc, CodePage::kWindows874},
    {"cp1250 windows-1250 x-cp1250", kEnc, CodePage::kWindows1250},
    {"cp1251 windows-1251 x-cp1251", kEnc, CodePage::kWindows1251},
    // Latin-1 and ASCII pages are read as windows-1252, as browsers do.
    {"ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
     "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252",
     kEnc, CodePage::kWindows1252},
    {"cp1253 windows-1253 x-cp1253", kEnc, CodePage::kWindows1253},
    {"cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
     "latin5 windows-1254 x-cp1254",
     kEnc, CodePage::kWindows1254},
    {"cp1255 windows-1255 x-cp1255", kEnc, CodePage::kWindows1255},
    {"cp1256 windows-1256 x-cp1256", kEnc, CodePage::kWindows1256},
    {"cp1257 windows-1257 x-cp1257", kEnc, CodePage::kWindows1257},
    {"cp1258 windows-1258 x-cp1258", kEnc, CodePage::kWindows1258},
    {"x-mac-cyrillic x-mac-ukrainian", kEnc, CodePage::kXMacCyrillic},
    {"chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk", kEnc,
     CodePage::kGbk},
    {"gb18030", kEnc, CodePage::kGb18030},
    {"big5 big5-hkscs cn-big5 csbig5 x-x-big5", kEnc, CodePage::kBig5},
    {"cseucpkdfmtjapanese euc-jp x-euc-jp", kEnc, CodePage::kEucJp},
    {"csiso2022jp iso-2022-jp", kEnc, CodePage::kIso2022Jp},
    {"csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis", kEnc,
     CodePage::kShiftJis},
    {"cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949",
     kEnc, CodePage::kEucKr},
    {"csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr", LabelKind::kReplacement,
     CodePage::kUtf8},
    {"unicodefffe utf-16be", kEnc, CodePage::kUtf16Be},
    {"csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le", kEnc,
     CodePage::kUtf16Le},
    {"x-user-defined", LabelKind::kXUserDefined, CodePage::kUtf8},
};

bool IsLabelSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool HasWord(std::string_view words, std::string_view word) {
    for (size_t at = 0; at < words.size();) {
        size_t end = words.find(' ', at);
        if (end == std::string_view::npos) end = words.size();
        if (words.substr(at, end - at) == word) return true;
        at = end + 1;
    }
    return false;
}

}  // namespace

EncodingLabel FindEncodingLabel(std::string_view label) {
    while (!label.empty() && IsLabelSpace(label.front())) label.remove_prefix(1);
    while (!label.empty() && IsLabelSpace(label.back())) label.remove_suffix(1);
    // No label is longer; nor has one a space inside.
    if (label.empty() || label.size() > 20 || label.find(' ') != std::string_view::npos) return {};
    std::string lowered(label);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    for (const Row& row : kRows)
        if (HasWord(row.labels, lowered)) return {row.kind, row.page};
    return {};
}

}  // namespace ze
