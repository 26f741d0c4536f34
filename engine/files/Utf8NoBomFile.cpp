#include "engine/files/Utf8NoBomFile.h"

#include "engine/files/DiskBatch.h"
#include "engine/files/FileError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Utf8NoBomFile {
namespace {

// Files beyond this size are refused rather than exhausting memory.
constexpr qint64 LargestReadableFile = qint64(1) << 30;

// Offset of the first byte that does not belong to a well-formed UTF-8 sequence.
qsizetype firstInvalidUtf8Byte(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead < 0x80) { ++i; continue; }
        if (lead >= 0xC2 && lead <= 0xDF) length = 2;
        else if (lead == 0xE0) { length = 3; low = 0xA0; }
        else if (lead == 0xED) { length = 3; high = 0x9F; }
        else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
        else if (lead == 0xF0) { length = 4; low = 0x90; }
        else if (lead == 0xF4) { length = 4; high = 0x8F; }
        else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
        else return i;
        if (i + length > size || p[i + 1] < low || p[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return i;
        i += length;
    }
    return -1;
}

} // namespace

#ifdef Q_OS_UNIX
namespace {

// The bytes of a regular file, read with five calls to the system where QFile
// makes seven (it asks for the file's status three times, for each file of a
// tree); nothing when anything is amiss, for QFile to read the file
// again and name the problem as it names it.
std::optional<QByteArray> readRegularFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    std::optional<QByteArray> bytes;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= LargestReadableFile) {
        QByteArray read(qsizetype(status.st_size) + 1, Qt::Uninitialized); // a byte more: the read that meets the end needs no larger one
        qsizetype size = 0;
        for (;;) {
            if (size == read.size()) // the file has grown since
                read.resize(size * 2);
            const ssize_t got = ::read(fd, read.data() + size, size_t(read.size() - size));
            if (got < 0 || size > LargestReadableFile)
                break;
            if (got == 0) {
                read.resize(size);
                bytes = std::move(read);
                break;
            }
            size += got;
        }
    }
    ::close(fd);
    return bytes;
}

} // namespace
#endif

QByteArray ReadBytes(const QString &path)
{
#ifdef Q_OS_UNIX
    if (std::optional<QByteArray> bytes = readRegularFile(path))
        return *std::move(bytes);
#endif
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DeviceError(Problem::CannotRead, path, file);
    if (file.size() > LargestReadableFile)
        throw FileProblem(Problem::TooLarge, path);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DeviceError(Problem::CannotRead, path, file);
    return bytes;
}

QString ReadUtf8Text(const QString &path)
{
    return DecodeUtf8(ReadBytes(path), path);
}

QString DecodeUtf8(const QByteArray &bytes, const QString &path)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        const qsizetype bad = firstInvalidUtf8Byte(bytes);
        const qsizetype lineStart = bytes.lastIndexOf('\n', bad - 1) + 1; // the bytes before `bad` are valid
        Problem problem = ProblemAbout(Problem::NotUtf8, path);
        problem.offset = bad;
        problem.line = int(bytes.first(bad).count('\n') + 1);
        problem.column = int(QString::fromUtf8(bytes.sliced(lineStart, bad - lineStart)).size() + 1);
        throw FileError(problem);
    }
    return text;
}

QByteArray EncodeUtf8(const QString &text, const QString &path)
{
    if (!QStringView(text).isValidUtf16())
        throw FileProblem(Problem::CannotEncode, path);
    return text.toUtf8();
}

void WriteAtomically(const QByteArray &bytes, const QString &path, const std::function<void()> &beforeRename)
{
    WriteAtomicallyKeeping(bytes, path, FileStatus(), beforeRename);
}

QString NewTextPathFor(const QString &path)
{
    QString hidden = path;
    return hidden.insert(path.lastIndexOf(u'/') + 1, u'.').append(QLatin1StringView(".new"));
}

