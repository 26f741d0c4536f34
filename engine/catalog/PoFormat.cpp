// gettext's .po, read and written through libgettextpo.
#include "engine/catalog/CatalogFormats.h"

#include "engine/files/FileError.h"
#include "engine/files/Utf8NoBomFile.h"
#include "engine/replace/ReplacementChecks.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <gettext-po.h>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// The first problem libgettextpo reports, in plain C data: its handler may
// jump out of a fatal one, and the jump must skip no C++ object's destructor.
struct PoProblem {
    bool reported = false;
    po_message_t only = nullptr;    // when set, problems about other messages are passed over
    po_message_t message = nullptr; // the message it is about, if any
    size_t line = 0, column = 0;
    char text[512] = {};
    std::jmp_buf out;
};
thread_local PoProblem *g_problem = nullptr;

void recordProblem(int severity, po_message_t message, size_t line, size_t column, const char *text)
{
    if (severity == PO_SEVERITY_WARNING)
        return;
    PoProblem &problem = *g_problem;
    if (!problem.reported && (!problem.only || message == problem.only)) {
        problem.reported = true;
        problem.message = message;
        problem.line = line;
        problem.column = column;
        std::snprintf(problem.text, sizeof problem.text, "%s", text ? text : "");
    }
    if (severity == PO_SEVERITY_FATAL_ERROR)
        std::longjmp(problem.out, 1);
}

void xerror(int severity, po_message_t message, const char *, size_t line, size_t column, int, const char *text)
{
    recordProblem(severity, message, line, column, text);
}

void xerror2(int severity, po_message_t message, const char *, size_t line, size_t column, int, const char *text,
             po_message_t, const char *, size_t, size_t, int, const char *)
{
    recordProblem(severity, message, line, column, text);
}

const po_xerror_handler Handler = {xerror, xerror2};

// The libgettextpo calls that may report a problem, each in a frame of its own
// that holds only C data, where a fatal problem lands. True when none was reported.
bool guardedRead(const char *name, po_file_t *file, PoProblem *problem)
{
    g_problem = problem;
    if (setjmp(problem->out) == 0)
        *file = po_file_read(name, &Handler);
    g_problem = nullptr;
    return !problem->reported;
}

bool guardedWrite(po_file_t file, const char *name, PoProblem *problem)
{
    g_problem = problem;
    if (setjmp(problem->out) == 0)
        po_file_write(file, name, &Handler);
    g_problem = nullptr;
    return !problem->reported;
}

bool guardedCheck(po_message_t message, po_message_iterator_t iterator, PoProblem *problem)
{
    g_problem = problem;
    if (setjmp(problem->out) == 0)
        po_message_check_all(message, iterator, &Handler);
    g_problem = nullptr;
    return !problem->reported;
}

