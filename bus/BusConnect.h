// Connecting to a D-Bus bus without ever waiting on it. Qt's own connect waits for its
// single D-Bus thread, which holds a lock through libdbus's login and greeting (Hello,
// 25 s by default): a bus that accepts and never answers would freeze the caller and
// every other bus call of the process. So the bus is first tried here, on the caller's
// event loop, with a login and a greeting of our own; only a bus that answered both gets
// Qt's connection, made on a worker thread. Everything ends at a deadline, and the answer
// comes back through the caller's event loop, never after its owner is gone.
//
// A session without a bus address has no session bus: no bus is started for the occasion
// (libdbus would start one on X11 that outlives the program).
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace ombrix {

enum class TBus { Session, System };

/// How long a connection, or a call on it, may take before the program carries on without.
inline constexpr std::chrono::milliseconds BusDeadline{3000};

/// The address of `bus` as the environment gives it: DBUS_SESSION_BUS_ADDRESS (empty when
/// unset: no session bus), DBUS_SYSTEM_BUS_ADDRESS or the system bus's standard socket.
QString BusAddress(TBus bus);

/// Why there is no connection.
enum class TBusFailure {
    None,
    NoAddress,    ///< no address given
    NotFound,     ///< nothing listens at the address
    Refused,      ///< the socket refused the connection
    NoPermission, ///< no right to the socket
    LoginRefused, ///< the bus said no to our login (Detail: its answer)
    Nonsense,     ///< the bus answered something that is not D-Bus
    NoAnswer,     ///< no answer to the login or greeting within the deadline
    Other,        ///< Qt's connection failed (Detail: its words)
};

struct TBusAnswer {
    std::optional<QDBusConnection> Connection;
    TBusFailure Failure = TBusFailure::None;
    QString Address;
    QString Detail;
};

/// Says why there is no connection, in the program's words (the window's translation in
/// the window, English elsewhere); empty for a connection.
QString BusFailureWords(const TBusAnswer& answer);

/// Connects to the bus at `address` (a D-Bus address, several separated by ';'). `done`
/// runs once, from the event loop of the calling thread, with the connection or why there
/// is none, at the latest `deadline` after the call; never when `owner` (not null, living
/// on the calling thread) is gone first, in which case a connection made late is closed.
/// Never blocks the calling thread.
void ConnectBus(const QString& address, QObject* owner, std::function<void(TBusAnswer)> done,
                std::chrono::milliseconds deadline = BusDeadline);

} // namespace ombrix
