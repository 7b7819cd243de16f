// The signals that end a session's programs — SIGTERM (a logout, `kill`), SIGHUP (its
// terminal gone) and SIGINT (Ctrl-C) — taken as a request to close, so the program ends
// the way a click on the close box ends it: settings written, temporary folders
// removed. The handler is the command-line programs' (StopSignals.h): it only writes a
// byte to a pipe; the event loop reads it and calls the close function. A second signal of the same
// kind while the close is under way ends the program as the signal's default would.
#pragma once

#include <QObject>

#include <functional>

namespace ombrix {

class TCloseSignals : public QObject {
    Q_OBJECT
public:
    /// Installs the handlers; `close` runs in the event loop once per signal received.
    /// Only one object may exist at a time. When the pipe cannot be made the signals keep
    /// their default action, and a signal ignored when the program started (nohup) stays
    /// ignored.
    explicit TCloseSignals(std::function<void()> close, QObject* parent = nullptr);
    ~TCloseSignals() override;
    TCloseSignals(const TCloseSignals&) = delete;
    TCloseSignals& operator=(const TCloseSignals&) = delete;

private:
    void Received();

    std::function<void()> Close_;
    QObject* Notifier_ = nullptr;
};

/// Closes the program's windows: open modal dialogs first, then every top-level window,
/// and then ends the event loop and every loop nested in it.
void CloseAllWindows();

} // namespace ombrix
