// A catalog's translations into the rows of a file: by text, each written as
// its place needs it.
#include "engine/catalog/CatalogFormats.h"

#include "engine/scan/CppEscapes.h"
#include "engine/scan/FormStrings.h"
#include "engine/scan/XmlText.h"

namespace {

// A translation as a C++ literal with this raw string delimiter (a null one: an
// ordinary literal) needs it written; std::nullopt when it cannot be.
std::optional<QString> writtenInLiteral(const QString &delimiter, const QString &translation)
{
    if (delimiter.isNull())
        return EncodeCppEscapes(translation);
    if (translation.contains(RawStringClosing(delimiter)))
        return std::nullopt; // it would end the raw string
    return translation;
}

// The same for a literal the code reads as Latin-1 in this UTF-8 file: ASCII as it
// stands, the rest of Latin-1 as octal escapes (three digits at most: no digit after
// one is taken into it), nothing past Latin-1 and nothing past ASCII in a raw string.
std::optional<QString> writtenAsLatin1(const QString &delimiter, const QString &translation)
{
    const auto pastAscii = [](QChar c) { return c.unicode() > 0x7F; };
    if (std::none_of(translation.begin(), translation.end(), pastAscii))
        return writtenInLiteral(delimiter, translation);
    if (!delimiter.isNull() || std::any_of(translation.begin(), translation.end(), [](QChar c) { return c.unicode() > 0xFF; }))
        return std::nullopt;
    const std::optional<QString> written = writtenInLiteral(delimiter, translation);
    QString escaped;
    for (const QChar c : *written)
        escaped += pastAscii(c) ? QStringLiteral("\\%1").arg(c.unicode(), 3, 8, QLatin1Char('0')) : QString(c);
    return escaped;
}

// The first character of a translation that a Latin-1 literal cannot hold (past ASCII in a raw string).
QString firstPastLatin1(const QString &translation, bool raw)
{
    const QList<uint> points = translation.toUcs4();
    const auto past = std::find_if(points.cbegin(), points.cend(), [&](uint c) { return c > (raw ? 0x7Fu : 0xFFu); });
    return past == points.cend() ? QString() : QString::fromUcs4(reinterpret_cast<const char32_t *>(&*past), 1);
}

// A translation as its row's place needs it written; std::nullopt when it cannot be.
std::optional<QString> writtenFor(const TextRows &rows, qsizetype row, const QString &translation)
{
    if (rows.xml && !rows.encoding.isEmpty()) // a character the form's encoding cannot hold goes in as a reference
        return EncodeXmlText(translation, [&](char32_t c) { return FormEncodingHolds(rows.encoding, c); });
    return rows.xml ? EncodeXmlText(translation) : writtenInLiteral(rows.rawDelimiters.value(row), translation);
}

// The spliced line breaks (backslash, line break) of an ordinary literal's
// text: what is written in their place keeps them, and so keeps its lines.
QString splicesOf(QStringView written, const QString &delimiter)
{
    QString splices;
    if (!delimiter.isNull())
        return splices; // a raw string's text is as it stands: it has none
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (written[i] != u'\\')
            continue;
        if (const qsizetype splice = SpliceLength(written, i)) {
            splices += written.sliced(i, splice);
            i += splice - 1;
        } else {
            ++i; // an escape's second character is no backslash of its own
        }
    }
    return splices;
}

// A literal's content with its row's stretch written over: how a catalog that
// holds the row's trimmed text (an older one, or the window's) still reaches it.
QString overRow(QStringView text, const CodeLiteral &literal, const LiteralSpan &row, const QString &written)
{
    const QStringView content = text.sliced(literal.content.start, literal.content.length);
    const qsizetype before = row.start - literal.content.start;
    QString result = content.first(before).toString() + written + splicesOf(content.sliced(before, row.length), literal.rawDelimiter);
    return result.append(content.sliced(before + row.length));
}

// Whether a place of the entry takes its finished translation; what does not is counted.
bool translatesHere(const CatalogEntry *entry, bool data, FillResult &result)
{
    if (!entry->finished) {
        ++result.counts.unfinished;
        if (!entry->translation.isEmpty())
            result.unfinished.insert(entry);
        return false;
    }
    if (entry->translation == entry->source)
        return false;
    result.used.insert(entry);
    if (data) {
        ++result.counts.leftAsData;
        return false;
    }
    return true;
}

} // namespace

QString CatalogKey(const QString &context, const QString &source)
{
    return context.isEmpty() ? source : context + QChar(4) + source; // U+0004 as gettext joins them
}

