// Qt Linguist's .ts: written by hand where a text needs only the five escapes,
// by QXmlStreamWriter otherwise, byte for byte the same; read by QXmlStreamReader.
#include "engine/catalog/CatalogFormats.h"

#include "engine/files/ErrorText.h"
#include "engine/files/FileError.h"
#include "engine/files/ParallelFor.h"
#include "engine/files/Utf8NoBomFile.h"

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// XML 1.0 holds TAB, LF, CR and everything from U+0020 on but U+FFFE and U+FFFF.
bool xmlHolds(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c != 0xFFFE && c != 0xFFFF);
}

// Text, with each character XML cannot hold as <byte value="x…"/>, as Qt Linguist
// writes it, and a carriage return as &#xd; (a reader turns a bare one into a line feed).
void writeTsText(QXmlStreamWriter &xml, const QString &text)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && xmlHolds(text[i].unicode()) && text[i] != u'\r')
            continue;
        xml.writeCharacters(text.mid(run, i - run));
        if (i < text.size() && text[i] == u'\r') {
            xml.writeEntityReference(QStringLiteral("#xd"));
        } else if (i < text.size()) {
            xml.writeEmptyElement(QStringLiteral("byte"));
            xml.writeAttribute(QStringLiteral("value"), QStringLiteral("x%1").arg(text[i].unicode(), 0, 16));
        }
        run = i + 1;
    }
}

// The translation's type attribute: none for a finished one; an obsolete one
// "vanished" when it was finished, "obsolete" when not, as lupdate writes them.
QLatin1StringView translationType(const CatalogEntry &entry)
{
    if (entry.obsolete)
        return entry.finished ? QLatin1StringView("vanished") : QLatin1StringView("obsolete");
    return entry.finished ? QLatin1StringView() : QLatin1StringView("unfinished");
}

void writeTextElement(QXmlStreamWriter &xml, const char *name, const QString &text)
{
    if (text.isEmpty())
        return;
    xml.writeStartElement(QLatin1StringView(name));
    writeTsText(xml, text);
    xml.writeEndElement();
}

void writeMessage(QXmlStreamWriter &xml, const CatalogEntry &entry)
{
    xml.writeStartElement(QStringLiteral("message"));
    for (const CatalogPlace &place : entry.places) {
        xml.writeEmptyElement(QStringLiteral("location"));
        xml.writeAttribute(QStringLiteral("filename"), place.file);
        xml.writeAttribute(QStringLiteral("line"), QString::number(place.line));
    }
    xml.writeStartElement(QStringLiteral("source"));
    writeTsText(xml, entry.source);
    xml.writeEndElement();
    writeTextElement(xml, "oldsource", entry.oldSource);
    writeTextElement(xml, "comment", entry.context);
    writeTextElement(xml, "extracomment", entry.note);
    writeTextElement(xml, "translatorcomment", entry.comment);
    xml.writeStartElement(QStringLiteral("translation"));
    if (const QLatin1StringView type = translationType(entry); !type.isEmpty())
        xml.writeAttribute(QStringLiteral("type"), type);
    writeTsText(xml, entry.translation);
    xml.writeEndElement();
    xml.writeEndElement();
}

// Messages a part holds: enough to pay for its writer, few enough to stay small.
constexpr qsizetype MessagesPerPart = 256;

// The messages of entries [from, to), byte for byte as one writer that has just
// written the context's name goes on to write them.
QByteArray tsMessagesByWriter(const Catalog &catalog, qsizetype from, qsizetype to)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.writeStartElement(QStringLiteral("TS"));
    xml.writeStartElement(QStringLiteral("context"));
    xml.writeTextElement(QStringLiteral("name"), QString());
    const qsizetype start = bytes.size();
    for (qsizetype i = from; i < to; ++i)
        writeMessage(xml, catalog.entries[i]);
    return bytes.sliced(start);
}

// Text the fast path below escapes exactly as the writer would: no character
// that needs a <byte/> or a reference, none that an attribute would escape.
bool plainText(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 ? u != u'\n' : !xmlHolds(u))
            return false;
    }
    return true;
}

bool plainAttribute(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || !xmlHolds(c.unicode()))
            return false;
    return true;
}

