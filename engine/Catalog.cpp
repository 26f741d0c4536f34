#include "engine/Catalog.h"

#include "engine/CppEscapes.h"
#include "engine/ErrorText.h"
#include "engine/FileError.h"
#include "engine/FindText.h"
#include "engine/FormStrings.h"
#include "engine/ParallelFor.h"
#include "engine/ReplacementChecks.h"
#include "engine/StringUses.h"
#include "engine/Utf8NoBomFile.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <gettext-po.h>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// What a row's text, or a replacement written in its place, stands for.
std::optional<QString> sourceOf(const TextRows &rows, qsizetype row, const QString &written)
{
    if (rows.xml)
        return DecodeXmlText(written);
    const QString delimiter = rows.rawDelimiters.value(row);
    return delimiter.isNull() ? DecodeCppEscapes(written) : std::optional<QString>(written);
}

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

bool isPo(const QString &path)
{
    return path.endsWith(QLatin1String(".po"), Qt::CaseInsensitive) || path.endsWith(QLatin1String(".pot"), Qt::CaseInsensitive);
}

// ---- .ts ----

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
    if (!entry.context.isEmpty()) {
        xml.writeStartElement(QStringLiteral("comment"));
        writeTsText(xml, entry.context);
        xml.writeEndElement();
    }
    if (!entry.note.isEmpty()) {
        xml.writeStartElement(QStringLiteral("extracomment"));
        writeTsText(xml, entry.note);
        xml.writeEndElement();
    }
    xml.writeStartElement(QStringLiteral("translation"));
    if (!entry.finished)
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("unfinished"));
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
        bool plain = plainText(entry.source) && plainText(entry.translation) && plainText(entry.context) && plainText(entry.note);
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
        if (!entry.context.isEmpty())
            appendElement(out, "comment", entry.context);
        if (!entry.note.isEmpty())
            appendElement(out, "extracomment", entry.note);
        out += entry.finished ? QLatin1String("\n            <translation>") : QLatin1String("\n            <translation type=\"unfinished\">");
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
    xml.writeStartElement(QStringLiteral("context"));
    xml.writeTextElement(QStringLiteral("name"), context);
    file.write(takeWritten(buffer));
    // The messages are written in parts on every core, each part into the file once those before it are.
    const qsizetype count = catalog.entries.size();
    std::vector<QByteArray> parts((count + MessagesPerPart - 1) / MessagesPerPart);
    ParallelForInOrder(int(parts.size()), 0, [&](int part) {
        parts[part] = tsMessages(catalog, part * MessagesPerPart, qMin(count, (part + 1) * MessagesPerPart));
    }, [&](int part) {
        file.write(parts[part]);
        parts[part] = QByteArray();
    });
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

QString shortText(const QString &text)
{
    return text.size() > 40 ? text.left(40) + QChar(0x2026) : text;
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
                catalog.problems.append({CatalogProblem::Plural, QStringLiteral("第 %1 行：“%2”是复数形式的条目，没有写入。").arg(entry.line).arg(shortText(entry.source))});
            else if (!entity.isNull())
                catalog.problems.append({CatalogProblem::Entity, QStringLiteral("第 %1 行：“%2”含有无法展开的实体 &%3;，没有写入。").arg(entry.line).arg(shortText(entry.source), entity)});
            else
                catalog.entries.append(entry);
        } else if (name == QLatin1String("message")) {
            entry = CatalogEntry();
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
        } else if (name == QLatin1String("translation")) {
            const QStringView type = xml.attributes().value(QLatin1String("type"));
            entry.translation = text();
            entry.finished = type.isEmpty() && !entry.translation.isEmpty();
        }
    }
    if (xml.hasError())
        throw MakeFileError(FileErrorKind::MalformedCatalog, path,
                            QStringLiteral("第 %1 行第 %2 列：%3").arg(xml.lineNumber()).arg(xml.columnNumber()).arg(xml.errorString()));
    return catalog;
}

