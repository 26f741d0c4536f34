#pragma once

#include <QString>
#include <stdexcept>

// The one exception the engine throws. Its message is written for the user:
// Chinese, naming the file and the system's reason.
// What went wrong with a file; ErrorText words each kind.
enum class FileErrorKind {
    Other,
    CannotRead,         // the file could not be read
    NotUtf8,            // it is not UTF-8: offset() names the first bad byte
    CannotWrite,        // it could not be written; it is as it was
    PartlyWritten,      // writing into it failed half-way: it may hold part of the new text
    CannotReadCatalog,  // a translation file could not be read
    MalformedCatalog,   // a translation file is not well formed: nothing was imported
    CannotWriteCatalog, // a translation file could not be written
    MalformedForm,      // a Designer form is no well-formed XML
};

class FileError : public std::runtime_error
{
public:
    explicit FileError(const QString &message, const QString &path = QString(), qint64 offset = -1)
        : std::runtime_error(message.toStdString()), m_message(message), m_path(path), m_offset(offset) {}

    QString message() const { return m_message; }
    QString path() const { return m_path; }  // the file it is about, where one is known
    qint64 offset() const { return m_offset; } // the 0-based byte it is about (not UTF-8), else -1

private:
    QString m_message;
    QString m_path;
    qint64 m_offset;
};
