// Errors raised by event handlers. An exception that a handler throws (a timer tick,
// a paint, a click, or a handler running while a modal dialog is open) ends that
// handler only: its message, with "." appended, is shown in an error box and the
// event loop carries on. Handlers are bound through Guarded(), which catches at the
// handler's own edge, so no exception travels through the toolkit's frames; the
// application object's notify() catches whatever still reaches it.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>

namespace ombrix {

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

/// The error box: error icon, OK button, the application's name as caption,
/// the message with "." appended. Returns when the user closes it.
void ShowErrorBox(const QString& message);

/// Shows the text of an exception (ExceptionText) in the error box.
void ReportException(std::exception_ptr error);

/// Runs `handler`; an exception it throws is reported through ShowErrorBox.
template <typename Handler> void RunReportingErrors(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        ReportException(std::current_exception());
    }
}

/// Wraps an event handler so that its errors are reported and the loop carries on.
template <typename Handler> auto Guarded(Handler handler) {
    return [handler] { RunReportingErrors(handler); };
}

/// Gives the application its name, its desktop id (the name of its desktop entry, which
/// desktops use to match windows with it) and its icon, which every window shows.
void SetUpDesktopIdentity();

} // namespace ombrix
