#include "PortalWallpaper.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
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

// Receives the Response signal of one request.
class TResponseListener : public QObject {
    Q_OBJECT
public:
    std::optional<unsigned> Response;
signals:
    void Answered();
public slots:
    void OnResponse(uint response, const QVariantMap&) {
        if (Response)
            return;
        Response = response;
        emit Answered();
    }
};

// Closes the private bus connection however the call ends.
struct TBusConnection {
    QString Name;
    QDBusConnection Bus;
    explicit TBusConnection(const QString& address)
        : Name(QStringLiteral("ombrix-portal-%1").arg(++Count)),
          Bus(QDBusConnection::connectToBus(address, Name)) {}
    ~TBusConnection() { QDBusConnection::disconnectFromBus(Name); }
    static inline std::atomic<int> Count{0};
};

bool Listen(QDBusConnection& bus, const QString& requestPath, TResponseListener& listener) {
    return bus.connect(QString(), requestPath, RequestInterface, QStringLiteral("Response"),
                       &listener, SLOT(OnResponse(uint, QVariantMap)));
}

QString ReasonOfError(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QStringLiteral("no desktop portal on the session bus");
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownObject:
        return QStringLiteral("the desktop portal has no Wallpaper interface");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
        return QStringLiteral("the desktop portal did not reply");
    default:
        return QStringLiteral("the desktop portal refused the request (%1)").arg(error.message());
    }
}

} // namespace

TPortalAnswer SetWallpaperThroughPortal(const QString& busAddress, const QString& path,
                                        int timeout) {
    if (busAddress.isEmpty())
        return {std::nullopt, QStringLiteral("no session bus")};
    TBusConnection connection(busAddress);
    QDBusConnection& bus = connection.Bus;
    if (!bus.isConnected())
        return {std::nullopt, QStringLiteral("cannot connect to the session bus (%1)")
                                  .arg(bus.lastError().message())};
    if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
        return {std::nullopt, QStringLiteral("the session bus cannot pass files")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt,
                QStringLiteral("cannot open the picture (%1)").arg(file.errorString())};

    // Listen where the portal will answer before asking, so the answer cannot be missed:
    // the request's path is made of our unique name and a token of our choice.
    static std::atomic<int> requests{0};
    const QString token = QStringLiteral("ombrix%1").arg(++requests);
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString expectedPath =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    TResponseListener listener;
    Listen(bus, expectedPath, listener);

    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, WallpaperInterface, QStringLiteral("SetWallpaperFile"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("set-on"), QStringLiteral("background")},
                              {QStringLiteral("show-preview"), false}};
    call << QString() // no parent window
         << QVariant::fromValue(QDBusUnixFileDescriptor(file.handle())) << options;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&listener, &TResponseListener::Answered, &loop, &QEventLoop::quit);
    deadline.start(timeout);

    QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeout));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    while (!watcher.isFinished() && deadline.isActive())
        if (loop.exec() != 0)
            break; // the program is quitting
    if (!watcher.isFinished())
        return {std::nullopt, QStringLiteral("the desktop portal did not reply")};
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError())
        return {std::nullopt, ReasonOfError(reply.error())};
    // An older portal may answer on a path of its own making.
    const QString requestPath = reply.value().path();
    if (requestPath != expectedPath)
        Listen(bus, requestPath, listener);
    while (!listener.Response && deadline.isActive())
        if (loop.exec() != 0)
            break; // the program is quitting
    if (!listener.Response)
        return {
            std::nullopt,
            QStringLiteral("no answer from the desktop portal within %1 s").arg(timeout / 1000)};
    return {listener.Response, QString()};
}

} // namespace ombrix

#include "PortalWallpaper.moc"
