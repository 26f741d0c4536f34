// The list box's mouse events: VB-style button and shift masks, a left press
// selecting the row before MouseDown, a right press leaving the selection, and
// a double-click reported as down, up, double-click, up.

#include "ui/ListBox.h"

#include <QtTest>

class TestListBox : public QObject
{
    Q_OBJECT

    void sendDoubleClick(QPoint at)
    {
        QWidget *viewport = m_list->viewport();
        const QPoint global = viewport->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release2(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &press);
        QApplication::sendEvent(viewport, &release);
        QApplication::sendEvent(viewport, &dbl);
        QApplication::sendEvent(viewport, &release2);
    }
    QPoint rowCenter(int row) const { return m_list->visualItemRect(m_list->item(row)).center(); }

    QWidget *m_form = nullptr;
    ListBox *m_list = nullptr;
    QStringList m_events;
    int m_rowAtDown = -2;

private slots:
    void init()
    {
        m_form = new QWidget;
        m_form->resize(400, 500);
        m_list = new ListBox(m_form);
        m_list->setGeometry(12, 12, 301, 464);
        m_list->addItems({QStringLiteral("zero"), QStringLiteral("one"), QStringLiteral("two")});
        m_events.clear();
        connect(m_list, &ListBox::mouseDown, this, [this](int button, int shift, int x, int y) {
            m_rowAtDown = m_list->currentRow();
            m_events << QStringLiteral("down %1 %2 %3 %4").arg(button).arg(shift).arg(x).arg(y);
        });
        connect(m_list, &ListBox::mouseUp, this, [this](int button, int shift, int, int) {
            m_events << QStringLiteral("up %1 %2").arg(button).arg(shift);
        });
        connect(m_list, &ListBox::dblClick, this, [this] { m_events << QStringLiteral("dblclick"); });
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
    }

    void leftPressSelectsBeforeMouseDown()
    {
        const QPoint at = rowCenter(1);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(m_events, QStringList({QStringLiteral("down 1 0 %1 %2").arg(at.x()).arg(at.y()),
                                        QStringLiteral("up 1 0")}));
        QCOMPARE(m_rowAtDown, 1);
        QCOMPARE(m_list->currentRow(), 1);
    }

    void rightAndMiddlePressLeaveSelection()
    {
        m_list->setCurrentRow(0);
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, Qt::NoModifier, rowCenter(2));
        QCOMPARE(m_list->currentRow(), 0);
        QTest::mouseClick(m_list->viewport(), Qt::MiddleButton, Qt::NoModifier, rowCenter(1));
        QCOMPARE(m_list->currentRow(), 0);
        QCOMPARE(m_events, QStringList({QStringLiteral("down 2 0 %1 %2").arg(rowCenter(2).x()).arg(rowCenter(2).y()),
                                        QStringLiteral("up 2 0"),
                                        QStringLiteral("down 4 0 %1 %2").arg(rowCenter(1).x()).arg(rowCenter(1).y()),
                                        QStringLiteral("up 4 0")}));
    }

    void selectedRowStaysSelected()
    {
        m_list->setCurrentRow(1);
        // Below the last row, and Ctrl on the selected row: the highlight stays on row 1.
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 400));
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(1));
        QCOMPARE(m_list->currentRow(), 1);
        QCOMPARE(m_list->selectedItems(), QList<QListWidgetItem *>{m_list->item(1)});
    }

    void shiftMask()
    {
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, Qt::ShiftModifier, rowCenter(0));
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, Qt::ControlModifier, rowCenter(0));
        QTest::mouseClick(m_list->viewport(), Qt::RightButton, Qt::AltModifier, rowCenter(0));
        QTest::mouseClick(m_list->viewport(), Qt::RightButton,
                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, rowCenter(0));
        QStringList ups;
        for (const QString &event : std::as_const(m_events))
            if (event.startsWith(QLatin1String("up")))
                ups << event;
        QCOMPARE(ups, QStringList({QStringLiteral("up 2 1"), QStringLiteral("up 2 2"),
                                   QStringLiteral("up 2 4"), QStringLiteral("up 2 7")}));
    }

    void doubleClickSequence()
    {
        // As the system delivers it: press, release, double-click, release.
        const QPoint at = rowCenter(2);
        sendDoubleClick(at);
        QCOMPARE(m_events, QStringList({QStringLiteral("down 1 0 %1 %2").arg(at.x()).arg(at.y()),
                                        QStringLiteral("up 1 0"), QStringLiteral("dblclick"),
                                        QStringLiteral("up 1 0")}));
        QCOMPARE(m_list->currentRow(), 2);
    }

    void doubleClickBelowTheRows()
    {
        // Below the last row the base class handles the double-click as a press;
        // that must not be reported as a second MouseDown.
        const QPoint at(50, m_list->viewport()->height() - 10);
        QVERIFY(!m_list->indexAt(at).isValid());
        sendDoubleClick(at);
        QStringList kinds;
        for (const QString &event : std::as_const(m_events))
            kinds << event.section(QLatin1Char(' '), 0, 0);
        QCOMPARE(kinds, QStringList({"down", "up", "dblclick", "up"}));
    }

    void clearRowsLeavesNoCurrentRow()
    {
        m_list->setCurrentRow(1);
        QList<int> rows;
        connect(m_list, &QListWidget::currentRowChanged, this, [&rows](int row) { rows << row; });
        m_list->clearRows();
        QCOMPARE(m_list->currentRow(), -1);
        m_list->addItems({QStringLiteral("a"), QStringLiteral("b")});
        m_list->setFocus(Qt::TabFocusReason); // tabbing in chooses no row
        QTRY_VERIFY(m_list->hasFocus());
        QCOMPARE(m_list->currentRow(), -1);
        QCOMPARE(rows, QList<int>({-1}));
    }
};

QTEST_MAIN(TestListBox)
#include "test_listbox.moc"
