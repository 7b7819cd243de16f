#include "StillMode.h"

#include "ErrorWords.h"
#include "WallpaperStore.h"

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
    connect(&Publisher_, &TWallpaperPublisher::Finished, this,
            [](const TBackgroundResult& result, const QString& path) {
                if (result.Outcome == TBackgroundOutcome::Failed)
                    std::fprintf(stderr, "ombrix-live: %s\n",
                                 BackgroundFailureMessage(result, path).toLocal8Bit().constData());
            });
    Timer_.start();
    QTimer::singleShot(0, this, [this] { SetFrame(); });
}

void TStillMode::SetFrame() {
    if (Core_.Paused())
        return;
    const bool wall = Width_ > 0 && Height_ > 0;
    try {
        const TPixelImage picture =
            wall ? Core_.WallPicture(Width_, Height_) : Core_.PatternPicture();
        // A pattern where the desktop cannot repeat one becomes a picture of the screen.
        Publisher_.Publish(DataFolder(), picture,
                           wall ? TWallpaperKind::Screen : TWallpaperKind::Tile,
                           QSize(Width_, Height_), TDesktopSession::FromEnvironment(Session_));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ombrix-live: generation %llu was not set as the background: %s\n",
                     static_cast<unsigned long long>(Core_.Generation()),
                     ExceptionWords(error).c_str());
    }
}

} // namespace ombrix
