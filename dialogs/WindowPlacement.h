// Small window helpers shared by the dialogs.
#pragma once

#include "DialogFont.h"

class QWidget;

namespace ombrix {

/// Places a label at its design rectangle, widened to its text when the text needs more
/// room than the design gave it (the installed font may run wider than the design's).
void PlaceLabel(QWidget& label, int left, int top, int width, int height);

/// Moves a top-level window so that its outer rectangle sits in the middle of its screen.
void CentreOnScreen(QWidget& window);

} // namespace ombrix
