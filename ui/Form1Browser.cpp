#include "ui/Form1.h"

#include "platform/FolderDialog.h"
#include "ui/BrowserLists.h"
#include "ui/EventGuard.h"

#include <QPushButton>

void Form1::connectBrowser()
{
    connect(Drive1, &DriveList::changed, this, [this] {
        RunEvent(this, QStringLiteral("驱动器"), [this] { Drive1_Change(); });
    });
    connect(Dir1, &FolderList::changed, this, [this] {
        RunEvent(this, QStringLiteral("文件夹"), [this] { Dir1_Change(); });
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        RunEvent(this, QStringLiteral("选择文件夹"), [this] { Command1_Click(); });
    });
    connect(File1, &FileList::dblClick, this, [this] {
        RunEvent(this, QStringLiteral("打开文件"), [this] { File1_DblClick(); });
    });
}

void Form1::Drive1_Change()
{
    // The folder list goes to the volume's root. A volume that cannot be read
    // leaves the folder list where it was, and the drive list with it.
    if (!Dir1->setFolder(Drive1->drive()))
        Drive1->showDriveOf(Dir1->folder());
}

void Form1::Dir1_Change()
{
    File1->setFolder(Dir1->folder());
}

void Form1::Command1_Click()
{
    CurrentPath = BrowseForFolder(this, QStringLiteral("选择文件夹"));
    // A cancelled picker gives "": the folder list stays where it was.
    // Drive1 is not touched, even for a folder on another volume.
    Dir1->setFolder(CurrentPath);
}
