#pragma once

#include <QList>
#include <QString>

// A problem the engine met, as data: what it is, which file, where in it, and
// the system's error number or the parser's own reason. The engine words
// nothing; app/words/ProblemWords puts every problem into the user's words,
// the same for the window and the command line.
struct Problem {
    enum Kind {
        // Reading and writing a file.
        CannotRead,         // reason: the system's words (errno, deviceError)
        TooLarge,           // larger than a text file this program loads
        NotUtf8,            // offset: the first bad byte; line, column where it stands
        CannotWrite,        // the file is as it was
        PartlyWritten,      // writing into it stopped half-way: it may hold part of the new text
        CannotEncode,       // the text holds a lone surrogate: nothing written
        CannotReadCatalog,  // a translation file
        CatalogMissing,
        MalformedCatalog,   // line, column, reason: the parser's words
        UnknownCharset,     // detail: the charset a catalog's header names
        CannotWriteCatalog,
        CannotWriteOutput,  // standard output
        MalformedForm,      // line, column, reason
        UnknownFormEncoding, // detail: the encoding a form declares
        NotInFormEncoding,
        FormEncodingCannotHold, // detail: the encoding; text: the character
        // What a failed write left, after the problem it follows.
        LeftUnchanged,
        LeftEmptied,
        OldTextKeptInBackup, // other: the backup holding the whole old text
        OlderBackupKept,     // other: where the backup before it waits
        // A replace, an export or a fill that cannot start.
        NothingLoaded,
        NothingToExport,
        NothingToFill,
        FileGone,
        NotAFile,
        BackupNameTaken,     // other: the backup's name, held by a folder or a hidden file
        OldBackupStuck,      // other: an older backup that could not be set aside
        ChangedOnDisk,
        ReadOnly,
        FolderBusy,          // size: the seconds waited for another run's lock
        // The mark of an interrupted write, as found. other: the mark; detail: the
        // backup; size: the file's bytes now; total: the bytes that write wrote.
        MarkUnfit,           // nature: what the mark is instead
        MarkUnreadable,
        MarkWhole,
        ChangedSinceMark,
        PartWrittenBackupUnfit,      // nature: what the backup is instead
        PartWrittenBackupUnreadable, // reason, systemError, deviceError: why
        PartWrittenBackupOther,      // it is not the backup that write made
        PartWritten,                 // offset: the bytes of the backup, which restores it
        // What was done about it.
        MarkWillGo,          // a run that may write removes it
        MarkRemoved,
        WillRestore,         // a run that may write restores the file
        NotRestored,         // the user said no: the file was not loaded
        RestoreFailed,       // reason: why
        Restored,            // other: the backup
        OlderBackupPutBack,  // other: the backup put back
        // A translation a catalog holds that cannot be written (line: where it stands; text: its source).
        CatalogPlural,
        CatalogNul,
        CatalogEntity,       // detail: the entity
        CatalogConflict,     // otherLine; detail, otherDetail: the two translations
        CatalogVariants,
        CatalogMarkup,       // detail: the element
        CatalogBadCharacter,
        // A translation a file cannot hold where it would go (file, line).
        RawStringCannotHold, // detail: the raw string's delimiter, which the translation closes
        FormCannotHold,      // a character XML cannot hold
        Latin1CannotHold,    // text: the first character past Latin-1 (or past ASCII in a raw string)
        KindCount
    };

    // What a name is when it is no ordinary file of its own.
    enum FileNature { OrdinaryFile, Missing, Link, Folder, Special, HardLinked };

    Kind kind = CannotRead;
    QString file;    // the file it is about
    QString other;   // a second file: a backup, a mark
    int line = 0, column = 0, otherLine = 0;
    qint64 offset = -1; // a byte, or a size
    qint64 size = -1, total = -1;
    int systemError = 0; // errno, where the system gave one
    int deviceError = 0; // QFileDevice::FileError, where Qt gave one
    QString reason;      // the system's, Qt's or the parser's own words
    QString text, detail, otherDetail;
    FileNature nature = OrdinaryFile;

    bool isCatalogEntry() const { return kind >= CatalogPlural && kind <= CatalogBadCharacter; }
};

using Problems = QList<Problem>;

inline Problem ProblemAbout(Problem::Kind kind, const QString &file, const QString &reason = QString())
{
    Problem problem;
    problem.kind = kind;
    problem.file = file;
    problem.reason = reason;
    return problem;
}

inline Problem ProblemAt(Problem::Kind kind, const QString &file, qint64 line, qint64 column, const QString &reason = QString())
{
    Problem problem = ProblemAbout(kind, file, reason);
    problem.line = int(line);
    problem.column = int(column);
    return problem;
}
