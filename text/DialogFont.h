// The font of the program's forms and of the text stamp, and the substitutes that make
// the forms' font names (Windows fonts) resolve to fonts installed here. Qt Gui only: the
// command-line programs use them without the widget toolkit.
#pragma once

class QFont;

namespace ombrix {

/// The dialogs' font: "ＭＳ Ｐゴシック" at the given height in pixels.
QFont DialogFont(int pixelHeight);

/// Makes the program's font names resolve to installed fonts: the Japanese
/// Gothic and Mincho faces and Times New Roman, where they are missing.
void InstallFontSubstitutes();

} // namespace ombrix