// The text with & < > " escaped; the runs between them appended whole.
void appendEscaped(QString &out, QStringView text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QLatin1StringView escape;
        switch (text[i].unicode()) {
        case u'&': escape = QLatin1StringView("&amp;"); break;
        case u'<': escape = QLatin1StringView("&lt;"); break;
        case u'>': escape = QLatin1StringView("&gt;"); break;
        case u'"': escape = QLatin1StringView("&quot;"); break;
        default: continue;
        }
        out.append(text.mid(from, i - from)).append(escape);
        from = i + 1;
    }
    out.append(text.mid(from));
}

void appendElement(QString &out, const char *name, const QString &text)
{
    const QLatin1StringView tag(name);
    out.append(QLatin1StringView("\n            <")).append(tag).append(u'>');
    appendEscaped(out, text);
    out.append(QLatin1StringView("</")).append(tag).append(u'>');
}

// The messages of entries [from, to), byte for byte as one writer that has just
// written the context's name goes on to write them: plain entries written here,
// for speed; any other by the writer itself.
QByteArray tsMessages(const Catalog &catalog, qsizetype from, qsizetype to)
{
    QString out;
    QByteArray bytes;
    for (qsizetype i = from; i < to; ++i) {
        const CatalogEntry &entry = catalog.entries[i];
        bool plain = plainText(entry.source) && plainText(entry.translation) && plainText(entry.context) && plainText(entry.note)
            && plainText(entry.oldSource) && plainText(entry.comment);
        for (const CatalogPlace &place : entry.places)
            plain = plain && plainAttribute(place.file);
        if (!plain) {
            bytes += out.toUtf8() + tsMessagesByWriter(catalog, i, i + 1);
            out.clear();
            continue;
        }
        out += QLatin1String("\n        <message>");
        for (const CatalogPlace &place : entry.places) {
            out += QLatin1String("\n            <location filename=\"");
            appendEscaped(out, place.file);
            out.append(QLatin1StringView("\" line=\"")).append(QString::number(place.line)).append(QLatin1StringView("\"/>"));
        }
        appendElement(out, "source", entry.source);
        const std::pair<const char *, const QString *> elements[] = {
            {"oldsource", &entry.oldSource}, {"comment", &entry.context}, {"extracomment", &entry.note}, {"translatorcomment", &entry.comment}};
        for (const auto &[name, text] : elements)
            if (!text->isEmpty())
                appendElement(out, name, *text);
        const QLatin1StringView type = translationType(entry);
        out += QLatin1String("\n            <translation");
        if (!type.isEmpty())
            out.append(QLatin1StringView(" type=\"")).append(type).append(u'"');
        out += u'>';
        appendEscaped(out, entry.translation);
        out += QLatin1String("</translation>\n        </message>");
    }
    return bytes + out.toUtf8();
}

// What the writer has put into the buffer since the last call.
QByteArray takeWritten(QBuffer &buffer)
{
    const QByteArray bytes = buffer.data();
    buffer.buffer().clear();
    buffer.seek(0);
    return bytes;
}

// The entries, those of one owner together, the owners in the order first met
// (Linguist lists a context's messages together, whatever order they come in).
Catalog groupedByOwner(const Catalog &catalog)
{
    QHash<QString, qsizetype> rank;
    for (const CatalogEntry &entry : catalog.entries)
        rank.insert(entry.owner, rank.value(entry.owner, rank.size()));
    Catalog grouped;
    grouped.entries = catalog.entries;
    if (rank.size() > 1)
        std::stable_sort(grouped.entries.begin(), grouped.entries.end(),
                         [&](const CatalogEntry &a, const CatalogEntry &b) { return rank[a.owner] < rank[b.owner]; });
    return grouped;
}

