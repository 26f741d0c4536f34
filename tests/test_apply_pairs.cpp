// The fast ApplyPairs, on its default path and on blocks small enough for
// short texts to cross them, against the plain rule.

#include "support/ReferenceApplyPairs.h"

#include "engine/ApplyPairsTuning.h"
#include "engine/FindText.h"
#include "engine/ReplaceAndSave.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Blocks from the first row, small enough that occurrences span them, every
// find looked up through the gram indexes.
ApplyPairsTuning Blocked(qsizetype blockChars)
{
    ApplyPairsTuning tuning;
    tuning.blockChars = blockChars;
    tuning.plainPasses = 0;
    tuning.rowsBeforeIndex = {0, 0, 0};
    return tuning;
}

// The same blocks, every find looked up by reading them in order.
ApplyPairsTuning BlockedUnindexed(qsizetype blockChars)
{
    ApplyPairsTuning tuning = Blocked(blockChars);
    tuning.rowsBeforeIndex = {1 << 30, 1 << 30, 1 << 30};
    return tuning;
}

const QString Smile = QStringLiteral("\U0001F600"); // two code units
const QString Laugh = QStringLiteral("\U0001F602"); // shares its first code unit with Smile

// Random texts and rows over a small alphabet, so that found texts occur
// often, overlap, and reappear inside replacements and at their junctions.
class RowMaker
{
public:
    explicit RowMaker(quint32 seed) : m_random(seed) {}

    QString text(qsizetype length)
    {
        QString text;
        while (text.size() < length)
            text += piece();
        return text;
    }

    // Builds the rows against the text as the plain rule leaves it, so that
    // most found texts occur, many of them in what earlier rows wrote.
    void rows(const QString &start, int count, QStringList &found, QStringList &replacements)
    {
        QString current = start;
        QList<qsizetype> edits{0};
        for (int i = 0; i < count; ++i) {
            const QString find = foundText(current, found, edits);
            const QString replacement = replacementFor(find, found);
            found.append(find);
            replacements.append(replacement);
            const qsizetype at = find.isEmpty() ? -1 : current.indexOf(find);
            if (at >= 0) {
                current = current.left(at) + replacement + current.mid(at + find.size());
                edits.append(at);
            }
        }
    }

private:
    int pick(int bound) { return int(m_random.bounded(bound)); }

    QString piece()
    {
        static const QString pieces[] = {"a", "b", "ab", "ba", "\"", " ", "\n", "\\", QStringLiteral("中"), Smile, Laugh,
                                         QStringLiteral("\xD83D")};
        return pieces[pick(int(std::size(pieces)))];
    }

    qsizetype findLength()
    {
        switch (pick(6)) {
        case 0: return 1;
        case 1: return 2;
        case 2: return 3;
        case 3: return 4 + pick(4);
        case 4: return 8 + pick(30);
        default: return 1 + pick(6);
        }
    }

    QString foundText(const QString &current, const QStringList &earlier, const QList<qsizetype> &edits)
    {
        const qsizetype length = findLength();
        const int kind = pick(10);
        if (kind == 0 && !earlier.isEmpty())
            return earlier[pick(int(earlier.size()))]; // the same text again
        if (kind == 1)
            return text(length); // often occurs nowhere
        if (kind == 2)
            return QString();
        if (current.isEmpty())
            return text(length);
        qsizetype from;
        if (kind <= 6) { // around a recent replacement, across its junctions
            const qsizetype edit = edits[qMax<qsizetype>(0, edits.size() - 1 - pick(3))];
            from = qBound<qsizetype>(0, edit - length + 1 + pick(int(length) + 4), current.size() - 1);
        } else {
            from = pick(int(current.size()));
        }
        return current.mid(from, length);
    }

    QString replacementFor(const QString &find, const QStringList &earlier)
    {
        switch (pick(9)) {
        case 0: return QString();
        case 1: return find; // changes nothing
        case 2: return find + text(pick(3)); // found again by a later row
        case 3: return text(pick(3)) + find;
        case 4: return earlier.isEmpty() ? text(2) : earlier[pick(int(earlier.size()))] + text(pick(2));
        case 5: return text(pick(40)); // long: grows its block
        default: return text(pick(5));
        }
    }

