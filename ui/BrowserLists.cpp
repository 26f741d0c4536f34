#include "ui/BrowserLists.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int LevelRole = Qt::UserRole + 1;
constexpr int PathRole = Qt::UserRole;
constexpr int IndentPixels = 10;

bool isUserVolume(const QStorageInfo &volume)
{
    if (!volume.isValid() || !volume.isReady())
        return false;
    const QString root = volume.rootPath();
    if (volume.isRoot())
        return true;
    const QString device = QString::fromLocal8Bit(volume.device());
    const QString type = QString::fromLatin1(volume.fileSystemType()).toLower();
    if (!device.startsWith(QLatin1String("/dev/")) || device.startsWith(QLatin1String("/dev/loop")))
        return false; // pseudo, network-less virtual, or a loop image (snaps)
    if (type == QLatin1String("squashfs"))
        return false;
    const auto under = [&root](const QString &base) {
        return root == base || root.startsWith(base + QLatin1Char('/'));
    };
    return under(QStringLiteral("/home")) || under(QDir::homePath())
           || under(QStringLiteral("/media")) || under(QStringLiteral("/run/media"))
           || under(QStringLiteral("/mnt"));
}

bool contains(const QString &root, const QString &folder)
{
    if (root == QLatin1String("/"))
        return folder.startsWith(QLatin1Char('/'));
    return folder == root || folder.startsWith(root + QLatin1Char('/'));
}

// Draws a folder row indented by its level in the chain.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(LevelRole).toInt() * IndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(LevelRole).toInt() * IndentPixels;
        return size;
    }
};

} // namespace

// ---- FolderWatch ----

FolderWatch::FolderWatch(QObject *parent, std::function<void()> changed)
    : QObject(parent)
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(100);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_delay, qOverload<>(&QTimer::start));
    connect(&m_delay, &QTimer::timeout, this, std::move(changed));
}

void FolderWatch::watch(const QString &folder)
{
    if (m_watcher.directories() == QStringList{folder})
        return;
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_watcher.addPath(folder); // a folder the system cannot watch is listed all the same
}

// Keeps the list's row of `key` current and its scroll position across a refill.
template <typename Fill>
void refillKeeping(QListWidget *list, const QString &key, Fill fill)
{
    const int scrolled = list->verticalScrollBar()->value();
    fill();
    const QList<QListWidgetItem *> same = list->findItems(key, Qt::MatchExactly);
    if (!key.isEmpty() && !same.isEmpty())
        list->setCurrentItem(same.first());
    list->verticalScrollBar()->setValue(scrolled);
}

QString ReadableFolder(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return QString();
    return QDir::cleanPath(info.absoluteFilePath());
}

// ---- DriveList ----

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    refill();
    showDriveOf(QDir::currentPath());
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index == m_shown)
            return;
        m_shown = index;
        emit changed();
    });
}

QStringList DriveList::VolumeRoots()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (isUserVolume(volume) && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    if (!roots.contains(QStringLiteral("/")))
        roots.prepend(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end());
    return roots;
}

void DriveList::refill()
{
    clear();
    for (const QString &root : VolumeRoots()) {
        const QStorageInfo volume(root);
        const QString name = volume.displayName();
        const QString text = (name.isEmpty() || name == root)
                                 ? root
                                 : QStringLiteral("%1  [%2]").arg(root, name);
        addItem(text, root);
    }
}

QString DriveList::drive() const
{
    return currentData().toString();
}

void DriveList::showDriveOf(const QString &folder)
{
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        if (contains(root, clean) && root.size() > bestLength) {
            best = i;
            bestLength = int(root.size());
        }
    }
    if (best >= 0) {
        setCurrentIndex(best);
        m_shown = best;
    }
}

// ---- FolderList ----

FolderList::FolderList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    setTextElideMode(Qt::ElideNone);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        openRow(row(item));
    });
    m_watch = new FolderWatch(this, [this] { refresh(); });
}

void FolderList::refresh()
{
    if (subfoldersOf(m_folder) == m_subfolders)
        return; // a file changed: nothing this list shows
    const QListWidgetItem *selected = currentItem();
    refillKeeping(this, selected ? selected->text() : QString(), [this] { setFolder(m_folder); });
}

QString FolderList::folderAt(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? it->data(PathRole).toString() : QString();
}

bool FolderList::setFolder(const QString &path)
{
    const QString folder = ReadableFolder(path);
    if (folder.isEmpty())
        return false;

    const QStringList subfolders = subfoldersOf(folder);

    // The chain from the root down to the folder.
    QStringList chain;
    for (QString step = folder;;) {
        chain.prepend(step);
        if (step == QLatin1String("/"))
            break;
        const QString up = QFileInfo(step).path();
        if (up == step)
            break;
        step = up;
    }

    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    int level = 0;
    for (const QString &step : chain) {
        const QString name = step == QLatin1String("/") ? step : QFileInfo(step).fileName();
        auto *it = new QListWidgetItem(open, name, this);
        it->setData(PathRole, step);
        it->setData(LevelRole, level++);
    }
    const int current = count() - 1;
    for (const QString &sub : subfolders) {
        auto *it = new QListWidgetItem(closed, sub, this);
        it->setData(PathRole, QDir::cleanPath(folder + QLatin1Char('/') + sub));
        it->setData(LevelRole, level);
    }
    setCurrentRow(current);
    m_subfolders = subfolders;
    m_watch->watch(folder);

    const bool changedFolder = folder != m_folder;
    m_folder = folder;
    if (changedFolder)
        emit changed();
    return true;
}

QStringList FolderList::subfoldersOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

void FolderList::openRow(int row)
{
    const QString path = folderAt(row);
    if (!path.isEmpty())
        setFolder(path); // an unreadable folder leaves the list where it was
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openRow(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---- FileList ----

FileList::FileList(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideNone);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit dblClick(); });
    m_watch = new FolderWatch(this, [this] { refresh(); });
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit dblClick();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileList::selectName(const QString &name)
{
    const QList<QListWidgetItem *> found = findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        setCurrentItem(found.first());
}

void FileList::refresh()
{
    const QStringList names = namesIn(m_folder);
    QStringList shown;
    for (int i = 0; i < count(); ++i)
        shown << item(i)->text();
    if (names != shown)
        refillKeeping(this, fileName(), [&] { fill(names); });
}

bool FileList::setFolder(const QString &path)
{
    const QString folder = ReadableFolder(path);
    if (folder.isEmpty())
        return false;
    fill(namesIn(folder));
    m_folder = folder;
    m_watch->watch(folder);
    return true;
}

QStringList FileList::namesIn(const QString &folder) const
{
    // No QDir::Hidden: hidden files are left out. No QDir::CaseSensitive: the
    // pattern ignores case.
    return QDir(folder).entryList({pattern()}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void FileList::fill(const QStringList &names)
{
    clear();
    addItems(names);
    setCurrentIndex(QModelIndex()); // nothing selected
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}
