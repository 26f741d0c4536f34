// A tree's rows as catalog entries: each file's rows prepared on any thread,
// merged in the files' order, one entry per text.
#include "engine/catalog/CatalogFormats.h"

#include "engine/files/ParallelFor.h"
#include "engine/scan/CppEscapes.h"
#include "engine/scan/FindText.h"
#include "engine/scan/XmlText.h"
#include "engine/scan/StringUses.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

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
        if (literal.malformed)
            return std::nullopt; // rewritten, it could read as a raw string
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
QString ownerOf(const QString &function, const QString &fileName)
{
    const qsizetype last = function.lastIndexOf(QLatin1String("::"));
    return last > 0 ? function.first(last) : fileName;
}

// The first literal of each whole string, as prepareWholeStrings takes them.
QList<LiteralSpan> firstLiterals(const QList<CodeLiteral> &literals, QList<qsizetype> *firsts)
{
    QList<LiteralSpan> spans;
    spans.reserve(literals.size()); // as many as the literals at most: most strings are one
    firsts->reserve(literals.size());
    for (qsizetype i = 0; i < literals.size(); i = JoinedEnd(literals, i)) {
        firsts->append(i);
        spans.append(literals[i].content);
    }
    return spans;
}


// A C++ file's strings as the compiler has them: adjacent literals joined, each
// string whole (spaces included), its place and use those of its first literal.
void prepareWholeStrings(const CatalogSource &source, CatalogRows &rows)
{
    const QList<CodeLiteral> &literals = source.rows.literals;
    QList<qsizetype> firsts;
    const QList<LiteralSpan> spans = firstLiterals(literals, &firsts);
    UseReading reading = ReadStringUses(source.text, spans, source.rows.regions);
    rows.flows = std::move(reading.flows);
    rows.rows.reserve(firsts.size());
    const QString fileName = QFileInfo(source.path).fileName();
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
        const StringUse &use = reading.uses[k];
        QString described = DescribeUse(use).trimmed();
        QString owner = ownerOf(use.function, fileName);
        rows.rows.append({std::move(*text), QString(), line, QString(), QString(), std::move(described), k, false, std::move(owner)});
    }
    rows.readings = std::move(reading.uses);
}

} // namespace

LiteralKinds JudgeLiterals(const QString &text, const TextRows &rows, const ProgramFlows *flows, int file)
{
    const QList<CodeLiteral> &literals = rows.literals;
    QList<qsizetype> firsts;
    const QList<LiteralSpan> spans = firstLiterals(literals, &firsts);
    const QList<StringUse> uses = ReadStringUses(text, spans, rows.regions).uses;
    LiteralKinds kinds{QList<bool>(literals.size(), false), QList<bool>(literals.size(), false)};
    for (qsizetype k = 0; k < firsts.size(); ++k) {
        const StringUse use = uses.value(k);
        kinds.latin1[firsts[k]] = use.latin1;
        if (!flows)
            continue;
        const std::optional<QString> joined = JoinedText(text, literals, firsts[k], JoinedEnd(literals, firsts[k]));
        kinds.data[firsts[k]] = joined && flows->kindOf(use, *joined, file) == UseKind::Data;
    }
    return kinds;
}

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
    UseReading reading = source.rows.xml ? UseReading() : ReadStringUses(source.text, source.rows.spans, source.rows.regions);
    rows.flows = std::move(reading.flows);
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
        const bool read = i < reading.uses.size();
        const StringUse use = read ? reading.uses[i] : StringUse();
        const QString described = source.rows.xml ? formName + QLatin1Char(' ') + source.rows.uses.value(i) : DescribeUse(use);
        QString owner = source.rows.xml && !source.rows.formClass.isEmpty() ? source.rows.formClass : ownerOf(use.function, formName);
        rows.rows.append({std::move(*text), translation ? std::move(*translation) : QString(), line,
                          source.rows.contexts.value(i), source.rows.notes.value(i), described.trimmed(), read ? i : -1,
                          source.rows.xml, std::move(owner)});
    }
    rows.readings = std::move(reading.uses);
    return rows;
}

void CatalogMerger::add(CatalogRows file)
{
    m_catalog.undecodable += file.undecodable;
    const int fileNumber = m_flows.add(std::move(file.flows));
    for (qsizetype r = 0; r < file.rows.size(); ++r) {
        const CatalogRows::Row &row = file.rows.at(r);
        qsizetype &number = m_entryOf[CatalogKey(row.context, row.source)]; // one look-up: 0 for a new text
        if (number == 0) {
            // Most texts stand in one place: a new one is made with its place, note and use,
            // each list allocated once rather than grown from nothing.
            m_catalog.entries.append(CatalogEntry{row.source, {}, false, {{file.file, row.line}}, row.context, row.note, 0, true, row.owner});
            m_uses.append(row.use.isEmpty() ? QStringList() : QStringList{row.use});
            number = m_catalog.entries.size();
        } else {
            CatalogEntry &entry = m_catalog.entries[number - 1];
            entry.places.append({file.file, row.line});
            if (entry.note.isEmpty())
                entry.note = row.note;
            addUse(number - 1, row.use);
        }
        const qsizetype at = number - 1;
        CatalogEntry &entry = m_catalog.entries[at];
        if (!row.form && row.reading >= 0)
            m_judged.append({at, entry.places.size() - 1, fileNumber, row.reading});
        if (!entry.finished && !row.translation.isNull()) {
            entry.translation = row.translation;
            entry.finished = true;
        }
    }
    m_readings.append(std::move(file.readings));
}

