// The application object. Every event handler of the program runs inside its
// notify(): an exception that a handler throws (a timer tick, a paint, a click, or
// a handler running while a modal dialog is open) ends that handler only. Its
// message, with "." appended, is shown in an error box and the event loop carries on.
#pragma once

#include <QApplication>
#include <QString>

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

/// Runs `handler`; an exception it throws is reported through ShowErrorBox.
/// For handlers called outside the event loop (the exit path).
template <typename Handler> void RunReportingErrors(Handler&& handler);

/// Makes the program's font names resolve to installed fonts: the Japanese
/// Gothic and Mincho faces and Times New Roman, where they are missing.
void InstallFontSubstitutes();

} // namespace ombrix

#include <exception>

namespace ombrix {

void ReportException(std::exception_ptr error);

template <typename Handler> void RunReportingErrors(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        ReportException(std::current_exception());
    }
}

} // namespace ombrix
