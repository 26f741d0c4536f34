#include "engine/scan/CodeStrings.h"

#include "engine/scan/CppEscapes.h"
#include "engine/scan/FindText.h"

#include <algorithm>

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isIdentifier(QChar c) { return isLetter(c) || isDigit(c) || c == u'_'; }
// What an identifier or a number is made of, back to where either may begin.
bool isWordPart(QChar c) { return isIdentifier(c) || c == u'.' || c == u'+' || c == u'-'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isRawPrefix(QStringView word)
{
    return word == u"R" || word == u"LR" || word == u"uR" || word == u"UR" || word == u"u8R";
}
// A string literal's encoding prefix, or a raw string's.
bool isStringPrefix(QStringView word)
{
    return isRawPrefix(word) || word == u"u8" || word == u"u" || word == u"U" || word == u"L";
}
bool isIncludeDirective(QStringView word)
{
    return word == u"include" || word == u"include_next" || word == u"import";
}
// A raw string's delimiter may hold none of these.
bool isDelimiterChar(QChar c) { return !QStringView(u" ()\\\t\v\f\r\n").contains(c); }
constexpr qsizetype LongestDelimiter = 16;

// Where the comment that starts with the '/' at q ("//" or "/*") ends: a line
// comment at its line's end (spliced lines joined), a block comment after "*/".
qsizetype commentEnd(QStringView t, qsizetype q)
{
    if (t[q + 1] == u'/')
        return LogicalLineEnd(t, q + 2);
    const qsizetype close = FindText(t, u"*/", q + 2);
    return close < 0 ? t.size() : close + 2;
}

// Whether [from, to) holds only blanks, line breaks, spliced lines and comments:
// two string literals with nothing more between them are one string.
bool onlyBlanksBetween(QStringView t, qsizetype from, qsizetype to)
{
    while (from < to) {
        const QChar c = t[from];
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v')
            ++from;
        else if (const qsizetype splice = SpliceLength(t, from))
            from += splice;
        else if (c == u'/' && from + 1 < to && (t[from + 1] == u'/' || t[from + 1] == u'*'))
            from = commentEnd(t, from);
        else
            return false;
    }
    return from == to;
}

// The token right before a quote or an apostrophe: the identifier or number
// that ends there, or none.
struct Word {
    enum Kind { None, Identifier, Number } kind = None;
    qsizetype start = 0;
    qsizetype end = 0;
};

class CodeScanner
{
public:
    CodeScanner(QStringView text, QList<CodeString> *strings, QList<CodeRegion> *regions, QList<CodeLiteral> *literals = nullptr)
        : t(text), n(text.size()), m_strings(strings), m_regions(regions), m_literals(literals) {}

    void run()
    {
        qsizetype at = 0;
        for (;;) {
            const qsizetype q = FindAnyOf(t, u"\"'/#", at);
            if (q < 0)
                return;
            switch (t[q].unicode()) {
            case u'/': at = slash(q); break;
            case u'#': at = hash(q); break;
            case u'\'': at = apostrophe(q); break;
            default: at = quote(q); break;
            }
            m_boundary = at;
        }
    }

private:
    void record(qsizetype start, qsizetype end, CodePlace place, LiteralSpan row = {-1, 0})
    {
        if (m_regions)
            m_regions->append({start, end, place, row});
    }

    // Trims the text between begin and end as ScanLiteralSpans does and lists it
    // as a row; `hasTab`: the caller saw a TAB there.
    LiteralSpan addRow(qsizetype begin, qsizetype end, const QString &delimiter, bool hasTab)
    {
        while (begin < end && t[begin] == u' ')
            ++begin;
        while (end > begin && t[end - 1] == u' ')
            --end;
        if (begin == end || hasTab)
            return {-1, 0};
        const LiteralSpan span{begin, end - begin};
        m_strings->append({span, delimiter});
        return span;
    }

    // A whole literal token [start, end), its content [begin, close), for the catalog.
    void addLiteral(qsizetype start, qsizetype end, qsizetype begin, qsizetype close, const QString &delimiter, LiteralSpan row)
    {
        if (!m_literals)
            return;
        const bool joins = m_lastLiteralEnd >= 0 && onlyBlanksBetween(t, m_lastLiteralEnd, start);
        const qsizetype rowIndex = row.start >= 0 ? m_strings->size() - 1 : -1;
        const bool malformed = delimiter.isNull() && isRawPrefix(t.sliced(start, begin - 1 - start));
        m_literals->append({{begin, close - begin}, delimiter, joins, rowIndex, malformed});
        m_lastLiteralEnd = end;
    }

    qsizetype slash(qsizetype q)
    {
        if (q + 1 >= n || (t[q + 1] != u'/' && t[q + 1] != u'*'))
            return q + 1;
        const qsizetype end = commentEnd(t, q);
        record(q, end, CodePlace::Comment);
        return end;
    }

    // A '#' first on its line (after blanks, or a byte-order mark that starts the
    // text) begins a directive; an #include's "name" is no row.
    qsizetype hash(qsizetype q)
    {
        qsizetype b = q;
        while (b > 0 && isBlank(t[b - 1]))
            --b;
        if (!(b == 0 || t[b - 1] == u'\n' || (b == 1 && t[0] == QChar(0xFEFF))))
            return q + 1;
        qsizetype k = q + 1;
        while (k < n && isBlank(t[k]))
            ++k;
        qsizetype e = k;
        while (e < n && isIdentifier(t[e]))
            ++e;
        if (!isIncludeDirective(t.sliced(k, e - k)))
            return e;
        while (e < n && isBlank(t[e]))
            ++e;
        if (e >= n || t[e] != u'"')
            return e;
        const qsizetype close = FindAnyOf(t, u"\"\n", e + 1);
        if (close < 0 || t[close] == u'\n')
            return close < 0 ? n : close;
        record(e, close + 1, CodePlace::HeaderName);
        return close + 1;
    }

    // The identifier or number that ends right before q, read forward from a
    // place where one may begin. A number may run on past q (over a separator).
    Word wordBefore(qsizetype q) const
    {
        qsizetype k = q;
        while (k > m_boundary && isWordPart(t[k - 1]))
            --k;
        Word word;
        while (k < q) {
            const QChar c = t[k];
            if (isDigit(c) || (c == u'.' && k + 1 < n && isDigit(t[k + 1]))) {
                word = {Word::Number, k, numberEnd(k)};
            } else if (isLetter(c) || c == u'_') {
                qsizetype e = k;
                while (e < n && isIdentifier(t[e]))
                    ++e;
                word = {Word::Identifier, k, e};
            } else {
                word = {Word::None, k, k + 1};
            }
            k = word.end;
        }
        return word; // a number may have run on past q
    }

    // A number runs over letters, digits, '_', '.', a "'" before a letter or
    // digit, and a sign after e, E, p or P.
    qsizetype numberEnd(qsizetype k) const
    {
        qsizetype e = k + 1;
        while (e < n) {
            const QChar c = t[e];
            if (isIdentifier(c) || c == u'.')
                ++e;
            else if (c == u'\'' && e + 1 < n && (isLetter(t[e + 1]) || isDigit(t[e + 1])))
                e += 2;
            else if ((c == u'+' || c == u'-') && QStringView(u"eEpP").contains(t[e - 1]))
                ++e;
            else
                break;
        }
        return e;
    }

    qsizetype apostrophe(qsizetype q)
    {
        const Word word = wordBefore(q);
        if (word.kind == Word::Number && word.end > q)
            return word.end; // a digit separator
        for (qsizetype j = q + 1;;) {
            j = FindAnyOf(t, u"'\\\n", j);
            if (j < 0)
                return n;
            if (t[j] == u'\'') {
                record(q, j + 1, CodePlace::Code); // a character literal: code, but nothing inside it is
                return j + 1;
            }
            if (t[j] == u'\n')
                return j; // unterminated: the line break is read as code
            if (SpliceLength(t, j) > 0)
                return j + 1;
            j += 2;
        }
    }

    qsizetype quote(qsizetype q)
    {
        const Word word = wordBefore(q);
        const QStringView prefix = word.kind == Word::Identifier && word.end == q ? t.sliced(word.start, q - word.start) : QStringView();
        const qsizetype start = isStringPrefix(prefix) ? word.start : q;
        if (isRawPrefix(prefix)) {
            qsizetype open = q + 1;
            while (open < n && open - (q + 1) < LongestDelimiter && isDelimiterChar(t[open]))
                ++open;
            if (open < n && t[open] == u'(')
                return rawString(start, q, open);
        }
        bool hasTab = false;
        for (qsizetype j = q + 1;;) {
            j = FindAnyOf(t, u"\"\\\n\t", j);
            if (j < 0) {
                record(q, n, CodePlace::String);
                return n;
            }
            if (t[j] == u'\t') {
                hasTab = true;
                ++j;
                continue;
            }
            if (t[j] == u'"') {
                const LiteralSpan row = addRow(q + 1, j, QString(), hasTab);
                record(q, j + 1, CodePlace::String, row);
                addLiteral(start, j + 1, q + 1, j, QString(), row);
                return j + 1;
            }
            if (t[j] == u'\n') {
                record(q, j, CodePlace::String);
                return j; // unterminated: no row, and the line break is read as code
            }
            hasTab |= j + 1 < n && t[j + 1] == u'\t';
            j += qMax<qsizetype>(2, SpliceLength(t, j)); // the escaped character, or a spliced line break
        }
    }

    qsizetype rawString(qsizetype start, qsizetype q, qsizetype open)
    {
        QString delimiter = QStringLiteral("");
        delimiter += t.sliced(q + 1, open - q - 1);
        const QString closing = RawStringClosing(delimiter);
        const qsizetype close = FindText(t, closing, open + 1);
        if (close < 0) {
            record(q, n, CodePlace::String);
            return n;
        }
        const qsizetype end = close + closing.size();
        const LiteralSpan row = addRow(open + 1, close, delimiter, FindChar(t.sliced(open + 1, close - open - 1), u'\t') >= 0);
        record(q, end, CodePlace::String, row);
        addLiteral(start, end, open + 1, close, delimiter, row);
        return end;
    }

    QStringView t;
    qsizetype n;
    qsizetype m_boundary = 0; // where the last token read ended: an identifier or number may begin there
    QList<CodeString> *m_strings;
    QList<CodeRegion> *m_regions;
    QList<CodeLiteral> *m_literals;
    qsizetype m_lastLiteralEnd = -1; // where the last whole literal token ended
};

} // namespace

