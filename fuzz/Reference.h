#pragma once

// The plain rules the engine must match, written as directly as they are stated.

#include "engine/scan/CodeStrings.h"
#include "engine/replace/Landing.h"
#include "engine/replace/OwnLiterals.h"
#include "engine/scan/ScanLiterals.h"

#include <QHash>

#include <cctype>

#include <optional>
#include <vector>

// The scanner's steps one by one: pair the marks in order; skip a pair opened
// after a backslash, an empty one, one empty once trimmed of spaces, one holding
// a TAB; list the rest trimmed.
inline QList<LiteralSpan> ReferenceSpans(const QString &text)
{
    QList<LiteralSpan> spans;
    qsizetype cursor = 0;
    for (;;) {
        const qsizetype opening = text.indexOf(u'"', cursor);
        const qsizetype closing = opening < 0 ? -1 : text.indexOf(u'"', opening + 1);
        if (closing < 0)
            return spans;
        cursor = closing + 1;
        if (opening > 0 && text[opening - 1] == u'\\')
            continue;
        qsizetype begin = opening + 1, end = closing;
        while (begin < end && text[begin] == u' ')
            ++begin;
        while (end > begin && text[end - 1] == u' ')
            --end;
        if (begin < end && !text.mid(begin, end - begin).contains(u'\t'))
            spans.append({begin, end - begin});
    }
}

// Each row in turn replaces the first occurrence of its find in the text the
// rows before it left, remembering where every character came from (-1 for
// one a row put in). Rows left as found, or with an empty find, change nothing
// and get no landing.
struct ReferenceRun
{
    QString text;
    QList<Landing> landings;
};

inline ReferenceRun ReferenceApply(const QString &original, const QStringList &found, const QStringList &replacements)
{
    const QList<LiteralSpan> spans = ReferenceSpans(original);
    ReferenceRun run{original, QList<Landing>(found.size())};
    std::vector<qsizetype> origin(size_t(original.size()));
    for (size_t i = 0; i < origin.size(); ++i)
        origin[i] = qsizetype(i);
    for (qsizetype row = 0; row < found.size(); ++row) {
        const QString &find = found[row];
        if (find.isEmpty() || row >= replacements.size() || replacements[row] == find)
            continue;
        const qsizetype at = run.text.indexOf(find);
        if (at < 0)
            continue;
        Landing &landing = run.landings[row];
        for (qsizetype k = 0; k < find.size(); ++k)
            landing.inReplacement |= origin[size_t(at + k)] < 0 || origin[size_t(at + k)] != origin[size_t(at)] + k;
        landing.position = origin[size_t(at)];
        landing.ownLiteral = !landing.inReplacement && row < spans.size() && spans[row].start == landing.position
            && spans[row].length == find.size();
        run.text.replace(at, find.size(), replacements[row]);
        origin.erase(origin.begin() + at, origin.begin() + at + find.size());
        origin.insert(origin.begin() + at, size_t(replacements[row].size()), -1);
    }
    return run;
}

// Each row in turn writes its replacement over its own literal, when they
// differ; the literals after it shift by the change in length.
inline OwnLiterals ReferenceOwnLiterals(QString text, QList<LiteralSpan> spans, const QStringList &replacements)
{
    qsizetype shift = 0;
    for (qsizetype row = 0; row < spans.size(); ++row) {
        LiteralSpan &span = spans[row];
        span.start += shift;
        if (row < replacements.size() && replacements[row] != text.mid(span.start, span.length)) {
            text.replace(span.start, span.length, replacements[row]);
            shift += replacements[row].size() - span.length;
            span.length = replacements[row].size();
        }
    }
    return {text, spans};
}

