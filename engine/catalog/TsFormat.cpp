// Qt Linguist's .ts: written by hand, read by QXmlStreamReader.
#include "engine/catalog/CatalogFormats.h"

#include "engine/files/FileError.h"
#include "engine/files/ParallelFor.h"
#include "engine/files/Utf8NoBomFile.h"
#include "engine/scan/XmlText.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Appends bytes: QByteArray's append() inserts, with some hundred instructions
// for the few bytes of a piece of markup, and a catalog has a million of them.
void appendBytes(QByteArray &out, QByteArrayView bytes)
{
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::memcpy(out.data() + at, bytes.data(), size_t(bytes.size()));
}

// A text as .ts content: the XML escapes, and each character XML cannot hold
// as <byte value="x…"/>, as Qt Linguist writes it.
void appendTsText(QString &out, QStringView text)
{
    AppendXmlContent(out, text, true, [](QString &to, char32_t c) {
        to.append(QLatin1StringView("<byte value=\"x")).append(QString::number(uint(c), 16)).append(QLatin1StringView("\"/>"));
    });
}

// The same in UTF-8, as the file holds it: written straight there, but for
// the rare text with a character XML cannot hold.
void appendTsText(QByteArray &out, QStringView text)
{
    if (AppendXmlUtf8(out, text, true, false))
        return;
    QString written;
    appendTsText(written, text);
    out += written.toUtf8();
}

// An attribute's value in UTF-8, its quotes left to the caller.
void appendAttribute(QByteArray &out, QStringView text)
{
    if (AppendXmlUtf8(out, text, true, true))
        return;
    QString written;
    AppendXmlAttribute(written, text);
    out += written.sliced(1, written.size() - 2).toUtf8();
}

// A translation's start tag with its type attribute: none for a finished one; an
// obsolete one "vanished" when it was finished, "obsolete" when not, as lupdate writes them.
QByteArrayView translationStart(const CatalogEntry &entry)
{
    if (entry.obsolete)
        return entry.finished ? QByteArrayView("\n            <translation type=\"vanished\">")
                              : QByteArrayView("\n            <translation type=\"obsolete\">");
    return entry.finished ? QByteArrayView("\n            <translation>") : QByteArrayView("\n            <translation type=\"unfinished\">");
}

// Messages a part holds: enough to pay for its start, few enough to stay small.
constexpr qsizetype MessagesPerPart = 256;

// An element, its tags given whole: a few pieces appended, not one for each part of a tag.
void appendElement(QByteArray &out, QByteArrayView start, QByteArrayView end, const QString &text)
{
    appendBytes(out, start);
    appendTsText(out, text);
    appendBytes(out, end);
}

// The entry's message, laid out as Qt's writer lays it out, appended in UTF-8: a
// tree's catalog is megabytes, and each piece of it goes into the file's bytes
// once, not first into a QString.
void appendTsMessage(QByteArray &out, const CatalogEntry &entry)
{
    appendBytes(out, "\n        <message>");
    for (const CatalogPlace &place : entry.places) {
        appendBytes(out, "\n            <location filename=\"");
        appendAttribute(out, place.file);
        char line[32] = "\" line=\"";
        char *end = std::to_chars(line + 8, line + 20, place.line).ptr;
        end = std::copy_n("\"/>", 3, end);
        appendBytes(out, QByteArrayView(line, end - line));
    }
    appendElement(out, "\n            <source>", "</source>", entry.source);
    const struct {
        QByteArrayView start, end;
        const QString &text;
    } elements[] = {{"\n            <oldsource>", "</oldsource>", entry.oldSource},
                    {"\n            <comment>", "</comment>", entry.context},
                    {"\n            <extracomment>", "</extracomment>", entry.note},
                    {"\n            <translatorcomment>", "</translatorcomment>", entry.comment}};
    for (const auto &element : elements)
        if (!element.text.isEmpty())
            appendElement(out, element.start, element.end, element.text);
    appendElement(out, translationStart(entry), "</translation>\n        </message>", entry.translation);
}

