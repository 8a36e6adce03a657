// The backdrop is drawn small and scaled up: it must look the same as drawn at full size.

#include "backdroppicture.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>

using vexa::BackdropPicture;

class BackdropTest : public QObject
{
    Q_OBJECT

private slots:
    void quarterSizeLooksTheSame_data();
    void quarterSizeLooksTheSame();
};

void BackdropTest::quarterSizeLooksTheSame_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("phase");

    QTest::newRow("wide window, still") << QSize(1280, 800) << 0.0;
    QTest::newRow("wide window, drifted") << QSize(1280, 800) << 0.7;
    QTest::newRow("compact window") << QSize(420, 860) << 0.0;
    QTest::newRow("odd size") << QSize(341, 487) << 1.0;
}

void BackdropTest::quarterSizeLooksTheSame()
{
    QFETCH(QSize, size);
    QFETCH(qreal, phase);
    const QColor top(QStringLiteral("#0b0d17"));
    const QColor bottom(QStringLiteral("#06070d"));

    const QImage full = BackdropPicture::picture(size, phase, top, bottom, 1.0)
                            .convertToFormat(QImage::Format_ARGB32);
    const QImage scaled = BackdropPicture::picture(size, phase, top, bottom, 0.25)
                              .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(full.size(), size);
    QCOMPARE(scaled.size(), size);

    // The patches are there at all: the first (violet) one lifts blue well above the ground.
    const int groundBlue = qBlue(full.pixel(size.width() - 1, size.height() / 2));
    int bluest = 0;
    int worst = 0;
    for (int y = 0; y < size.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(full.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(scaled.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            bluest = std::max(bluest, qBlue(a[x]));
            worst = std::max({worst, std::abs(qRed(a[x]) - qRed(b[x])),
                              std::abs(qGreen(a[x]) - qGreen(b[x])),
                              std::abs(qBlue(a[x]) - qBlue(b[x]))});
        }
    }
    QVERIFY2(bluest > groundBlue + 40, qPrintable(QStringLiteral("%1 vs %2").arg(bluest).arg(groundBlue)));
    // Within a few levels of 255 everywhere: no visible difference on these dark colours.
    QVERIFY2(worst <= 4, qPrintable(QString::number(worst)));
}

QTEST_GUILESS_MAIN(BackdropTest)
#include "tst_backdrop.moc"