#ifdef Q_OS_LINUX
namespace {

// The new file written unnamed in the path's folder (O_TMPFILE), given the
// status, on disk (or left for the batch to put there), then named .NAME.new,
// to be renamed over the path: what the save file below does, with half of
// its calls to the system, since an import makes them for every file. A
// program stopped between the naming and the rename leaves .NAME.new, which
// the next write of the file removes (the file itself is whole, old or new);
// so does a write into the file (ReplaceAndSave). NotStaged, nothing in place,
// where the path is a link or a file we may not write, the file system has no
// unnamed files or the name cannot be given: the save file does it then.
Staged nameNewText(const QByteArray &bytes, const QString &path, const FileStatus &status, DiskBatch *batch)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat there;
    if (!status.known)
        return Staged::NotStaged;
    if (::lstat(name.constData(), &there) == 0 && (S_ISLNK(there.st_mode) || ::access(name.constData(), W_OK) != 0))
        return Staged::NotStaged; // a file we may not write: the save file refuses it, as before
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
    const bool batched = batch && batch->guard(QFile::decodeName(folder), status.device);
    const int descriptor = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return Staged::NotStaged; // the save file tries, and says why it cannot
    const struct Closer { int descriptor; ~Closer() { ::close(descriptor); } } closer{descriptor};
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t now = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            throw WriteFailure(path, QFileDevice::WriteError, now < 0 ? errno : ENOSPC);
        written += now;
    }
    if (!ApplyStatus(descriptor, status))
        return Staged::OwnerRefused;
    if (!batched && ::fdatasync(descriptor) != 0) // on disk before its name says it is whole
        throw WriteFailure(path, QFileDevice::WriteError, errno);
    const QByteArray temporary = QFile::encodeName(NewTextPathFor(path));
    const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(descriptor);
    const auto named = [&] {
        return ::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) == 0;
    };
    // A file of that name is one a stopped write left. Where the name cannot be had (no /proc, a
    // folder of that name), the save file writes it under a name of its own.
    if (!named() && !(errno == EEXIST && ::unlink(temporary.constData()) == 0 && named()))
        return Staged::NotStaged;
    return Staged::Named;
}

} // namespace
#endif

Staged StageNewText(const QByteArray &bytes, const QString &path, const FileStatus &status, DiskBatch &batch)
{
#ifdef Q_OS_LINUX
    return nameNewText(bytes, path, status, &batch);
#else
    Q_UNUSED(bytes);
    Q_UNUSED(path);
    Q_UNUSED(status);
    Q_UNUSED(batch);
    return Staged::NotStaged;
#endif
}

void RenameNewText(const QString &path)
{
    const QByteArray temporary = QFile::encodeName(NewTextPathFor(path));
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        throw WriteFailure(path, QFileDevice::RenameError, error);
    }
}

void DropNewText(const QString &path)
{
    ::unlink(QFile::encodeName(NewTextPathFor(path)).constData());
}

bool WriteAtomicallyKeeping(const QByteArray &bytes, const QString &path, const FileStatus &status,
                            const std::function<void()> &beforeRename)
{
#ifdef Q_OS_LINUX
    switch (nameNewText(bytes, path, status, nullptr)) {
    case Staged::Named:
        try {
            if (beforeRename)
                beforeRename();
        } catch (...) {
            DropNewText(path);
            throw;
        }
        RenameNewText(path);
        return true;
    case Staged::OwnerRefused: return false;
    case Staged::NotStaged: break;
    }
#endif
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw DeviceError(Problem::CannotWrite, path, file);
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw DeviceError(Problem::CannotWrite, path, file, errno);
    if (!ApplyStatus(file.handle(), status)) {
        file.cancelWriting();
        return false;
    }
    if (beforeRename)
        beforeRename();
    if (!file.commit())
        throw DeviceError(Problem::CannotWrite, path, file);
    return true;
}

void WriteInPlace(const QByteArray &bytes, const QString &path, const std::function<void()> &afterEmptied)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DeviceError(Problem::CannotWrite, path, file);
    const auto partly = [&] { return DeviceError(Problem::PartlyWritten, path, file); };
    try {
        if (afterEmptied)
            afterEmptied();
    } catch (const FileError &error) {
        throw error.followedBy(Problem::LeftEmptied);
    }
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw partly();
#ifdef Q_OS_UNIX
    ::fsync(file.handle()); // on disk before anything says it is whole
#endif
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw partly();
}

// Whether the path names something that is there and no ordinary file, a link followed.
static bool namesDevice(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

AtomicWriter::AtomicWriter(const QString &path, Problem::Kind kind)
    : m_file(path), m_device(path), m_out(&m_file), m_kind(kind)
{
    if (namesDevice(path))
        m_out = &m_device;
    m_file.setDirectWriteFallback(false);
    if (!m_out->open(QIODevice::WriteOnly))
        fail();
}

void AtomicWriter::write(const QByteArray &bytes)
{
    errno = 0;
    if (m_out->write(bytes) != bytes.size())
        fail();
}

void AtomicWriter::commit()
{
    // QSaveFile may miss a failure of the last buffered write: flushed and checked here.
    errno = 0;
    if (!m_out->flush())
        fail();
    if (m_out == &m_device) {
        m_device.close();
        if (m_device.error() != QFileDevice::NoError)
            fail();
    } else if (!m_file.commit()) {
        fail();
    }
}

void AtomicWriter::fail()
{
    const FileError error = DeviceError(m_kind, m_out->fileName(), *m_out, errno);
    if (m_out == &m_file)
        m_file.cancelWriting();
    throw error;
}

void WriteUtf8NoBom(const QString &text, const QString &path)
{
    WriteAtomically(EncodeUtf8(text, path), path);
}

} // namespace Utf8NoBomFile
