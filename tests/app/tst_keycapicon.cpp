#include "KeycapIcon.h"

#include <QtTest>

using namespace plinkum;

class TestKeycapIcon : public QObject {
    Q_OBJECT

private:
    // Opaque pixels along the top edge of the keycap outline, at 4x for resolution.
    static int outlineCoverage(const QImage &image)
    {
        int covered = 0;
        const int y = qRound((16 - 14.0) * 4); // y-up 14 → the top stroke
        for (int x = 6 * 4; x < 12 * 4; ++x)
            covered += qAlpha(image.pixel(x, y)) > 128;
        return covered;
    }

private slots:
    void activeAndInactiveLooks()
    {
        const QColor text(200, 30, 40); // the panel's text colour
        const QImage on = KeycapIcon::image(true, text, 4);
        const QImage off = KeycapIcon::image(false, text, 4);
        QCOMPARE(on.size(), QSize(72, 64));
        QCOMPARE(on.deviceIndependentSize(), QSizeF(18, 16));

        // Key top centre (9, 9 in y-up points): filled when on, hollow when off.
        const QPoint centre(9 * 4, (16 - 9) * 4);
        QCOMPARE(on.pixelColor(centre).alpha(), 255);
        QCOMPARE(on.pixelColor(centre).rgb(), text.rgb());
        QCOMPARE(off.pixelColor(centre).alpha(), 0);
        QCOMPARE(on.pixelColor(0, 0).alpha(), 0); // nothing outside the keycap

        // Solid outline when on, dashed (with gaps) when off.
        QCOMPARE(outlineCoverage(on), 24);
        QVERIFY(outlineCoverage(off) > 6);
        QVERIFY(outlineCoverage(off) < 20);
    }
};

QTEST_MAIN(TestKeycapIcon)
#include "tst_keycapicon.moc"
