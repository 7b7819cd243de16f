// The font families installed here, as the command-line programs check a family given
// by name. Needs a QGuiApplication.
#pragma once

#include <QString>
#include <QStringList>

namespace ombrix {

/// Whether `family` names an installed family (in any case) or one the program's font
/// substitutes stand in for.
bool IsKnownFontFamily(const QString& family);

/// Up to `count` installed families closest to `family` in spelling (fewest letters
/// changed, case ignored), the closest first.
QStringList CloseFontFamilies(const QString& family, int count);

} // namespace ombrix
