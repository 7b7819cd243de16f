#include "LiveBus.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace ombrix {

namespace {

const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString UPowerName = QStringLiteral("org.freedesktop.UPower");
const QString UPowerPath = QStringLiteral("/org/freedesktop/UPower");

void Say(const QString& message) {
    std::fprintf(stderr, "ombrix-live: %s\n", message.toLocal8Bit().constData());
}

} // namespace

void ConnectBusLater(QDBusConnection::BusType type, QObject* context,
                     std::function<void(std::optional<QDBusConnection>)> done,
                     std::chrono::milliseconds deadline) {
    struct TState {
        std::mutex Lock;
        bool Finished = false;
        std::function<void(std::optional<QDBusConnection>)> Done;
        // True the first time only: the answer or the deadline, whichever comes first.
        bool Finish() {
            const std::lock_guard guard(Lock);
            return !std::exchange(Finished, true);
        }
    };
    auto state = std::make_shared<TState>();
    state->Done = std::move(done);
    QTimer::singleShot(deadline, context, [state] {
        if (state->Finish())
            state->Done(std::nullopt);
    });
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ombrix-live-%1").arg(counter++);
    // A bus that takes the connection and never answers holds this thread, not the program.
    std::thread([type, name, state, context] {
        const QDBusConnection connection = QDBusConnection::connectToBus(type, name);
        QMetaObject::invokeMethod(
            context,
            [state, connection] {
                if (state->Finish())
                    state->Done(connection.isConnected()
                                    ? std::optional<QDBusConnection>(connection)
                                    : std::nullopt);
            },
            Qt::QueuedConnection);
    }).detach();
}

TLiveAdaptor::TLiveAdaptor(QObject* object, TLiveCore& core, QDBusConnection connection,
                           std::function<void()> quit)
    : QDBusAbstractAdaptor(object), Core_(core), Connection_(std::move(connection)),
      Quit_(std::move(quit)) {
    GenerationTimer_.setSingleShot(true);
    GenerationTimer_.setInterval(1000);
    connect(&GenerationTimer_, &QTimer::timeout, this, [this] {
        Announce({{QStringLiteral("Generation"), QVariant::fromValue(Generation())}});
    });
    connect(&Core_, &TLiveCore::GenerationChanged, this, [this] {
        if (!GenerationTimer_.isActive())
            GenerationTimer_.start();
    });
    connect(&Core_, &TLiveCore::PausedChanged, this, [this](bool paused) {
        GenerationTimer_.stop();
        Announce({{QStringLiteral("Paused"), paused},
                  {QStringLiteral("Generation"), QVariant::fromValue(Generation())}});
    });
}

void TLiveAdaptor::Announce(const QVariantMap& changed) {
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromLatin1(LiveObjectPath), PropertiesInterface,
                                   QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(LiveInterface) << changed << QStringList();
    Connection_.send(signal);
}

TLiveBus::TLiveBus(TLiveCore& core, std::function<void()> quit, std::function<void()> lost)
    : Core_(core), Quit_(std::move(quit)), Lost_(std::move(lost)) {
    ConnectBusLater(QDBusConnection::SessionBus, this, [this](std::optional<QDBusConnection> bus) {
        if (bus)
            Claim(*bus);
        else
            Say(QStringLiteral("no session bus answered; running without the "
                               "bus control"));
    });
}

void TLiveBus::Claim(QDBusConnection connection) {
    new TLiveAdaptor(&Exported_, Core_, connection, Quit_);
    connection.registerObject(QString::fromLatin1(LiveObjectPath), &Exported_,
                              QDBusConnection::ExportAdaptors);
    connection.connect(QString(), QStringLiteral("/org/freedesktop/DBus"),
                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameLost"), this,
                       SLOT(OnNameLost(QString)));
    // Allow replacement, replace the one that runs, do not queue.
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << QString::fromLatin1(LiveBusName) << 7u;
    auto* watcher = new QDBusPendingCallWatcher(
        connection.asyncCall(request, static_cast<int>(BusDeadline.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<uint> reply = *call;
                if (reply.isError())
                    Say(QStringLiteral("the bus name %1 could not be had: %2")
                            .arg(QString::fromLatin1(LiveBusName), reply.error().message()));
                else if (reply.value() == 1 || reply.value() == 4)
                    Owner_ = true;
                else
                    Say(QStringLiteral("another program holds the bus name %1 and does not "
                                       "give it up; running without the bus control")
                            .arg(QString::fromLatin1(LiveBusName)));
            });
}

void TLiveBus::OnNameLost(const QString& name) {
    if (!Owner_ || name != QString::fromLatin1(LiveBusName))
        return;
    Owner_ = false;
    Say(QStringLiteral("another live wallpaper took over"));
    Lost_();
}

TBatteryWatch::TBatteryWatch(std::function<void(bool onBattery)> changed)
    : Changed_(std::move(changed)) {
    ConnectBusLater(QDBusConnection::SystemBus, this, [this](std::optional<QDBusConnection> bus) {
        if (!bus)
            return;
        Bus_ = bus;
        Bus_->connect(QString(), UPowerPath, PropertiesInterface,
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
        Ask();
    });
}

void TBatteryWatch::Ask() {
    QDBusMessage get = QDBusMessage::createMethodCall(UPowerName, UPowerPath, PropertiesInterface,
                                                      QStringLiteral("Get"));
    get << UPowerName << QStringLiteral("OnBattery");
    auto* watcher = new QDBusPendingCallWatcher(
        Bus_->asyncCall(get, static_cast<int>(BusDeadline.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (!reply.isError())
                    Changed_(reply.value().variant().toBool());
            });
}

void TBatteryWatch::OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                        const QStringList& invalidated) {
    if (interface != UPowerName)
        return;
    if (const auto it = changed.find(QStringLiteral("OnBattery")); it != changed.end())
        Changed_(it->toBool());
    else if (invalidated.contains(QStringLiteral("OnBattery")))
        Ask();
}

int CallRunningLive(const QString& method) {
    int status = 1;
    QEventLoop loop;
    QObject context;
    ConnectBusLater(QDBusConnection::SessionBus, &context, [&](std::optional<QDBusConnection> bus) {
        if (!bus) {
            Say(QStringLiteral("no session bus answered"));
            loop.quit();
            return;
        }
        const QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(LiveBusName), QString::fromLatin1(LiveObjectPath),
            QString::fromLatin1(LiveInterface), method);
        auto* watcher = new QDBusPendingCallWatcher(
            bus->asyncCall(call, static_cast<int>(BusDeadline.count())), &context);
        QObject::connect(
            watcher, &QDBusPendingCallWatcher::finished, &context,
            [&](QDBusPendingCallWatcher* answered) {
                const QDBusError error = answered->error();
                if (!error.isValid())
                    status = 0;
                else if (error.type() == QDBusError::ServiceUnknown ||
                         error.name() ==
                             QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"))
                    Say(QStringLiteral("no live wallpaper runs"));
                else
                    Say(QStringLiteral("the live wallpaper did not "
                                       "answer: ") +
                        error.message());
                loop.quit();
            });
    });
    loop.exec();
    return status;
}

} // namespace ombrix
