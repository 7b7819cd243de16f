#include "PlasmaWallpaper.h"

#include "BusConnect.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace ombrix {

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
}

TPlasmaWallpaper::~TPlasmaWallpaper() {
    if (!ConnectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(ConnectionName_);
}

void TPlasmaWallpaper::Start(const QString& busAddress, const QString& id,
                             std::chrono::milliseconds deadline) {
    Id_ = id;
    Deadline_.start(deadline);
    ConnectBus(busAddress, this, [this](const TBusAnswer& answer) {
        if (!answer.Connection)
            return Reply(BusFailureWords(answer));
        ConnectionName_ = answer.Connection->name();
        Call(*answer.Connection);
    });
}

void TPlasmaWallpaper::Call(QDBusConnection bus) {
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
