#include "engine/catalog/Catalog.h"

#include "engine/catalog/CatalogFormats.h"

#include <QHash>
#include <QSet>

namespace {

const CatalogFormat &formatFor(const QString &path, bool asPo)
{
    return asPo || PoFormat.matches(path) ? PoFormat : TsFormat;
}

// Entries of one text (and disambiguation) translated two ways: neither is written.
void leaveOutConflicts(Catalog &catalog, const QString &path)
{
    QHash<QString, qsizetype> first;
    QSet<QString> conflicting;
    for (qsizetype i = 0; i < catalog.entries.size(); ++i) {
        const CatalogEntry &entry = catalog.entries[i];
        if (!entry.finished || entry.obsolete)
            continue;
        const QString key = CatalogKey(entry.context, entry.source);
        const auto seen = first.constFind(key);
        if (seen == first.cend()) {
            first.insert(key, i);
            continue;
        }
        const CatalogEntry &earlier = catalog.entries[*seen];
        if (earlier.translation == entry.translation)
            continue;
        conflicting.insert(key);
        Problem conflict = MakeCatalogProblem(Problem::CatalogConflict, path, earlier.line, entry.source, earlier.translation);
        conflict.otherLine = entry.line;
        conflict.otherDetail = entry.translation;
        catalog.problems.append(conflict);
    }
    if (!conflicting.isEmpty())
        catalog.entries.removeIf([&](const CatalogEntry &entry) { return !entry.obsolete && conflicting.contains(CatalogKey(entry.context, entry.source)); });
}

} // namespace

Problem MakeCatalogProblem(Problem::Kind kind, const QString &catalog, int line, const QString &source, const QString &detail)
{
    Problem problem = ProblemAbout(kind, catalog);
    problem.line = line;
    problem.text = source;
    problem.detail = detail;
    return problem;
}

void WriteCatalog(const Catalog &catalog, const QString &path, const QString &context, const QString &language,
                  const QString &sourceLanguage, bool asPo)
{
    formatFor(path, asPo).write(catalog, path, {context, language, sourceLanguage});
}

Catalog ReadCatalog(const QString &path, bool keepConflicts)
{
    Catalog catalog = formatFor(path, false).read(path);
    if (!keepConflicts)
        leaveOutConflicts(catalog, path);
    return catalog;
}