// The problem libgettextpo reported, about the catalog.
FileError catalogError(Problem::Kind kind, const QString &path, const PoProblem &problem)
{
    const bool hasColumn = problem.column != size_t(-1) && problem.column > 0;
    return FileError(ProblemAt(kind, path, qint64(problem.line), hasColumn ? qint64(problem.column) : 0, QString::fromUtf8(problem.text)));
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

// A file libgettextpo reads or writes by name, as it takes no other: in memory
// (Linux) or a temporary file.
class PoScratchFile
{
public:
    PoScratchFile()
    {
#ifdef Q_OS_LINUX
        const int memory = memfd_create("zelvane-po", MFD_CLOEXEC);
        if (memory < 0)
            m_error = errno;
        else if (m_file.open(memory, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle))
            m_name = "/proc/self/fd/" + QByteArray::number(memory);
#else
        if (m_file.open())
            m_name = QFile::encodeName(m_file.fileName());
#endif
    }
    const QByteArray &name() const { return m_name; } // empty: none could be made
    int error() const { return m_error; }               // why, where the system says
    bool write(const QByteArray &bytes) { return m_file.write(bytes) == bytes.size() && m_file.flush(); }
    QByteArray readAll()
    {
        m_file.seek(0);
        return m_file.readAll();
    }

private:
#ifdef Q_OS_LINUX
    QFile m_file;
#else
    QTemporaryFile m_file;
#endif
    QByteArray m_name;
    int m_error = 0;
};

// libgettextpo writes into the scratch file, and the bytes go to the catalog by the one checked write.
QByteArray poBytes(po_file_t file, const QString &path)
{
    PoScratchFile written;
    if (written.name().isEmpty()) {
        Problem problem = ProblemAbout(Problem::CannotWriteCatalog, path);
        problem.systemError = written.error();
        throw FileError(problem);
    }
    PoProblem problem;
    if (!guardedWrite(file, written.name().constData(), &problem))
        throw catalogError(Problem::CannotWriteCatalog, path, problem);
    return written.readAll();
}

// libgettextpo looks through a message's places for a twin before it adds one,
// which takes time in the square of their number: each message gets one
// stand-in place, "#: \x01N" (N its entry's number), replaced by its places here.
QByteArray placeMark(qsizetype entry) { return "\x01" + QByteArray::number(entry); }

// The "#:" lines of the places, wrapped at 79 columns as gettext wraps them; a
// place named twice (two strings on one line) once, as gettext names it.
void appendPlaces(QByteArray &out, const QList<CatalogPlace> &places)
{
    qsizetype column = 2;
    out += "#:";
    for (qsizetype i = 0; i < places.size(); ++i) {
        const CatalogPlace &place = places[i];
        if (i > 0 && place.line == places[i - 1].line && place.file == places[i - 1].file)
            continue; // places come in the order of files and lines
        const QByteArray reference = QFile::encodeName(place.file) + ':' + QByteArray::number(place.line);
        if (column > 2 && column + 1 + reference.size() > 79) {
            out += "\n#:";
            column = 2;
        }
        out += ' ' + reference;
        column += 1 + reference.size();
    }
    out += '\n';
}

QByteArray withPlaces(const QByteArray &bytes, const Catalog &catalog)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 2);
    static const QByteArray mark = "\n#: \x01";
    qsizetype from = 0;
    for (qsizetype at; (at = bytes.indexOf(mark, from)) >= 0;) {
        const qsizetype digits = at + mark.size(), end = bytes.indexOf('\n', digits);
        out.append(bytes.constData() + from, digits - mark.size() + 1 - from);
        appendPlaces(out, catalog.entries[bytes.mid(digits, end - digits).toLongLong()].places);
        from = end + 1;
    }
    out.append(bytes.constData() + from, bytes.size() - from);
    return out;
}

void writePo(const Catalog &catalog, const QString &path, const QString &language)
{
    po_file_t file = po_file_create();
    const struct Free { po_file_t file; ~Free() { po_file_free(file); } } release{file};
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
    for (qsizetype i = 0; i < catalog.entries.size(); ++i) {
        const CatalogEntry &entry = catalog.entries[i];
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
        if (!entry.comment.isEmpty())
            po_message_set_comments(message, entry.comment.toUtf8().constData());
        if (!entry.oldSource.isEmpty())
            po_message_set_prev_msgid(message, entry.oldSource.toUtf8().constData());
        po_message_set_obsolete(message, entry.obsolete);
        if (!entry.places.isEmpty() && !entry.obsolete)
            po_message_add_filepos(message, placeMark(i).constData(), size_t(-1));
        setFormats(message, entry.source);
        po_message_insert(iterator, message);
    }
    po_message_iterator_free(iterator);
    const QByteArray bytes = withPlaces(poBytes(file, path), catalog);
    Utf8NoBomFile::AtomicWriter out(path, Problem::CannotWriteCatalog);
    out.write(bytes);
    out.commit();
}

// The line libgettextpo read a message's msgstr (or first msgstr[N]) from. It
// names that line when its own check finds a msgid and a msgstr of which only
// one starts with a line break: the msgstr is set so for the check, and put
// back. Plural forms, which are not written, are taken away for it.
int msgstrLine(po_message_t message, po_message_iterator_t iterator)
{
    if (po_message_msgid_plural(message))
        po_message_set_msgid_plural(message, nullptr);
    const QByteArray msgstr(po_message_msgstr(message)); // a copy: setting frees it
    po_message_set_msgstr(message, po_message_msgid(message)[0] == '\n' ? "x" : "\n");
    PoProblem problem;
    problem.only = message;
    guardedCheck(message, iterator, &problem);
    po_message_set_msgstr(message, msgstr.constData());
    return int(problem.line);
}

// A message of a .po, where its msgstr stands, and whether its strings hold an
// escape of a NUL (libgettextpo's strings end at one).
struct PoMessage {
    po_message_t message;
    bool plural = false;
    int line = 0;
    bool nul = false;
    bool obsolete = false;
};

