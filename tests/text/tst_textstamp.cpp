// The text stamp without any widget: a field far wider than a dialog's, stamped band by
// band, gives row for row what one picture of the whole field gives.
#include "TextStamp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace ombrix;

class TestTextStamp : public QObject {
    Q_OBJECT
private slots:
    void largeFieldComesInBands();
};

// A field far wider than a dialog's is drawn 256 rows at a time; glyphs crossing the
// bands' edges give the same cells as one picture of the whole field.
void TestTextStamp::largeFieldComesInBands() {
    const int w = 16384;
    const int h = 600;
    TTextFont font{QFont(QStringLiteral("DejaVu Sans")), QColor(0, 0, 255)};
    font.Font.setPixelSize(400);
    const QString text = QStringLiteral("gÅ|");
    QImage whole(w, h, QImage::Format_RGB32);
    {
        QPainter painter(&whole);
        DrawTextSample(painter, whole.size(), text, font);
    }
    int rowsSeen = 0;
    int healthyBelowFirstBand = 0;
    bool same = true;
    StampText(w, h, 100, text, font, [&](int y, const std::int32_t* values) {
        same = same && y == rowsSeen;
        ++rowsSeen;
        const auto* pixels = reinterpret_cast<const QRgb*>(whole.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const int expected = (pixels[x] & RGB_MASK) == (qRgb(0, 0, 255) & RGB_MASK) ? 0 : 51;
            same = same && values[x] == expected;
            healthyBelowFirstBand += y >= 256 && values[x] == 0;
        }
    });
    QCOMPARE(rowsSeen, h);
    QVERIFY(same);
    QVERIFY(healthyBelowFirstBand > 1000);
}

QTEST_MAIN(TestTextStamp)
#include "tst_textstamp.moc"
