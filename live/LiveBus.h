// The live wallpaper on the session bus, so that keyboard shortcuts and scripts can drive
// it, and its watch of the power supply on the system bus. Nothing here waits on a bus:
// connections are made as BusConnect.h makes them and give up after a deadline, calls are
// answered through the event loop, so a bus that never answers leaves the program running
// without it.
#pragma once

#include "BusConnect.h"
#include "LiveCore.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace ombrix {

inline constexpr char LiveBusName[] = "io.github.ombrix.Ombrix.Live";
inline constexpr char LiveObjectPath[] = "/io/github/ombrix/Ombrix/Live";
inline constexpr char LiveInterface[] = "io.github.ombrix.Ombrix.Live";

/// The object /io/github/ombrix/Ombrix/Live: Pause(), Resume(), Quit(), the properties
/// Generation (t) and Paused (b). PropertiesChanged announces Paused at once, and
/// Generation with it, at most once a second while running, and at every pause. The calls
/// are obeyed for the program's own user only (the bus says whose a caller is); others get
/// org.freedesktop.DBus.Error.AccessDenied.
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
    void Pause(const QDBusMessage& call);
    void Resume(const QDBusMessage& call);
    void Quit(const QDBusMessage& call);

private:
    // Runs `action` and answers `call` once the bus said the caller is our own user.
    void Obey(const QDBusMessage& call, std::function<void()> action);
    void Answer(const QDBusMessage& call, bool ours, const std::function<void()>& action);
    void Announce(const QVariantMap& changed);

    TLiveCore& Core_;
    QDBusConnection Connection_;
    std::function<void()> Quit_;
    QTimer GenerationTimer_;
    QHash<QString, bool> Ours_; // by the callers' unique names, which are never reused
};

/// Takes the bus name for the desktop's live wallpaper, taking it over from one that runs
/// (which then ends), and exports the control object. `lost` runs when the bus says that
/// another one took the name over (a NameLost from anyone else is passed over). Messages go to
/// standard error.
class TLiveBus : public QObject {
    Q_OBJECT
public:
    TLiveBus(TLiveCore& core, std::function<void()> quit, std::function<void()> lost);

private slots:
    void OnNameLost(const QString& name, const QDBusMessage& message);

private:
    void Claim(QDBusConnection connection);

    TLiveCore& Core_;
    std::function<void()> Quit_;
    std::function<void()> Lost_;
    QObject Exported_;
    bool Owner_ = false;
};

/// Follows UPower's OnBattery on the system bus; `changed` runs with each new value.
/// Without a system bus or UPower nothing runs. Only UPower itself is believed: a change
/// announced by another connection only has UPower asked again, and a value that is not
/// a boolean counts as not on battery.
class TBatteryWatch : public QObject {
    Q_OBJECT
public:
    explicit TBatteryWatch(std::function<void(bool onBattery)> changed);

private slots:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated, const QDBusMessage& message);

private:
    void Ask();

    std::optional<QDBusConnection> Bus_;
    std::function<void(bool)> Changed_;
    QString Owner_; // UPower's unique name, from its last answer
    bool Asking_ = false;
};

/// Sends Pause, Resume or Quit (`method`) to the running live wallpaper and waits for the
/// answer at most BusDeadline. Returns 0 when one answered, 1 with a message on standard
/// error when none runs or the bus did not answer. Needs a QCoreApplication.
int CallRunningLive(const QString& method);

} // namespace ombrix
