#include "engine/scan/CppEscapes.h"

#include "engine/scan/FindText.h"

namespace {

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isOctal(QChar c) { return c >= u'0' && c <= u'7'; }

char16_t simpleEscape(QChar c)
{
    switch (c.unicode()) {
    case u'n': return u'\n';
    case u't': return u'\t';
    case u'r': return u'\r';
    case u'a': return u'\a';
    case u'b': return u'\b';
    case u'f': return u'\f';
    case u'v': return u'\v';
    case u'\\': return u'\\';
    case u'"': return u'"';
    case u'\'': return u'\'';
    case u'?': return u'?';
    default: return 0;
    }
}

// The value of exactly `digits` hex digits at `at`, or -1.
qint64 fixedHex(QStringView text, qsizetype at, int digits)
{
    if (at + digits > text.size())
        return -1;
    qint64 value = 0;
    for (int k = 0; k < digits; ++k) {
        const int digit = hexValue(text[at + k]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

qsizetype SpliceLength(QStringView text, qsizetype at)
{
    if (at >= text.size() || text[at] != u'\\')
        return 0;
    if (at + 1 < text.size() && text[at + 1] == u'\n')
        return 2;
    return at + 2 < text.size() && text[at + 1] == u'\r' && text[at + 2] == u'\n' ? 3 : 0;
}

qsizetype LogicalLineEnd(QStringView text, qsizetype from)
{
    for (;;) {
        const qsizetype lf = FindChar(text, u'\n', from); // a line comment's end: hundreds of thousands in a tree
        if (lf < 0)
            return text.size();
        const qsizetype backslash = lf - (lf > 0 && text[lf - 1] == u'\r' ? 2 : 1);
        if (backslash < 0 || SpliceLength(text, backslash) == 0)
            return lf;
        from = lf + 1;
    }
}

std::optional<QString> DecodeCppEscapes(QStringView written)
{
    QString text;
    const qsizetype n = written.size();
    for (qsizetype from = 0;;) {
        // What stands before the next backslash or quote stands for itself: appended at once.
        const qsizetype i = FindAnyOf(written, u"\\\"", from);
        if (i < 0 && from == 0)
            return written.toString(); // most literals: nothing to decode
        if (from == 0)
            text.reserve(n);
        text += written.sliced(from, (i < 0 ? n : i) - from);
        if (i < 0)
            return text;
        if (written[i] == u'"')
            return std::nullopt; // a bare quote would have ended the literal
        if (const qsizetype splice = SpliceLength(written, i)) {
            from = i + splice; // the line goes on
            continue;
        }
        const qsizetype e = i + 1; // the escaped character
        if (e >= n)
            return std::nullopt; // a backslash at the end
        const QChar c = written[e];
        if (const char16_t simple = simpleEscape(c)) {
            text += QChar(simple);
            from = e + 1;
        } else if (isOctal(c)) {
            int value = 0;
            qsizetype k = e;
            for (int digits = 0; digits < 3 && k < n && isOctal(written[k]); ++digits, ++k)
                value = value * 8 + (written[k].unicode() - u'0');
            if (value > 0x7F)
                return std::nullopt; // a byte, not a character
            text += QChar(char16_t(value));
            from = k;
        } else if (c == u'x') {
            qint64 value = 0;
            qsizetype k = e + 1;
            for (; k < n && hexValue(written[k]) >= 0; ++k)
                value = qMin<qint64>(value * 16 + hexValue(written[k]), 0x110000);
            if (k == e + 1 || value > 0x7F)
                return std::nullopt;
            text += QChar(char16_t(value));
            from = k;
        } else if (c == u'u' || c == u'U') {
            const int digits = c == u'u' ? 4 : 8;
            const qint64 value = fixedHex(written, e + 1, digits);
            if (value < 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                return std::nullopt;
            const char32_t point = char32_t(value);
            text += QStringView(QChar::fromUcs4(point)); // QString::fromUcs4 would drop a U+FEFF as a byte-order mark
            from = e + 1 + digits;
        } else {
            return std::nullopt; // an escape C++ does not know
        }
    }
}

QString EncodeCppEscapes(QStringView text)
{
    QString written;
    written.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': written += u"\\\\"; break;
        case u'"': written += u"\\\""; break;
        case u'\n': written += u"\\n"; break;
        case u'\r': written += u"\\r"; break;
        case u'\t': written += u"\\t"; break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                written += QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0'));
            else
                written += c;
        }
    }
    return written;
}
