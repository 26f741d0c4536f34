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
void leaveOutConflicts(Catalog &catalog)
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
        catalog.problems.append({CatalogProblem::Conflict, QStringLiteral("第 %1 行和第 %2 行把“%3”译成了不同的文字（“%4”和“%5”），都没有写入。")
                                                               .arg(earlier.line).arg(entry.line)
                                                               .arg(ShortText(entry.source), ShortText(earlier.translation), ShortText(entry.translation))});
    }
    if (!conflicting.isEmpty())
        catalog.entries.removeIf([&](const CatalogEntry &entry) { return !entry.obsolete && conflicting.contains(CatalogKey(entry.context, entry.source)); });
}

} // namespace

CatalogProblem MakeCatalogProblem(CatalogProblem::Kind kind, int line, const QString &source, const QString &detail)
{
    QString what;
    switch (kind) {
    case CatalogProblem::Plural: what = QStringLiteral("是复数形式的条目"); break;
    case CatalogProblem::Nul: what = QStringLiteral("的译文含有 NUL 字符"); break;
    case CatalogProblem::Entity: what = QStringLiteral("含有无法展开的实体 &%1;").arg(detail); break;
    case CatalogProblem::Variants: what = QStringLiteral("的译文分成了几种长度（variants）"); break;
    case CatalogProblem::Markup: what = QStringLiteral("含有元素 <%1>").arg(detail); break;
    case CatalogProblem::BadCharacter: what = QStringLiteral("含有无法编码的字符（孤立的代理项，或字符集无法解码的字节）"); break;
    case CatalogProblem::Conflict:
    case CatalogProblem::KindCount: break;
    }
    return {kind, QStringLiteral("第 %1 行：“%2”%3，没有写入。").arg(QString::number(line), ShortText(source), what)};
}

QString ShortText(const QString &text)
{
    return text.size() > 40 ? text.left(40) + QChar(0x2026) : text;
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
        leaveOutConflicts(catalog);
    return catalog;
}
