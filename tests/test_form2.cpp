// The start-up notice: its look, the countdown that closes it at the
// third tick and not the second, and the double-clicks that close it at once.

#include "ui/Form2.h"

#include "platform/Fonts.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

class TestForm2 : public QObject
{
    Q_OBJECT

    static void tick(Form2 &form) { QVERIFY(QMetaObject::invokeMethod(form.timer1(), "timeout")); }
    static QWidget *client(Form2 &form) { return form.findChild<QWidget *>(QStringLiteral("Form2Client")); }
    static void openShown(Form2 &form)
    {
        form.open(); // modal, without blocking the test
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

private slots:
    void initTestCase() { RegisterFontSubstitutes(); }

    void look()
    {
        Form2 form;
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.parentWidget(), nullptr); // no owner
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QWidget *area = client(form);
        QVERIFY(area);
        // A client at least 388 x 86 inside a 1 px border, wide enough to show the site's address whole.
        QCOMPARE(area->geometry().topLeft(), QPoint(1, 1));
        QCOMPARE(area->height(), 86);
        QVERIFY(area->width() >= 388);
        QCOMPARE(form.size(), area->size() + QSize(2, 2));
        QVERIFY(!form.windowIcon().isNull());

        auto *label0 = form.findChild<QLabel *>(QStringLiteral("Label1_0"));
        auto *label1 = form.findChild<QLabel *>(QStringLiteral("Label1_1"));
        QVERIFY(label0 && label1);
        QCOMPARE(label0, form.label1(0));
        QCOMPARE(label1, form.label1(1));
        QCOMPARE(label0->parentWidget(), area);
        QCOMPARE(label0->text(), QStringLiteral("本程序唯一发布地址："));
        QCOMPARE(label1->text(), QStringLiteral("Zelvane 发布页 (https://zelvane.example.org) "));
        QCOMPARE(label1->text(), QString::fromUtf16(Form2::SiteText));
        QCOMPARE(label0->pos(), QPoint(8, 12));
        QCOMPARE(label1->pos(), QPoint(4, 40));
        QCOMPARE(label0->size(), label0->sizeHint()); // sized to their text
        QCOMPARE(label1->size(), label1->sizeHint());
        QVERIFY(area->rect().contains(label0->geometry()));
        QVERIFY(area->rect().contains(label1->geometry()));

        QCOMPARE(label0->font().family(), QStringLiteral("微软雅黑"));
        QCOMPARE(label0->font().pointSizeF(), 12.0);
        QCOMPARE(label0->font().weight(), QFont::Normal);
        QVERIFY(!label0->font().italic());
        QCOMPARE(label1->font().family(), QStringLiteral("微软雅黑"));
        QCOMPARE(label1->font().pointSizeF(), 21.75);
        QCOMPARE(label1->font().weight(), QFont::Bold);
        QVERIFY(label1->font().italic());
        QCOMPARE(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));

        QTimer *timer = form.findChild<QTimer *>(QStringLiteral("Timer1"));
        QCOMPARE(timer, form.timer1());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(timer->isActive()); // running from Load
        QCOMPARE(form.countdown(), 3);
    }

    void closesAtThirdTickNotSecond()
    {
        Form2 form;
        openShown(form);
        tick(form);
        QCOMPARE(form.countdown(), 2);
        QVERIFY(form.isVisible());
        tick(form);
        QCOMPARE(form.countdown(), 1); // closes at 0, not at 1
        QVERIFY(form.isVisible());
        QVERIFY(form.timer1()->isActive());
        tick(form);
        QCOMPARE(form.countdown(), 0);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.timer1()->isActive()); // unloading stops the timer
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void closesByItsOwnTimer()
    {
        // The real timer, through a real modal show: open after the second tick, closed by the third.
        Form2 form;
        QList<int> seenAt; // countdown seen each half second
        QTimer watch;
        watch.setInterval(500);
        connect(&watch, &QTimer::timeout, this, [&] { seenAt << form.countdown(); });
        watch.start();
        form.exec();
        QCOMPARE(form.countdown(), 0);
        QVERIFY(seenAt.contains(1));
    }

    void doubleClickCloses_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("background") << QStringLiteral("Form2Client");
        QTest::newRow("Label1(0)") << QStringLiteral("Label1_0");
        QTest::newRow("Label1(1)") << QStringLiteral("Label1_1");
    }

    void doubleClickCloses()
    {
        QFETCH(QString, target);
        Form2 form;
        openShown(form);
        QWidget *widget = form.findChild<QWidget *>(target);
        QVERIFY(widget);
        // Background: a point of the client area that no label covers.
        const QPoint at = target == QLatin1String("Form2Client") ? QPoint(370, 6) : widget->rect().center();
        if (target == QLatin1String("Form2Client")) {
            QCOMPARE(widget->childAt(at), nullptr);
        }
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(form.isVisible());
        QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.countdown(), 3); // before the countdown ended
        QVERIFY(!form.timer1()->isActive());
    }

    // Single clicks anywhere and Escape leave it open and counting; nothing in it takes the focus.
    void onlyDoubleClicksAndTheCountdownClose()
    {
        Form2 form;
        openShown(form);
        QCOMPARE(form.focusPolicy(), Qt::NoFocus);
        for (QWidget *widget : form.findChildren<QWidget *>())
            QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(client(form), Qt::LeftButton, Qt::NoModifier, QPoint(370, 6));
        QTest::mouseClick(form.label1(0), Qt::LeftButton, Qt::NoModifier, form.label1(0)->rect().center());
        QTest::mouseClick(form.label1(1), Qt::LeftButton, Qt::NoModifier, form.label1(1)->rect().center());
        QTest::mouseClick(&form, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
        QTest::keyClick(&form, Qt::Key_Escape);
        QTest::qWait(50);
        QVERIFY(form.isVisible());
        QVERIFY(form.timer1()->isActive());
        QCOMPARE(form.countdown(), 3);
        tick(form); // the countdown goes on
        QCOMPARE(form.countdown(), 2);
        form.close();
    }
};

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
