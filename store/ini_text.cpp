// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ini_text.h"

#include <QList>
#include <QStringDecoder>

namespace ini {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray Trimmed(QByteArrayView line) {
    qsizetype begin = 0, end = line.size();
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    return line.sliced(begin, end - begin).toByteArray();
}

// The lines of the text, split at CR LF, LF or CR; a leading BOM dropped.
QList<QByteArrayView> Lines(const QByteArray& text) {
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] != '\n' && rest[i] != '\r') continue;
        lines << rest.sliced(start, i - start);
        if (rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < rest.size()) lines << rest.sliced(start);
    return lines;
}

// A value's quotes close on its line and it does not end in an escape that
// would join the next line.
bool ValueIsWhole(QByteArrayView value) {
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\') {
            if (++i == value.size()) return false;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            return true;  // a comment runs to the end of the line
        }
    }
    return !quoted;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A section or key name as QSettings writes it: "%XX" and "%UXXXX" escapes,
// "\" for the group separator.
QString UnescapedKey(QByteArrayView key) {
    QString out;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char c = key[i];
        const qsizetype digits = i + 1 < key.size() && key[i + 1] == 'U' ? 4 : 2;
        const qsizetype first = digits == 4 ? i + 2 : i + 1;
        int code = c == '%' && first + digits <= key.size() ? 0 : -1;
        for (qsizetype d = 0; code >= 0 && d < digits; ++d) {
            const int h = HexValue(key[first + d]);
            code = h < 0 ? -1 : code * 16 + h;
        }
        if (code >= 0) {
            out += QChar(static_cast<char16_t>(code));
            i = first + digits - 1;
        } else {
            out += c == '\\' ? QChar(u'/') : QChar(static_cast<char16_t>(static_cast<uchar>(c)));
        }
    }
    return out;
}

void ChopTrailingBlanks(QString& text, qsizetype limit) {
    while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t')) text.chop(1);
}

}  // namespace

bool IsClean(const QByteArray& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(text);
    if (utf8.hasError()) return false;
    for (const char c : text) {
        const auto u = static_cast<uchar>(c);
        if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) return false;
    }
    for (const QByteArrayView line : Lines(text)) {
        const QByteArray t = Trimmed(line);
        if (t.isEmpty() || t.startsWith(';')) continue;
        if (t.startsWith('[')) {
            if (t.size() < 3 || !t.endsWith(']') || t.count(']') != 1 || t.count('[') != 1)
                return false;
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (eq <= 0 || Trimmed(QByteArrayView(t).first(eq)).isEmpty() ||
            !ValueIsWhole(QByteArrayView(t).sliced(eq + 1)))
            return false;
    }
    return true;
}

std::optional<QByteArray> RawValue(const QByteArray& text, const QString& key) {
    std::optional<QByteArray> found;
    QString section;  // empty: the top level, which the file calls [General]
    for (const QByteArrayView line : Lines(text)) {
        const QByteArray t = Trimmed(line);
        if (t.isEmpty() || t.startsWith(';')) continue;
        if (t.startsWith('[') && t.endsWith(']')) {
            const QByteArrayView name = QByteArrayView(t).sliced(1, t.size() - 2);
            section = name == "General" ? QString() : UnescapedKey(name);
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (eq <= 0) continue;
        const QString entry = UnescapedKey(Trimmed(QByteArrayView(t).first(eq)));
        if ((section.isEmpty() ? entry : section + u'/' + entry) == key)
            found = Trimmed(QByteArrayView(t).sliced(eq + 1));
    }
    return found;
}

QString WholeValue(const QByteArray& raw) {
    static const char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                       {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                       {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    QString out;
    bool inQuotes = false, quoted = false;
    qsizetype limit = 0;  // blanks before this point came from escapes or quotes
    qsizetype i = 0;
    const qsizetype n = raw.size();
    while (i < n && IsBlank(raw[i])) ++i;
    while (i < n) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i == n) break;
            const char e = raw[i++];
            for (const auto& pair : kEscapes)
                if (e == pair[0]) out += QLatin1Char(pair[1]);
            // Octal and hexadecimal codes run as far as their digits do; any
            // other escaped character is dropped.
            const int base = e == 'x' ? 16 : (e >= '0' && e <= '7') ? 8 : 0;
            if (base != 0) {
                char16_t value = base == 8 ? static_cast<char16_t>(e - '0') : 0;
                int digits = base == 8 ? 1 : 0;
                for (; i < n; ++i, ++digits) {
                    const int digit = base == 16
                                          ? HexValue(raw[i])
                                          : (raw[i] >= '0' && raw[i] <= '7' ? raw[i] - '0' : -1);
                    if (digit < 0) break;
                    value = static_cast<char16_t>(value * base + digit);
                }
                if (digits > 0) out += QChar(value);
            }
            limit = out.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                while (i < n && IsBlank(raw[i])) ++i;
                limit = out.size();
            }
        } else if (c == ';' && !inQuotes) {
            break;  // a comment
        } else {
            qsizetype j = i + 1;
            while (j < n && raw[j] != '\\' && raw[j] != '"' && raw[j] != ';') ++j;
            out += QString::fromUtf8(raw.constData() + i, j - i);
            i = j;
        }
    }
    if (!quoted) ChopTrailingBlanks(out, limit);
    if (out.startsWith(QLatin1String("@@"))) out.remove(0, 1);
    return out;
}

}  // namespace ini
