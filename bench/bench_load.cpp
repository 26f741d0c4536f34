// Prints the figures of the main window as a user drives it, offscreen: the
// load by a double-click in File1, the marks' update after a commit, a key
// typed into the find box, and the replace by a click on "替换文件(&R)" until
// its confirmation shows.
// --smoke runs once on tiny inputs (for CTest); --big-file-only runs only the
// steps on the 10 MB file, --step=NAME only one of them (enter, fill, find,
// switch, own, first); --code=DIR makes that file of DIR's sources rather than
// this program's, so that two builds time the same file.
#include "BenchSupport.h"

#include "engine/replace/ApplyPairs.h"
#include "engine/scan/ScanLiterals.h"
#include "engine/files/Utf8NoBomFile.h"
#include "ui/Form1.h"
#include "ui/RowMarks.h"
#include "ui/ListBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace Bench;

namespace {

bool g_smoke = false;
int runs() { return g_smoke ? 1 : 5; }
qsizetype sized(qsizetype count) { return g_smoke ? qMin<qsizetype>(count, 300) : count; }

// A main window in the folder, its notice and every message box closed as soon
// as they show; `shown` restarts whenever one does.
struct Session
{
    explicit Session(const QString &folder)
    {
        QObject::connect(&closer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                shown.restart();
                modal->close();
            }
        });
        closer.start(1);
        QDir::setCurrent(folder);
        window = std::make_unique<Form1>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not exposed");
    }
    template <typename T> T *get(const char *name) { return window->findChild<T *>(QString::fromLatin1(name)); }

    // A press writes on a worker thread: its confirmation comes when the write is back.
    void waitShown()
    {
        QElapsedTimer waited;
        waited.start();
        while (!shown.isValid() && waited.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (!shown.isValid())
            qFatal("no confirmation");
    }

    // Double-clicks the file; returns the time until the window has handled it.
    double load(const QString &fileName)
    {
        auto *files = get<QListWidget>("File1");
        const QPoint at = files->visualItemRect(files->findItems(fileName, Qt::MatchExactly).first()).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
        QElapsedTimer timer;
        timer.start();
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
        return timer.nsecsElapsed() / 1e6;
    }

    QTimer closer;
    QElapsedTimer shown;
    std::unique_ptr<Form1> window;
};

QString writeSource(const QString &folder, qsizetype literals)
{
    const QString name = QStringLiteral("load%1.cpp").arg(literals);
    WriteFile(folder + u'/' + name, GeneratedSource(literals, 100, quint32(literals)).toUtf8());
    return name;
}

void load(const QString &folder)
{
    for (const qsizetype literals : {sized(32767), sized(100000)}) {
        const QString name = writeSource(folder, literals);
        std::unique_ptr<Session> session;
        const auto open = [&] { session = std::make_unique<Session>(folder); };
        const double handled = MedianMs(runs(), [&] { session->load(name); }, open);
        const double painted = MedianMs(runs(), [&] { session->load(name); session->window->repaint(); }, open);
        PrintRow({"The load (double-click in File1)", QStringLiteral("%1 literals").arg(literals), Ms(handled) + " handled",
                  Ms(painted) + " handled and painted"});
    }
}

// Every row changed but the last, then a commit of the last by Enter: the time
// until the marks of all rows are in.
void marks(const QString &folder)
{
    for (const qsizetype literals : {sized(3000), sized(32767)}) {
        const QString name = writeSource(folder, literals);
        Session session(folder);
        session.load(name);
        auto *list2 = session.get<ListBox>("List2");
        const QStringList translated = Translations(ScanLiterals(Utf8NoBomFile::ReadUtf8Text(folder + u'/' + name)));
        for (int i = 0; i + 1 < list2->count(); ++i)
            list2->model()->setData(list2->model()->index(i, 1), translated[i]);
        auto *marks = session.window->findChild<RowMarks *>();
        auto *text1 = session.get<QLineEdit>("Text1");
        std::vector<double> keys; // how long the Enter key itself takes
        const double update = MedianMs(runs(), [&] {
            QSignalSpy done(marks, &RowMarks::marksChanged);
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(text1, Qt::Key_Return);
            keys.push_back(timer.nsecsElapsed() / 1e6);
            if (!done.wait(5000))
                qFatal("the marks did not come");
        }, [&] {
            list2->setCurrentRow(list2->count() - 1);
            text1->setText(QStringLiteral("edit %1").arg(QRandomGenerator::global()->generate()));
            QTest::qWait(50); // a result still coming in is not this commit's
        });
        std::sort(keys.begin(), keys.end());
        PrintRow({"Marks current after a commit (Enter)", QStringLiteral("%1 rows, all changed").arg(list2->count()),
                  Ms(update), QStringLiteral("the key itself: %1; target: within %2 ms").arg(Ms(keys[keys.size() / 2]))
                                  .arg(literals > 3000 ? 300 : 20)});
    }
}