CatalogIndex::CatalogIndex(const Catalog &catalog)
{
    m_entries.reserve(catalog.entries.size());
    for (const CatalogEntry &entry : catalog.entries) {
        if (entry.obsolete)
            continue; // its text is gone from the program: never written
        if (entry.finished && entry.translation != entry.source)
            m_translated.insert(CatalogKey(entry.context, entry.translation), &entry);
        const QString key = CatalogKey(entry.context, entry.source);
        const CatalogEntry *&indexed = m_entries[key];
        if (!indexed || (entry.finished && !indexed->finished)) // a finished one wins over one left unfinished
            indexed = &entry;
    }
    for (const CatalogEntry *entry : std::as_const(m_entries))
        m_translations += entry->finished && entry->translation != entry->source;
}

FillResult FillFromCatalog(const Catalog &catalog, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows, const QList<bool> &dataRows, const QList<bool> &latin1Rows)
{
    return FillFromCatalog(CatalogIndex(catalog), found, replacements, rows, dataRows, latin1Rows);
}

FillResult FillFromCatalog(const CatalogIndex &index, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows, const QList<bool> &dataRows, const QList<bool> &latin1Rows)
{
    FillResult result;
    result.replacements = replacements;
    QSet<const CatalogEntry *> &used = result.used;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const std::optional<QString> text = RowSource(rows, i, found[i]);
        if (!text)
            continue;
        const QString key = CatalogKey(rows.contexts.value(i), *text);
        const CatalogEntry *entry = index.find(key);
        if (!entry) {
            if (const CatalogEntry *translated = index.findTranslation(key))
                result.written.insert(translated); // an earlier import wrote it
            continue;
        }
        if (!translatesHere(entry, dataRows.value(i), result))
            continue;
        if (i < replacements.size() && replacements[i] != found[i]) {
            ++result.counts.alreadyChanged;
            continue;
        }
        const bool latin1 = latin1Rows.value(i);
        const std::optional<QString> written = latin1 ? writtenAsLatin1(rows.rawDelimiters.value(i), entry->translation)
                                                      : writtenFor(rows, i, entry->translation);
        if (!written) {
            ++result.counts.notWritable;
            result.notWritableRows.append(int(i));
            if (latin1)
                result.notLatin1.insert(int(i), firstPastLatin1(entry->translation, !rows.rawDelimiters.value(i).isNull()));
            continue;
        }
        result.replacements[i] = *written;
        ++result.counts.filled;
    }
    result.counts.notFound = index.translations() - int((used | result.written).size());
    return result;
}


FillResult FillWholeStrings(const CatalogIndex &index, const QString &text, const TextRows &rows, const LiteralKinds &kinds)
{
    const QList<CodeLiteral> &literals = rows.literals;
    FillResult result;
    for (const CodeLiteral &literal : literals)
        result.replacements.append(text.mid(literal.content.start, literal.content.length));
    for (qsizetype first = 0; first < literals.size(); first = JoinedEnd(literals, first)) {
        const qsizetype end = JoinedEnd(literals, first);
        const std::optional<QString> joined = JoinedText(text, literals, first, end);
        const CatalogEntry *entry = joined && !joined->isEmpty() ? index.find(*joined) : nullptr;
        const qsizetype row = literals[first].row;
        const bool byRow = !entry && end == first + 1 && row >= 0;
        if (byRow) {
            const std::optional<QString> rowText = RowSource(rows, row, text.mid(rows.spans[row].start, rows.spans[row].length));
            entry = rowText ? index.find(*rowText) : nullptr;
        }
        if (!entry) {
            if (const CatalogEntry *translated = joined ? index.findTranslation(*joined) : nullptr)
                result.written.insert(translated); // an earlier import wrote it
            continue;
        }
        if (!translatesHere(entry, kinds.data.value(first), result))
            continue;
        const bool latin1 = kinds.latin1.value(first);
        const std::optional<QString> written = latin1 ? writtenAsLatin1(literals[first].rawDelimiter, entry->translation)
                                                      : writtenInLiteral(literals[first].rawDelimiter, entry->translation);
        if (!written) {
            ++result.counts.notWritable;
            result.notWritableRows.append(int(first));
            if (latin1)
                result.notLatin1.insert(int(first), firstPastLatin1(entry->translation, !literals[first].rawDelimiter.isNull()));
            continue;
        }
        // The translation in the first literal, the others emptied: every line stays where it was.
        for (qsizetype i = first; i < end; ++i)
            result.replacements[i] = splicesOf(result.replacements[i], literals[i].rawDelimiter);
        result.replacements[first] = byRow ? overRow(text, literals[first], rows.spans[row], *written) : *written + result.replacements[first];
        result.filledRows.append(int(first));
        result.filledEntries.append(entry);
        ++result.counts.filled;
    }
    result.counts.notFound = index.translations() - int((result.used | result.written).size());
    return result;
}
