#pragma once

#include <QString>
#include <QStringList>

// Applies each (found, replacement) row in order, each to the first occurrence
// of its found text in the text the rows before it left. Rows whose found text
// does not occur change nothing.
QString ApplyPairs(QString text, const QStringList &found, const QStringList &replacements);

enum class MessageIcon { Information, Warning };

// What the replace reads and writes of the main window. Form1 implements it;
// tests implement it without any widget.
class ReplaceHost
{
public:
    virtual ~ReplaceHost() = default;

    virtual QString sourceText() const = 0;
    virtual void setSourceText(const QString &text) = 0;
    virtual void setCurrentPath(const QString &path) = 0;

    virtual QStringList foundRows() const = 0;        // List1, row by row
    virtual QStringList replacementRows() const = 0;  // List2, row by row

    virtual QString fileFolder() const = 0;        // the folder File1 shows
    virtual QString selectedFileName() const = 0;  // File1's selected name, empty when none
    virtual QString loadedFilePath() const = 0;    // path of the file last loaded, empty when none

    // A modal message box with one OK button.
    virtual void showMessage(const QString &text, const QString &title, MessageIcon icon) = 0;
};

// The title of every message the replace shows.
inline QString ReplaceTitle() { return QStringLiteral("替换文件"); }

// The work of "替换文件(&R)": applies the rows to the source text, keeps the file's
// current version as NAME.backup, writes the new text as UTF-8 without a mark and
// confirms. Refusals and failures are thrown as FileError; whatever happens, the
// file is never left missing or partly written.
void ReplaceAndSave(ReplaceHost &host);