// Where each obsolete ("#~") message's msgid stands, in the order of the file.
QList<int> obsoleteMessageLines(const QByteArray &bytes)
{
    QList<int> lines;
    int number = 1;
    for (qsizetype from = 0; from <= bytes.size(); ++number) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        if (QByteArrayView(bytes.constData() + from, end - from).trimmed().startsWith("#~ msgid "))
            lines.append(number);
        from = end + 1;
    }
    return lines;
}

// Marks the messages with a NUL escape. The lines after one message's msgstr
// (and the strings continuing it) up to the end of the next message's hold
// that next message; the comments among them are left out.
void findNuls(QList<PoMessage> &messages, const QByteArray &bytes)
{
    static const QRegularExpression nulEscape(QStringLiteral(R"((?<!\\)(?:\\\\)*\\(?:000|0{1,2}(?![0-7])|x0+(?![0-9A-Fa-f])))"));
    const QList<QByteArray> lines = bytes.split('\n');
    QList<PoMessage *> byLine;
    for (PoMessage &message : messages)
        if (message.line > 0 && !message.obsolete)
            byLine.append(&message);
    std::sort(byLine.begin(), byLine.end(), [](const PoMessage *a, const PoMessage *b) { return a->line < b->line; });
    qsizetype from = 0;
    for (PoMessage *message : byLine) {
        qsizetype end = qMin<qsizetype>(message->line, lines.size());
        while (end < lines.size() && (lines[end].trimmed().startsWith('"') || lines[end].trimmed().startsWith("msgstr[")))
            ++end;
        for (qsizetype i = from; i < end; ++i) {
            const QByteArray line = lines[i].trimmed();
            if (!line.startsWith('#') && (line.contains("\\0") || line.contains("\\x"))
                && nulEscape.match(QString::fromLatin1(line)).hasMatch())
                message->nul = true;
        }
        from = qMax(from, end);
    }
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
    if (!decoder.isValid()) {
        Problem problem = ProblemAbout(Problem::UnknownCharset, path);
        problem.detail = QString::fromLatin1(charset);
        throw FileError(problem);
    }
    return decoder;
}

// The places a .po's "#:" lines give each of its messages (the header and
// obsolete ones too), in the file's order, and the file with those lines
// blanked out (every line and column where it was), for libgettextpo to read
// the rest: it looks through a message's places for a twin before it adds one,
// which takes time in the square of their number. A file with domains is
// left to libgettextpo whole.
struct PoPlaces {
    QByteArray rest;
    QList<QList<CatalogPlace>> places;
};

void appendPlaces(QByteArrayView line, QList<CatalogPlace> &places)
{
    static const QByteArray open = "\xE2\x81\xA8", close = "\xE2\x81\xA9"; // gettext's isolates around a name with spaces
    for (qsizetype at = 2; at < line.size();) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        if (at >= line.size())
            break;
        qsizetype end = at;
        QByteArray token;
        if (line.sliced(at).startsWith(open)) {
            const qsizetype closing = line.indexOf(close, at);
            end = closing < 0 ? line.size() : closing + close.size();
            token = line.sliced(at + open.size(), (closing < 0 ? line.size() : closing) - at - open.size()).toByteArray();
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                token += line[end++]; // its ":line"
        } else {
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
                ++end;
            token = line.sliced(at, end - at).toByteArray();
        }
        at = end;
        const qsizetype colon = token.lastIndexOf(':');
        bool numbered = false;
        const int number = colon > 0 ? token.mid(colon + 1).toInt(&numbered) : 0;
        places.append({QFile::decodeName(numbered ? token.left(colon) : token), numbered ? number : 0});
    }
}

std::optional<PoPlaces> takePlaces(const QByteArray &bytes)
{
    PoPlaces taken{bytes, {}};
    QList<CatalogPlace> pending;
    bool inHead = false; // between a message's first msgctxt or msgid and its msgstr
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line(bytes.constData() + from, end - from);
        if (line.startsWith("#:")) {
            appendPlaces(line, pending);
            std::fill(taken.rest.begin() + from, taken.rest.begin() + end, ' ');
        } else {
            if (line.startsWith("#~"))
                line = line.sliced(2).trimmed();
            if (line.startsWith("domain"))
                return std::nullopt;
            if ((line.startsWith("msgctxt") || line.startsWith("msgid")) && !inHead) {
                taken.places.append(std::exchange(pending, {}));
                inHead = true;
            } else if (line.startsWith("msgstr")) {
                inHead = false;
            }
        }
        from = end + 1;
    }
    return taken;
}

