#include "PortalWallpaper.h"

#include "BusConnect.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QTimer>
#include <QVariantMap>

#include <atomic>

namespace ombrix {

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString WallpaperInterface = QStringLiteral("org.freedesktop.portal.Wallpaper");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

std::atomic<int> Requests{0};

QString ReasonOfError(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QCoreApplication::translate("Background", "no desktop portal on the session bus");
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownObject:
        return QCoreApplication::translate("Background",
                                           "the desktop portal has no Wallpaper interface");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
        return QCoreApplication::translate("Background", "the desktop portal did not reply");
    default:
        return QCoreApplication::translate("Background",
                                           "the desktop portal refused the request (%1)")
            .arg(error.message());
    }
}

} // namespace

TPortalRequest::TPortalRequest(QObject* parent) : QObject(parent) {}

TPortalRequest::~TPortalRequest() {
    if (!ConnectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(ConnectionName_);
}

void TPortalRequest::Start(const QString& busAddress, const QString& path) {
    Path_ = path;
    ConnectBus(busAddress, this, [this](const TBusAnswer& answer) {
        if (!answer.Connection)
            return Reply({std::nullopt, BusFailureWords(answer)});
        ConnectionName_ = answer.Connection->name();
        Call(*answer.Connection);
    });
}

void TPortalRequest::Call(QDBusConnection bus) {
    if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
        return Reply({std::nullopt, QCoreApplication::translate(
                                        "Background", "the session bus cannot pass files")});
    QFile file(Path_);
    if (!file.open(QIODevice::ReadOnly))
        return Reply(
            {std::nullopt, QCoreApplication::translate("Background", "cannot open the picture (%1)")
                               .arg(file.errorString())});

    // Listen where the portal will answer before asking, so the answer cannot be missed:
    // the request's path is made of our unique name and a token of our choice.
    const QString token = QStringLiteral("ombrix%1").arg(++Requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    RequestPath_ =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus.connect(QString(), RequestPath_, RequestInterface, QStringLiteral("Response"), this,
                SLOT(OnResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, WallpaperInterface, QStringLiteral("SetWallpaperFile"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("set-on"), QStringLiteral("background")},
                              {QStringLiteral("show-preview"), false}};
    call << QString() // no parent window
         << QVariant::fromValue(QDBusUnixFileDescriptor(file.handle())) << options;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError())
            return Reply({std::nullopt, ReasonOfError(reply.error())});
        // An older portal may answer on a path of its own making.
        const QString answeredOn = reply.value().path();
        if (answeredOn != RequestPath_)
            QDBusConnection(ConnectionName_)
                .connect(QString(), answeredOn, RequestInterface, QStringLiteral("Response"), this,
                         SLOT(OnResponse(uint, QVariantMap)));
    });
}

void TPortalRequest::OnResponse(uint response, const QVariantMap&) {
    Reply({response, QString()});
}

void TPortalRequest::Reply(const TPortalAnswer& answer) {
    if (Replied_)
        return;
    Replied_ = true;
    emit Answered(answer);
}

QObject* Notify(const QString& busAddress, const QString& summary, const QString& body, int timeout,
                QObject* parent) {
    if (busAddress.isEmpty())
        return nullptr;
    auto* call = new QObject(parent);
    QTimer::singleShot(timeout, call, &QObject::deleteLater);
    ConnectBus(busAddress, call, [=](const TBusAnswer& answer) {
        if (!answer.Connection)
            return call->deleteLater();
        // The connection goes with the call, once it is answered or given up.
        QObject::connect(call, &QObject::destroyed, [name = answer.Connection->name()] {
            QDBusConnection::disconnectFromBus(name);
        });
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        message << QStringLiteral("Ombrix") << 0u << QStringLiteral("io.github.ombrix.Ombrix")
                << summary << body << QStringList() << QVariantMap() << -1;
        auto* watcher = new QDBusPendingCallWatcher(answer.Connection->asyncCall(message), call);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, call, &QObject::deleteLater);
    });
    return call;
}

} // namespace ombrix
