#include "BusConnect.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace ombrix {

namespace {

// The greeting every client owes the bus before anything else: the method call Hello to
// org.freedesktop.DBus, serial 1, no body, little-endian.
QByteArray HelloMessage() {
    QByteArray m("l\x01\x00\x01", 4);
    const auto u32 = [&m](quint32 v) {
        char bytes[4];
        qToLittleEndian(v, bytes);
        m.append(bytes, 4);
    };
    const auto align = [&m](int to) {
        while (m.size() % to)
            m.append('\0');
    };
    u32(0); // body length
    u32(1); // serial
    u32(0); // header fields' length, set below
    for (const auto& [code, type, value] :
         {std::tuple{1, 'o', "/org/freedesktop/DBus"}, std::tuple{2, 's', "org.freedesktop.DBus"},
          std::tuple{3, 's', "Hello"}, std::tuple{6, 's', "org.freedesktop.DBus"}}) {
        align(8);
        m.append(char(code)).append('\x01').append(type).append('\0');
        u32(quint32(qstrlen(value)));
        m.append(value).append('\0');
    }
    qToLittleEndian(quint32(m.size() - 16), m.data() + 12);
    align(8);
    return m;
}

// What a message read from `bytes` is: its type (2 method return, 3 error, 4 signal) and
// its whole length, or 0 while it is incomplete; -1 for what is not a D-Bus message.
std::pair<int, qsizetype> MessageAt(const QByteArray& bytes) {
    if (bytes.size() < 16)
        return {0, 0};
    const bool little = bytes[0] == 'l';
    if ((!little && bytes[0] != 'B') || bytes[3] != 1)
        return {-1, 0};
    const auto u32 = [&](int at) {
        return little ? qFromLittleEndian<quint32>(bytes.constData() + at)
                      : qFromBigEndian<quint32>(bytes.constData() + at);
    };
    constexpr quint32 Largest = 1u << 20; // far more than a greeting's answer takes
    const quint32 body = u32(4), fields = u32(12);
    if (body > Largest || fields > Largest)
        return {-1, 0};
    const qsizetype length = (16 + qsizetype(fields) + 7) / 8 * 8 + body;
    return {bytes[1], bytes.size() < length ? 0 : length};
}

std::atomic<int> Connections{0};

// What a late answer from the worker thread reaches: the attempt while it lives.
struct TLate {
    std::mutex Lock;
    class TAttempt* Attempt = nullptr;
};

class TAttempt : public QObject {
public:
    TAttempt(const QString& address, QObject* owner, std::function<void(TBusAnswer)> done)
        : Owner_(owner), Done_(std::move(done)), Late_(std::make_shared<TLate>()) {
        Answer_.Address = address;
        Late_->Attempt = this;
        if (owner)
            connect(owner, &QObject::destroyed, this, [this] {
                Finish(TBusFailure::NoAnswer); // heard by nobody
                Forget();
            });
        Deadline_.setSingleShot(true);
        Deadline_.setTimerType(Qt::PreciseTimer);
        connect(&Deadline_, &QTimer::timeout, this, [this] { Finish(TBusFailure::NoAnswer); });
        connect(&Socket_, &QLocalSocket::connected, this, [this] {
            // A credentials byte, then a login as our own user id, spelt in hex digits.
            Socket_.write(QByteArray(1, '\0') + "AUTH EXTERNAL " +
                          QByteArray::number(getuid()).toHex() + "\r\n");
        });
        connect(&Socket_, &QLocalSocket::readyRead, this, &TAttempt::Read);
        connect(&Socket_, &QLocalSocket::errorOccurred, this, [this] {
            switch (Socket_.error()) {
            case QLocalSocket::ServerNotFoundError:
                return Finish(TBusFailure::NotFound);
            case QLocalSocket::ConnectionRefusedError:
                return Finish(TBusFailure::Refused);
            case QLocalSocket::SocketAccessError:
                return Finish(TBusFailure::NoPermission);
            case QLocalSocket::PeerClosedError:
                return Finish(TBusFailure::Nonsense);
            default:
                return Finish(TBusFailure::Other, Socket_.errorString());
            }
        });
    }

    ~TAttempt() override { Forget(); }

    // From now on a late connection is closed by the worker that made it.
    void Forget() {
        const std::lock_guard guard(Late_->Lock);
        Late_->Attempt = nullptr;
    }

    void Start(std::chrono::milliseconds deadline) {
        Deadline_.start(deadline);
        if (Answer_.Address.isEmpty())
            return Finish(TBusFailure::NoAddress);
        // unix:path=/run/user/1000/bus or unix:abstract=/tmp/dbus-X,guid=...; the first
        // such entry is tried. Addresses of other kinds go to Qt untried.
        for (const QString& entry : Answer_.Address.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!entry.startsWith(QStringLiteral("unix:")))
                continue;
            for (const QString& pair : entry.mid(5).split(QLatin1Char(','))) {
                const QString key = pair.section(QLatin1Char('='), 0, 0);
                const QString value =
                    QByteArray::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toUtf8());
                if (key == QStringLiteral("path") || key == QStringLiteral("abstract")) {
                    Socket_.setSocketOptions(key == QStringLiteral("abstract")
                                                 ? QLocalSocket::AbstractNamespaceOption
                                                 : QLocalSocket::NoOptions);
                    Socket_.connectToServer(value);
                    return;
                }
            }
        }
        ConnectInWorker();
    }

    void Connected(const QString& name) {
        const QDBusConnection connection(name);
        if (Finished_)
            QDBusConnection::disconnectFromBus(name);
        else if (!connection.isConnected())
            Finish(TBusFailure::Other, connection.lastError().message());
        else {
            Answer_.Connection = connection;
            Finish(TBusFailure::None);
        }
    }

