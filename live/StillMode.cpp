#include "StillMode.h"

#include "Render.h"

#include <algorithm>
#include <cstdio>

namespace ombrix {

std::int64_t StillGenerations(std::int32_t minutes, std::int32_t interval) {
    return std::min(MaxStillGenerations, std::int64_t{minutes} * 60000 / std::max(interval, 1));
}

TStillMode::TStillMode(TLiveCore& core, std::int32_t minutes, std::int32_t interval, int width,
                       int height, QProcessEnvironment session)
    : Core_(core), Generations_(StillGenerations(minutes, interval)), Width_(width),
      Height_(height), Session_(std::move(session)) {
    Timer_.setInterval(std::chrono::minutes(minutes));
    connect(&Timer_, &QTimer::timeout, this, [this] {
        Core_.Grow(Generations_);
        SetFrame();
    });
    Timer_.start();
    QTimer::singleShot(0, this, [this] { SetFrame(); });
}

void TStillMode::SetFrame() {
    if (Core_.Paused())
        return;
    try {
        if (Width_ > 0 && Height_ > 0)
            SetAsDesktopBackground(Core_.WallPicture(Width_, Height_), TOutputKind::Wall, Session_);
        else
            SetAsDesktopBackground(Core_.PatternPicture(), TOutputKind::Tile, Session_);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ombrix-live: generation %llu was not set as the background: %s\n",
                     static_cast<unsigned long long>(Core_.Generation()), error.what());
    }
}

} // namespace ombrix