// The entries' order, those of one owner together, the owners in the order first met
// (Linguist lists a context's messages together, whatever order they come in).
// At most one look-up an entry: a tree has about as many owners as files.
std::vector<const CatalogEntry *> groupedByOwner(const Catalog &catalog)
{
    QHash<QString, qsizetype> rank;
    std::vector<std::vector<const CatalogEntry *>> owners;
    const QString *lastOwner = nullptr;
    qsizetype at = 0;
    for (const CatalogEntry &entry : catalog.entries) {
        if (!lastOwner || entry.owner != *lastOwner) { // entries come file by file: most have the owner of the one before
            qsizetype &ranked = rank[entry.owner]; // one look-up: 0 for an owner not met yet
            if (ranked == 0) {
                owners.emplace_back();
                ranked = qsizetype(owners.size());
            }
            at = ranked;
            lastOwner = &entry.owner;
        }
        owners[size_t(at - 1)].push_back(&entry);
    }
    std::vector<const CatalogEntry *> grouped;
    grouped.reserve(size_t(catalog.entries.size()));
    for (const std::vector<const CatalogEntry *> &owner : owners)
        grouped.insert(grouped.end(), owner.begin(), owner.end());
    return grouped;
}

void writeTs(const Catalog &catalog, const QString &path, const QString &context, const QString &language,
             const QString &sourceLanguage)
{
    Utf8NoBomFile::AtomicWriter file(path, Problem::CannotWriteCatalog);
    // Laid out as Qt's writer lays a .ts out, by hand: it would spend longer on a
    // tree's thousands of contexts than on their messages.
    QString head = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE TS>\n<TS version=\"2.1\"");
    const std::pair<QLatin1StringView, const QString *> attributes[] = {{QLatin1StringView(" language="), &language},
                                                                        {QLatin1StringView(" sourcelanguage="), &sourceLanguage}};
    for (const auto &[name, value] : attributes) {
        if (!value->isEmpty()) {
            head += name;
            AppendXmlAttribute(head, *value);
        }
    }
    head += u'>';
    const std::vector<const CatalogEntry *> grouped = groupedByOwner(catalog);
    const qsizetype entries = qsizetype(grouped.size());
    const auto startContext = [&](QByteArray &out, const QString &owner) {
        appendBytes(out, "\n    <context>\n        <name>");
        appendTsText(out, owner.isEmpty() ? context : owner);
        appendBytes(out, "</name>");
    };
    // The messages in parts on every core at once, each part into the file once those
    // before it are. A part holds MessagesPerPart messages whatever their contexts (a
    // tree has a context a file: a part for each would be handed over thousands of
    // times), and writes the start and the end of each context as it meets them.
    const qsizetype parts = qMax<qsizetype>(1, (entries + MessagesPerPart - 1) / MessagesPerPart);
    std::vector<QByteArray> written(static_cast<size_t>(parts));
    written[0] = head.toUtf8();
    ParallelForInOrder(int(parts), 0, [&](int part) {
        QByteArray &out = written[size_t(part)];
        if (entries == 0) { // an empty catalog: one empty context
            startContext(out, QString());
            appendBytes(out, "\n    </context>");
        }
        const qsizetype to = qMin(entries, (part + 1) * MessagesPerPart);
        for (qsizetype i = part * MessagesPerPart; i < to; ++i) {
            const QString &owner = grouped[size_t(i)]->owner;
            if (i == 0 || owner != grouped[size_t(i - 1)]->owner)
                startContext(out, owner);
            appendTsMessage(out, *grouped[size_t(i)]);
            if (i + 1 == entries || grouped[size_t(i + 1)]->owner != owner)
                appendBytes(out, "\n    </context>");
        }
    }, [&](int part) {
        file.write(written[size_t(part)]);
        written[size_t(part)] = QByteArray();
    });
    file.write(QByteArrayLiteral("\n</TS>\n"));
    file.commit();
}

// What makes a message's texts other than plain text: the first found.
struct TsOdd {
    std::optional<Problem::Kind> kind;
    QString detail; // the element's or the entity's name
    void note(Problem::Kind found, const QString &name = QString())
    {
        if (!kind) {
            kind = found;
            detail = name;
        }
    }
};

// The character a <byte value="x…"/> (or value="…" in decimal) stands for; none when it names none.
std::optional<char32_t> byteValue(QStringView value)
{
    bool ok = false;
    const uint code = value.startsWith(u'x') ? value.mid(1).toUInt(&ok, 16) : value.toUInt(&ok, 10);
    if (!ok || code > 0x10FFFF)
        return std::nullopt;
    return char32_t(code);
}

