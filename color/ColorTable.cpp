#include "ColorTable.h"

#include "Random.h"

namespace ombrix {

TColor RandomColor() {
    const std::uint32_t blue = static_cast<std::uint32_t>(Random(256));
    const std::uint32_t green = static_cast<std::uint32_t>(Random(256));
    const std::uint32_t red = static_cast<std::uint32_t>(Random(256));
    return PackColor(red, green, blue);
}

void MakeColorTable(TFieldModel& m) {
    const std::int32_t count = m.UseColCnt;
    if (count <= 0)
        return;
    for (std::int32_t a = 0; a < m.ColDiv; ++a) {
        const std::int32_t start = a * count / m.ColDiv;
        const std::int32_t end = (a + 1) * count / m.ColDiv;
        const TColor c1 = m.ColorTable[start];
        const TColor c2 = m.ColorTable[end % count];
        const std::int32_t length = end - start;
        for (std::int32_t j = 1; j < length; ++j) {
            auto channel = [&](std::uint32_t from, std::uint32_t to) {
                const std::int32_t f = static_cast<std::int32_t>(from);
                const std::int32_t t = static_cast<std::int32_t>(to);
                return static_cast<std::uint32_t>(f + (t - f) * j / length);
            };
            m.ColorTable[(start + j) % count] =
                PackColor(channel(RedOf(c1), RedOf(c2)), channel(GreenOf(c1), GreenOf(c2)),
                          channel(BlueOf(c1), BlueOf(c2)));
        }
    }
}

void RandomizeColorTable(TFieldModel& m) {
    for (std::int32_t i = 0; i < m.UseColCnt; ++i)
        m.ColorTable[i] = RandomColor();
}

Stripe StripeOf(int i, int width, int useColCnt) {
    return {i * width / useColCnt, (i + 1) * width / useColCnt};
}

std::optional<int> PickedKeyEntry(int x, int width, int useColCnt, int colDiv) {
    if (x < 0 || x >= width || colDiv <= 0)
        return std::nullopt;
    const int zone = colDiv * x / width;
    return zone * useColCnt / colDiv;
}

} // namespace ombrix
