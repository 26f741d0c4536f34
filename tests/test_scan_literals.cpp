#include "engine/ScanLiterals.h"

#include <QRandomGenerator>
#include <QtTest>

class TestScanLiterals : public QObject
{
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void wordsCases();
    void invariantsOnRandomText();
};

void TestScanLiterals::table_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");
    auto row = [](const char *name, const QString &text, const QStringList &rows) {
        QTest::newRow(name) << text << rows;
    };
    row("escape kept", QStringLiteral(R"x(printf("Hello, %s\n", name);)x"), {QStringLiteral(R"x(Hello, %s\n)x")});
    row("trimmed", QStringLiteral(R"x(s = "  padded  ";)x"), {"padded"});
    row("empty and blank", QStringLiteral(R"x(x = ""; y = "   ";)x"), {});
    row("repeats", QStringLiteral(R"x(a = "one"; b = "one";)x"), {"one", "one"});
    row("adjacent", QStringLiteral(R"x(x = "a" "b";)x"), {"a", "b"});
    row("prefixes", QStringLiteral(R"x(w = L"wide"; u = u8"utf";)x"), {"wide", "utf"});
    row("comment", QStringLiteral(R"x(// see "notes" here)x"), {"notes"});
    row("escaped marks", QStringLiteral(R"x(msg = "say \"hi\" now";)x"), {QStringLiteral("say \\")});
    row("escaped opening", QStringLiteral(R"x(f(\"q\") "z")x"), {"z"});
    row("double backslash", QStringLiteral(R"x(p = "C:\\"; q = "next";)x"), {QStringLiteral("C:\\\\"), "next"});
    row("char literal", QStringLiteral(R"x(char c = '"'; const char* s = "x";)x"), {"'; const char* s ="});
    row("raw string", QStringLiteral(R"x(auto r = R"(a "b" c)";)x"), {"(a", "c)"});
    row("mark at start", QStringLiteral(R"x("abc" x)x"), {"abc"});
    row("unpaired last", QStringLiteral(R"x(a = "x"; b = "y)x"), {"x"});
}

void TestScanLiterals::table()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rows);
    QCOMPARE(ScanLiterals(text), rows);
}

void TestScanLiterals::wordsCases()
{
    // A TAB anywhere in a literal drops it, wherever it stands; later pairs still count.
    QCOMPARE(ScanLiterals(u"\"\tx\" \"a\tb\" \"y\t\" \"ok\""), QStringList{"ok"});
    // Line breaks between stray marks stay in the row; only spaces are trimmed.
    QCOMPARE(ScanLiterals(u"c = '\"';\r\ns = \"x\";"), QStringList{QStringLiteral("';\r\ns =")});
    QCOMPARE(ScanLiterals(u""), QStringList{});
    QCOMPARE(ScanLiterals(u"no marks"), QStringList{});
    QCOMPARE(ScanLiterals(u"one \" mark"), QStringList{});
    QCOMPARE(ScanLiterals(u"\"end\""), QStringList{"end"});
    // Only U+0020 is trimmed: the ideographic space and typographic quotes are text.
    QCOMPARE(ScanLiterals(u"\"\u3000中文\u3000\" \u201Cx\u201D"), QStringList{QStringLiteral("\u3000中文\u3000")});
    // A backslash before the closing mark does not matter.
    QCOMPARE(ScanLiterals(u"\"a\\\" \"b\""), QStringList({QStringLiteral("a\\"), "b"}));
    // Astral characters pass as their two code units.
    QCOMPARE(ScanLiterals(u"\"\U0001F600\""), QStringList{QStringLiteral("\U0001F600")});
}

// Every row is non-empty, untrimmed of nothing, free of marks and TABs, and
// stands in the text inside the pair that produced it, in order.
void TestScanLiterals::invariantsOnRandomText()
{
    const char16_t alphabet[] = u"\"\"\\ \t\r\nab\u4E2D";
    QRandomGenerator random(20261206);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i)
            text.append(QChar(alphabet[random.bounded(int(std::size(alphabet) - 1))]));
        const QStringList rows = ScanLiterals(text);
        QVERIFY(rows.size() <= text.count(QLatin1Char('"')) / 2);
        qsizetype from = 0;
        for (const QString &row : rows) {
            QVERIFY(!row.isEmpty());
            QVERIFY(!row.startsWith(u' ') && !row.endsWith(u' '));
            QVERIFY(!row.contains(u'"') && !row.contains(u'\t'));
            const qsizetype at = text.indexOf(row, from);
            QVERIFY2(at >= 0, qPrintable(text));
            from = at + row.size();
        }
    }
}

QTEST_APPLESS_MAIN(TestScanLiterals)
#include "test_scan_literals.moc"