    QRandomGenerator m_random;
};

} // namespace

class TestApplyPairs : public QObject
{
    Q_OBJECT

private slots:
    void firstOccurrenceRules_data()
    {
        QTest::addColumn<qsizetype>("blockChars"); // 0: the default path
        QTest::addColumn<bool>("indexed");
        QTest::newRow("default") << qsizetype(0) << false;
        for (qsizetype size : {1, 2, 3, 7}) {
            QTest::addRow("blocks of %lld", qlonglong(size)) << size << true;
            QTest::addRow("blocks of %lld, read in order", qlonglong(size)) << size << false;
        }
    }

    void firstOccurrenceRules()
    {
        QFETCH(qsizetype, blockChars);
        QFETCH(bool, indexed);
        auto apply = [&](const QString &text, const QStringList &found, const QStringList &replacements) {
            if (blockChars == 0)
                return ApplyPairs(text, found, replacements);
            return ApplyPairsTuned(text, found, replacements,
                                   indexed ? Blocked(blockChars) : BlockedUnindexed(blockChars));
        };
        const QString twice = QStringLiteral("a = \"ok\"; b = \"ok\";");
        // Only the second row edited: the edit lands on the first occurrence.
        QCOMPARE(apply(twice, {"ok", "ok"}, {"ok", "好"}), QStringLiteral("a = \"好\"; b = \"ok\";"));
        // Both edited to texts without the original: they land in order.
        QCOMPARE(apply(twice, {"ok", "ok"}, {"好", "行"}), QStringLiteral("a = \"好\"; b = \"行\";"));
        // An earlier place outside any literal changes, the literal stays.
        QCOMPARE(apply(QStringLiteral("int ok = 1; s = \"ok\";"), {"ok"}, {"X"}), QStringLiteral("int X = 1; s = \"ok\";"));
        // A replacement that begins with its original is found again in place.
        QCOMPARE(apply(twice, {"ok", "ok"}, {"ok!", "好"}), QStringLiteral("a = \"好!\"; b = \"ok\";"));
        // A replacement can create the text a later row finds, across its junction.
        QCOMPARE(apply(QStringLiteral("xaby"), {"ab", "xcy"}, {"c", "Z"}), QStringLiteral("Z"));
        // An empty replacement removes the text and leaves the quotes.
        QCOMPARE(apply(twice, {"ok"}, {""}), QStringLiteral("a = \"\"; b = \"ok\";"));
        // A missing text and an empty found text change nothing.
        QCOMPARE(apply(twice, {"no", ""}, {"X", "Y"}), twice);
        // Astral characters compare by code unit: a lone half matches inside a pair.
        QCOMPARE(apply(Smile + Laugh, {QStringLiteral("\xDE02")}, {"z"}), Smile + QStringLiteral("\xD83Dz"));
        QCOMPARE(apply(QStringLiteral("x") + Laugh + Smile, {Smile}, {"y"}), QStringLiteral("x") + Laugh + "y");
        // More replacements than found texts: the extra rows are ignored.
        QCOMPARE(apply(twice, {"ok"}, {"1", "2"}), QStringLiteral("a = \"1\"; b = \"ok\";"));
    }

    void matchesPlainRuleOnRandomRows_data()
    {
        QTest::addColumn<qsizetype>("blockChars");
        QTest::addColumn<quint32>("seed");
        for (qsizetype size : {1, 2, 3, 4, 5, 8, 16, 61}) {
            QTest::addRow("blocks of %lld", qlonglong(size)) << size << quint32(1000 + size);
        }
    }

