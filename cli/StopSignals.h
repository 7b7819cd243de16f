// The signals that ask a program to stop — SIGINT (Ctrl-C), SIGTERM (a logout, `kill`)
// and SIGHUP (its terminal gone) — for the command-line programs and the window alike.
// A stop signal ignored when the program started (nohup) stays ignored. The handler is
// async-signal-safe and keeps errno: it notes the signal and either ends the program at
// once by the signal itself (after the stop message) or writes the signal's number as a
// byte to a non-blocking pipe, which the event loop reads (TStopNotifier). Broken pipes
// are ignored, so that a reader going away fails a write instead of ending the program.
#pragma once

#include <QObject>

#include <functional>
#include <string>

class QSocketNotifier;

namespace ombrix {

enum class TStopAction {
    EndAtOnce, ///< print the stop message and end by the signal (status 128 + n in a shell)
    Notify,    ///< note it and write it to the pipe
};

/// Catches the stop signals that are not ignored, ignores SIGPIPE. With `secondEnds`, a
/// second signal of a kind ends the program as the signal's default would. Call first
/// thing in main; calling again only changes the action.
void CatchStopSignals(TStopAction action, bool secondEnds = false);

/// The action from now on: e.g. Notify while a run must cancel what it started.
void SetStopAction(TStopAction action);

/// The last stop signal received, 0 before any.
int StopSignalReceived();

/// What EndAtOnce prints before the program ends, made before a signal can come (512
/// bytes at most). A signal coming meanwhile prints nothing rather than half a message.
void SetStopMessage(const std::string& message);

/// Prints the stop message and ends the process by `signal` with its default action.
[[noreturn]] void EndBySignal(int signal);

/// Puts the default action back on the signals caught; the pipe stays.
void ReleaseStopSignals();

/// Runs `received` from the event loop once per stop signal noted (TStopAction::Notify).
/// Only one may exist at a time.
class TStopNotifier : public QObject {
public:
    explicit TStopNotifier(std::function<void()> received, QObject* parent = nullptr);

private:
    std::function<void()> Received_;
    QSocketNotifier* Notifier_ = nullptr;
};

} // namespace ombrix
