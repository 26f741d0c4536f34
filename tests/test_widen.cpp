// List box widening: the running width rule, the rounding, the
// strict test against the list width, and the extent on a real list box.

#include "ui/ListBox.h"
#include "ui/ListBoxWiden.h"

#include <QScrollBar>
#include <QtTest>

namespace {

QStringList rowsOfLengths(const QList<int> &lengths, QChar fill = QLatin1Char('x'))
{
    QStringList rows;
    for (int length : lengths)
        rows.append(QString(length, fill));
    return rows;
}

} // namespace

class TestWiden : public QObject
{
    Q_OBJECT

private slots:
    void widthCount_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<int>("count");
        QTest::newRow("none") << QList<int>{} << 0;
        QTest::newRow("10") << QList<int>{10} << 12;
        QTest::newRow("10, 11") << QList<int>{10, 11} << 12;
        QTest::newRow("10, 12") << QList<int>{10, 12} << 12;
        QTest::newRow("10, 13") << QList<int>{10, 13} << 15;
        QTest::newRow("13, 10") << QList<int>{13, 10} << 15;
        QTest::newRow("5, 7, 9") << QList<int>{5, 7, 9} << 11;
        QTest::newRow("1") << QList<int>{1} << 3;
    }

    void widthCount()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(int, count);
        QCOMPARE(WidthCount(rowsOfLengths(lengths)), count);
    }

    void extentPixelCases_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::addColumn<float>("listWidth");
        QTest::addColumn<int>("extent"); // -1: nothing is set

        // Space 4 px throughout.
        QTest::newRow("73 chars, list 301: 300 is not > 301") << QList<int>{73} << 301.0f << -1;
        QTest::newRow("74 chars, list 301: 304") << QList<int>{74} << 301.0f << 304;
        QTest::newRow("74 then 75: count stays 76") << QList<int>{74, 75} << 301.0f << 304;
        QTest::newRow("74 then 77: count 79") << QList<int>{74, 77} << 301.0f << 316;
        QTest::newRow("73 chars, list 300: exactly 300, strict") << QList<int>{73} << 300.0f << -1;
        QTest::newRow("74 chars, list 300") << QList<int>{74} << 300.0f << 304;
    }

    void extentPixelCases()
    {
        QFETCH(QList<int>, lengths);
        QFETCH(float, listWidth);
        QFETCH(int, extent);
        const std::optional<int> got = HorizontalExtentFor(WidthCount(rowsOfLengths(lengths)), 4.0f, listWidth);
        if (extent < 0) {
            QVERIFY(!got.has_value());
        } else {
            QVERIFY(got.has_value());
            QCOMPARE(*got, extent);
        }
    }

    void roundsHalfToEven()
    {
        QCOMPARE(HorizontalExtentFor(125, 2.5f, 10.0f).value(), 312); // 312.5 -> 312
        QCOMPARE(HorizontalExtentFor(127, 2.5f, 10.0f).value(), 318); // 317.5 -> 318
        QCOMPARE(HorizontalExtentFor(101, 3.125f, 301.0f).value(), 316); // 315.625
        QCOMPARE(HorizontalExtentFor(98, 3.125f, 301.0f).value(), 306); // 306.25
        QVERIFY(!HorizontalExtentFor(0, 4.0f, 0.0f).has_value()); // 0 is not > 0
    }

    void countsCodeUnitsNotDrawnWidth()
    {
        // 100 CJK characters: count 102, extent 408 at 4 px, narrower than the drawn row.
        const QStringList rows = rowsOfLengths({100}, QChar(0x5B57));
        QCOMPARE(WidthCount(rows), 102);
        QCOMPARE(HorizontalExtentFor(WidthCount(rows), 4.0f, 301.0f).value(), 408);
        // A character outside the BMP counts as its two UTF-16 code units.
        QCOMPARE(WidthCount({QString::fromUtf8("\xF0\x9F\x98\x80")}), 4);
    }

    void realListBox()
    {
        QWidget form;
        QFont font = form.font();
        font.setPointSizeF(10.5);
        form.setFont(font);
        const float space = float(QFontMetricsF(form.font()).horizontalAdvance(QChar(u' ')));
        QVERIFY(space > 0);

        ListBox list(&form);
        list.setGeometry(12, 76, 301, 464);
        QCOMPARE(list.width(), 301);

        // Rows just wide enough that the count × space passes 301.
        const int count = int(301.0f / space) + 1; // count * space > 301
        list.addItems(rowsOfLengths({count - 2}));
        QCOMPARE(WidthCount(rowsOfLengths({count - 2})), count);
        const int expected = HorizontalExtentFor(count, space, 301.0f).value();
        WidenListBox(&form, &list);
        QCOMPARE(list.horizontalExtent(), expected);

        // A later call whose condition fails sends nothing: the extent stays.
        list.clear();
        list.addItems(rowsOfLengths({1, 2, 3}));
        WidenListBox(&form, &list);
        QCOMPARE(list.horizontalExtent(), expected);

        // A larger one replaces it.
        list.addItem(QString(3 * count, QLatin1Char('y')));
        WidenListBox(&form, &list);
        QCOMPARE(list.horizontalExtent(), HorizontalExtentFor(3 * count + 2, space, 301.0f).value());

        // Clearing the rows for the next file drops the extent and leaves no current row.
        list.setCurrentRow(0);
        list.clearRows();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.horizontalExtent(), 0);
        QCOMPARE(list.currentRow(), -1);
    }

    void emptyListIsLeftUntouched()
    {
        QWidget form;
        ListBox list(&form);
        list.resize(301, 464);
        list.setHorizontalExtent(500);
        WidenListBox(&form, &list);
        QCOMPARE(list.horizontalExtent(), 500);
    }

    void scrollRangeFollowsExtent()
    {
        QWidget form;
        form.resize(400, 600);
        ListBox list(&form);
        list.setGeometry(12, 76, 301, 464);
        list.addItems(rowsOfLengths({20, 300})); // wider than the list
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Without an extent the rows give no scroll range, however long they are.
        QCOMPARE(list.horizontalExtent(), 0);
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 0);

        list.setHorizontalExtent(1000);
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 1000 - list.viewport()->width());
        list.setHorizontalExtent(100); // fits: no range
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 0);
        list.setHorizontalExtent(800);
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 800 - list.viewport()->width());
        list.clearRows();
        list.addItems(rowsOfLengths({300}));
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), 0);
    }
};

QTEST_MAIN(TestWiden)
#include "test_widen.moc"