// The text of the element the reader stands on, <byte value="x…"/> read back
// as its character. An entity the reader could not resolve or another element
// is noted in `odd`; in a translation, a NUL or a lone surrogate too.
QString readTsText(QXmlStreamReader &xml, TsOdd &odd, bool translation, const QStringList &external, const QString &decoded)
{
    const qint64 start = xml.characterOffset();
    QString text;
    while (xml.readNext() != QXmlStreamReader::EndElement && !xml.hasError()) {
        if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isEntityReference()) {
            odd.note(Problem::CatalogEntity, xml.name().toString());
        } else if (xml.isStartElement()) {
            const std::optional<char32_t> code = byteValue(xml.attributes().value(QLatin1String("value")));
            if (xml.name() != QLatin1String("byte") || !code)
                odd.note(Problem::CatalogMarkup, xml.name().toString());
            else if (*code == 0 && translation)
                odd.note(Problem::CatalogNul);
            else if (*code < 0x10000)
                text += QChar(char16_t(*code)); // a surrogate too, judged below
            else
                text += QChar::fromUcs4(*code);
            xml.skipCurrentElement();
        }
    }
    // The reader drops a reference to an external entity without a word: looked for in the element's own text.
    if (!external.isEmpty()) {
        const QStringView raw = QStringView(decoded).mid(start, xml.characterOffset() - start);
        for (const QString &name : external)
            if (raw.contains(QLatin1Char('&') + name + QLatin1Char(';')))
                odd.note(Problem::CatalogEntity, name);
    }
    if (translation && !QStringView(text).isValidUtf16())
        odd.note(Problem::CatalogBadCharacter);
    return text;
}

QString attribute(const QXmlStreamReader &xml, const char *name)
{
    return xml.attributes().value(QLatin1String(name)).toString();
}

Catalog readTs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DeviceError(Problem::CannotReadCatalog, path, file);
    const QByteArray bytes = file.readAll();
    QXmlStreamReader xml(bytes);
    Catalog catalog;
    CatalogEntry entry;
    bool plural = false;
    TsOdd odd;
    QString owner;        // the context's name
    QStringList external; // entities whose text is outside the file
    QString decoded;      // the file's text, where it declares such entities
    const auto text = [&](bool translation = false) { return readTsText(xml, odd, translation, external, decoded); };
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (xml.isDTD()) {
            for (const QXmlStreamEntityDeclaration &declaration : xml.entityDeclarations())
                if (!declaration.systemId().isEmpty() || !declaration.publicId().isEmpty())
                    external << declaration.name().toString();
            if (!external.isEmpty())
                decoded = QString::fromUtf8(bytes);
        }
        if (!xml.isStartElement() && !(xml.isEndElement() && xml.name() == QLatin1String("message")))
            continue;
        const QStringView name = xml.name();
        if (xml.isEndElement()) {
            // An unfinished or obsolete translation is not written: only an entity or plural forms are worth a word then.
            const bool written = entry.finished && !entry.obsolete;
            if (plural && !entry.obsolete)
                catalog.problems.append(MakeCatalogProblem(Problem::CatalogPlural, path, entry.line, entry.source));
            else if (odd.kind && (written || (*odd.kind == Problem::CatalogEntity && !entry.obsolete)))
                catalog.problems.append(MakeCatalogProblem(*odd.kind, path, entry.line, entry.source, odd.detail));
            else if (!plural && !odd.kind)
                catalog.entries.append(entry);
        } else if (name == QLatin1String("name")) {
            owner = text();
        } else if (name == QLatin1String("message")) {
            entry = CatalogEntry();
            entry.owner = owner;
            entry.line = int(xml.lineNumber());
            odd = TsOdd();
            plural = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("location")) {
            entry.places.append({attribute(xml, "filename"), attribute(xml, "line").toInt()});
        } else if (name == QLatin1String("source")) {
            entry.source = text();
        } else if (name == QLatin1String("comment")) {
            entry.context = text();
        } else if (name == QLatin1String("extracomment")) {
            entry.note = text();
        } else if (name == QLatin1String("translatorcomment")) {
            entry.comment = text();
        } else if (name == QLatin1String("oldsource")) {
            entry.oldSource = text();
        } else if (name == QLatin1String("translation")) {
            const QString type = attribute(xml, "type");
            if (xml.attributes().value(QLatin1String("variants")) == QLatin1String("yes"))
                odd.note(Problem::CatalogVariants);
            entry.translation = text(true);
            entry.obsolete = type == u"vanished" || type == u"obsolete";
            entry.finished = (type.isEmpty() || type == u"vanished") && (!entry.translation.isEmpty() || odd.kind);
        }
    }
    if (xml.hasError())
        throw FileError(ProblemAt(Problem::MalformedCatalog, path, xml.lineNumber(), xml.columnNumber(), xml.errorString()));
    return catalog;
}

} // namespace

const CatalogFormat TsFormat = {
    [](const QString &) { return true; }, // whatever is no .po
    readTs,
    [](const Catalog &catalog, const QString &path, const CatalogWriteOptions &options) {
        writeTs(catalog, path, options.context, options.language, options.sourceLanguage);
    },
};