QString RawStringClosing(const QString &delimiter)
{
    return QLatin1Char(')') + delimiter + QLatin1Char('"');
}

QList<CodeString> ScanCodeStrings(QStringView text)
{
    QList<CodeString> strings;
    CodeScanner(text, &strings, nullptr).run();
    return strings;
}

QList<CodeRegion> ScanCodeRegions(QStringView text)
{
    QList<CodeString> strings;
    QList<CodeRegion> regions;
    CodeScanner(text, &strings, &regions).run();
    return regions;
}

QList<CodePlace> PlaceSpans(QStringView text, const QList<LiteralSpan> &spans)
{
    const QList<CodeRegion> regions = ScanCodeRegions(text);
    QList<CodePlace> places;
    places.reserve(spans.size());
    auto region = regions.cbegin();
    for (const LiteralSpan &span : spans) {
        while (region != regions.cend() && region->end <= span.start)
            ++region;
        CodePlace place = CodePlace::Code;
        if (region != regions.cend() && region->start <= span.start) {
            place = region->place;
            if (place == CodePlace::String
                && !(region->row.start == span.start && region->row.length == span.length))
                place = CodePlace::InsideString;
        }
        places.append(place);
    }
    return places;
}

TextRows ScanRows(QStringView text, bool codeStrings)
{
    TextRows rows;
    if (!codeStrings) {
        rows.spans = ScanLiteralSpans(text);
        rows.rawDelimiters.resize(rows.spans.size());
        return rows;
    }
    QList<CodeString> strings;
    CodeScanner(text, &strings, &rows.regions, &rows.literals).run();
    rows.spans.reserve(strings.size());
    rows.rawDelimiters.reserve(strings.size());
    for (const CodeString &s : strings) {
        rows.spans.append(s.span);
        rows.rawDelimiters.append(s.rawDelimiter);
    }
    return rows;
}
