// A tree's rows as catalog entries: each file's rows prepared on any thread,
// merged in the files' order, one entry per text.
#include "engine/catalog/CatalogFormats.h"

#include "engine/scan/CppEscapes.h"
#include "engine/scan/FindText.h"
#include "engine/scan/XmlText.h"
#include "engine/scan/StringUses.h"

#include <QDir>
#include <QFileInfo>

// What a row's text, or a replacement written in its place, stands for.
std::optional<QString> RowSource(const TextRows &rows, qsizetype row, const QString &written)
{
    if (rows.xml)
        return DecodeXmlText(written);
    const QString delimiter = rows.rawDelimiters.value(row);
    return delimiter.isNull() ? DecodeCppEscapes(written) : std::optional<QString>(written);
}

std::optional<QString> JoinedText(QStringView text, const QList<CodeLiteral> &literals, qsizetype first, qsizetype end)
{
    QString joined;
    for (qsizetype i = first; i < end; ++i) {
        const CodeLiteral &literal = literals[i];
        const QStringView content = text.sliced(literal.content.start, literal.content.length);
        if (!literal.rawDelimiter.isNull()) {
            joined += content;
        } else if (const std::optional<QString> decoded = DecodeCppEscapes(content)) {
            joined += *decoded;
        } else {
            return std::nullopt;
        }
    }
    return joined;
}

qsizetype JoinedEnd(const QList<CodeLiteral> &literals, qsizetype first)
{
    qsizetype end = first + 1;
    while (end < literals.size() && literals[end].joinsPrevious)
        ++end;
    return end;
}

namespace {

// The class a function is a member of ("A::B" of "A::B::f"), or else the file's name.
QString ownerOf(const QString &function, const QString &path)
{
    const qsizetype last = function.lastIndexOf(QLatin1String("::"));
    return last > 0 ? function.first(last) : QFileInfo(path).fileName();
}

// A C++ file's strings as the compiler has them: adjacent literals joined, each
// string whole (spaces included), its place and use those of its first literal.
void prepareWholeStrings(const CatalogSource &source, CatalogRows &rows)
{
    const QList<CodeLiteral> &literals = source.rows.literals;
    QList<qsizetype> firsts;
    QList<LiteralSpan> spans;
    for (qsizetype i = 0; i < literals.size(); i = JoinedEnd(literals, i)) {
        firsts.append(i);
        spans.append(literals[i].content);
    }
    const QList<StringUse> uses = StringUses(source.text, spans, source.rows.regions);
    qsizetype counted = 0;
    int line = 1;
    for (qsizetype k = 0; k < firsts.size(); ++k) {
        const qsizetype first = firsts[k];
        std::optional<QString> text = JoinedText(source.text, literals, first, JoinedEnd(literals, first));
        if (!text) {
            ++rows.undecodable;
            continue;
        }
        if (text->isEmpty())
            continue;
        line += int(CountChar(QStringView(source.text).sliced(counted, spans[k].start - counted), u'\n'));
        counted = spans[k].start;
        const StringUse &use = uses[k];
        const bool data = KindOfUse(use, *text) == UseKind::Data;
        rows.rows.append({std::move(*text), QString(), line, QString(), QString(), DescribeUse(use).trimmed(), data,
                          ownerOf(use.function, source.path)});
    }
}

} // namespace

CatalogRows PrepareCatalogRows(const CatalogSource &source, const QString &folder)
{
    CatalogRows rows;
    rows.file = QDir::fromNativeSeparators(QDir(folder).relativeFilePath(source.path));
    if (source.wholeStrings && !source.rows.xml) {
        prepareWholeStrings(source, rows);
        return rows;
    }
    qsizetype counted = 0;
    int line = 1;
    const QList<StringUse> uses = source.rows.xml ? QList<StringUse>() : StringUses(source.text, source.rows.spans, source.rows.regions);
    const QString formName = QFileInfo(source.path).fileName();
    for (qsizetype i = 0; i < source.rows.spans.size(); ++i) {
        const LiteralSpan &span = source.rows.spans[i];
        line += int(CountChar(QStringView(source.text).sliced(counted, span.start - counted), u'\n'));
        counted = span.start;
        const QString found = source.text.mid(span.start, span.length);
        std::optional<QString> text = RowSource(source.rows, i, found);
        if (!text) {
            ++rows.undecodable;
            continue;
        }
        const QString replacement = source.replacements.value(i, found);
        std::optional<QString> translation;
        if (replacement != found)
            translation = RowSource(source.rows, i, replacement);
        const StringUse use = uses.value(i);
        const bool data = !source.rows.xml && KindOfUse(use, *text) == UseKind::Data; // a form's texts are all seen
        const QString described = source.rows.xml ? formName + QLatin1Char(' ') + source.rows.uses.value(i) : DescribeUse(use);
        rows.rows.append({std::move(*text), translation ? std::move(*translation) : QString(), line,
                          source.rows.contexts.value(i), source.rows.notes.value(i), described.trimmed(), data,
                          source.rows.xml && !source.rows.formClass.isEmpty() ? source.rows.formClass : ownerOf(use.function, source.path)});
    }
    return rows;
}

void CatalogMerger::add(const CatalogRows &file)
{
    m_catalog.undecodable += file.undecodable;
    for (const CatalogRows::Row &row : file.rows) {
        qsizetype &number = m_entryOf[CatalogKey(row.context, row.source)]; // one look-up: 0 for a new text
        if (number == 0) {
            m_catalog.entries.append(CatalogEntry{row.source, {}, false, {}, row.context, {}, 0, true, row.owner});
            m_uses.append(QStringList());
            number = m_catalog.entries.size();
        }
        const qsizetype at = number - 1;
        CatalogEntry &entry = m_catalog.entries[at];
        entry.places.append({file.file, row.line});
        entry.data = entry.data && row.data;
        if (entry.note.isEmpty())
            entry.note = row.note;
        QStringList &uses = m_uses[at];
        if (!row.use.isEmpty() && !uses.contains(row.use))
            uses.append(row.use);
        if (!entry.finished && !row.translation.isNull()) {
            entry.translation = row.translation;
            entry.finished = true;
        }
    }
}

Catalog CatalogMerger::take()
{
    constexpr qsizetype Shown = 5;
    for (qsizetype i = 0; i < m_catalog.entries.size(); ++i) {
        const QStringList &uses = m_uses[i];
        // Most texts have one use: its text is shared, not copied.
        QString where = uses.size() == 1 ? uses[0] : uses.mid(0, Shown).join(QStringLiteral("；"));
        if (uses.size() > Shown)
            where += QStringLiteral("；另有 %1 处").arg(uses.size() - Shown);
        CatalogEntry &entry = m_catalog.entries[i];
        if (entry.data)
            where = QStringLiteral("看来是程序用的数据：") + where;
        if (!where.isEmpty())
            entry.note = entry.note.isEmpty() ? where : entry.note + QLatin1Char('\n') + where;
    }
    m_uses.clear();
    m_entryOf.clear();
    return std::move(m_catalog);
}

int LeaveOutData(Catalog &catalog)
{
    return int(catalog.entries.removeIf([](const CatalogEntry &entry) { return entry.data; }));
}

Catalog MergeCatalogRows(const QList<CatalogRows> &files)
{
    CatalogMerger merger;
    for (const CatalogRows &file : files)
        merger.add(file);
    return merger.take();
}

Catalog CatalogFromRows(const QList<CatalogSource> &sources, const QString &folder)
{
    QList<CatalogRows> files;
    for (const CatalogSource &source : sources)
        files.append(PrepareCatalogRows(source, folder));
    return MergeCatalogRows(files);
}
