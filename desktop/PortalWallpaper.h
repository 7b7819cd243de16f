// The desktop portal's Wallpaper interface, spoken over the session bus without waiting:
// the connection is made as BusConnect.h makes it, so a daemon that accepts and never
// answers costs a timer, not a frozen thread; then the call and the request's Response
// signal arrive as signals.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace ombrix {

/// The portal's answer, or why there was none.
struct TPortalAnswer {
    /// 0 set, 1 cancelled by the user, 2 (or other) failed; empty when no answer came.
    std::optional<unsigned> Response;
    /// Why there is no answer: no bus, no portal, no Wallpaper interface.
    QString Reason;
};

/// One SetWallpaperFile request: the file `path` passed as a descriptor, set-on
/// "background", no preview. Answered follows once, from the event loop; the caller
/// bounds the wait, and deleting the request forgets it.
class TPortalRequest : public QObject {
    Q_OBJECT
public:
    explicit TPortalRequest(QObject* parent = nullptr);
    ~TPortalRequest() override;
    void Start(const QString& busAddress, const QString& path);
signals:
    void Answered(const ombrix::TPortalAnswer& answer);

private slots:
    void OnResponse(uint response, const QVariantMap& results);

private:
    void Call(QDBusConnection bus);
    void Reply(const TPortalAnswer& answer);
    QString Path_;
    QString ConnectionName_;
    QString RequestPath_;
    bool Replied_ = false;
};

/// A desktop notification (org.freedesktop.Notifications.Notify) sent and forgotten:
/// nothing happens when the bus or the service is missing, and the object deletes
/// itself once the service answered or after `timeout` ms, whichever comes first.
/// Returns that object (a child of `parent`), or null when there is no bus to send on;
/// a program about to end waits for it to go, or the call may never leave.
QObject* Notify(const QString& busAddress, const QString& summary, const QString& body, int timeout,
                QObject* parent);

} // namespace ombrix
