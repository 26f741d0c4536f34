// A catalog's translations into the rows of a file: by text, each written as
// its place needs it.
#include "engine/catalog/CatalogFormats.h"

#include "engine/scan/CppEscapes.h"
#include "engine/scan/FormStrings.h"

namespace {

// A translation as its row's place needs it written; std::nullopt when it cannot be.
std::optional<QString> writtenFor(const TextRows &rows, qsizetype row, const QString &translation)
{
    if (rows.xml)
        return EncodeXmlText(translation);
    const QString delimiter = rows.rawDelimiters.value(row);
    if (delimiter.isNull())
        return EncodeCppEscapes(translation);
    if (translation.contains(QLatin1Char(')') + delimiter + QLatin1Char('"')))
        return std::nullopt; // it would end the raw string
    return translation;
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
        const QString key = CatalogKey(entry.context, entry.source);
        const CatalogEntry *&indexed = m_entries[key];
        if (!indexed || (entry.finished && !indexed->finished)) // a finished one wins over one left unfinished
            indexed = &entry;
    }
    for (const CatalogEntry *entry : std::as_const(m_entries))
        m_translations += entry->finished && entry->translation != entry->source;
}

FillResult FillFromCatalog(const Catalog &catalog, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows)
{
    return FillFromCatalog(CatalogIndex(catalog), found, replacements, rows);
}

FillResult FillFromCatalog(const CatalogIndex &index, const QStringList &found, const QStringList &replacements,
                           const TextRows &rows)
{
    FillResult result{replacements, {}, {}, {}};
    QSet<const CatalogEntry *> &used = result.used;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const std::optional<QString> text = RowSource(rows, i, found[i]);
        const CatalogEntry *entry = text ? index.find(CatalogKey(rows.contexts.value(i), *text)) : nullptr;
        if (!entry)
            continue;
        if (!entry->finished) {
            ++result.counts.unfinished;
            continue;
        }
        if (entry->translation == entry->source)
            continue;
        used.insert(entry);
        if (i < replacements.size() && replacements[i] != found[i]) {
            ++result.counts.alreadyChanged;
            continue;
        }
        const std::optional<QString> written = writtenFor(rows, i, entry->translation);
        if (!written) {
            ++result.counts.notWritable;
            result.notWritableRows.append(int(i));
            continue;
        }
        result.replacements[i] = *written;
        ++result.counts.filled;
    }
    result.counts.notFound = index.translations() - int(used.size());
    return result;
}

