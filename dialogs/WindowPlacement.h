// Small window helpers shared by the dialogs.
#pragma once

#include "DialogFont.h"

class QLabel;
class QPushButton;
class QWidget;

namespace ombrix {

/// Places a label at its design rectangle, widened to its text when the text needs more
/// room than the design gave it (the installed font may run wider than the design's).
void PlaceLabel(QWidget& label, int left, int top, int width, int height);

/// Narrows the font of `button` (its stretch, down to half) until its caption fits with
/// `margin` pixels to spare on each side, measured exactly, also at a fractional scale.
void FitCaption(QPushButton& button, int margin = 4);

/// Narrows the font of `label` until its caption, starting at the label's left edge,
/// ends at `right` or before.
void FitCaption(QLabel& label, int right);

/// Moves a top-level window so that its outer rectangle sits in the middle of its screen.
void CentreOnScreen(QWidget& window);

} // namespace ombrix
