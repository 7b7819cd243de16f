// Publishing a wallpaper: the one way the window, ombrix-render and the live program's
// still mode put a picture on the desktop. The picture is written into the program's
// wallpaper folder under a new name (desktops know what they show by its file name),
// the folder keeps the five newest, and the new file is set as the background through
// TBackgroundSetter. The outcome is one of three, and every front end maps it the same
// way:
//
//   outcome     the window                       ombrix-render
//   Done        nothing more to say              exit status 0
//   Cancelled   nothing (the user chose it)      "ombrix-render: cancelled ...", status 1
//   Failed      an error box with                BackgroundFailureMessage, status 1
//               BackgroundFailureMessage
//
// A signal that stops ombrix-render while the background is being set cancels the run
// and ends the program as the signal does (status 130 for SIGINT, 143 for SIGTERM).
#pragma once

#include "DesktopBackground.h"
#include "LiveEnd.h"
#include "PixelImage.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace ombrix {

class TWallpaperPublisher : public QObject {
    Q_OBJECT
public:
    /// Writes the picture to the path it is given; throws with the program's message
    /// when it cannot.
    using TWriter = std::function<void(const QString& path)>;

    explicit TWallpaperPublisher(QObject* parent = nullptr);

    /// Writes the picture with `write` as a new file in `dataFolder`/wallpapers, removes
    /// all but the five newest pictures there, and starts setting the new one; Finished
    /// follows once, never before Start returns. Returns the new file's path. Throws
    /// std::runtime_error, with nothing started, when the folder or the file cannot be
    /// made. A run still going is cancelled first (silently).
    QString Start(const QString& dataFolder, const TWriter& write, TWallpaperKind kind,
                  const TDesktopSession& session);
    /// Start with `picture` written as PNG. A Tile `picture` is a seamless rectangle (the
    /// shifted tiling's rows composed): where the session cannot repeat a tile (see
    /// CanTile) it is repeated to `screen`'s size and set as a Screen picture instead;
    /// throws std::runtime_error, with nothing started, when `screen` is empty then.
    QString Publish(const QString& dataFolder, const TPixelImage& picture, TWallpaperKind kind,
                    QSize screen, const TDesktopSession& session);
    /// Starts putting back the background that was there before Ombrix's (see
    /// PreviousBackground.h); Finished follows once, with no path. Throws as Start does
    /// when the folder cannot be made.
    void Restore(const QString& dataFolder, const TDesktopSession& session);
    /// From now on each Start and Restore first ends the live wallpaper at `place` and
    /// removes its autostart entry (see TLiveEnder), for front ends that put a still
    /// picture in its place; the live program's own still mode does not.
    void EndLiveFirst(const TLivePlace& place) { Live_ = place; }
    /// Stops a run; Finished says Cancelled. Destroying the publisher does the same,
    /// without the signal.
    void Cancel();
    bool Running() const { return Ender_.Running() || Setter_.Running(); }
    /// See TBackgroundSetter::Notification.
    QObject* Notification() const { return Setter_.Notification(); }

signals:
    /// `path` is the picture that was written, for the failure message; empty after
    /// Restore. `unsaved` says what could not be done about the live wallpaper (empty:
    /// all was, or there was nothing to do), whatever the outcome.
    void Finished(const ombrix::TBackgroundResult& result, const QString& path,
                  const QString& unsaved);

private:
    /// Runs `set` once the live wallpaper is ended, or at once.
    void AfterLive(std::function<void()> set);

    TBackgroundSetter Setter_;
    TLiveEnder Ender_;
    std::optional<TLivePlace> Live_;
    QString Path_;
    QString Unsaved_;
};

} // namespace ombrix
