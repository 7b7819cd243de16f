#include "X11Worker.h"

#include <QCoreApplication>
#include <QPointer>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ombrix {

namespace {

std::atomic<bool> Busy{false}; // one worker at a time, in the whole process

// A connected local socket to the server of `display`; -1 when there is none (or it is
// reached over TCP), -2 when its server takes no more connections (it does not accept).
int LocalSocket(const std::string& display) {
    const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    char* host = nullptr;
    int number = 0;
    if (!name || !xcb_parse_display(name, &host, &number, nullptr))
        return -1;
    std::string hostName = host ? host : "";
    std::free(host);
    std::string path;
    if (hostName.empty() || hostName == "unix")
        path = "/tmp/.X11-unix/X" + std::to_string(number);
    else if (hostName.front() == '/')
        path = hostName; // a socket's own path, as launchd-style names give it
    else
        return -1;
    // The abstract name first, as the X library tries it, then the file.
    for (const bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        if (path.size() + offset >= sizeof address.sun_path)
            return -1;
        std::memcpy(address.sun_path + offset, path.data(), path.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return -1;
        const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0)
            return fd;
        const int failure = errno;
        close(fd);
        if (failure == EAGAIN)
            return -2;
    }
    return -1;
}

} // namespace

bool X11Answers(const std::string& display, std::chrono::milliseconds answer) {
    // A display over TCP is not probed, nor one that cannot be reached at all: the X
    // library says why it cannot open it.
    const int fd = LocalSocket(display);
    if (fd < 0)
        return fd == -1;
    // A connection setup with no authorization: any reply, refusal included, will do.
    const std::uint16_t one = 1;
    const char order = *reinterpret_cast<const char*>(&one) == 1 ? 'l' : 'B';
    const std::uint16_t major = 11;
    char setup[12] = {order, 0};
    std::memcpy(setup + 2, &major, 2);
    // A reply, or the server closing the connection, is an answer; silence is not.
    bool answered = false;
    if (send(fd, setup, sizeof setup, MSG_NOSIGNAL) == ssize_t(sizeof setup)) {
        pollfd wait{fd, POLLIN, 0};
        int ready;
        do
            ready = poll(&wait, 1, int(answer.count()));
        while (ready < 0 && errno == EINTR);
        answered = ready == 1;
    } else {
        answered = true; // gone already: the X library says so
    }
    close(fd);
    return answered;
}

TX11Cancel StartX11Work(QObject* context, const std::string& display,
                        std::chrono::milliseconds answer,
                        std::function<QString(const TX11Proceed& proceed)> work,
                        std::function<QString(std::exception_ptr)> words,
                        std::function<void(const QString& reason)> then) {
    if (Busy.exchange(true))
        return nullptr;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const QPointer<QObject> target(context);
    std::thread([=] {
        const TX11Proceed proceed = [&] {
            if (!*cancel && !X11Answers(display, answer))
                return QCoreApplication::translate("Background",
                                                   "the X server did not answer within %1 s")
                    .arg((answer.count() + 999) / 1000);
            return *cancel ? QStringLiteral("cancelled") : QString();
        };
        QString reason;
        try {
            reason = work(proceed);
        } catch (...) {
            reason = words(std::current_exception());
        }
        Busy = false;
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [target, cancel, reason, then] {
                if (target && !*cancel)
                    then(reason);
            });
    }).detach();
    return cancel;
}

} // namespace ombrix
