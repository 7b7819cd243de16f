// Small window helpers shared by the dialogs.
#pragma once

class QFont;
class QWidget;

namespace ombrix {

/// The dialogs' font: "ＭＳ Ｐゴシック" at the given height in pixels.
QFont DialogFont(int pixelHeight);

/// Moves a top-level window so that its outer rectangle sits in the middle of its screen.
void CentreOnScreen(QWidget& window);

} // namespace ombrix
