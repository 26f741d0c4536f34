// Prints the figures of a load and a replace as a user drives them: the main
// window offscreen in a temporary folder, the notice closed, a double-click on
// the file in File1, a click on "替换文件(&R)". The straightforward replace
// that the replace is set against runs once, in full (several seconds).
// --smoke runs once on tiny inputs (for CTest); --peak-memory is the child
// that reports its peak resident memory after a load.
#include "BenchSupport.h"
#include "support/ReferenceApplyPairs.h"

#include "engine/ReplaceAndSave.h"
#include "engine/ScanLiterals.h"
#include "engine/Utf8NoBomFile.h"
#include "ui/Form1.h"
#include "ui/ListBox.h"
#include "ui/ListBoxWiden.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace Bench;

namespace {

struct Sizes
{
    qsizetype smallLiterals = 32767;
    qsizetype bigLiterals = 100000;
    qsizetype charsPerLiteral = 100;
    int runs = 5;
};

// Closes every modal window as soon as it shows (the start-up notice, the
// replace's confirmation), noting when the first one appeared.
class ModalCloser : public QObject
{
public:
    ModalCloser()
    {
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                if (m_shownAt < 0)
                    m_shownAt = m_clock.nsecsElapsed() / 1e6;
                modal->close();
            }
        });
        m_clock.start();
        m_timer.start();
    }
    void restart() { m_clock.restart(); m_shownAt = -1; }
    double shownAt() const { return m_shownAt; } // ms after restart(), -1 when none

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_shownAt = -1;
};

