#pragma once

// Files on disk as the tests see them: whole contents, folder listings and
// the message of a refused call.

#include "engine/FileError.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// The file's bytes, or a marker no test writes when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Writes every byte, or fails the current test.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Every entry of the folder, hidden ones included, sorted by name.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The message of the FileError the call throws; empty when it throws none.
template <typename Call>
QString failureOf(Call call)
{
    try {
        call();
    } catch (const FileError &error) {
        return error.message();
    }
    return QString();
}
