// The live wallpaper on the session bus, so that keyboard shortcuts and scripts can drive
// it, and its watch of the power supply on the system bus. Nothing here waits on a bus:
// connecting runs on a worker thread and gives up after a deadline, calls are answered
// through the event loop, so a bus that never answers leaves the program running without
// it.
#pragma once

#include "LiveCore.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <optional>

namespace ombrix {

inline constexpr char LiveBusName[] = "io.github.ombrix.Ombrix.Live";
inline constexpr char LiveObjectPath[] = "/io/github/ombrix/Ombrix/Live";
inline constexpr char LiveInterface[] = "io.github.ombrix.Ombrix.Live";

/// How long a connection or a call may take before the program carries on without it.
inline constexpr std::chrono::milliseconds BusDeadline{3000};

/// Connects to the bus of `type` on a worker thread; `done` runs on `context`'s thread
/// with the connection, or with nothing when there is no bus or it did not answer within
/// `deadline`. `context` must outlive the deadline.
void ConnectBusLater(QDBusConnection::BusType type, QObject* context,
                     std::function<void(std::optional<QDBusConnection>)> done,
                     std::chrono::milliseconds deadline = BusDeadline);

/// The object /io/github/ombrix/Ombrix/Live: Pause(), Resume(), Quit(), the properties
/// Generation (t) and Paused (b). PropertiesChanged announces Paused at once, and
/// Generation with it, at most once a second while running, and at every pause.
class TLiveAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.ombrix.Ombrix.Live")
    Q_PROPERTY(qulonglong Generation READ Generation)
    Q_PROPERTY(bool Paused READ Paused)
public:
    /// `object` is the exported object (the adaptor's parent); `quit` ends the program.
    TLiveAdaptor(QObject* object, TLiveCore& core, QDBusConnection connection,
                 std::function<void()> quit);

    qulonglong Generation() const { return Core_.Generation(); }
    bool Paused() const { return Core_.Paused(); }

public slots:
    void Pause() { Core_.Pause(); }
    void Resume() { Core_.Resume(); }
    void Quit() { Quit_(); }

private:
    void Announce(const QVariantMap& changed);

    TLiveCore& Core_;
    QDBusConnection Connection_;
    std::function<void()> Quit_;
    QTimer GenerationTimer_;
};

/// Takes the bus name for the desktop's live wallpaper, taking it over from one that runs
/// (which then ends), and exports the control object. `lost` runs when another one takes
/// the name over. Messages go to standard error.
class TLiveBus : public QObject {
    Q_OBJECT
public:
    TLiveBus(TLiveCore& core, std::function<void()> quit, std::function<void()> lost);

private slots:
    void OnNameLost(const QString& name);

private:
    void Claim(QDBusConnection connection);

    TLiveCore& Core_;
    std::function<void()> Quit_;
    std::function<void()> Lost_;
    QObject Exported_;
    bool Owner_ = false;
};

/// Follows UPower's OnBattery on the system bus; `changed` runs with each new value.
/// Without a system bus or UPower nothing runs.
class TBatteryWatch : public QObject {
    Q_OBJECT
public:
    explicit TBatteryWatch(std::function<void(bool onBattery)> changed);

private slots:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void Ask();

    std::optional<QDBusConnection> Bus_;
    std::function<void(bool)> Changed_;
};

/// Sends Pause, Resume or Quit (`method`) to the running live wallpaper and waits for the
/// answer at most BusDeadline. Returns 0 when one answered, 1 with a message on standard
/// error when none runs or the bus did not answer. Needs a QCoreApplication.
int CallRunningLive(const QString& method);

} // namespace ombrix
