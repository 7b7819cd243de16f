// Conversions between the program's colour values (0x00BBGGRR) and Qt's colours.
// The high byte of a colour value takes no part in drawing.
#pragma once

#include "FieldModel.h"

#include <QColor>
#include <QRgb>

namespace ombrix {

constexpr QRgb ToQRgb(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr TColor FromQRgb(QRgb rgb) {
    return ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}
inline QColor ToQColor(TColor c) {
    return QColor::fromRgb(ToQRgb(c));
}
inline TColor FromQColor(const QColor& color) {
    return FromQRgb(color.rgb());
}

} // namespace ombrix
