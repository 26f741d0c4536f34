// The command line as a user runs it, with no display: a small tree exported,
// translated with gettext's and Qt's own tools, imported, dry-run and real.

#include "support/Window.h"

#include <QLibraryInfo>
#include <QProcess>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run run(const QString &folder, const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// Every file under the folder with its bytes, backups and catalogs left out.
QMap<QString, QByteArray> tree(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.endsWith(".cpp"))
            files.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    Run zelvane(const QStringList &arguments) const { return run(m_dir.path(), ZELVANE_PROGRAM, arguments); }

private slots:
    void exportTranslateImport()
    {
        QDir(m_dir.path()).mkpath("src/ui");
        QDir(m_dir.path()).mkpath("src/.hidden");
        QDir(m_dir.path()).mkpath("outside");
        writeBytes(path("src/main.cpp"), "#include \"app.h\"\n// puts(\"old\");\nint main() { puts(\"Hello\"); puts(\"Say \\\"hi\\\"\"); }\n");
        writeBytes(path("src/ui/form.cpp"), "void f() { tr(\"Hello\"); tr(\"%1 files\"); auto r = R\"(a \"raw\" one)\"; }\n");
        writeBytes(path("src/.hidden/skip.cpp"), "x(\"hidden\");\n");
        writeBytes(path("outside/linked.cpp"), "x(\"linked\");\n");
        QVERIFY(QFile::link(path("outside"), path("src/link")));
        writeBytes(path("src/bad.cpp"), "x(\"\xff\");\n");

        Run exported = zelvane({"export", "-o", "cat.ts", "src"});
        QCOMPARE(exported.status, 1); // the file that is not UTF-8
        QVERIFY2(exported.err.contains("src/bad.cpp") && exported.err.contains("条目 4 条"), qPrintable(exported.err));
        const QString ts = QString::fromUtf8(readBytes(path("cat.ts")));
        QCOMPARE(ts.count("<source>Hello</source>"), 1);
        QVERIFY(ts.contains("<location filename=\"src/main.cpp\" line=\"3\"/>") && ts.contains("<location filename=\"src/ui/form.cpp\" line=\"1\"/>"));
        QVERIFY(!ts.contains("hidden") && !ts.contains("linked") && !ts.contains("old"));
        const QString lconvert = QLibraryInfo::path(QLibraryInfo::BinariesPath) + "/lconvert";
        for (const QStringList &step : {QStringList{lconvert, "-i", "cat.ts", "-o", "cat.po"}, {"msgen", "-o", "en.po", "cat.po"},
                                        {"msgfilter", "--keep-header", "-i", "en.po", "-o", "tr.po", "sed", "-e", "s/^/T /"},
                                        {lconvert, "-i", "tr.po", "-o", "tr.ts"}}) {
            const Run tool = run(m_dir.path(), step[0], step.mid(1));
            QVERIFY2(tool.status == 0 && tool.err.isEmpty(), qPrintable(step[0] + tool.err));
        }

        const QMap<QString, QByteArray> original = tree(m_dir.path());
        const Run dry = zelvane({"import", "--dry-run", "tr.ts", "src"});
        QCOMPARE(dry.status, 1);
        QCOMPARE(tree(m_dir.path()), original);
        writeBytes(path("dry.diff"), dry.out.toUtf8());
        const Run patched = run(m_dir.path(), "sh", {"-c", "mkdir patched && cp -r src patched && cd patched && patch -p0 -s < ../dry.diff"});
        QVERIFY2(patched.status == 0, qPrintable(patched.err));

        const Run imported = zelvane({"import", "tr.ts", "src"});
        QCOMPARE(imported.status, 1);
        QVERIFY2(imported.err.contains("src/bad.cpp") && imported.err.contains("写入 2 个文件"), qPrintable(imported.err));
        QCOMPARE(readBytes(path("src/main.cpp")), "#include \"app.h\"\n// puts(\"old\");\nint main() { puts(\"T Hello\"); puts(\"T Say \\\"hi\\\"\"); }\n");
        QCOMPARE(readBytes(path("src/ui/form.cpp")), "void f() { tr(\"T Hello\"); tr(\"T %1 files\"); auto r = R\"(T a \"raw\" one)\"; }\n");
        QCOMPARE(readBytes(path("src/main.cpp.backup")), original["src/main.cpp"]);
        QCOMPARE(readBytes(path("patched/src/main.cpp")), readBytes(path("src/main.cpp")));
        QCOMPARE(readBytes(path("patched/src/ui/form.cpp")), readBytes(path("src/ui/form.cpp")));

        const QMap<QString, QByteArray> translated = tree(m_dir.path());
        QVERIFY2(zelvane({"import", "tr.ts", "src"}).err.contains("写入 0 个文件"), "a second import writes nothing");
        QCOMPARE(tree(m_dir.path()), translated);
        QCOMPARE(zelvane({"export", "src"}).status, 2);
        QCOMPARE(zelvane({"--version"}).out, "zelvane " ZELVANE_VERSION "\n");
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
