#pragma once

#include "engine/scan/CodeStrings.h"
#include "engine/replace/ReplaceAndSave.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One source file: its bytes and text as last read or written, its rows by
// either reading, their replacements and what of them is written. The window
// shows one; the command line loads a whole tree.
struct Document {
    QString path;
    QByteArray bytes;  // as read: a later write compares the file with them
    QString text;
    TextRows rows;
    QStringList found;        // the text at each row's span
    QStringList replacements; // each row's replacement, as found until it is edited
    QStringList written;      // the replacements as the load or the last write left them
    Problems error;           // why the file could not be read; none when it was
    Problems recovered;       // what the load found of an interrupted write, and did about it
    bool marked = false;      // a mark of an interrupted write stays beside the file: a replace refuses it

    // Reads and scans the file (a Designer form, *.ui, for its texts); a file
    // that cannot be read gives a Document with `error` set. What an interrupted
    // write left is put right as far as mayRestore lets (see
    // RecoverInterruptedWrite); without it the load writes nothing, and a file
    // left part-written is an error.
    static Document Load(const QString &path, bool codeStrings, const MayRestore &mayRestore = {});
    // The same without the rows' own texts (found, replacements and written
    // left empty): for a reading of a whole tree that takes its strings from the text.
    static Document LoadText(const QString &path, bool codeStrings, const MayRestore &mayRestore = {});

    // The replace that writes the replacements into the file by the chosen rule
    // (each over its own literal, or each over the first occurrence of its text),
    // refused should the file have changed since it was read or written.
    ReplaceRequest saveRequest(bool ownLiterals) const;
    // The replace that writes only these rows, each over its own literal; every
    // other literal is written as it stands in the text.
    ReplaceRequest saveRequestOf(const QList<int> &rows) const;
    // What a replace wrote becomes the text, places and bytes of the file; the
    // replacements of these rows are now in it.
    void takeWritten(ReplaceResult &&result, const QList<int> &rows);
};
