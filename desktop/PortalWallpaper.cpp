#include "PortalWallpaper.h"

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

#include <unistd.h>

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

// The words for a bus socket that cannot be reached; Qt's own only for the rare rest.
QString ReasonOfSocketError(QLocalSocket::LocalSocketError error, const QString& address,
                            const QString& qtWords) {
    switch (error) {
    case QLocalSocket::ServerNotFoundError:
        return QCoreApplication::translate("Background", "no session bus at %1").arg(address);
    case QLocalSocket::ConnectionRefusedError:
        return QCoreApplication::translate("Background",
                                           "the session bus at %1 refused the connection")
            .arg(address);
    case QLocalSocket::SocketAccessError:
        return QCoreApplication::translate("Background",
                                           "no permission to connect to the session bus at %1")
            .arg(address);
    case QLocalSocket::SocketTimeoutError:
        return QCoreApplication::translate("Background",
                                           "the session bus at %1 did not answer in time")
            .arg(address);
    default:
        return QCoreApplication::translate("Background", "cannot connect to the session bus (%1)")
            .arg(qtWords);
    }
}

} // namespace

TBusProbe::TBusProbe(QObject* parent) : QObject(parent) {
    connect(&Socket_, &QLocalSocket::connected, this, [this] {
        // A credentials byte, then a login as our own user id, spelt in hex digits.
        Socket_.write(QByteArray(1, '\0') + "AUTH EXTERNAL " +
                      QByteArray::number(getuid()).toHex() + "\r\n");
    });
    connect(&Socket_, &QLocalSocket::readyRead, this, [this] {
        Received_ += Socket_.readAll();
        const qsizetype end = Received_.indexOf("\r\n");
        if (end < 0) {
            if (Received_.size() > 4096)
                Reply(QCoreApplication::translate(
                    "Background", "the session bus answered the login with nonsense"));
            return;
        }
        const QByteArray line = Received_.left(end);
        Reply(line.startsWith("OK ") ? QString()
                                     : QCoreApplication::translate(
                                           "Background", "the session bus refused the login (%1)")
                                           .arg(QString::fromLatin1(line.left(200))));
    });
    connect(&Socket_, &QLocalSocket::errorOccurred, this, [this] {
        Reply(ReasonOfSocketError(Socket_.error(), Address_, Socket_.errorString()));
    });
}

void TBusProbe::Start(const QString& address) {
    // unix:path=/run/user/1000/bus or unix:abstract=/tmp/dbus-X,guid=...; several
    // addresses are separated by ';' and the first one that can be reached counts.
    for (const QString& entry : address.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!entry.startsWith(QStringLiteral("unix:")))
            continue;
        for (const QString& pair : entry.mid(5).split(QLatin1Char(','))) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            const QString value =
                QByteArray::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toUtf8());
            if (key == QStringLiteral("path") || key == QStringLiteral("abstract")) {
                Address_ = entry;
                Socket_.setSocketOptions(key == QStringLiteral("abstract")
                                             ? QLocalSocket::AbstractNamespaceOption
                                             : QLocalSocket::NoOptions);
                Socket_.connectToServer(value);
                return;
            }
        }
    }
    QMetaObject::invokeMethod(
        this, [this] { Reply({}); }, Qt::QueuedConnection);
}

void TBusProbe::Reply(const QString& reason) {
    if (Replied_)
        return;
    Replied_ = true;
    Socket_.abort();
    emit Answered(reason);
}

TPortalRequest::TPortalRequest(QObject* parent) : QObject(parent) {
    connect(&Probe_, &TBusProbe::Answered, this, [this](const QString& reason) {
        if (!reason.isEmpty())
            Reply({std::nullopt, reason});
        else
            Call();
    });
}

TPortalRequest::~TPortalRequest() {
    if (!ConnectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(ConnectionName_);
}

void TPortalRequest::Start(const QString& busAddress, const QString& path) {
    Address_ = busAddress;
    Path_ = path;
    if (busAddress.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this] {
                Reply({std::nullopt, QCoreApplication::translate("Background", "no session bus")});
            },
            Qt::QueuedConnection);
    else
        Probe_.Start(busAddress);
}

void TPortalRequest::Call() {
    // The bus has just answered our own login, so connecting is quick.
    ConnectionName_ = QStringLiteral("ombrix-portal-%1").arg(++Requests);
    QDBusConnection bus = QDBusConnection::connectToBus(Address_, ConnectionName_);
    if (!bus.isConnected())
        return Reply({std::nullopt, QCoreApplication::translate(
                                        "Background", "cannot connect to the session bus (%1)")
                                        .arg(bus.lastError().message())});
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
    auto* probe = new TBusProbe(parent);
    auto* limit = new QTimer(probe);
    limit->setSingleShot(true);
    QObject::connect(limit, &QTimer::timeout, probe, &QObject::deleteLater);
    limit->start(timeout);
    QObject::connect(probe, &TBusProbe::Answered, probe, [=](const QString& reason) {
        if (!reason.isEmpty())
            return probe->deleteLater();
        const QString name = QStringLiteral("ombrix-notify-%1").arg(++Requests);
        QDBusConnection bus = QDBusConnection::connectToBus(busAddress, name);
        // The connection goes with the probe, once the call is answered or given up.
        QObject::connect(probe, &QObject::destroyed,
                         [name] { QDBusConnection::disconnectFromBus(name); });
        if (!bus.isConnected())
            return probe->deleteLater();
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        call << QStringLiteral("Ombrix") << 0u << QStringLiteral("io.github.ombrix.Ombrix")
             << summary << body << QStringList() << QVariantMap() << -1;
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), probe);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, probe, &QObject::deleteLater);
    });
    probe->Start(busAddress);
    return probe;
}

} // namespace ombrix
