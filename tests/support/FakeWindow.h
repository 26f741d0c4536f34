#pragma once

#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/SourcePaths.h"
#include "engine/Utf8NoBomFile.h"

// Stands in for the main window in a replace: the loaded text, the two lists,
// File1's folder and selection, and the messages shown.
class FakeWindow : public ReplaceHost
{
public:
    struct Message {
        QString text, title;
        MessageIcon icon;
    };
    QString text, currentPath, folder, selected, loaded;
    QStringList found, replacements;
    QList<Message> messages;

    // What a double-click on the file does: read, scan, fill both lists.
    void load(const QString &dir, const QString &name)
    {
        folder = dir;
        selected = name;
        loaded = SourcePaths::JoinSelectedPath(dir, name);
        text = Utf8NoBomFile::ReadUtf8Text(loaded);
        found = replacements = ScanLiterals(text);
    }

    QString sourceText() const override { return text; }
    void setSourceText(const QString &t) override { text = t; }
    void setCurrentPath(const QString &p) override { currentPath = p; }
    QStringList foundRows() const override { return found; }
    QStringList replacementRows() const override { return replacements; }
    QString fileFolder() const override { return folder; }
    QString selectedFileName() const override { return selected; }
    QString loadedFilePath() const override { return loaded; }
    void showMessage(const QString &t, const QString &title, MessageIcon icon) override
    {
        messages.append({t, title, icon});
    }
};