// A key typed into the find box that matches no row: the whole of both lists
// is searched. Beside it, the same search over plain lists of strings.
void find(const QString &folder)
{
    const QString name = writeSource(folder, sized(32767));
    Session session(folder);
    session.load(name);
    auto *text2 = session.get<QLineEdit>("Text2");
    auto *list1 = session.get<ListBox>("List1");
    const QStringList rows = ScanLiterals(Utf8NoBomFile::ReadUtf8Text(folder + u'/' + name));
    text2->setFocus();
    const double key = MedianMs(runs() * 3, [&] { QTest::keyClick(text2, Qt::Key_NumberSign, {}); },
                                [&] { text2->setText(QStringLiteral("#")); list1->setCurrentRow(0); });
    int hits = 0;
    const double plain = MedianMs(runs() * 3, [&] {
        for (const QString &row : rows)
            hits += row.contains(QStringLiteral("##"), Qt::CaseInsensitive) ? 1 : 0;
        for (const QString &row : rows)
            hits += row.contains(QStringLiteral("##"), Qt::CaseInsensitive) ? 1 : 0;
    });
    if (list1->currentRow() != 0 || hits != 0)
        qFatal("the find matched a row");
    PrintRow({"A key in the find box, no row matching", QStringLiteral("%1 rows").arg(list1->count()), Ms(key),
              QStringLiteral("plain search of two string lists: %1 (×%2); target: within 20 ms").arg(Ms(plain))
                  .arg(key / qMax(plain, 1e-6), 0, 'f', 1)});
}

void replace(const QString &folder)
{
    const QString name = writeSource(folder, sized(32767));
    const QString path = folder + u'/' + name;
    const QByteArray bytes = Utf8NoBomFile::ReadUtf8Text(path).toUtf8();
    Session session(folder);
    session.load(name);
    auto *list2 = session.get<ListBox>("List2");
    const QStringList translated = Translations(ScanLiterals(QString::fromUtf8(bytes)));
    for (int i = 0; i < list2->count(); ++i)
        list2->model()->setData(list2->model()->index(i, 1), translated[i]);
    const double replaced = MedianMs(runs(), [&] {
        QElapsedTimer timer;
        timer.start();
        session.shown.invalidate();
        QTest::mouseClick(session.get<QPushButton>("Command3"), Qt::LeftButton);
        session.waitShown();
    }, [&] {
        WriteFile(path, bytes);
        session.load(name); // the same text again, and the same rows
        for (int i = 0; i < list2->count(); ++i)
            list2->model()->setData(list2->model()->index(i, 1), translated[i]);
    });
    PrintRow({"The replace (click until the confirmation)", QStringLiteral("%1 rows changed").arg(list2->count()),
              Ms(replaced), "-"});
}

// This program's own C++ sources, over and over, to about 10 MB: real code, as a
// user's biggest file might be.
QString writeRealCode(const QString &folder, const QString &codeFolder)
{
    QByteArray code;
    const QDir sources(codeFolder.isEmpty() ? QStringLiteral(ZELVANE_SOURCE_DIR) : codeFolder);
    const qsizetype wanted = g_smoke ? 200000 : 10000000;
    while (code.size() < wanted) {
        for (const char *part : {"engine", "ui", "app", "tests"}) {
            const QDir dir(sources.filePath(QString::fromLatin1(part)));
            for (const QString &name : dir.entryList({QStringLiteral("*.cpp")}, QDir::Files, QDir::Name)) {
                QFile file(dir.filePath(name));
                if (file.open(QIODevice::ReadOnly))
                    code += file.readAll();
            }
        }
    }
    const QString name = QStringLiteral("real.cpp");
    WriteFile(folder + u'/' + name, code);
    return name;
}

// Times in milliseconds, as median and 95th percentile (nearest rank).
QString Spread(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t p95 = size_t(std::ceil(0.95 * double(times.size()))) - 1;
    return QStringLiteral("%1 median, %2 p95 (%3 runs)").arg(Ms(times[times.size() / 2]), Ms(times[p95])).arg(times.size());
}

// `runs` runs of `measured`, each timed until the window has handled it and
// repainted; `prepare` runs before each, outside the timing.
QString Spread(int runs, const std::function<void()> &measured, const std::function<void()> &prepare, QWidget *window)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        window->repaint();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return Spread(times);
}

// A press of "替换文件": the time until the window answers (the click handled
// and the window repainted) and the time until its confirmation shows.
QStringList PressSpread(int runs, Session &session, const std::function<void()> &prepare)
{
    std::vector<double> answered, confirmed;
    auto *command3 = session.get<QPushButton>("Command3");
    for (int run = 0; run < runs; ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        session.shown.invalidate();
        QTest::mouseClick(command3, Qt::LeftButton);
        session.window->repaint();
        answered.push_back(timer.nsecsElapsed() / 1e6);
        session.waitShown();
        confirmed.push_back(double(timer.nsecsElapsed() - session.shown.nsecsElapsed()) / 1e6);
    }
    return {Spread(answered), Spread(confirmed)};
}