// The rows as ReferenceApply makes them; after each replace every span's start
// and end move by the boundary rule.
inline OwnLiterals ReferenceTracking(QString text, QList<LiteralSpan> spans, const QStringList &found,
                                     const QStringList &replacements)
{
    for (qsizetype row = 0; row < qMin(found.size(), replacements.size()); ++row) {
        const QString &find = found[row];
        const qsizetype at = find.isEmpty() || replacements[row] == find ? -1 : text.indexOf(find);
        if (at < 0)
            continue;
        const qsizetype removed = find.size(), inserted = replacements[row].size();
        const auto moved = [&](qsizetype p, qsizetype inside) {
            return p <= at ? p : p >= at + removed ? p + inserted - removed : inside;
        };
        text.replace(at, removed, replacements[row]);
        for (LiteralSpan &span : spans) {
            const qsizetype end = moved(span.start + span.length, at + inserted);
            span.start = moved(span.start, at);
            span.length = end - span.start;
        }
    }
    return {text, spans};
}

// The C++ reading, one character at a time from the start: comments, character
// literals, numbers (with their ' separators), identifiers (a raw prefix among
// them), string literals and #include names, each read whole where it begins.
inline QList<CodeString> ReferenceCodeStrings(const QString &t)
{
    const qsizetype n = t.size();
    const auto at = [&](qsizetype i) { return i < n ? t[i] : QChar(); };
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    const auto letter = [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    const auto ident = [&](QChar c) { return letter(c) || digit(c) || c == u'_'; };
    qsizetype i = 0;
    const auto skipBlanks = [&] { while (at(i) == u' ' || at(i) == u'\t') ++i; };
    const auto word = [&] { const qsizetype from = i; while (ident(at(i))) ++i; return t.mid(from, i - from); };
    QList<CodeString> rows;
    const auto row = [&](qsizetype b, qsizetype e, const QString &delimiter) {
        while (b < e && t[b] == u' ')
            ++b;
        while (e > b && t[e - 1] == u' ')
            --e;
        if (b < e && !t.mid(b, e - b).contains(u'\t'))
            rows.append({{b, e - b}, delimiter});
    };
    bool lineStart = true; // only blanks since the line began
    while (i < n) {
        const QChar c = t[i];
        if (c == u'\n' || c == u' ' || c == u'\t' || (i == 0 && c == QChar(0xFEFF))) {
            lineStart = c == u'\n' || lineStart;
            ++i;
            continue;
        }
        const bool directive = c == u'#' && lineStart;
        lineStart = false;
        if (c == u'/' && at(i + 1) == u'/') {
            for (i += 2; i < n && !(t[i] == u'\n' && t[i - 1] != u'\\' && !(t[i - 1] == u'\r' && t[i - 2] == u'\\'));)
                ++i;
        } else if (c == u'/' && at(i + 1) == u'*') {
            const qsizetype close = t.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (directive) {
            ++i;
            skipBlanks();
            const QString name = word();
            if (name != u"include" && name != u"include_next" && name != u"import")
                continue;
            skipBlanks();
            if (at(i) != u'"')
                continue;
            qsizetype close = i + 1;
            while (close < n && t[close] != u'"' && t[close] != u'\n')
                ++close;
            i = at(close) == u'"' ? close + 1 : close;
        } else if (digit(c) || (c == u'.' && digit(at(i + 1)))) {
            for (++i;;) {
                if (ident(at(i)) || at(i) == u'.')
                    ++i;
                else if (at(i) == u'\'' && (letter(at(i + 1)) || digit(at(i + 1))))
                    i += 2;
                else if ((at(i) == u'+' || at(i) == u'-') && QStringLiteral("eEpP").contains(t[i - 1]))
                    ++i;
                else
                    break;
            }
        } else if (letter(c) || c == u'_') {
            const QString prefix = word();
            if (at(i) != u'"' || !(prefix == u"R" || prefix == u"LR" || prefix == u"uR" || prefix == u"UR" || prefix == u"u8R"))
                continue;
            QString delimiter = QStringLiteral("");
            qsizetype open = i + 1;
            while (open < n && delimiter.size() < 16 && !QStringLiteral(" ()\\\t\v\f\r\n").contains(t[open]))
                delimiter += t[open++];
            if (at(open) != u'(')
                continue; // an ordinary literal: read on the next step
            const qsizetype close = t.indexOf(QLatin1Char(')') + delimiter + QLatin1Char('"'), open + 1);
            if (close < 0)
                return rows;
            row(open + 1, close, delimiter);
            i = close + delimiter.size() + 2;
        } else if (c == u'\'') {
            for (++i; i < n && t[i] != u'\'' && t[i] != u'\n'; ++i) {
                if (t[i] == u'\\' && at(i + 1) != u'\n' && !(at(i + 1) == u'\r' && at(i + 2) == u'\n'))
                    ++i;
            }
            i += at(i) == u'\'' ? 1 : 0; // else unterminated: the line break is read on
        } else if (c == u'"') {
            qsizetype j = i + 1;
            while (j < n && t[j] != u'"' && t[j] != u'\n')
                j += t[j] == u'\\' ? (at(j + 1) == u'\r' && at(j + 2) == u'\n' ? 3 : 2) : 1;
            if (j < n && t[j] == u'"')
                row(i + 1, j++, QString());
            i = qMin(j, n);
        } else {
            ++i;
        }
    }
    return rows;
}

// Element content read by XML 1.0's rules, character by character: Char
// (no lone surrogate), the five named entities and character references, CDATA
// sections, "]]>" nowhere outside one, no other markup; a line end, CR LF or a
// lone CR, read as LF. std::nullopt when the content is not well-formed.
inline std::optional<QString> ReferenceXmlText(QStringView written)
{
    const auto isChar = [](char32_t c) {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    };
    QList<char32_t> points;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QChar u = written[i];
        if (u.isHighSurrogate() && i + 1 < written.size() && written[i + 1].isLowSurrogate())
            points.append(QChar::surrogateToUcs4(u, written[++i]));
        else if (u.isSurrogate())
            return std::nullopt;
        else
            points.append(u.unicode());
    }
    QString text;
    const qsizetype n = points.size();
    const auto at = [&](qsizetype i) { return i < n ? points[i] : char32_t(0); };
    const auto startsAt = [&](qsizetype i, const char *word) {
        for (qsizetype k = 0; word[k]; ++k)
            if (at(i + k) != char32_t(word[k]))
                return false;
        return true;
    };
    const auto append = [&](char32_t c) { text += QStringView(QChar::fromUcs4(c)); }; // fromUcs4 of a string would drop a U+FEFF as a byte-order mark
    for (qsizetype i = 0; i < n;) {
        const char32_t c = at(i);
        if (!isChar(c))
            return std::nullopt;
        if (c == '\r') {
            append('\n');
            i += at(i + 1) == '\n' ? 2 : 1;
        } else if (startsAt(i, "<![CDATA[")) {
            qsizetype j = i + 9;
            while (j < n && !startsAt(j, "]]>")) {
                if (!isChar(at(j)))
                    return std::nullopt;
                append(at(j) == '\r' ? '\n' : at(j));
                j += at(j) == '\r' && at(j + 1) == '\n' ? 2 : 1;
            }
            if (j >= n)
                return std::nullopt;
            i = j + 3;
        } else if (c == '<' || startsAt(i, "]]>")) {
            return std::nullopt;
        } else if (c == '&') {
            qsizetype j = i + 1;
            while (j < n && at(j) != ';')
                ++j;
            if (j >= n)
                return std::nullopt;
            const QString name = QString::fromUcs4(points.constData() + i + 1, j - i - 1);
            static const QHash<QString, char32_t> named{{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            char32_t stands = named.value(name, 0);
            if (name.startsWith('#')) {
                const bool hex = name.startsWith("#x");
                const QString digits = name.mid(hex ? 2 : 1);
                bool ok = !digits.isEmpty();
                for (const QChar d : digits)
                    ok = ok && (hex ? std::isxdigit(d.toLatin1()) : d.isDigit()) && d.unicode() < 128;
                const qulonglong value = ok ? digits.toULongLong(&ok, hex ? 16 : 10) : 0;
                stands = ok && value <= 0x10FFFF && isChar(char32_t(value)) ? char32_t(value) : 0;
            }
            if (stands == 0)
                return std::nullopt;
            append(stands);
            i = j + 1;
        } else {
            append(c);
            ++i;
        }
    }
    return text;
}
