// The generation rule transcribed as it reads, value by value, with no attempt at
// speed: the yardstick that tests and benchmarks hold StepField against.
#pragma once

#include "FieldModel.h"
#include "FieldView.h"

#include <vector>

namespace ombrix::testing {

// The rule as it reads: fill the border, scan each 3 x 3 block value by value, holding
// the next states aside, then copy them back.
inline void ReferenceStep(TFieldModel& m) {
    const int w = m.AreaW, h = m.AreaH, u = m.UseColCnt, half = w / 2;
    std::vector<int> nextField(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    const auto next = [&](int x, int y) -> int& {
        return nextField[static_cast<std::size_t>(x - 1) * static_cast<std::size_t>(h) +
                         static_cast<std::size_t>(y - 1)];
    };
    for (int x = 1; x <= w; ++x) {
        int sx = x;
        if (m.TilingType != 0) {
            sx = x + half;
            if (sx > w)
                sx -= w;
        }
        m.Field[x][0] = m.Field[sx][h];
        m.Field[x][h + 1] = m.Field[sx][1];
    }
    for (int y = 0; y <= h + 1; ++y) {
        m.Field[0][y] = m.Field[w][y];
        m.Field[w + 1][y] = m.Field[1][y];
    }
    for (int x = 1; x <= w; ++x) {
        for (int y = 1; y <= h; ++y) {
            const int c = m.Field[x][y];
            if (c == u - 1) {
                next(x, y) = 0;
                continue;
            }
            int infected = 0, ill = 0, sum = 0;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    const int v = m.Field[x + dx][y + dy];
                    if (v <= 0)
                        continue;
                    if (v == u - 1)
                        ++ill;
                    else
                        ++infected;
                    sum += v;
                }
            }
            int value;
            if (c == 0) {
                value = infected / m.PrmK1 + ill / m.PrmK2;
            } else {
                value = sum / infected + m.PrmG;
                if (value > u - 1)
                    value = u - 1;
            }
            next(x, y) = value;
        }
    }
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y)
            m.Field[x][y] = next(x, y);
}

// The same rule on a field of any size, with next states held aside in `next` until
// the end.
inline void ReferenceStep(TFieldView f, const TRuleParams& r, std::vector<int>& next) {
    const int w = f.Width, h = f.Height, u = r.UseColCnt, half = w / 2;
    for (int x = 1; x <= w; ++x) {
        int sx = x;
        if (r.TilingType != 0) {
            sx = x + half;
            if (sx > w)
                sx -= w;
        }
        f.At(x, 0) = f.At(sx, h);
        f.At(x, h + 1) = f.At(sx, 1);
    }
    for (int y = 0; y <= h + 1; ++y) {
        f.At(0, y) = f.At(w, y);
        f.At(w + 1, y) = f.At(1, y);
    }
    next.resize(static_cast<std::size_t>(w) * h);
    for (int x = 1; x <= w; ++x) {
        for (int y = 1; y <= h; ++y) {
            const int c = f.At(x, y);
            int& out = next[static_cast<std::size_t>(x - 1) * h + (y - 1)];
            if (c == u - 1) {
                out = 0;
                continue;
            }
            int infected = 0, ill = 0, sum = 0;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    const int v = f.At(x + dx, y + dy);
                    if (v <= 0)
                        continue;
                    if (v == u - 1)
                        ++ill;
                    else
                        ++infected;
                    sum += v;
                }
            }
            if (c == 0) {
                out = infected / r.PrmK1 + ill / r.PrmK2;
            } else {
                out = sum / infected + r.PrmG;
                if (out > u - 1)
                    out = u - 1;
            }
        }
    }
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y)
            f.At(x, y) = next[static_cast<std::size_t>(x - 1) * h + (y - 1)];
}

inline void ReferenceStep(TFieldView f, const TRuleParams& r) {
    std::vector<int> next;
    ReferenceStep(f, r, next);
}

} // namespace ombrix::testing
