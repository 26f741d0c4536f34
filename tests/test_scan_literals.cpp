// The scanner: its table of edge cases, its invariants on random text, and
// the wide search against the rule spelled out one character at a time.

#include "support/ScanInvariants.h"

#include "engine/FindText.h"
#include "engine/ScanLiterals.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// The scan rule spelled out step by step, one character at a time.
QStringList ScanOneByOne(const QString &text)
{
    QStringList rows;
    qsizetype cursor = 0;
    for (;;) {
        qsizetype opening = cursor;
        while (opening < text.size() && text[opening] != u'"')
            ++opening;
        qsizetype closing = opening + 1;
        while (closing < text.size() && text[closing] != u'"')
            ++closing;
        if (closing >= text.size())
            return rows;
        cursor = closing + 1;
        if (opening > 0 && text[opening - 1] == u'\\')
            continue;
        QString inside = text.mid(opening + 1, closing - opening - 1);
        while (inside.startsWith(u' '))
            inside.remove(0, 1);
        while (inside.endsWith(u' '))
            inside.chop(1);
        if (!inside.isEmpty() && !inside.contains(u'\t'))
            rows.append(inside);
    }
}

// Texts with long runs between marks, so that the wide search steps are
// taken, cut short and resumed at every alignment.
QString RandomText(QRandomGenerator &random)
{
    static const char16_t plain[] = {u'a', u' ', u'\\', u'\t', u'\r', u'\n', 0x4E2D, 0xD83D, 0xDE00, 0x3000};
    QString text;
    const int length = random.bounded(300);
    const int markEvery = 1 + random.bounded(80);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(markEvery) == 0)
            text.append(u'"');
        else
            text.append(QChar(plain[random.bounded(int(std::size(plain)))]));
    }
    return text;
}

// The edge cases, out of the class: moc cannot read raw strings.
void addScannerTable()
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

} // namespace

class TestScanLiterals : public QObject
{
    Q_OBJECT

private slots:
    void table_data() { addScannerTable(); }

    void table()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QCOMPARE(ScanLiterals(text), rows);
    }

    void wordsCases()
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

    // The invariants the editor and the replace rely on, on short random texts.
    void invariantsOnRandomText()
    {
        const char16_t alphabet[] = u"\"\"\\ \t\r\nab\u4E2D";
        QRandomGenerator random(20261206);
        for (int round = 0; round < 3000; ++round) {
            QString text;
            const int length = random.bounded(40);
            for (int i = 0; i < length; ++i)
                text.append(QChar(alphabet[random.bounded(int(std::size(alphabet) - 1))]));
            const QString broken = ScanInvariantBroken(text, ScanLiterals(text));
            QVERIFY2(broken.isEmpty(), qPrintable(broken + " in " + text));
        }
    }

    void scanMatchesStepByStepRule()
    {
        QRandomGenerator random(8080);
        for (int round = 0; round < 20000; ++round) {
            const QString text = RandomText(random);
            QCOMPARE(ScanLiterals(text), ScanOneByOne(text));
        }
    }

    void findCharMatchesIndexOf()
    {
        QRandomGenerator random(9090);
        for (int round = 0; round < 20000; ++round) {
            const QString text = RandomText(random);
            const char16_t wanted = round % 2 ? u'"' : u'\t';
            const qsizetype from = random.bounded(int(text.size()) + 1);
            QCOMPARE(FindChar(text, wanted, from), QStringView(text).indexOf(QChar(wanted), from));
        }
    }
};

QTEST_APPLESS_MAIN(TestScanLiterals)
#include "test_scan_literals.moc"
