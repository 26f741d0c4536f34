// gettext's .po, read and written through libgettextpo.
#include "engine/catalog/CatalogFormats.h"

#include "engine/files/ErrorText.h"
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

#include <cerrno>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

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
        if (!entry.comment.isEmpty())
            po_message_set_comments(message, entry.comment.toUtf8().constData());
        if (!entry.oldSource.isEmpty())
            po_message_set_prev_msgid(message, entry.oldSource.toUtf8().constData());
        po_message_set_obsolete(message, entry.obsolete);
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

// Where each message's msgid stands in a .po's text (obsolete "#~" ones apart),
// in the order libgettextpo gives them, and whether the message holds an
// escape of a NUL, which libgettextpo's strings end at.
struct PoMessageLines {
    QList<int> lines;
    QList<bool> nul;
    QList<int> obsoleteLines;
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
        if (line.startsWith("#~ msgid "))
            found.obsoleteLines.append(int(i + 1));
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
    int index = -1, obsoleteIndex = -1;
    for (const char *const *domain = po_file_domains(file); *domain; ++domain) {
        po_message_iterator_t iterator = po_message_iterator(file, *domain);
        while (po_message_t message = po_next_message(iterator)) {
            CatalogEntry entry;
            entry.obsolete = po_message_is_obsolete(message);
            const int at = entry.obsolete ? ++obsoleteIndex : ++index;
            if (!*po_message_msgid(message))
                continue; // the header
            entry.line = int((entry.obsolete ? lines.obsoleteLines : lines.lines).value(at));
            entry.source = text(po_message_msgid(message));
            entry.context = text(po_message_msgctxt(message));
            entry.note = text(po_message_extracted_comments(message)).trimmed();
            entry.comment = text(po_message_comments(message)).trimmed();
            entry.oldSource = text(po_message_prev_msgid(message));
            for (int i = 0; po_filepos_t place = po_message_filepos(message, i); ++i)
                entry.places.append({QFile::decodeName(po_filepos_file(place)), int(po_filepos_start_line(place))});
            if (entry.obsolete && (po_message_msgid_plural(message) || entry.source.contains(QChar(0))))
                continue; // never written: nothing to report
            if (po_message_msgid_plural(message)) {
                catalog.problems.append({CatalogProblem::Plural, QStringLiteral("第 %1 行：“%2”是复数形式的条目，没有写入。").arg(entry.line).arg(ShortText(entry.source))});
                continue;
            }
            if (!entry.obsolete && lines.nul.value(index)) {
                catalog.problems.append({CatalogProblem::Nul, QStringLiteral("第 %1 行：“%2”的译文含有 NUL 字符（\\0），没有写入。").arg(entry.line).arg(ShortText(entry.source))});
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

bool isPo(const QString &path)
{
    return path.endsWith(QLatin1String(".po"), Qt::CaseInsensitive) || path.endsWith(QLatin1String(".pot"), Qt::CaseInsensitive);
}

} // namespace

const CatalogFormat PoFormat = {
    isPo,
    readPo,
    [](const Catalog &catalog, const QString &path, const CatalogWriteOptions &options) {
        writePo(catalog, path, options.language);
    },
};
