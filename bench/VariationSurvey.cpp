// Which rule parameters let patterns form: draws variations from the whole ranges, grows
// each for 300 generations on the gallery's 128 x 64 field and counts those that die out,
// freeze or are noise, by parameter; then does the same within the gallery's ranges.
//
//     ombrix_variation_survey [draws]     (default 4000)
#include "Random.h"
#include "Variation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace ombrix;

namespace {

struct TTally {
    int Draws = 0;
    int Dead = 0;
    int Frozen = 0;
    int Noise = 0;
    void Add(TFieldFate fate) {
        ++Draws;
        Dead += fate == TFieldFate::DiesOut;
        Frozen += fate == TFieldFate::Freezes;
        Noise += fate == TFieldFate::Noise;
    }
    double FailedShare() const { return Draws ? 100.0 * (Dead + Frozen) / Draws : 0.0; }
    double NoiseShare() const { return Draws ? 100.0 * Noise / Draws : 0.0; }
};

void Print(const char* name, const std::map<int, TTally>& byValue, const char* unit) {
    std::printf("%s\n", name);
    for (const auto& [value, tally] : byValue)
        std::printf("  %s %3d..: %5d draws, %5.1f %% die out or freeze (%d dead, %d frozen), "
                    "%5.1f %% noise\n",
                    unit, value, tally.Draws, tally.FailedShare(), tally.Dead, tally.Frozen,
                    tally.NoiseShare());
}

} // namespace

int main(int argc, char** argv) {
    const int draws = argc > 1 ? std::atoi(argv[1]) : 4000;
    const TLook base; // 128 x 64
    TRandomStream stream(20261208);
    TTally all, lively, livelyDrawn;
    std::map<int, TTally> byG, byK1, byK2, byStates, byGPerStates;
    TTally byK1K2[11][11];
    for (int i = 0; i < draws; ++i) {
        stream.Run([&] {
            const TLook look = DrawVariation(base, WholeRanges);
            auto field = SeededFieldFor(look);
            const TFieldFate fate = Grow(*field, look, WarmUpGenerations);
            all.Add(fate);
            // PrmG and the states where PrmK1 and PrmK2 let patterns form
            const bool livelyK = look.PrmK2 <= LivelyRanges.PrmK2For(look.PrmK1).Max;
            if (livelyK)
                byG[look.PrmG < 10 ? look.PrmG : look.PrmG / 10 * 10].Add(fate);
            byK1[look.PrmK1].Add(fate);
            byK2[look.PrmK2].Add(fate);
            if (livelyK)
                byStates[look.UseColCnt / 16 * 16].Add(fate);
            if (livelyK)
                byGPerStates[std::min(100, look.PrmG * 100 / look.UseColCnt / 5 * 5)].Add(fate);
            byK1K2[look.PrmK1][look.PrmK2].Add(fate);
            if (LivelyRanges.Contains(look))
                lively.Add(fate);
        });
    }
    for (int i = 0; i < draws; ++i) {
        stream.Run([&] {
            const TLook look = DrawVariation(base, LivelyRanges);
            auto field = SeededFieldFor(look);
            livelyDrawn.Add(Grow(*field, look, WarmUpGenerations));
        });
    }
    Print("PrmG, where PrmK1 and PrmK2 lie in the gallery's ranges", byG, "G");
    Print("PrmK1", byK1, "K1");
    Print("PrmK2", byK2, "K2");
    Print("UseColCnt, likewise", byStates, "U");
    Print("PrmG per 100 states, likewise", byGPerStates, "G/U");
    std::printf("die out or freeze in %%, PrmK1 down, PrmK2 across\n     ");
    for (int k2 = 1; k2 <= 10; ++k2)
        std::printf("%5d", k2);
    std::printf("\n");
    for (int k1 = 1; k1 <= 10; ++k1) {
        std::printf("  %2d ", k1);
        for (int k2 = 1; k2 <= 10; ++k2)
            std::printf("%5.0f", byK1K2[k1][k2].FailedShare());
        std::printf("\n");
    }
    std::printf("whole ranges: %d draws, %.1f %% die out or freeze, %.1f %% noise\n", all.Draws,
                all.FailedShare(), all.NoiseShare());
    std::printf("of them within the gallery's ranges: %d draws, %.1f %%, %.1f %% noise\n",
                lively.Draws, lively.FailedShare(), lively.NoiseShare());
    std::printf("drawn from the gallery's ranges: %d draws, %.1f %% (%d dead, %d frozen), "
                "%.1f %% noise\n",
                livelyDrawn.Draws, livelyDrawn.FailedShare(), livelyDrawn.Dead, livelyDrawn.Frozen,
                livelyDrawn.NoiseShare());
    return 0;
}
