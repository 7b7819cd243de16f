#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace ombrix {

void PlaceLabel(QWidget& label, int left, int top, int width, int height) {
    label.setGeometry(left, top, std::max(width, label.sizeHint().width()), height);
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
