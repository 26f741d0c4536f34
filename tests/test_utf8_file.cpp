#include <QtTest>
class T : public QObject { Q_OBJECT private slots: void placeholder() { QVERIFY(true); } };
QTEST_APPLESS_MAIN(T)
#include "test_utf8_file.moc"
