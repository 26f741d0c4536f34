#pragma once

#include <QString>
#include <stdexcept>

// The one exception the engine throws. Its message is written for the user:
// Chinese, naming the file and the system's reason.
class FileError : public std::runtime_error
{
public:
    explicit FileError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    QString message() const { return m_message; }

private:
    QString m_message;
};

// The replace's refusal of a file whose bytes changed on disk since the window
// last loaded or wrote it: nothing was written, and the window may ask whether
// to go on.
class FileChangedError : public FileError
{
public:
    using FileError::FileError;
};

// The replace's refusal of a file without write permission: nothing was
// written, and the window may ask whether to write it all the same.
class ReadOnlyError : public FileError
{
public:
    using FileError::FileError;
};
