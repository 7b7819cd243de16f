#include "TestModel.h"
#include "Random.h"

namespace ombrix::testing {

std::unique_ptr<TFieldModel> BlankModel() {
    return std::make_unique<TFieldModel>();
}

std::unique_ptr<TFieldModel> NewModel(int w, int h, int useColCnt, int tiling) {
    auto m = BlankModel();
    m->AreaW = w;
    m->AreaH = h;
    m->UseColCnt = useColCnt;
    m->ColDiv = Defaults::ColDiv;
    m->PrmG = Defaults::PrmG;
    m->PrmK1 = Defaults::PrmK1;
    m->PrmK2 = Defaults::PrmK2;
    m->TilingType = tiling;
    return m;
}

std::unique_ptr<TFieldModel> SeededModel(int w, int h, int tiling) {
    auto m = NewModel(w, h, Defaults::UseColCnt, tiling);
    const RandomStateGuard seed(0);
    InitField(*m);
    return m;
}

void FillField(TFieldModel& model, std::int32_t value) {
    for (auto& column : model.Field)
        for (auto& cell : column)
            cell = value;
}

std::uint32_t SeedAfter(int n) {
    std::uint32_t seed = 0;
    for (int i = 0; i < n; ++i)
        seed = seed * 134775813u + 1u;
    return seed;
}

RandomStateGuard::RandomStateGuard(std::uint32_t seed) : Saved_(RandSeed) {
    RandSeed = seed;
}

RandomStateGuard::~RandomStateGuard() {
    RandSeed = Saved_;
}

} // namespace ombrix::testing
