// The state-to-colour table: random key colours, the closed gradient between them,
// and the geometry of the colour strip that shows the table.
#pragma once

#include "FieldModel.h"

#include <cstdint>
#include <optional>

namespace ombrix {

/// Builds 0x00BBGGRR from the low 8 bits of each channel.
constexpr TColor PackColor(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr std::uint32_t RedOf(TColor c) {
    return c & 0xFFu;
}
constexpr std::uint32_t GreenOf(TColor c) {
    return (c >> 8) & 0xFFu;
}
constexpr std::uint32_t BlueOf(TColor c) {
    return (c >> 16) & 0xFFu;
}

/// One random colour from three draws of Random(256): blue first, then green, then red.
TColor RandomColor();

/// Rewrites the inner entries of every gradient segment from the key entries
/// K(a) = a * UseColCnt div ColDiv; the last segment leads back to entry 0.
/// Key entries and entries at or above UseColCnt are never written.
void MakeColorTable(TFieldModel& model);

/// Fills entries 0..UseColCnt-1 with RandomColor() in ascending order.
void RandomizeColorTable(TFieldModel& model);

/// The horizontal extent [Left, Right) of entry i's stripe on a strip `width` pixels wide.
struct Stripe {
    int Left;
    int Right;
};
Stripe StripeOf(int i, int width, int useColCnt);

/// The key entry picked by a release at x on a strip `width` pixels wide, or nothing
/// when x lies outside the strip (a release past either end picks no entry).
std::optional<int> PickedKeyEntry(int x, int width, int useColCnt, int colDiv);

} // namespace ombrix
