// Running the desktops' command-line tools (gsettings, xfconf-query, pcmanfm-qt, ...)
// without waiting: one tool at a time, looked for on the session's PATH, with the session's
// environment and no input, bounded by a timeout, its end told through a callback from
// the event loop. Stopping the runner kills the tool; no tool outlives it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class QProcess;

namespace ombrix {

/// How a tool ended.
struct TToolRun {
    std::optional<int> ExitCode; ///< none when it did not start or finish
    QString Reason;              ///< why it failed, in the user's words; empty on exit code 0
    QString Output;              ///< what it printed on standard output
};

class TToolRunner : public QObject {
    Q_OBJECT
public:
    explicit TToolRunner(QObject* parent = nullptr);
    ~TToolRunner() override;

    /// Runs `tool` with `arguments`; `then` hears how it ended, or that it did not end
    /// within `timeout` ms (it is killed), or was not found. A tool still running is
    /// stopped first, silently.
    void Run(const QString& tool, const QStringList& arguments,
             const QProcessEnvironment& environment, int timeout,
             std::function<void(const TToolRun&)> then);
    /// Runs each argument list in turn, stopping at the first failure; `then` hears its
    /// reason, or an empty one when all ran.
    void RunEach(const QString& tool, std::vector<QStringList> runs,
                 const QProcessEnvironment& environment, int timeout,
                 std::function<void(const QString& reason)> then);
    /// Kills the tool; its end is not told.
    void Stop();

private:
    QPointer<QProcess> Process_;
    QTimer Timer_;
    unsigned Step_ = 0; // counts runs, so an end of a stopped one is dropped
};

} // namespace ombrix
