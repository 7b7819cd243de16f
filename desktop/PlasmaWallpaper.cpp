#include "PlasmaWallpaper.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace ombrix {

namespace {

int Calls = 0;

} // namespace

bool IsPlasmaSession(const QProcessEnvironment& environment) {
    return environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
        .split(QLatin1Char(':'))
        .contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
}

QString PlasmaWallpaperScript(const QString& id) {
    // The id is the program's own, never the user's: it needs no quoting beyond the quotes.
    return QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; ++i)\n"
                          "    all[i].wallpaperPlugin = \"%1\";\n"
                          "print(all.length);\n")
        .arg(id);
}

TPlasmaWallpaper::TPlasmaWallpaper(QObject* parent) : QObject(parent) {
    Deadline_.setSingleShot(true);
    connect(&Deadline_, &QTimer::timeout, this, [this] {
        Reply(QCoreApplication::translate("Background", "Plasma's shell did not answer in time"));
    });
    connect(&Probe_, &TBusProbe::Answered, this, [this](const QString& reason) {
        if (!reason.isEmpty())
            Reply(reason);
        else
            Call();
    });
}

TPlasmaWallpaper::~TPlasmaWallpaper() {
    if (!ConnectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(ConnectionName_);
}

void TPlasmaWallpaper::Start(const QString& busAddress, const QString& id,
                             std::chrono::milliseconds deadline) {
    Address_ = busAddress;
    Id_ = id;
    Deadline_.start(deadline);
    if (busAddress.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { Reply(QCoreApplication::translate("Background", "no session bus")); },
            Qt::QueuedConnection);
    else
        Probe_.Start(busAddress);
}

void TPlasmaWallpaper::Call() {
    // The bus has just answered our own login, so connecting is quick.
    ConnectionName_ = QStringLiteral("ombrix-plasma-%1").arg(++Calls);
    QDBusConnection bus = QDBusConnection::connectToBus(Address_, ConnectionName_);
    if (!bus.isConnected())
        return Reply(
            QCoreApplication::translate("Background", "cannot connect to the session bus (%1)")
                .arg(bus.lastError().message()));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << PlasmaWallpaperScript(Id_);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QString> reply = *w;
        if (reply.isError())
            return Reply(QCoreApplication::translate(
                             "Background", "Plasma's shell refused the live wallpaper (%1)")
                             .arg(reply.error().message()));
        if (reply.value().trimmed() == QStringLiteral("0"))
            return Reply(QCoreApplication::translate(
                "Background", "Plasma's shell has no desktop to put the live wallpaper on"));
        Reply({});
    });
}

void TPlasmaWallpaper::Reply(const QString& reason) {
    if (Replied_)
        return;
    Replied_ = true;
    Deadline_.stop();
    emit Answered(reason);
}

} // namespace ombrix
