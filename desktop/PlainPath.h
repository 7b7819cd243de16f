// Paths for programs that read them inside a command text (sway's "output * bg" expands
// its path as a shell would; Hyprland's commands are split at spaces and commas): such a
// program only ever sees a path made of letters, digits and "/._+-".
#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QString>

#include <optional>

namespace ombrix {

/// True when `path` is absolute and made of ASCII letters, digits and "/._+-" only,
/// with no part starting with '-'.
bool IsPlainPath(const QString& path);

/// A plain path that shows the picture `path`: `path` itself when plain, else a new
/// symbolic link to it named "<prefix>-<time>.png" in `runtimeFolder`/ombrix (made
/// private when missing); earlier links of that prefix there are removed. Empty, with
/// `reason` set, when there is no plain runtime folder to put the link in.
QString PlainPathTo(const QString& path, const QString& runtimeFolder, const QString& prefix,
                    QString& reason);

/// One command sent to sway over its IPC socket (i3-ipc framing: "i3-ipc", length and
/// type as native 32-bit numbers, then the text). Answered carries an empty text when
/// every command in it succeeded, else sway's error or why there was no answer.
class TSwayCommand : public QObject {
    Q_OBJECT
public:
    explicit TSwayCommand(QObject* parent = nullptr);
    void Start(const QString& socket, const QString& command);
signals:
    void Answered(const QString& reason);

private:
    void Reply(const QString& reason);
    QLocalSocket Socket_;
    QByteArray Command_;
    QByteArray Received_;
    bool Replied_ = false;
};

} // namespace ombrix
