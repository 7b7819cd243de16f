// The generation rule transcribed as it reads, value by value, with no attempt at
// speed: the yardstick that tests and benchmarks hold StepField against.
#pragma once

#include "FieldModel.h"

namespace ombrix::testing {

// The rule as it reads: fill the border, scan each 3 x 3 block value by value,
// then copy the next states back.
inline void ReferenceStep(TFieldModel& m) {
    const int w = m.AreaW, h = m.AreaH, u = m.UseColCnt, half = w / 2;
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
                m.NextField[x - 1][y - 1] = 0;
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
            int next;
            if (c == 0) {
                next = infected / m.PrmK1 + ill / m.PrmK2;
            } else {
                next = sum / infected + m.PrmG;
                if (next > u - 1)
                    next = u - 1;
            }
            m.NextField[x - 1][y - 1] = next;
        }
    }
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y)
            m.Field[x][y] = m.NextField[x - 1][y - 1];
}

} // namespace ombrix::testing
