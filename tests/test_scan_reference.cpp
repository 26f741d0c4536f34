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

} // namespace

class TestScanReference : public QObject
{
    Q_OBJECT
private slots:
    void scanMatchesStepByStepRule();
    void findCharMatchesIndexOf();
};

void TestScanReference::scanMatchesStepByStepRule()
{
    QRandomGenerator random(8080);
    for (int round = 0; round < 20000; ++round) {
        const QString text = RandomText(random);
        QCOMPARE(ScanLiterals(text), ScanOneByOne(text));
    }
}

void TestScanReference::findCharMatchesIndexOf()
{
    QRandomGenerator random(9090);
    for (int round = 0; round < 20000; ++round) {
        const QString text = RandomText(random);
        const char16_t wanted = round % 2 ? u'"' : u'\t';
        const qsizetype from = random.bounded(int(text.size()) + 1);
        QCOMPARE(FindChar(text, wanted, from), QStringView(text).indexOf(QChar(wanted), from));
    }
}

QTEST_GUILESS_MAIN(TestScanReference)
#include "test_scan_reference.moc"
