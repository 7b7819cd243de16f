// The desktop portal's Wallpaper interface, spoken over the session bus.
#pragma once

#include "DesktopBackground.h"

#include <optional>

namespace ombrix {

/// The portal's answer, or why there was none.
struct TPortalAnswer {
    /// 0 set, 1 cancelled by the user, 2 (or other) failed; empty when no answer came.
    std::optional<unsigned> Response;
    /// Why there is no answer: no bus, no portal, no Wallpaper interface, no reply in time.
    QString Reason;
};

/// Calls org.freedesktop.portal.Wallpaper.SetWallpaperFile on the bus at `busAddress`
/// with the file `path` passed as a descriptor, set-on "background" and no preview, and
/// waits up to `timeout` ms for the request's Response signal.
TPortalAnswer SetWallpaperThroughPortal(const QString& busAddress, const QString& path,
                                        int timeout);

} // namespace ombrix
