#include "LiveBus.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>

#include <cstdio>

#include <unistd.h>

namespace ombrix {

namespace {

const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString UPowerName = QStringLiteral("org.freedesktop.UPower");
const QString UPowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString BusService = QStringLiteral("org.freedesktop.DBus");
const QString BusPath = QStringLiteral("/org/freedesktop/DBus");

// Only a boolean true is "on battery"; anything else is as good as no answer.
bool IsTrue(const QVariant& value) {
    return value.typeId() == QMetaType::Bool && value.toBool();
}

void Say(const QString& message) {
    std::fprintf(stderr, "ombrix-live: %s\n", message.toLocal8Bit().constData());
}

} // namespace

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

void TLiveAdaptor::Pause(const QDBusMessage& call) {
    Obey(call, [this] { Core_.Pause(); });
}

void TLiveAdaptor::Resume(const QDBusMessage& call) {
    Obey(call, [this] { Core_.Resume(); });
}

void TLiveAdaptor::Quit(const QDBusMessage& call) {
    Obey(call, [this] { Quit_(); });
}

void TLiveAdaptor::Obey(const QDBusMessage& call, std::function<void()> action) {
    call.setDelayedReply(true);
    const QString caller = call.service();
    if (const auto known = Ours_.constFind(caller); known != Ours_.constEnd())
        return Answer(call, *known, action);
    QDBusMessage ask = QDBusMessage::createMethodCall(BusService, BusPath, BusService,
                                                      QStringLiteral("GetConnectionUnixUser"));
    ask << caller;
    auto* watcher = new QDBusPendingCallWatcher(
        Connection_.asyncCall(ask, static_cast<int>(BusDeadline.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, call, caller, action](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<uint> user = *answered;
                const bool ours = !user.isError() && user.value() == getuid();
                if (!user.isError()) {
                    if (Ours_.size() > 1000)
                        Ours_.clear();
                    Ours_.insert(caller, ours);
                }
                Answer(call, ours, action);
            });
}

void TLiveAdaptor::Answer(const QDBusMessage& call, bool ours,
                          const std::function<void()>& action) {
    if (!ours) {
        Connection_.send(call.createErrorReply(
            QDBusError::AccessDenied,
            QStringLiteral("the live wallpaper obeys only the user it runs for")));
        return;
    }
    Connection_.send(call.createReply());
    action();
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
    ConnectBus(BusAddress(TBus::Session), this, [this](const TBusAnswer& answer) {
        if (answer.Connection)
            Claim(*answer.Connection);
        else
            Say(BusFailureWords(answer) + QStringLiteral("; running without the bus control"));
    });
}

void TLiveBus::Claim(QDBusConnection connection) {
    new TLiveAdaptor(&Exported_, Core_, connection, Quit_);
    connection.registerObject(QString::fromLatin1(LiveObjectPath), &Exported_,
                              QDBusConnection::ExportAdaptors);
    connection.connect(QString(), BusPath, BusService, QStringLiteral("NameLost"), this,
                       SLOT(OnNameLost(QString, QDBusMessage)));
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

void TLiveBus::OnNameLost(const QString& name, const QDBusMessage& message) {
    // Anyone can send a signal named NameLost; only the bus itself sends it as the bus.
    if (!Owner_ || message.service() != BusService || name != QString::fromLatin1(LiveBusName))
        return;
    Owner_ = false;
    Say(QStringLiteral("another live wallpaper took over"));
    Lost_();
}

TBatteryWatch::TBatteryWatch(std::function<void(bool onBattery)> changed)
    : Changed_(std::move(changed)) {
    ConnectBus(BusAddress(TBus::System), this, [this](const TBusAnswer& answer) {
        if (!answer.Connection)
            return;
        Bus_ = answer.Connection;
        Bus_->connect(QString(), UPowerPath, PropertiesInterface,
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
        Ask();
    });
}

void TBatteryWatch::Ask() {
    if (Asking_)
        return;
    Asking_ = true;
    QDBusMessage get = QDBusMessage::createMethodCall(UPowerName, UPowerPath, PropertiesInterface,
                                                      QStringLiteral("Get"));
    get << UPowerName << QStringLiteral("OnBattery");
    auto* watcher = new QDBusPendingCallWatcher(
        Bus_->asyncCall(get, static_cast<int>(BusDeadline.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                Asking_ = false;
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError())
                    return;
                Owner_ = reply.reply().service();
                Changed_(IsTrue(reply.value().variant()));
            });
}

void TBatteryWatch::OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                        const QStringList& invalidated,
                                        const QDBusMessage& message) {
    if (interface != UPowerName)
        return;
    const auto it = changed.find(QStringLiteral("OnBattery"));
    if (it == changed.end() && !invalidated.contains(QStringLiteral("OnBattery")))
        return;
    // From another connection (or a UPower started anew): UPower is asked itself.
    if (it != changed.end() && !Owner_.isEmpty() && message.service() == Owner_)
        Changed_(IsTrue(*it));
    else
        Ask();
}

int CallRunningLive(const QString& method) {
    int status = 1;
    QEventLoop loop;
    QObject context;
    ConnectBus(BusAddress(TBus::Session), &context, [&](const TBusAnswer& answer) {
        const std::optional<QDBusConnection>& bus = answer.Connection;
        if (!bus) {
            Say(BusFailureWords(answer));
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
