// The text stamp: a line of text in a font and colour at the top-left corner of a grey
// picture as large as the field, one pixel per cell. Pixels of exactly the text's colour
// become healthy cells (0), every other pixel, blended glyph edges included, the middle
// state UseColCnt div 2 + 1. The text dialog stamps its sample this way on OK, and the
// command-line renderer its --text; both need fonts, so a QGuiApplication must exist.
#pragma once

#include "FieldModel.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>

class QPainter;
class QSize;

namespace ombrix {

/// The stamp text's font together with its colour.
struct TTextFont {
    QFont Font;
    QColor Color;
};

/// The stamp font before the user picks one: the dialogs' font, bold, 24 points, black.
TTextFont DefaultTextFont();

/// Draws the sample onto a surface of the given size: grey 0x808080 all over, then the
/// text with its top-left corner at (0, 0) on an opaque background of the same grey.
void DrawTextSample(QPainter& painter, QSize size, const QString& text, const TTextFont& font);

/// Gives the stamp of a width × height field row by row, from the top:
/// setRow(y, values) with values[x] the cell value for pixel (x, y), x = 0..width-1.
/// The picture is drawn in bands of rows, so a large field needs no picture of its size.
void StampText(int width, int height, std::int32_t useColCnt, const QString& text,
               const TTextFont& font,
               const std::function<void(int y, const std::int32_t* values)>& setRow);

/// Overwrites every live cell of the model's field with the stamp; the border and the
/// cells outside AreaW × AreaH are not touched.
void StampText(TFieldModel& model, const QString& text, const TTextFont& font);

} // namespace ombrix
