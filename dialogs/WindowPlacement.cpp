#include "WindowPlacement.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>

#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ombrix {

void PlaceLabel(QWidget& label, int left, int top, int width, int height) {
    label.setGeometry(left, top, std::max(width, label.sizeHint().width()), height);
}

namespace {

// Lowers the stretch of `widget`'s font until `fits` holds or the stretch reaches half;
// glyph advances round, so the stretch steps down rather than being worked out.
template <typename Fits>
void NarrowUntil(QWidget& widget, const QString& text, qreal room, Fits fits) {
    QFont font = widget.font();
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    if (advance <= room)
        return;
    for (int stretch = std::min(99, static_cast<int>(100 * room / advance)); stretch >= 50;
         stretch -= 2) {
        font.setStretch(stretch);
        widget.setFont(font);
        if (fits())
            return;
    }
}

} // namespace

void FitCaption(QPushButton& button, int margin) {
    const qreal room = button.width() - 2 * margin;
    NarrowUntil(button, button.text(), room, [&] {
        return QFontMetricsF(button.font()).horizontalAdvance(button.text()) <= room;
    });
}

void FitCaption(QLabel& label, int right) {
    const qreal room = right - label.x();
    NarrowUntil(label, label.text(), room, [&] {
        return QFontMetricsF(label.font()).horizontalAdvance(label.text()) <= room;
    });
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    // The widget learns its frame only after the first showing; the platform window
    // knows it as soon as it exists.
    QMargins frame;
    if (const QWindow* handle = window.windowHandle())
        frame = handle->frameMargins();
    const QSize outer = window.size().grownBy(frame);
    const QPoint outerTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    window.setGeometry(QRect(outerTopLeft + QPoint(frame.left(), frame.top()), window.size()));
}

} // namespace ombrix
