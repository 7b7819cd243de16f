#include "WindowPlacement.h"

#include <QFont>
#include <QScreen>
#include <QWidget>

namespace ombrix {

QFont DialogFont(int pixelHeight) {
    QFont font;
    font.setFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixelHeight);
    return font;
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    // Before the first showing the frame is not known yet; the client size stands in for it.
    const QSize outer = window.frameGeometry().size();
    window.move(area.x() + (area.width() - outer.width()) / 2,
                area.y() + (area.height() - outer.height()) / 2);
}

} // namespace ombrix