// A few uses are looked through; many in a set, lest a text used in every function take quadratic time.
void CatalogMerger::addUse(qsizetype entry, const QString &use)
{
    QStringList &uses = m_uses[entry];
    constexpr qsizetype Few = 8;
    if (use.isEmpty()) {
    } else if (uses.size() < Few) {
        if (!uses.contains(use))
            uses.append(use);
        if (uses.size() == Few)
            m_manyUses.insert(entry, QSet<QString>(uses.cbegin(), uses.cend()));
    } else if (QSet<QString> &seen = m_manyUses[entry]; !seen.contains(use)) {
        seen.insert(use);
        uses.append(use);
    }
}

Catalog CatalogMerger::take()
{
    m_flows.resolve();
    // Each place judged on its own: in parts of whole files on every core. A part
    // lets its files' readings go once it has judged their places, rather than one
    // thread after all of them (the places are listed file by file).
    constexpr qsizetype PlacesPerPart = 2048;
    std::vector<qsizetype> partStarts;
    for (qsizetype start = 0; start < m_judged.size();) {
        partStarts.push_back(start);
        start = qMin(m_judged.size(), start + PlacesPerPart);
        while (start < m_judged.size() && m_judged[start].file == m_judged[start - 1].file)
            ++start;
    }
    partStarts.push_back(m_judged.size());
    CatalogEntry *entries = m_catalog.entries.data();
    QList<StringUse> *readings = m_readings.data();
    ParallelForInOrder(int(partStarts.size() - 1), 0, [&](int part) {
        const qsizetype start = partStarts[size_t(part)], end = partStarts[size_t(part) + 1];
        for (qsizetype i = start; i < end; ++i) {
            const Judged &judged = m_judged.at(i);
            CatalogEntry &entry = entries[judged.entry];
            entry.places[judged.place].data = m_flows.kindOf(readings[judged.file].at(judged.reading), entry.source, judged.file) == UseKind::Data;
        }
        for (int file = m_judged.at(start).file; file <= m_judged.at(end - 1).file; ++file)
            readings[file] = QList<StringUse>();
    }, {});
    m_judged.clear();
    m_readings.clear();
    // Each entry's note, in parts on every core too, each letting its entries' uses go.
    constexpr qsizetype EntriesPerPart = 2048;
    QStringList *uses = m_uses.data();
    ParallelForInOrder(int((m_catalog.entries.size() + EntriesPerPart - 1) / EntriesPerPart), 0, [&](int part) {
        const qsizetype end = qMin(m_catalog.entries.size(), (part + 1) * EntriesPerPart);
        for (qsizetype i = part * EntriesPerPart; i < end; ++i) {
            noteUses(entries[i], uses[i]);
            uses[i] = QStringList();
        }
    }, {});
    m_uses.clear();
    m_manyUses.clear();
    m_entryOf.clear();
    return std::move(m_catalog);
}

// The entry's note tells where it is used, and whether it is data; `uses` are its distinct uses.
void CatalogMerger::noteUses(CatalogEntry &entry, const QStringList &uses)
{
    constexpr qsizetype Shown = 5;
    // Most texts have one use: its text is shared, not copied.
    QString where = uses.size() == 1 ? uses[0] : uses.mid(0, Shown).join(QStringLiteral("；"));
    if (uses.size() > Shown)
        where += QStringLiteral("；另有 %1 处").arg(uses.size() - Shown);
    const int data = entry.dataPlaces();
    entry.data = data == entry.places.size();
    if (entry.data) {
        where = QStringLiteral("看来是程序用的数据：") + where;
    } else if (data > 0) {
        QStringList places;
        for (const CatalogPlace &place : std::as_const(entry.places))
            if (place.data && places.size() < Shown)
                places << QStringLiteral("%1:%2").arg(place.file).arg(place.line);
        if (data > Shown)
            places << QStringLiteral("…");
        where += QStringLiteral("\n另有 %1 处看来是程序用的数据，不会改动：%2").arg(data).arg(places.join(u' '));
    }
    if (!where.isEmpty())
        entry.note = entry.note.isEmpty() ? where : entry.note + QLatin1Char('\n') + where;
}

int CatalogEntry::dataPlaces() const
{
    return int(std::count_if(places.begin(), places.end(), [](const CatalogPlace &place) { return place.data; }));
}

int DataPlaces(const Catalog &catalog)
{
    int data = 0;
    for (const CatalogEntry &entry : catalog.entries)
        data += entry.dataPlaces();
    return data;
}

namespace {

QList<bool> dataRows(const QString &text, const TextRows &rows, const QList<StringUse> &uses, const ProgramFlows &flows, int file)
{
    QList<bool> data(rows.spans.size(), false);
    for (qsizetype i = 0; i < rows.spans.size(); ++i) {
        const QString found = text.mid(rows.spans[i].start, rows.spans[i].length);
        const std::optional<QString> source = RowSource(rows, i, found);
        data[i] = flows.kindOf(uses.value(i), source.value_or(found), file) == UseKind::Data;
    }
    return data;
}

} // namespace

QList<bool> DataRows(const QString &text, const TextRows &rows, const ProgramFlows &flows, int file)
{
    if (rows.xml)
        return QList<bool>(rows.spans.size(), false);
    return dataRows(text, rows, ReadStringUses(text, rows.spans, rows.regions).uses, flows, file);
}

QList<bool> DataRows(const QString &text, const TextRows &rows)
{
    if (rows.xml)
        return QList<bool>(rows.spans.size(), false);
    UseReading reading = ReadStringUses(text, rows.spans, rows.regions);
    ProgramFlows flows;
    const int file = flows.add(std::move(reading.flows));
    flows.resolve();
    return dataRows(text, rows, reading.uses, flows, file);
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