void writeTs(const Catalog &catalog, const QString &path, const QString &context, const QString &language,
             const QString &sourceLanguage)
{
    Utf8NoBomFile::AtomicWriter file(path, FileErrorKind::CannotWriteCatalog);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QXmlStreamWriter xml(&buffer);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE TS>"));
    xml.writeStartElement(QStringLiteral("TS"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.1"));
    if (!language.isEmpty())
        xml.writeAttribute(QStringLiteral("language"), language);
    if (!sourceLanguage.isEmpty())
        xml.writeAttribute(QStringLiteral("sourcelanguage"), sourceLanguage);
    const Catalog grouped = groupedByOwner(catalog);
    for (qsizetype from = 0; from < grouped.entries.size() || from == 0;) {
        const QString owner = grouped.entries.value(from).owner;
        qsizetype to = from;
        while (to < grouped.entries.size() && grouped.entries[to].owner == owner)
            ++to;
        xml.writeStartElement(QStringLiteral("context"));
        xml.writeTextElement(QStringLiteral("name"), owner.isEmpty() ? context : owner);
        file.write(takeWritten(buffer));
        // The messages are written in parts on every core, each part into the file once those before it are.
        std::vector<QByteArray> parts((to - from + MessagesPerPart - 1) / MessagesPerPart);
        ParallelForInOrder(int(parts.size()), 0, [&](int part) {
            const qsizetype first = from + part * MessagesPerPart;
            parts[part] = tsMessages(grouped, first, qMin(to, first + MessagesPerPart));
        }, [&](int part) {
            file.write(parts[part]);
            parts[part] = QByteArray();
        });
        xml.writeEndElement();
        if (to == from)
            break; // an empty catalog: one empty context
        from = to;
    }
    xml.writeEndDocument();
    file.write(takeWritten(buffer));
    file.commit();
}

// The text of the element the reader stands on, <byte value="x…"/> read back as
// its character; an entity the reader could not resolve is named in `entity`.
QString readTsText(QXmlStreamReader &xml, QString *entity, const QStringList &external, const QString &decoded)
{
    const qint64 start = xml.characterOffset();
    QString text;
    while (xml.readNext() != QXmlStreamReader::EndElement && !xml.hasError()) {
        if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isEntityReference()) {
            *entity = xml.name().toString();
        } else if (xml.isStartElement()) {
            const QStringView value = xml.attributes().value(QLatin1String("value"));
            bool ok = false;
            const uint code = value.startsWith(u'x') ? value.mid(1).toUInt(&ok, 16) : value.toUInt(&ok, 10);
            if (xml.name() == QLatin1String("byte") && ok && code < 0x10000)
                text += QChar(char16_t(code));
            xml.skipCurrentElement();
        }
    }
    // The reader drops a reference to an external entity without a word: looked for in the element's own text.
    if (!external.isEmpty()) {
        const QStringView raw = QStringView(decoded).mid(start, xml.characterOffset() - start);
        for (const QString &name : external)
            if (raw.contains(QLatin1Char('&') + name + QLatin1Char(';')))
                *entity = name;
    }
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
        throw MakeFileError(FileErrorKind::CannotReadCatalog, path, file.errorString());
    const QByteArray bytes = file.readAll();
    QXmlStreamReader xml(bytes);
    Catalog catalog;
    CatalogEntry entry;
    bool plural = false;
    QString entity;
    QString owner;        // the context's name
    QStringList external; // entities whose text is outside the file
    QString decoded;      // the file's text, where it declares such entities
    const auto text = [&] { return readTsText(xml, &entity, external, decoded); };
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
            if (plural)
                catalog.problems.append({CatalogProblem::Plural, QStringLiteral("第 %1 行：“%2”是复数形式的条目，没有写入。").arg(entry.line).arg(ShortText(entry.source))});
            else if (!entity.isNull())
                catalog.problems.append({CatalogProblem::Entity, QStringLiteral("第 %1 行：“%2”含有无法展开的实体 &%3;，没有写入。").arg(entry.line).arg(ShortText(entry.source), entity)});
            else
                catalog.entries.append(entry);
        } else if (name == QLatin1String("name")) {
            owner = text();
        } else if (name == QLatin1String("message")) {
            entry = CatalogEntry();
            entry.owner = owner;
            entry.line = int(xml.lineNumber());
            entity = QString();
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
            entry.translation = text();
            entry.obsolete = type == u"vanished" || type == u"obsolete";
            entry.finished = (type.isEmpty() || type == u"vanished") && !entry.translation.isEmpty();
        }
    }
    if (xml.hasError())
        throw MakeFileError(FileErrorKind::MalformedCatalog, path,
                            QStringLiteral("第 %1 行第 %2 列：%3").arg(xml.lineNumber()).arg(xml.columnNumber()).arg(xml.errorString()));
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