// Entries of one text (and disambiguation) translated two ways: neither is written.
void leaveOutConflicts(Catalog &catalog)
{
    QHash<QString, qsizetype> first;
    QSet<QString> conflicting;
    for (qsizetype i = 0; i < catalog.entries.size(); ++i) {
        const CatalogEntry &entry = catalog.entries[i];
        if (!entry.finished)
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
                                                               .arg(shortText(entry.source), shortText(earlier.translation), shortText(entry.translation))});
    }
    if (!conflicting.isEmpty())
        catalog.entries.removeIf([&](const CatalogEntry &entry) { return conflicting.contains(CatalogKey(entry.context, entry.source)); });
}

// ---- .po, through libgettextpo ----

// The first problem libgettextpo reports; a fatal one jumps back out of the call.
struct PoProblem {
    QString text;
    std::jmp_buf out;
};
thread_local PoProblem *g_problem = nullptr;

void recordProblem(int severity, const char *filename, size_t line, size_t column, const char *text)
{
    if (severity == PO_SEVERITY_WARNING)
        return;
    if (g_problem->text.isEmpty()) {
        const bool hasColumn = column != size_t(-1) && column > 0;
        g_problem->text = line == 0 ? QString::fromUtf8(text)
            : hasColumn             ? QStringLiteral("第 %1 行第 %2 列：%3").arg(line).arg(column).arg(QString::fromUtf8(text))
                                    : QStringLiteral("第 %1 行：%2").arg(line).arg(QString::fromUtf8(text));
        Q_UNUSED(filename);
    }
    if (severity == PO_SEVERITY_FATAL_ERROR)
        std::longjmp(g_problem->out, 1);
}

void xerror(int severity, po_message_t, const char *filename, size_t line, size_t column, int, const char *text)
{
    recordProblem(severity, filename, line, column, text);
}

void xerror2(int severity, po_message_t, const char *filename, size_t line, size_t column, int, const char *text,
             po_message_t, const char *, size_t, size_t, int, const char *)
{
    recordProblem(severity, filename, line, column, text);
}

const po_xerror_handler Handler = {xerror, xerror2};

// Runs a libgettextpo call; true when it reported no error.
template <typename Call> bool poCall(PoProblem &problem, Call call)
{
    g_problem = &problem;
    bool jumped = false;
    if (setjmp(problem.out) == 0)
        call();
    else
        jumped = true;
    g_problem = nullptr;
    return !jumped && problem.text.isEmpty();
}

// The format flags that let msgfmt --check-format compare a translation's placeholders.
void setFormats(po_message_t message, const QString &source)
{
    bool printf = false, marker = false;
    for (const QString &token : PlaceholderTokens(source)) {
        const bool isMarker = token[0].isDigit() || (token.size() > 1 && token[0] == u'L' && token[1].isDigit());
        (isMarker ? marker : printf) = true;
    }
    if (printf)
        po_message_set_format(message, "c-format", 1);
    if (marker)
        po_message_set_format(message, "qt-format", 1);
}

