// The program's icon as the windows get it: all three images reach the program from
// the static library, the small ones stay crisp two-colour drawings, the large one
// keeps its colours and soft transparency.

#include "ui/AppIcon.h"

#include <QSet>
#include <QtTest>

namespace {

QImage imageAt(const QIcon &icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QSet<QRgb> opaqueColours(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                colours.insert(image.pixel(x, y));
    return colours;
}

bool hasAlpha(const QImage &image, int low, int high)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha >= low && alpha <= high)
                return true;
        }
    return false;
}

} // namespace

class TestAppIcon : public QObject
{
    Q_OBJECT

private slots:
    void holdsTheThreeImages()
    {
        const QIcon icon = AppIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.availableSizes(),
                 (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(256, 256)}));
    }

    void smallImagesAreTwoColours_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("16 px") << 16;
        QTest::newRow("32 px") << 32;
    }

    void smallImagesAreTwoColours()
    {
        QFETCH(int, size);
        const QImage image = imageAt(AppIcon(), size);
        QCOMPARE(image.size(), QSize(size, size));
        // Exactly two opaque colours and nothing half transparent: a scaled-down
        // drawing would bring in blended edge pixels.
        QCOMPARE(opaqueColours(image).size(), 2);
        QVERIFY(!hasAlpha(image, 1, 254));
        QVERIFY(hasAlpha(image, 0, 0));
    }

    void largeImageIsFullColourWithTransparency()
    {
        const QImage image = imageAt(AppIcon(), 256);
        QCOMPARE(image.size(), QSize(256, 256));
        QVERIFY(opaqueColours(image).size() > 16);
        QVERIFY(hasAlpha(image, 0, 0));
        QVERIFY(hasAlpha(image, 1, 254));
    }
};

QTEST_MAIN(TestAppIcon)
#include "test_app_icon.moc"
