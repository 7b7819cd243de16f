#include "CloseSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace ombrix {

namespace {

constexpr std::array<int, 3> CloseSignalNumbers{SIGTERM, SIGHUP, SIGINT};

int Pipe[2] = {-1, -1};

extern "C" void OnCloseSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TCloseSignals::TCloseSignals(std::function<void()> close, QObject* parent)
    : QObject(parent), Close_(std::move(close)) {
    if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        Pipe[0] = Pipe[1] = -1;
        return;
    }
    Notifier_ = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier_, &QSocketNotifier::activated, this, &TCloseSignals::Received);
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int number : CloseSignalNumbers) {
        // A signal ignored from the start (nohup) stays ignored.
        struct sigaction old {};
        if (::sigaction(number, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(number, &action, nullptr);
    }
}

TCloseSignals::~TCloseSignals() {
    if (!Notifier_)
        return;
    for (const int number : CloseSignalNumbers) {
        struct sigaction old {};
        if (::sigaction(number, nullptr, &old) == 0 && old.sa_handler == OnCloseSignal)
            std::signal(number, SIG_DFL);
    }
    delete Notifier_;
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}

void TCloseSignals::Received() {
    char bytes[16];
    while (::read(Pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (Close_)
        Close_();
}

void CloseAllWindows() {
    // A modal dialog runs a loop of its own; closing it returns from that loop.
    for (int left = 16; left > 0; --left) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            break;
        modal->close();
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible())
            window->close();
    // Loops that are still running (a dialog that would not close) end here too.
    QCoreApplication::exit(0);
}

} // namespace ombrix