// libgettextpo writes only to a named file: it writes into memory (Linux) or
// a temporary file, and the bytes go to the catalog by the one checked write.
QByteArray poBytes(po_file_t file, const QString &path)
{
#ifdef Q_OS_LINUX
    const int memory = memfd_create("zelvane-po", MFD_CLOEXEC);
    if (memory < 0)
        throw MakeFileError(FileErrorKind::CannotWriteCatalog, path, QString::fromLocal8Bit(std::strerror(errno)));
    const QByteArray name = "/proc/self/fd/" + QByteArray::number(memory);
    po_file_write(file, name.constData(), &Handler);
    QFile written;
    written.open(memory, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    written.seek(0);
    return written.readAll();
#else
    QTemporaryFile temporary;
    if (!temporary.open())
        throw MakeFileError(FileErrorKind::CannotWriteCatalog, path, temporary.errorString());
    temporary.close();
    po_file_write(file, QFile::encodeName(temporary.fileName()).constData(), &Handler);
    if (!temporary.open())
        throw MakeFileError(FileErrorKind::CannotWriteCatalog, path, temporary.errorString());
    return temporary.readAll();
#endif
}

void writePo(const Catalog &catalog, const QString &path, const QString &language)
{
    po_file_t file = po_file_create();
    po_message_iterator_t iterator = po_message_iterator(file, nullptr);
    po_message_t header = po_message_create();
    po_message_set_msgid(header, "");
    const QString fields = QStringLiteral("Project-Id-Version: %1\nPO-Revision-Date: %2\nLast-Translator: \nLanguage-Team: \n"
                                          "Language: %3\nMIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\n"
                                          "Content-Transfer-Encoding: 8bit\n")
                               .arg(QFileInfo(path).completeBaseName(),
                                    QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm+0000")), language);
    po_message_set_msgstr(header, fields.toUtf8().constData());
    po_message_insert(iterator, header);
    for (const CatalogEntry &entry : catalog.entries) {
        if (entry.source.contains(QChar(0)) || entry.translation.contains(QChar(0)))
            continue; // a C string cannot hold it
        po_message_t message = po_message_create();
        if (!entry.context.isEmpty())
            po_message_set_msgctxt(message, entry.context.toUtf8().constData());
        if (!entry.note.isEmpty())
            po_message_set_extracted_comments(message, entry.note.toUtf8().constData());
        po_message_set_msgid(message, entry.source.toUtf8().constData());
        po_message_set_msgstr(message, entry.translation.toUtf8().constData());
        po_message_set_fuzzy(message, !entry.finished && !entry.translation.isEmpty());
        for (const CatalogPlace &place : entry.places)
            po_message_add_filepos(message, QFile::encodeName(place.file).constData(), size_t(place.line));
        setFormats(message, entry.source);
        po_message_insert(iterator, message);
    }
    po_message_iterator_free(iterator);
    PoProblem problem;
    QByteArray bytes;
    const bool written = poCall(problem, [&] { bytes = poBytes(file, path); });
    po_file_free(file);
    if (!written)
        throw MakeFileError(FileErrorKind::CannotWriteCatalog, path, problem.text);
    Utf8NoBomFile::AtomicWriter out(path, FileErrorKind::CannotWriteCatalog);
    out.write(bytes);
    out.commit();
}

// Where each message's msgid stands in a .po's text (obsolete "#~" ones left
// out), in the order libgettextpo gives them, and whether the message holds an
// escape of a NUL, which libgettextpo's strings end at.
struct PoMessageLines {
    QList<int> lines;
    QList<bool> nul;
};

PoMessageLines poMessageLines(const QByteArray &bytes)
{
    static const QRegularExpression nulEscape(QStringLiteral(R"((?<!\\)(?:\\\\)*\\(?:000|0{1,2}(?![0-7])|x0+(?![0-9A-Fa-f])))"));
    PoMessageLines found;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith("msgid ")) {
            found.lines.append(int(i + 1));
            found.nul.append(false);
        }
        if (!found.nul.isEmpty() && !line.startsWith('#') && !line.startsWith("msgctxt")
            && nulEscape.match(QString::fromLatin1(line)).hasMatch())
            found.nul.last() = true;
    }
    return found;
}

