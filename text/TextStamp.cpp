#include "TextStamp.h"

#include "DialogFont.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace ombrix {

namespace {

const QColor SampleGrey(0x80, 0x80, 0x80);

// The band's pixels stay within about 16 MB whatever the field's width.
constexpr int BandPixels = 4 * 1024 * 1024;

} // namespace

TTextFont DefaultTextFont() {
    TTextFont textFont{DialogFont(12), Qt::black};
    textFont.Font.setBold(true);
    textFont.Font.setPointSize(24);
    return textFont;
}

void DrawTextSample(QPainter& painter, QSize size, const QString& text, const TTextFont& font) {
    painter.setFont(font.Font);
    painter.fillRect(QRect(QPoint(0, 0), size), SampleGrey);
    painter.setPen(font.Color);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(SampleGrey);
    painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
}

void StampText(int width, int height, std::int32_t useColCnt, const QString& text,
               const TTextFont& font,
               const std::function<void(int y, const std::int32_t* values)>& setRow) {
    if (width <= 0 || height <= 0)
        return;
    const int bandHeight = std::clamp(BandPixels / width, 1, height);
    const QRgb textColor = font.Color.rgb() & RGB_MASK;
    const std::int32_t v = useColCnt / 2 + 1;
    QImage band(width, bandHeight, QImage::Format_RGB32);
    std::vector<std::int32_t> values(static_cast<std::size_t>(width));
    for (int top = 0; top < height; top += bandHeight) {
        {
            // The whole picture, seen through a window of rows top..top+bandHeight-1.
            QPainter painter(&band);
            painter.translate(0, -top);
            DrawTextSample(painter, QSize(width, height), text, font);
        }
        const int rows = std::min(bandHeight, height - top);
        for (int row = 0; row < rows; ++row) {
            const auto* pixels = reinterpret_cast<const QRgb*>(band.constScanLine(row));
            for (int x = 0; x < width; ++x)
                values[static_cast<std::size_t>(x)] = (pixels[x] & RGB_MASK) == textColor ? 0 : v;
            setRow(top + row, values.data());
        }
    }
}

void StampText(TFieldModel& model, const QString& text, const TTextFont& font) {
    StampText(model.AreaW, model.AreaH, model.UseColCnt, text, font,
              [&model](int y, const std::int32_t* values) {
                  for (int x = 0; x < model.AreaW; ++x)
                      model.Field[x + 1][y + 1] = values[x];
              });
}

} // namespace ombrix