// A main window started in the folder, its notice closed, shown.
std::unique_ptr<Form1> openWindow(const QString &folder, ModalCloser &closer)
{
    QDir::setCurrent(folder);
    auto window = std::make_unique<Form1>();
    closer.restart();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("the main window was not exposed");
    return window;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Double-clicks the file in File1 as a user does; returns the time from the
// double-click until the window has handled it, and until it has also laid
// out and painted what it shows.
std::pair<double, double> loadByDoubleClick(Form1 &window, const QString &fileName)
{
    auto *files = window.findChild<QListWidget *>(QStringLiteral("File1"));
    const QList<QListWidgetItem *> items = files->findItems(fileName, Qt::MatchExactly);
    if (items.isEmpty())
        qFatal("%s is not in File1", qPrintable(fileName));
    const QPoint at = files->visualItemRect(items.first()).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
    settle();
    QElapsedTimer timer;
    timer.start();
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
    const double handled = timer.nsecsElapsed() / 1e6;
    settle();
    window.repaint();
    return {handled, timer.nsecsElapsed() / 1e6};
}

// Where a load spends its time, each step timed alone on the same file.
QString loadSteps(const QString &path, const QFont &font, int runs)
{
    QString text;
    QStringList rows;
    const double read = MedianMs(runs, [&] { text = Utf8NoBomFile::ReadUtf8Text(path); });
    const double scan = MedianMs(runs, [&] { rows = ScanLiterals(text); });
    QWidget form;
    form.setFont(font);
    std::unique_ptr<ListBox> lists[2];
    const auto makeLists = [&] {
        for (auto &list : lists) {
            list = std::make_unique<ListBox>(&form);
            list->setGeometry(0, 0, 301, 464);
        }
    };
    const double fill = MedianMs(
        runs, [&] { for (auto &list : lists) list->addItems(rows); }, makeLists);
    const double widen = MedianMs(
        runs, [&] { for (auto &list : lists) WidenListBox(&form, list.get()); },
        [&] { makeLists(); for (auto &list : lists) list->addItems(rows); });
    return QString::asprintf("steps alone: read+decode %.1f, scan %.1f, fill both lists %.1f, widen both %.1f ms",
                             read, scan, fill, widen);
}

void load(const Sizes &sizes, const QString &folder, ModalCloser &closer, qsizetype literals,
          const QString &target)
{
    const QString fileName = QStringLiteral("load%1.cpp").arg(literals);
    const QString text = GeneratedSource(literals, sizes.charsPerLiteral, quint32(literals));
    const QByteArray bytes = text.toUtf8();
    WriteFile(folder + QLatin1Char('/') + fileName, bytes);

    std::vector<double> handled, painted;
    QFont font;
    for (int run = 0; run < sizes.runs; ++run) {
        std::unique_ptr<Form1> window = openWindow(folder, closer);
        font = window->font();
        const auto [h, p] = loadByDoubleClick(*window, fileName);
        const int rows = window->findChild<QListWidget *>(QStringLiteral("List2"))->count();
        if (rows != ScanLiterals(text).size())
            qFatal("the load showed %d rows", rows);
        handled.push_back(h);
        painted.push_back(p);
    }
    PrintRow("The load as a user sees it (double-click in File1)",
             QString::asprintf("%.1f MB generated .cpp, %lld literals", bytes.size() / 1e6, qlonglong(literals)),
             Ms(Median(handled)) + " handled; " + Ms(Median(painted)) + " painted",
             loadSteps(folder + QLatin1Char('/') + fileName, font, sizes.runs), target);
}

void replace(const Sizes &sizes, const QString &folder, ModalCloser &closer)
{
    const QString fileName = QStringLiteral("replace.cpp");
    const QString path = folder + QLatin1Char('/') + fileName;
    const QString text = GeneratedSource(sizes.smallLiterals, sizes.charsPerLiteral, 11);
    const QStringList found = ScanLiterals(text);
    const QStringList translations = Translations(found);

    std::vector<double> times;
    for (int run = 0; run < sizes.runs; ++run) {
        WriteFile(path, text.toUtf8());
        QFile::remove(path + QStringLiteral(".backup"));
        std::unique_ptr<Form1> window = openWindow(folder, closer);
        loadByDoubleClick(*window, fileName);
        auto *list2 = window->findChild<QListWidget *>(QStringLiteral("List2"));
        for (int i = 0; i < list2->count(); ++i) // the edits, as if typed row by row
            list2->item(i)->setText(translations[i]);
        settle();
        auto *button = window->findChild<QPushButton *>(QStringLiteral("Command3"));
        closer.restart();
        QTest::mouseClick(button, Qt::LeftButton);
        if (closer.shownAt() < 0 || Utf8NoBomFile::ReadUtf8Text(path) != ApplyPairs(text, found, translations))
            qFatal("the replace did not confirm or wrote another text");
        times.push_back(closer.shownAt());
    }

    // One full run: its later rows search further, so a prefix would not scale up honestly.
    const double plain = MedianMs(1, [&] { (void)ApplyPairsOneByOne(text, found, translations); });
    PrintRow("The whole replace: pairs, backup, write (click on 替换文件 until the confirmation shows)",
             QString::asprintf("%lld changed rows over %.1f MB", qlonglong(found.size()), text.toUtf8().size() / 1e6),
             Ms(Median(times)),
             QString::asprintf("straightforward ApplyPairs alone: %.0f ms (one run)", plain), "at most 400 ms");
}

qlonglong peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The child: a window in the folder, the file loaded when named, its peak memory printed.
int reportPeakMemory(const QString &folder, const QString &fileName)
{
    ModalCloser closer;
    std::unique_ptr<Form1> window = openWindow(folder, closer);
    if (!fileName.isEmpty())
        loadByDoubleClick(*window, fileName);
    settle();
    std::printf("%lld\n", peakResidentKb());
    return 0;
}

qlonglong childPeakKb(const QString &folder, const QString &fileName)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak-memory"), folder, fileName});
    if (!child.waitForFinished(120000))
        qFatal("the memory child did not finish");
    return child.readAllStandardOutput().trimmed().toLongLong();
}

void peakMemory(const Sizes &sizes, const QString &folder)
{
    const QString fileName = QStringLiteral("load%1.cpp").arg(sizes.smallLiterals);
    const qlonglong loaded = childPeakKb(folder, fileName);
    const qlonglong empty = childPeakKb(folder, QString());
    PrintRow("Peak memory (VmHWM) with the file loaded",
             QString::asprintf("%lld literals", qlonglong(sizes.smallLiterals)),
             QString::asprintf("%.1f MB", loaded / 1024.0),
             QString::asprintf("the window with nothing loaded: %.1f MB", empty / 1024.0), "at most 80 MB resident");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QStringLiteral("--peak-memory"))
        return reportPeakMemory(args[2], args[3]);

    Sizes sizes;
    if (args.contains(QStringLiteral("--smoke")))
        sizes = {300, 1000, 100, 1};
    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    ModalCloser closer;
    PrintHeader("Zelvane main window, offscreen", sizes.runs);
    load(sizes, folder.path(), closer, sizes.smallLiterals, "at most 60 ms");
    load(sizes, folder.path(), closer, sizes.bigLiterals, "at most 200 ms");
    replace(sizes, folder.path(), closer);
    peakMemory(sizes, folder.path());
    return 0;
}