// The decoder for the charset the header names; UTF-8 when it names none.
QStringDecoder poDecoder(po_file_t file, const QString &path)
{
    QByteArray charset = "UTF-8";
    if (const char *header = po_file_domain_header(file, nullptr)) {
        if (char *type = po_header_field(header, "Content-Type")) {
            const QByteArray field(type);
            std::free(type);
            const qsizetype at = field.indexOf("charset=");
            if (at >= 0)
                charset = field.mid(at + 8).trimmed();
        }
    }
    if (charset.isEmpty() || charset == "CHARSET") // a template's placeholder
        charset = "UTF-8";
    QStringDecoder decoder(charset.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        throw MakeFileError(FileErrorKind::MalformedCatalog, path,
                            QStringLiteral("它的字符集 %1 无法识别").arg(QString::fromLatin1(charset)));
    return decoder;
}

Catalog readPo(const QString &path)
{
    if (!QFileInfo(path).isFile())
        throw MakeFileError(FileErrorKind::CannotReadCatalog, path, QStringLiteral("文件不存在"));
    PoProblem problem;
    po_file_t file = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (!poCall(problem, [&] { file = po_file_read(name.constData(), &Handler); }) || !file) {
        if (file)
            po_file_free(file);
        throw MakeFileError(FileErrorKind::MalformedCatalog, path, problem.text);
    }
    const struct Free { po_file_t file; ~Free() { po_file_free(file); } } release{file};
    QStringDecoder decoder = poDecoder(file, path);
    const auto text = [&decoder](const char *bytes) { return bytes ? decoder.decode(QByteArrayView(bytes)) : QString(); };
    const PoMessageLines lines = poMessageLines(Utf8NoBomFile::ReadBytes(path));
    Catalog catalog;
    int index = -1;
    for (const char *const *domain = po_file_domains(file); *domain; ++domain) {
        po_message_iterator_t iterator = po_message_iterator(file, *domain);
        while (po_message_t message = po_next_message(iterator)) {
            if (po_message_is_obsolete(message))
                continue;
            ++index;
            if (!*po_message_msgid(message))
                continue; // the header
            CatalogEntry entry;
            entry.line = int(lines.lines.value(index));
            entry.source = text(po_message_msgid(message));
            entry.context = text(po_message_msgctxt(message));
            entry.note = text(po_message_extracted_comments(message)).trimmed();
            if (po_message_msgid_plural(message)) {
                catalog.problems.append({CatalogProblem::Plural, QStringLiteral("第 %1 行：“%2”是复数形式的条目，没有写入。").arg(entry.line).arg(shortText(entry.source))});
                continue;
            }
            if (lines.nul.value(index)) {
                catalog.problems.append({CatalogProblem::Nul, QStringLiteral("第 %1 行：“%2”的译文含有 NUL 字符（\\0），没有写入。").arg(entry.line).arg(shortText(entry.source))});
                continue;
            }
            entry.translation = text(po_message_msgstr(message));
            entry.finished = !po_message_is_fuzzy(message) && !entry.translation.isEmpty();
            catalog.entries.append(entry);
        }
        po_message_iterator_free(iterator);
    }
    return catalog;
}

} // namespace

CatalogRows PrepareCatalogRows(const CatalogSource &source, const QString &folder)
{
    CatalogRows rows;
    rows.file = QDir::fromNativeSeparators(QDir(folder).relativeFilePath(source.path));
    qsizetype counted = 0;
    int line = 1;
    const QList<StringUse> uses = source.rows.xml ? QList<StringUse>() : StringUses(source.text, source.rows.spans, source.rows.regions);
    const QString formName = QFileInfo(source.path).fileName();
    for (qsizetype i = 0; i < source.rows.spans.size(); ++i) {
        const LiteralSpan &span = source.rows.spans[i];
        line += int(CountChar(QStringView(source.text).sliced(counted, span.start - counted), u'\n'));
        counted = span.start;
        const QString found = source.text.mid(span.start, span.length);
        std::optional<QString> text = sourceOf(source.rows, i, found);
        if (!text) {
            ++rows.undecodable;
            continue;
        }
        const QString replacement = source.replacements.value(i, found);
        std::optional<QString> translation;
        if (replacement != found)
            translation = sourceOf(source.rows, i, replacement);
        const StringUse use = uses.value(i);
        const bool data = !source.rows.xml && KindOfUse(use, *text) == UseKind::Data; // a form's texts are all seen
        const QString described = source.rows.xml ? formName + QLatin1Char(' ') + source.rows.uses.value(i) : DescribeUse(use);
        rows.rows.append({std::move(*text), translation ? std::move(*translation) : QString(), line,
                          source.rows.contexts.value(i), source.rows.notes.value(i), described.trimmed(), data});
    }
    return rows;
}

void CatalogMerger::add(const CatalogRows &file)
{
    m_catalog.undecodable += file.undecodable;
    for (const CatalogRows::Row &row : file.rows) {
        qsizetype &number = m_entryOf[CatalogKey(row.context, row.source)]; // one look-up: 0 for a new text
        if (number == 0) {
            m_catalog.entries.append(CatalogEntry{row.source, {}, false, {}, row.context, {}, 0, true});
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

void WriteCatalog(const Catalog &catalog, const QString &path, const QString &context, const QString &language,
                  const QString &sourceLanguage, bool asPo)
{
    if (asPo || isPo(path))
        writePo(catalog, path, language);
    else
        writeTs(catalog, path, context, language, sourceLanguage);
}

Catalog ReadCatalog(const QString &path)
{
    Catalog catalog = isPo(path) ? readPo(path) : readTs(path);
    leaveOutConflicts(catalog);
    return catalog;
}

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
        const std::optional<QString> text = sourceOf(rows, i, found[i]);
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
