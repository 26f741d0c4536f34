#pragma once

#include "engine/files/Problem.h"

#include <QFileDevice>

#include <stdexcept>

// The one exception the engine throws: a problem, followed by what it left
// (the file unchanged, emptied, its old text kept in the backup, ...).
class FileError : public std::runtime_error
{
public:
    explicit FileError(const Problem &problem) : FileError(Problems{problem}) {}
    explicit FileError(const Problems &problems) : std::runtime_error("zelvane file error"), m_problems(problems) {}

    const Problems &problems() const { return m_problems; }
    const Problem &problem() const { return m_problems.first(); }
    QString path() const { return problem().file; } // the file it is about, where one is known
    qint64 offset() const { return problem().kind == Problem::NotUtf8 ? problem().offset : -1; }

    // The same error, followed by what it left.
    FileError followedBy(Problem::Kind kind, const QString &other = QString()) const
    {
        Problem then;
        then.kind = kind;
        then.file = path();
        then.other = other;
        FileError error = *this;
        error.m_problems.append(then);
        return error;
    }

private:
    Problems m_problems;
};

inline FileError FileProblem(Problem::Kind kind, const QString &path, const QString &reason = QString())
{
    return FileError(ProblemAbout(kind, path, reason));
}

// The error of a file operation, with what Qt's device says went wrong;
// `systemError` the errno of the failed call, for when Qt's words lost it.
inline FileError DeviceError(Problem::Kind kind, const QString &path, const QFileDevice &device, int systemError = 0)
{
    Problem problem = ProblemAbout(kind, path, device.errorString());
    problem.deviceError = int(device.error());
    problem.systemError = systemError;
    return FileError(problem);
}

// A write the system refused: the failed step as Qt's device would name it, and the errno.
inline FileError WriteFailure(const QString &path, QFileDevice::FileError step, int systemError)
{
    Problem problem = ProblemAbout(Problem::CannotWrite, path);
    problem.deviceError = int(step);
    problem.systemError = systemError;
    return FileError(problem);
}
