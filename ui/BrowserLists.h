#pragma once

#include "engine/files/SourcePaths.h"

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QStringList>
#include <QTimer>

#include <functional>

// The three lists of the file browser, as Linux counterparts of the drive,
// folder and file lists.

// Calls back a short while after a folder's entries changed: a file or folder
// made, removed or renamed in it. A burst of changes gives one call.
class FolderWatch : public QObject
{
public:
    FolderWatch(QObject *parent, std::function<void()> changed);
    void watch(const QString &folder); // the only folder watched from now on

private:
    QFileSystemWatcher m_watcher;
    QTimer m_delay;
};

// The mounted volumes a user recognises: the root file system, home and
// removable media (no pseudo file systems). Raises changed() when the user
// selects another volume.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // The root folder of the selected volume.
    QString drive() const;
    // Selects the volume holding the folder (the one with the longest root that
    // contains it) without raising changed().
    void showDriveOf(const QString &folder);

    // The root folders of the volumes worth listing.
    static QStringList VolumeRoots();

signals:
    void changed();

private:
    void refill();
    int m_shown = -1; // the index last shown, to go back to
};

// A folder list in the classic style: the chain of folders from the root down
// to the current folder, then the current folder's subfolders. Double-click or
// Enter opens a folder. Setting the folder refreshes the list and raises
// changed() when the folder differs. It follows its folder: made, removed or
// renamed subfolders appear or go, the selected row staying selected.
class FolderList : public QListWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    QString folder() const { return m_folder; }
    // Returns false, leaving the list where it was, for an empty path or a
    // folder that cannot be read.
    bool setFolder(const QString &path);

    // The folder that the row names.
    QString folderAt(int row) const;

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openRow(int row);
    void refresh();
    static QStringList subfoldersOf(const QString &folder);
    QString m_folder;
    QStringList m_subfolders; // as listed
    FolderWatch *m_watch;
};

// The files of a folder matching "*.cpp" (case-insensitively), hidden files
// excluded, sorted by name. It follows its folder, the selected file staying
// selected.
class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    QString pattern() const { return SourcePaths::SourcePattern(); }
    QString folder() const { return m_folder; }
    // Returns false, leaving the list where it was, for an empty path or a
    // folder that cannot be read. Setting the same folder again re-reads it.
    bool setFolder(const QString &path);

    // The selected file's name without folder, empty when none is selected.
    QString fileName() const;
    // Selects the file of that name, if listed.
    void selectName(const QString &name);

signals:
    void dblClick(); // a double-click, or Enter on the selected file

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QStringList namesIn(const QString &folder) const;
    void fill(const QStringList &names);
    void refresh();
    QString m_folder;
    FolderWatch *m_watch;
};

// The absolute, clean form of a folder path ("/" for the root, no trailing
// "/" otherwise), or "" when it is not a folder that can be listed.
QString ReadableFolder(const QString &path);