private:
    void Read() {
        Received_ += Socket_.readAll();
        if (!Greeted_) {
            const qsizetype end = Received_.indexOf("\r\n");
            if (end < 0) {
                if (Received_.size() > 4096)
                    Finish(TBusFailure::Nonsense);
                return;
            }
            const QByteArray line = Received_.left(end);
            if (!line.startsWith("OK "))
                return Finish(TBusFailure::LoginRefused, QString::fromLatin1(line.left(200)));
            Received_.remove(0, end + 2);
            Greeted_ = true;
            Socket_.write("BEGIN\r\n" + HelloMessage());
        }
        // The answer to Hello comes first; a signal before it is passed over.
        for (;;) {
            const auto [type, length] = MessageAt(Received_);
            if (type < 0)
                return Finish(TBusFailure::Nonsense);
            if (length == 0)
                return;
            if (type == 2) {
                Socket_.abort();
                return ConnectInWorker();
            }
            if (type == 3)
                return Finish(TBusFailure::LoginRefused, QStringLiteral("Hello"));
            Received_.remove(0, length);
        }
    }

    // The bus answered a greeting of its own, so Qt's connection (which waits for Qt's
    // D-Bus thread) is quick; it is made off this thread all the same.
    void ConnectInWorker() {
        const QString name = QStringLiteral("ombrix-bus-%1").arg(++Connections);
        std::thread([address = Answer_.Address, name, late = Late_] {
            QDBusConnection::connectToBus(address, name);
            const std::lock_guard guard(late->Lock);
            if (late->Attempt)
                QMetaObject::invokeMethod(
                    late->Attempt, [attempt = late->Attempt, name] { attempt->Connected(name); },
                    Qt::QueuedConnection);
            else
                QDBusConnection::disconnectFromBus(name);
        }).detach();
    }

    void Finish(TBusFailure failure, const QString& detail = {}) {
        if (Finished_)
            return;
        Finished_ = true;
        Deadline_.stop();
        Socket_.abort();
        Answer_.Failure = failure;
        Answer_.Detail = detail;
        // From the event loop, so that the caller never hears back inside its own call.
        QMetaObject::invokeMethod(
            this,
            [this] {
                deleteLater();
                if (Owner_)
                    Done_(Answer_);
            },
            Qt::QueuedConnection);
    }

    QPointer<QObject> Owner_;
    std::function<void(TBusAnswer)> Done_;
    std::shared_ptr<TLate> Late_;
    TBusAnswer Answer_;
    QTimer Deadline_;
    QLocalSocket Socket_;
    QByteArray Received_;
    bool Greeted_ = false;
    bool Finished_ = false;
};

} // namespace

QString BusAddress(TBus bus) {
    if (bus == TBus::Session)
        return qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return address.isEmpty() ? QStringLiteral("unix:path=/var/run/dbus/system_bus_socket")
                             : address;
}

QString BusFailureWords(const TBusAnswer& answer) {
    const auto words = [](const char* text) {
        return QCoreApplication::translate("Background", text);
    };
    switch (answer.Failure) {
    case TBusFailure::None:
        return {};
    case TBusFailure::NoAddress:
        return words(QT_TRANSLATE_NOOP("Background", "no session bus"));
    case TBusFailure::NotFound:
        return words(QT_TRANSLATE_NOOP("Background", "no session bus at %1")).arg(answer.Address);
    case TBusFailure::Refused:
        return words(
                   QT_TRANSLATE_NOOP("Background", "the session bus at %1 refused the connection"))
            .arg(answer.Address);
    case TBusFailure::NoPermission:
        return words(QT_TRANSLATE_NOOP("Background",
                                       "no permission to connect to the session bus at %1"))
            .arg(answer.Address);
    case TBusFailure::LoginRefused:
        return words(QT_TRANSLATE_NOOP("Background", "the session bus refused the login (%1)"))
            .arg(answer.Detail);
    case TBusFailure::Nonsense:
        return words(
            QT_TRANSLATE_NOOP("Background", "the session bus answered the login with nonsense"));
    case TBusFailure::NoAnswer:
        return words(
                   QT_TRANSLATE_NOOP("Background", "the session bus at %1 did not answer in time"))
            .arg(answer.Address);
    case TBusFailure::Other:
        break;
    }
    return words(QT_TRANSLATE_NOOP("Background", "cannot connect to the session bus (%1)"))
        .arg(answer.Detail);
}

void ConnectBus(const QString& address, QObject* owner, std::function<void(TBusAnswer)> done,
                std::chrono::milliseconds deadline) {
    (new TAttempt(address, owner, std::move(done)))->Start(deadline);
}

} // namespace ombrix