    void matchesPlainRuleOnRandomRows()
    {
        QFETCH(qsizetype, blockChars);
        QFETCH(quint32, seed);
        RowMaker maker(seed);
        for (int round = 0; round < 600; ++round) {
            const QString text = maker.text(round % 50 == 0 ? 0 : 1 + round % 200);
            QStringList found, replacements;
            maker.rows(text, 1 + round % 40, found, replacements);
            const QString expected = ApplyPairsOneByOne(text, found, replacements);
            const ApplyPairsTuning tuning = round % 4 ? Blocked(blockChars) : BlockedUnindexed(blockChars);
            const QString actual = ApplyPairsTuned(text, found, replacements, tuning);
            if (actual != expected)
                qWarning() << "round" << round << "text" << text << "found" << found << "replacements" << replacements;
            QCOMPARE(actual, expected);
        }
    }

    // Texts of ten blocks of the real size: the default choice of path, and each
    // of the two blocked lookups throughout.
    void matchesPlainRuleOnLargeText()
    {
        RowMaker maker(77);
        for (int round = 0; round < 3; ++round) {
            const QString text = maker.text(20000);
            QStringList found, replacements;
            maker.rows(text, 600, found, replacements);
            const QString expected = ApplyPairsOneByOne(text, found, replacements);
            QCOMPARE(ApplyPairs(text, found, replacements), expected);
            QCOMPARE(ApplyPairsTuned(text, found, replacements, Blocked(2048)), expected);
            QCOMPARE(ApplyPairsTuned(text, found, replacements, BlockedUnindexed(2048)), expected);
        }
    }

    // Literal-like rows whose texts straddle block ends, on blocks of every small size.
    void occurrencesAcrossBlocks()
    {
        QString text;
        QStringList found, replacements;
        for (int i = 0; i < 60; ++i) {
            const QString literal = QStringLiteral("lit%1").arg(i % 7);
            text += QStringLiteral("f(\"%1\");\n").arg(literal);
            found.append(literal);
            replacements.append(i % 3 ? QStringLiteral("译%1").arg(i) : literal + QStringLiteral("+"));
        }
        found.append(QStringLiteral("\");\nf(\""));
        replacements.append(QStringLiteral("|"));
        const QString expected = ApplyPairsOneByOne(text, found, replacements);
        for (qsizetype size = 1; size <= 40; ++size) {
            QCOMPARE(ApplyPairsTuned(text, found, replacements, Blocked(size)), expected);
            QCOMPARE(ApplyPairsTuned(text, found, replacements, BlockedUnindexed(size)), expected);
        }
    }

    // Many rows of one text, each translated: every row must take the next
    // occurrence, although earlier blocks still list the text's grams.
    void repeatedTextsLandInOrder()
    {
        QString text;
        QStringList found, replacements;
        for (int i = 0; i < 400; ++i) {
            const QString literal = i % 2 ? QStringLiteral("OK") : QStringLiteral("Cannot open file");
            text += QStringLiteral("show(\"%1\"); // %2\n").arg(literal).arg(i);
            found.append(literal);
            replacements.append(QStringLiteral("译%1").arg(i));
        }
        const QString expected = ApplyPairsOneByOne(text, found, replacements);
        QVERIFY(!expected.contains(QStringLiteral("OK")));
        QCOMPARE(ApplyPairs(text, found, replacements), expected);
        QCOMPARE(ApplyPairsTuned(text, found, replacements, Blocked(64)), expected);
    }

    void findTextMatchesIndexOf()
    {
        const char16_t alphabet[] = {u'a', u'b', u'a', u'"', 0xD83D, 0xDE00, u'\0', 0xFFFF};
        QRandomGenerator random(4242);
        auto randomText = [&](int length) {
            QString text;
            for (int i = 0; i < length; ++i)
                text.append(QChar(alphabet[random.bounded(int(std::size(alphabet)))]));
            return text;
        };
        for (int round = 0; round < 20000; ++round) {
            const QString haystack = randomText(random.bounded(70));
            const QString needle = randomText(1 + random.bounded(round % 3 ? 3 : 12));
            const qsizetype from = random.bounded(int(haystack.size()) + 1);
            QCOMPARE(FindText(haystack, needle, from), QStringView(haystack).indexOf(needle, from));
        }
    }
};

QTEST_GUILESS_MAIN(TestApplyPairs)
#include "test_apply_pairs.moc"
