#include "StopSignals.h"

#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace ombrix {

namespace {

constexpr std::array<int, 3> StopSignals{SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t Received = 0;
volatile std::sig_atomic_t AtOnce = 0;
int Pipe[2] = {-1, -1};
std::array<bool, 3> Caught{};
char Message[512] = "";
volatile std::size_t MessageSize = 0;

extern "C" void OnStopSignal(int signal) {
    const int saved = errno;
    Received = signal;
    if (AtOnce)
        EndBySignal(signal);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void CatchStopSignals(TStopAction action, bool secondEnds) {
    SetStopAction(action);
    std::signal(SIGPIPE, SIG_IGN);
    if (Pipe[0] < 0 && ::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        Pipe[0] = Pipe[1] = -1;
    // Without the pipe a signal would be lost: it keeps its default action.
    if (Pipe[0] < 0 && action == TStopAction::Notify)
        return;
    struct sigaction handler {};
    handler.sa_handler = OnStopSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART | (secondEnds ? SA_RESETHAND : 0);
    for (std::size_t i = 0; i < StopSignals.size(); ++i) {
        struct sigaction old {};
        if (::sigaction(StopSignals[i], nullptr, &old) != 0)
            continue;
        // Ignored from the start (nohup): it stays so.
        if (old.sa_handler == SIG_IGN && !Caught[i])
            continue;
        Caught[i] = ::sigaction(StopSignals[i], &handler, nullptr) == 0;
    }
}

void SetStopAction(TStopAction action) {
    AtOnce = action == TStopAction::EndAtOnce;
}

int StopSignalReceived() {
    return Received;
}

void SetStopMessage(const std::string& message) {
    MessageSize = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(Message, message.data(), std::min(message.size(), sizeof Message));
    std::atomic_signal_fence(std::memory_order_seq_cst);
    MessageSize = std::min(message.size(), sizeof Message);
}

void EndBySignal(int signal) {
    if (MessageSize > 0 && ::write(STDERR_FILENO, Message, MessageSize) < 0) {
        // Nothing more can be said.
    }
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal); // a signal whose default is not to end (it cannot be one of ours)
}

void ReleaseStopSignals() {
    for (std::size_t i = 0; i < StopSignals.size(); ++i)
        if (std::exchange(Caught[i], false))
            std::signal(StopSignals[i], SIG_DFL);
}

TStopNotifier::TStopNotifier(std::function<void()> received, QObject* parent)
    : QObject(parent), Received_(std::move(received)) {
    if (Pipe[0] < 0)
        return;
    Notifier_ = new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this);
    connect(Notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(Pipe[0], bytes, sizeof bytes) > 0) {
        }
        if (Received_)
            Received_();
    });
}

} // namespace ombrix
