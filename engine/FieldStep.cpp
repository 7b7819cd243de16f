// The generation step for any field: the wrap border, the split into bands of
// columns, how many threads step them, and the window's field as one such field.
#include "FieldView.h"
#include "Random.h"
#include "StepKernel.h"
#include "StepThreads.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace ombrix {

namespace detail {

namespace {

void CheckView(const TFieldView& f) {
    if (f.Cells == nullptr || f.Width < 1 || f.Width > MaxFieldSide || f.Height < 1 ||
        f.Height > MaxFieldSide || f.Stride < static_cast<std::ptrdiff_t>(f.Height) + 2)
        throw std::invalid_argument("field size out of range");
}

// Top and bottom rows first: straight copies on the plain grid, copies of the column
// half a tile further on (wrapping) when tile rows are shifted. Then the left and
// right columns, corners included.
void FillBorder(const TFieldView& f, std::int32_t tiling) {
    const int w = f.Width;
    const int h = f.Height;
    const int half = w / 2;
    for (int x = 1; x <= w; ++x) {
        int source = x;
        if (tiling != 0) {
            source = x + half;
            if (source > w)
                source -= w;
        }
        f.At(x, 0) = f.At(source, h);
        f.At(x, h + 1) = f.At(source, 1);
    }
    const std::size_t column = sizeof(std::int32_t) * (static_cast<std::size_t>(h) + 2);
    std::memcpy(&f.At(0, 0), &f.At(w, 0), column);
    std::memcpy(&f.At(w + 1, 0), &f.At(1, 0), column);
}

std::int32_t* AlignedScratch(std::int32_t* p) {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    return p + ((64 - address % 64) % 64) / sizeof(std::int32_t);
}

} // namespace

int ThreadCount(int width, int height, int threads) {
    if (threads <= 0) {
        // Waking a thread costs about as much as stepping this many cells.
        constexpr long long cellsPerThread = 1 << 16;
        const long long cells = static_cast<long long>(width) * height;
        const auto useful = static_cast<int>(std::max(1LL, cells / cellsPerThread));
        threads =
            std::min(useful, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    }
    return std::clamp(threads, 1, width);
}

namespace {

// Several bands per thread, taken in turn by whichever thread is free, so that a
// thread the system holds back delays the step by little.
int BandCount(int width, int threads) {
    return threads == 1 ? 1 : std::min(width, threads * 8);
}

std::size_t KernelRoom(int width, int height, int threads) {
    const int bands = BandCount(width, threads);
    return KernelScratchCells((width + bands - 1) / bands, height) + 16;
}

} // namespace

std::size_t StepScratchCells(int width, int height, int threads) {
    threads = std::clamp(threads, 1, width);
    const std::size_t column = static_cast<std::size_t>(height) + 2;
    return static_cast<std::size_t>(threads) * KernelRoom(width, height, threads) +
           static_cast<std::size_t>(BandCount(width, threads)) * 2 * column;
}

void StepFieldWith(TFieldView f, const TRuleParams& rule, int threads, const TStepKernel& kernel,
                   std::int32_t* scratch) {
    FillBorder(f, rule.TilingType);
    threads = std::clamp(threads, 1, f.Width);
    const int bands = BandCount(f.Width, threads);

    const std::size_t room = KernelRoom(f.Width, f.Height, threads);
    const std::size_t column = static_cast<std::size_t>(f.Height) + 2;
    std::int32_t* copies = scratch + room * static_cast<std::size_t>(threads);
    const auto makeJob = [&](int k) {
        TBandJob job;
        job.Cells = f.Cells;
        job.Stride = f.Stride;
        job.Height = f.Height;
        job.First = 1 + static_cast<int>(static_cast<long long>(f.Width) * k / bands);
        job.Last = static_cast<int>(static_cast<long long>(f.Width) * (k + 1) / bands);
        // The neighbouring columns as they are before any band writes.
        std::int32_t* before = copies + 2 * column * static_cast<std::size_t>(k);
        std::int32_t* after = before + column;
        std::memcpy(before, &f.At(job.First - 1, 0), column * sizeof(std::int32_t));
        std::memcpy(after, &f.At(job.Last + 1, 0), column * sizeof(std::int32_t));
        job.Before = before;
        job.After = after;
        job.Ill = rule.UseColCnt - 1;
        job.Growth = rule.PrmG;
        job.K1 = rule.PrmK1;
        job.K2 = rule.PrmK2;
        job.Scratch = nullptr;
        return job;
    };
    if (bands == 1) {
        TBandJob job = makeJob(0);
        job.Scratch = AlignedScratch(scratch);
        kernel.Step(job);
        return;
    }
    std::vector<TBandJob> jobs;
    jobs.reserve(static_cast<std::size_t>(bands));
    for (int k = 0; k < bands; ++k)
        jobs.push_back(makeJob(k));

    std::atomic<int> nextBand{0};
    const auto work = [&](int worker) {
        std::int32_t* own = AlignedScratch(scratch + room * static_cast<std::size_t>(worker));
        for (int k = nextBand++; k < bands; k = nextBand++) {
            TBandJob job = jobs[static_cast<std::size_t>(k)];
            job.Scratch = own;
            kernel.Step(job);
        }
    };
    TStepThreads::Shared().Run(threads, work);
}

} // namespace detail

TLargeField::TLargeField(int width, int height) : Width_(width), Height_(height) {
    if (width < 1 || width > MaxFieldSide || height < 1 || height > MaxFieldSide)
        throw std::invalid_argument("field size out of range");
    Cells_.assign((static_cast<std::size_t>(width) + 2) * static_cast<std::size_t>(Stride()), 0);
}

TFieldView TLargeField::View() {
    return TFieldView{Cells_.data(), Stride(), Width_, Height_};
}

TRuleParams RuleOf(const TFieldModel& m) {
    return TRuleParams{m.UseColCnt, m.PrmG, m.PrmK1, m.PrmK2, m.TilingType};
}

TFieldView ViewOf(TFieldModel& m) {
    return TFieldView{&m.Field[0][0], MaxAreaH + 2, m.AreaW, m.AreaH};
}

void StepField(TFieldView field, const TRuleParams& rule, int threads) {
    detail::CheckView(field);
    threads = detail::ThreadCount(field.Width, field.Height, threads);
    std::vector<std::int32_t> scratch(detail::StepScratchCells(field.Width, field.Height, threads));
    detail::StepFieldWith(field, rule, threads, detail::BestStepKernel(), scratch.data());
}

void StepField(TLargeField& field, const TRuleParams& rule, int threads) {
    threads = detail::ThreadCount(field.Width_, field.Height_, threads);
    const std::size_t cells = detail::StepScratchCells(field.Width_, field.Height_, threads);
    if (field.Scratch_.size() < cells)
        field.Scratch_.resize(cells);
    detail::StepFieldWith(field.View(), rule, threads, detail::BestStepKernel(),
                          field.Scratch_.data());
}

// The window's field: one band on the calling thread, scratch on the stack.
void StepField(TFieldModel& m) {
    std::array<std::int32_t,
               detail::KernelScratchCells(MaxAreaW, MaxAreaH) + 16 + 2 * (MaxAreaH + 2)>
        scratch;
    detail::StepFieldWith(ViewOf(m), RuleOf(m), 1, detail::BestStepKernel(), scratch.data());
}

void InitField(TFieldView field, std::int32_t useColCnt) {
    for (int x = 1; x <= field.Width; ++x) {
        std::int32_t* column = &field.At(x, 0);
        for (int y = 1; y <= field.Height; ++y)
            column[y] = Random(useColCnt);
    }
}

void InitField(TFieldModel& m) {
    InitField(ViewOf(m), m.UseColCnt);
}

} // namespace ombrix