// The window's own work for one user step on a 10 MB file read as C++, until
// it is repainted: Enter, Ctrl+Enter, a key in the find box, a switch of the
// reading and a press of "替换文件" in either mode, until the window answers and
// until its confirmation shows. `only` names one step to run (for a profiler).
void bigFile(const QString &folder, const QString &only, const QString &codeFolder)
{
    const QString name = writeRealCode(folder, codeFolder);
    const QString path = folder + u'/' + name;
    const QByteArray bytes = Utf8NoBomFile::ReadUtf8Text(path).toUtf8();
    Session session(folder);
    QWidget *window = session.window.get();
    auto *check3 = session.get<QCheckBox>("Check3");
    check3->setChecked(true);
    session.load(name);
    auto *list1 = session.get<ListBox>("List1");
    auto *text1 = session.get<QLineEdit>("Text1");
    auto *text2 = session.get<QLineEdit>("Text2");
    const QString rows = QStringLiteral("%1 rows, %2 MB").arg(list1->count()).arg(QFileInfo(path).size() / 1e6, 0, 'f', 1);
    int row = 0;
    const auto nextRow = [&] {
        row = (row + 7) % list1->count();
        list1->setCurrentRow(row);
        QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, list1->rowRect(row).center());
        text1->setText(QStringLiteral("edit %1").arg(QRandomGenerator::global()->generate()));
        QTest::qWait(g_smoke ? 0 : 300); // the marks of the step before are in, as a user types
    };
    const int many = g_smoke ? 1 : 40, few = g_smoke ? 1 : 8;
    const auto wanted = [&](const char *step) { return only.isEmpty() || only == QLatin1String(step); };
    const auto key = [&](Qt::KeyboardModifiers modifiers) { return [text1, modifiers] { QTest::keyClick(text1, Qt::Key_Return, modifiers); }; };
    if (wanted("enter"))
        PrintRow({"Enter (store and move on)", rows, Spread(many, key(Qt::NoModifier), nextRow, window), "target: p95 within 50 ms"});
    if (wanted("fill"))
        PrintRow({"Ctrl+Enter (fill the same text)", rows, Spread(few, key(Qt::ControlModifier), nextRow, window), "target: within 50 ms"});
    if (wanted("find")) {
        text2->setFocus();
        PrintRow({"A key in the find box, no row matching", rows,
                  Spread(few, [&] { QTest::keyClick(text2, Qt::Key_NumberSign, {}); },
                         [&] { text2->setText(QStringLiteral("\u00A7#")); list1->setCurrentRow(0); }, window),
                  "target: within 50 ms"});
    }
    if (wanted("switch"))
        PrintRow({"A switch of the reading (Check3)", rows,
                  Spread(few * 2, [&] { QTest::mouseClick(check3, Qt::LeftButton); }, [] { QTest::qWait(g_smoke ? 0 : 300); }, window),
                  "target: within 100 ms"});
    if (check3->isChecked() != true)
        QTest::mouseClick(check3, Qt::LeftButton);
    auto *check2 = session.get<QCheckBox>("Check2");
    check2->setChecked(true);
    PressSpread(1, session, [] {}); // the edits of the steps before written: a load asks nothing
    const auto press = [&](const char *what, bool own) {
        check2->setChecked(own);
        // A fresh file each time: no row written before, so no question comes.
        const QStringList figures = PressSpread(few, session, [&] {
            WriteFile(path, bytes);
            session.load(name);
            nextRow();
            QTest::keyClick(text1, Qt::Key_Return);
            QTest::qWait(g_smoke ? 0 : 300);
        });
        PrintRow({QStringLiteral("The replace, %1: the window answers").arg(QLatin1String(what)), rows, figures[0], "target: within 100 ms"});
        PrintRow({QStringLiteral("The replace, %1: its confirmation shows").arg(QLatin1String(what)), rows, figures[1], "-"});
    };
    if (wanted("own"))
        press("own literals", true);
    if (wanted("first"))
        press("first occurrences", false);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    g_smoke = app.arguments().contains(QStringLiteral("--smoke"));
    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no temporary folder");
    PrintTable("Zelvane main window, offscreen", {"What", "Input", "Figure", "Beside it"});
    if (!app.arguments().contains(QStringLiteral("--big-file-only"))) {
        load(folder.path());
        marks(folder.path());
        find(folder.path());
        replace(folder.path());
    }
    QString only, codeFolder;
    for (const QString &argument : app.arguments()) {
        if (argument.startsWith(QLatin1String("--step=")))
            only = argument.mid(7);
        if (argument.startsWith(QLatin1String("--code=")))
            codeFolder = argument.mid(7);
    }
    bigFile(folder.path(), only, codeFolder);
    return 0;
}
