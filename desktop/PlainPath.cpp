#include "PlainPath.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>

namespace ombrix {

namespace {

constexpr std::uint32_t RunCommand = 0;
constexpr char Magic[] = "i3-ipc";
constexpr qsizetype HeaderSize = 6 + 4 + 4;

} // namespace

bool IsPlainPath(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')) || path.contains(QStringLiteral("/-")))
        return false;
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || u == '/' || u == '.' || u == '_' || u == '+' ||
                           u == '-';
        if (!plain)
            return false;
    }
    return true;
}

QString PlainPathTo(const QString& path, const QString& runtimeFolder, const QString& prefix,
                    QString& reason) {
    if (IsPlainPath(path))
        return path;
    const QString folder = runtimeFolder + QStringLiteral("/ombrix");
    if (runtimeFolder.isEmpty() || !IsPlainPath(folder)) {
        reason = QStringLiteral("the picture's path holds characters the desktop would read as "
                                "commands, and there is no plain private folder "
                                "(XDG_RUNTIME_DIR) for a link to it");
        return {};
    }
    const QByteArray native = QFile::encodeName(folder);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        reason = QCoreApplication::translate("Background", "cannot make the folder %1 (%2)")
                     .arg(folder, strerror(errno));
        return {};
    }
    QDir dir(folder);
    for (const QFileInfo& old : dir.entryInfoList({prefix + QStringLiteral("-*.png")},
                                                  QDir::System | QDir::Files | QDir::Hidden))
        if (old.isSymLink())
            QFile::remove(old.filePath());
    const QString link = dir.filePath(
        QStringLiteral("%1-%2.png").arg(prefix).arg(QDateTime::currentMSecsSinceEpoch()));
    if (symlink(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) != 0) {
        reason = QCoreApplication::translate("Background", "cannot make the link %1 (%2)")
                     .arg(link, strerror(errno));
        return {};
    }
    return link;
}

TSwayCommand::TSwayCommand(QObject* parent) : QObject(parent) {
    connect(&Socket_, &QLocalSocket::connected, this, [this] {
        QByteArray message(Magic, 6);
        const std::uint32_t numbers[] = {std::uint32_t(Command_.size()), RunCommand};
        message.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
        Socket_.write(message + Command_);
    });
    connect(&Socket_, &QLocalSocket::readyRead, this, [this] {
        Received_ += Socket_.readAll();
        if (Received_.size() < HeaderSize)
            return;
        std::uint32_t numbers[2];
        std::memcpy(numbers, Received_.constData() + 6, sizeof numbers);
        if (!Received_.startsWith(Magic) || numbers[1] != RunCommand)
            return Reply(QCoreApplication::translate(
                "Background", "sway answered with a message of another kind"));
        if (Received_.size() < HeaderSize + qsizetype(numbers[0]))
            return;
        // [{"success": true}, ...], one entry per command; a failed one has "error".
        const QJsonDocument answer = QJsonDocument::fromJson(Received_.mid(HeaderSize, numbers[0]));
        if (!answer.isArray())
            return Reply(QCoreApplication::translate("Background", "sway's answer cannot be read"));
        for (const QJsonValue& entry : answer.array())
            if (!entry.toObject().value(QStringLiteral("success")).toBool())
                return Reply(QStringLiteral("sway: %1")
                                 .arg(entry.toObject().value(QStringLiteral("error")).toString()));
        Reply({});
    });
    connect(
        &Socket_, &QLocalSocket::errorOccurred, this, [this](QLocalSocket::LocalSocketError error) {
            const QString socket = Socket_.serverName();
            switch (error) {
            case QLocalSocket::ServerNotFoundError:
                return Reply(
                    QCoreApplication::translate("Background", "no sway at %1").arg(socket));
            case QLocalSocket::ConnectionRefusedError:
                return Reply(
                    QCoreApplication::translate("Background", "sway at %1 refused the connection")
                        .arg(socket));
            case QLocalSocket::SocketAccessError:
                return Reply(
                    QCoreApplication::translate("Background", "no permission to talk to sway at %1")
                        .arg(socket));
            case QLocalSocket::SocketTimeoutError:
                return Reply(
                    QCoreApplication::translate("Background", "sway at %1 did not answer in time")
                        .arg(socket));
            default:
                return Reply(QCoreApplication::translate("Background", "cannot talk to sway (%1)")
                                 .arg(Socket_.errorString()));
            }
        });
}

void TSwayCommand::Start(const QString& socket, const QString& command) {
    Command_ = command.toUtf8();
    Socket_.connectToServer(socket);
}

void TSwayCommand::Reply(const QString& reason) {
    if (Replied_)
        return;
    Replied_ = true;
    Socket_.abort();
    emit Answered(reason);
}

} // namespace ombrix
