// The desktop portal's Wallpaper interface, spoken over the session bus without waiting:
// the bus is first probed with a login of our own, so a daemon that accepts and never
// answers costs a timer, not a frozen thread; then the call and the request's Response
// signal arrive as signals.
#pragma once

#include <QDBusConnection>
#include <QLocalSocket>
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

/// Checks that a bus at an address answers: connects without blocking and logs in
/// (SASL EXTERNAL); Answered carries an empty text when the bus said OK, else why not.
/// Addresses it cannot reach itself (not unix:path= or unix:abstract=) pass unchecked.
class TBusProbe : public QObject {
    Q_OBJECT
public:
    explicit TBusProbe(QObject* parent = nullptr);
    void Start(const QString& address);
signals:
    void Answered(const QString& reason);

private:
    void Reply(const QString& reason);
    QLocalSocket Socket_;
    QString Address_; // the address being reached, as the session names it
    QByteArray Received_;
    bool Replied_ = false;
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
    void Call();
    void Reply(const TPortalAnswer& answer);
    QString Address_;
    QString Path_;
    QString ConnectionName_;
    QString RequestPath_;
    TBusProbe Probe_;
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