Catalog readPo(const QString &path, bool placesHere = true)
{
    if (!QFileInfo(path).isFile())
        throw FileProblem(Problem::CatalogMissing, path);
    PoProblem problem;
    po_file_t file = nullptr;
    const QByteArray bytes = Utf8NoBomFile::ReadBytes(path);
    std::optional<PoPlaces> places = placesHere ? takePlaces(bytes) : std::nullopt;
    std::optional<PoScratchFile> copy; // the file with its places blanked out
    if (places && !copy.emplace().write(places->rest)) { // libgettextpo reads the file itself, places and all
        copy.reset();
        places.reset();
    }
    const QByteArray name = copy ? copy->name() : QFile::encodeName(path);
    if (!guardedRead(name.constData(), &file, &problem) || !file) {
        if (file)
            po_file_free(file);
        throw catalogError(Problem::MalformedCatalog, path, problem);
    }
    const struct Free { po_file_t file; ~Free() { po_file_free(file); } } release{file};
    QStringDecoder decoder = poDecoder(file, path);
    bool undecodable = false;
    const auto text = [&](const char *bytes) {
        const QString decoded = bytes ? decoder.decode(QByteArrayView(bytes)) : QString();
        undecodable |= decoder.hasError();
        decoder.resetState();
        return decoded;
    };
    const QList<int> obsoleteLines = obsoleteMessageLines(bytes);
    QList<PoMessage> messages;
    QList<qsizetype> numbers; // each message's number among all libgettextpo gives, the header's too
    qsizetype obsoleteIndex = 0;
    qsizetype given = 0;
    for (const char *const *domain = po_file_domains(file); *domain; ++domain) {
        po_message_iterator_t iterator = po_message_iterator(file, *domain);
        while (po_message_t message = po_next_message(iterator)) {
            const bool obsolete = po_message_is_obsolete(message);
            const int line = obsolete ? obsoleteLines.value(obsoleteIndex++) : 0;
            if (*po_message_msgid(message)) { // not the header
                messages.append({message, po_message_msgid_plural(message) != nullptr,
                                 obsolete ? line : msgstrLine(message, iterator), false, obsolete});
                numbers.append(given);
            }
            ++given;
        }
        po_message_iterator_free(iterator);
    }
    findNuls(messages, bytes);
    if (places && places->places.size() != given)
        return readPo(path, false); // messages laid out in a way the lines above did not tell: libgettextpo reads it all
    Catalog catalog;
    for (qsizetype m = 0; m < messages.size(); ++m) {
        const PoMessage &found = messages[m];
        po_message_t message = found.message;
        CatalogEntry entry;
        entry.line = found.line;
        entry.obsolete = found.obsolete;
        undecodable = false;
        entry.source = text(po_message_msgid(message));
        entry.context = text(po_message_msgctxt(message));
        entry.note = text(po_message_extracted_comments(message)).trimmed();
        entry.comment = text(po_message_comments(message)).trimmed();
        entry.oldSource = text(po_message_prev_msgid(message));
        if (places)
            entry.places = places->places[numbers[m]];
        for (int i = 0; po_filepos_t place = po_message_filepos(message, i); ++i)
            entry.places.append({QFile::decodeName(po_filepos_file(place)), int(po_filepos_start_line(place))});
        entry.translation = text(po_message_msgstr(message));
        entry.finished = !po_message_is_fuzzy(message) && !entry.translation.isEmpty();
        if (entry.obsolete && (found.plural || found.nul || undecodable))
            continue; // never written: nothing to report
        if (found.plural)
            catalog.problems.append(MakeCatalogProblem(Problem::CatalogPlural, path, entry.line, entry.source));
        else if (found.nul && !po_message_is_fuzzy(message))
            catalog.problems.append(MakeCatalogProblem(Problem::CatalogNul, path, entry.line, entry.source));
        else if (undecodable && entry.finished)
            catalog.problems.append(MakeCatalogProblem(Problem::CatalogBadCharacter, path, entry.line, entry.source));
        else
            catalog.entries.append(entry);
    }
    return catalog;
}

bool isPo(const QString &path)
{
    return path.endsWith(QLatin1String(".po"), Qt::CaseInsensitive) || path.endsWith(QLatin1String(".pot"), Qt::CaseInsensitive);
}

} // namespace

const CatalogFormat PoFormat = {
    isPo,
    [](const QString &path) { return readPo(path); },
    [](const Catalog &catalog, const QString &path, const CatalogWriteOptions &options) {
        writePo(catalog, path, options.language);
    },
};
