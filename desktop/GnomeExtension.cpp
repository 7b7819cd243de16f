#include "GnomeExtension.h"

#include "BusConnect.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>
#include <QVariantMap>

#include <chrono>
#include <memory>
#include <optional>

namespace ombrix {

namespace {

constexpr char Service[] = "org.gnome.Shell";
constexpr char Path[] = "/org/gnome/Shell";
constexpr char Interface[] = "org.gnome.Shell.Extensions";
constexpr int OldestShell = 43;
constexpr int FirstEsmShell = 45;

/// One request's state: `done` runs once, whichever comes first of the answer, a refusal
/// or the deadline; the connection is let go then.
struct TRequest {
    std::function<void(const TGnomeAnswer&)> Done;
    std::optional<QDBusConnection> Bus;
    bool Finished = false;

    void Finish(const TGnomeAnswer& answer) {
        if (Finished)
            return;
        Finished = true;
        if (Bus)
            QDBusConnection::disconnectFromBus(Bus->name());
        Done(answer);
    }
};

using TRequestPtr = std::shared_ptr<TRequest>;

// Sends `message` and hands the reply to `then` from the event loop.
void Ask(QObject* context, const QDBusMessage& message, const TRequestPtr& request,
         std::function<void(const QDBusMessage&)> then) {
    auto* watcher =
        new QDBusPendingCallWatcher(request->Bus->asyncCall(message, 60 * 1000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, request, then = std::move(then)] {
                         watcher->deleteLater();
                         if (!request->Finished)
                             then(watcher->reply());
                     });
}

TGnomeAnswer Refused(const QString& why) {
    return TGnomeAnswer{false, why};
}

void Enable(QObject* context, const TRequestPtr& request, const QString& uuid) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("EnableExtension"));
    call << uuid;
    Ask(context, call, request, [request, uuid](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage)
            return request->Finish(
                Refused(QCoreApplication::translate("GnomeExtension",
                                                    "GNOME Shell did not enable its extension (%1)")
                            .arg(reply.errorMessage())));
        const bool enabled = !reply.arguments().isEmpty() && reply.arguments().first().toBool();
        if (!enabled)
            return request->Finish(Refused(
                QCoreApplication::translate(
                    "GnomeExtension",
                    "GNOME Shell did not enable the extension %1: it is not installed where "
                    "the shell looks for extensions, or it failed to start")
                    .arg(uuid)));
        request->Finish(TGnomeAnswer{true, {}});
    });
}

void AskVersion(QObject* context, const TRequestPtr& request) {
    QDBusMessage properties = QDBusMessage::createMethodCall(
        Service, Path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    properties << QString::fromLatin1(Interface);
    Ask(context, properties, request, [context, request](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage)
            return request->Finish(
                Refused(QCoreApplication::translate(
                            "GnomeExtension",
                            "GNOME Shell does not offer extensions on the session bus (%1)")
                            .arg(reply.errorMessage())));
        const QVariantMap values = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        const QString version = values.value(QStringLiteral("ShellVersion")).toString();
        const QString uuid = GnomeExtensionFor(version);
        if (uuid.isEmpty())
            return request->Finish(
                Refused(QCoreApplication::translate(
                            "GnomeExtension",
                            "GNOME Shell %1 is older than the extension supports (43 or later)")
                            .arg(version.isEmpty() ? QStringLiteral("?") : version)));
        if (!values.value(QStringLiteral("UserExtensionsEnabled"), true).toBool())
            return request->Finish(Refused(QCoreApplication::translate(
                "GnomeExtension",
                "extensions are switched off in GNOME Shell (disable-user-extensions is set)")));
        // Enabled already, it runs on the settings of its start: disabled first, it starts
        // ombrix-live afresh on the ones the Live choice has just written.
        QDBusMessage disable = QDBusMessage::createMethodCall(Service, Path, Interface,
                                                              QStringLiteral("DisableExtension"));
        disable << uuid;
        Ask(context, disable, request,
            [context, request, uuid](const QDBusMessage&) { Enable(context, request, uuid); });
    });
}

} // namespace

bool GnomeShellOnWayland(const QProcessEnvironment& environment) {
    return !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() &&
           environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
               .split(QLatin1Char(':'))
               .contains(QStringLiteral("GNOME"));
}

QString GnomeExtensionFor(const QString& version) {
    bool number = false;
    const int major = version.section(QLatin1Char('.'), 0, 0).toInt(&number);
    if (!number || major < OldestShell)
        return {};
    return QString::fromLatin1(major < FirstEsmShell ? GnomeExtensionUuid : GnomeExtensionEsmUuid);
}

void EnableGnomeExtension(QObject* context, std::function<void(const TGnomeAnswer&)> done,
                          int deadlineMs) {
    auto request = std::make_shared<TRequest>();
    request->Done = std::move(done);
    QTimer::singleShot(deadlineMs, context, [request, deadlineMs] {
        request->Finish(Refused(
            QCoreApplication::translate("GnomeExtension",
                                        "GNOME Shell did not answer within %1 s on the session bus")
                .arg(deadlineMs / 1000)));
    });
    ConnectBus(
        BusAddress(TBus::Session), context,
        [context, request](const TBusAnswer& answer) {
            if (request->Finished) {
                if (answer.Connection) // too late: nobody asks any more
                    QDBusConnection::disconnectFromBus(answer.Connection->name());
                return;
            }
            if (!answer.Connection)
                return request->Finish(Refused(BusFailureWords(answer)));
            request->Bus = answer.Connection;
            AskVersion(context, request);
        },
        std::chrono::milliseconds(deadlineMs));
}

void DisableGnomeExtension(QObject* context, int deadlineMs) {
    auto request = std::make_shared<TRequest>();
    request->Done = [](const TGnomeAnswer&) {};
    QTimer::singleShot(deadlineMs, context, [request] { request->Finish({}); });
    ConnectBus(
        BusAddress(TBus::Session), context,
        [context, request](const TBusAnswer& answer) {
            if (!answer.Connection)
                return request->Finish({});
            request->Bus = answer.Connection;
            for (const char* uuid : {GnomeExtensionUuid, GnomeExtensionEsmUuid}) {
                QDBusMessage disable = QDBusMessage::createMethodCall(
                    Service, Path, Interface, QStringLiteral("DisableExtension"));
                disable << QString::fromLatin1(uuid);
                Ask(context, disable, request, [](const QDBusMessage&) {});
            }
        },
        std::chrono::milliseconds(deadlineMs));
}

} // namespace ombrix
