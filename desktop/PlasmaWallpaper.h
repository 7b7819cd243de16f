// Choosing the Ombrix Live wallpaper package (plasma/) for every desktop of a running Plasma
// shell, through its script interface (org.kde.PlasmaShell.evaluateScript) on the session
// bus. Nothing waits: the bus is reached without waiting (BusConnect.h), the call goes out
// asynchronously, and one answer arrives as a signal within a deadline, whatever the shell
// does.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QTimer>

#include <chrono>

namespace ombrix {

/// The wallpaper package's id, as installed under share/plasma/wallpapers/.
inline constexpr char PlasmaLiveId[] = "io.github.ombrix.Ombrix.Live";

/// True in a KDE Plasma session (XDG_CURRENT_DESKTOP names KDE).
bool IsPlasmaSession(const QProcessEnvironment& environment);

/// The shell script that sets the wallpaper `id` on every desktop and prints how many.
QString PlasmaWallpaperScript(const QString& id);

class TPlasmaWallpaper : public QObject {
    Q_OBJECT
public:
    explicit TPlasmaWallpaper(QObject* parent = nullptr);
    ~TPlasmaWallpaper() override;

    /// Sets the wallpaper `id` on every desktop through the bus at `busAddress`. Answered
    /// follows once, from the event loop, at the latest after `deadline`.
    void Start(const QString& busAddress, const QString& id,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));

signals:
    /// An empty text when the shell took the wallpaper, else why not (translated words).
    void Answered(const QString& reason);

private:
    void Call(QDBusConnection bus);
    void Reply(const QString& reason);

    QString Id_;
    QString ConnectionName_;
    QTimer Deadline_;
    bool Replied_ = false;
};

} // namespace ombrix
