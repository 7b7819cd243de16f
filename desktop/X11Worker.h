// Work on an X display off the caller's thread, bounded. An X server that accepts and
// never answers would hold a thread in the X library for ever, so such work runs on one
// worker at a time in the whole process: while one still waits, the next attempt fails
// at once instead of leaving another thread and connection behind. Before it changes
// anything the worker checks, within a deadline of its own, that the server answers at
// all (any reply to a connection setup will do), and that its caller still wants it: an
// attempt that was already told to have failed or been cancelled changes nothing later.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ombrix {

/// Set by the caller when it no longer wants the work's effect.
using TX11Cancel = std::shared_ptr<std::atomic<bool>>;

/// The worker's view of its caller: empty while the server answers (checked once, within
/// `answer`) and the caller still wants the work done, else why not. The work calls it
/// just before it changes anything and gives up with that reason.
using TX11Proceed = std::function<QString()>;

/// Runs `work` on the worker; its reason (empty: done) reaches `then` on `context`'s
/// thread unless the returned flag was set first or `context` is gone. Exceptions are
/// turned into reasons by `words`. Returns null, running nothing, when an earlier work
/// has not ended yet.
TX11Cancel StartX11Work(QObject* context, const std::string& display,
                        std::chrono::milliseconds answer,
                        std::function<QString(const TX11Proceed& proceed)> work,
                        std::function<QString(std::exception_ptr)> words,
                        std::function<void(const QString& reason)> then);

/// False when the X server of `display` (":N", "unix:N", "/path/to/socket:N", or empty:
/// DISPLAY) takes a connection and does not reply to its setup within `answer`. Displays
/// reached over TCP, and local ones with no server listening, are not probed (true).
bool X11Answers(const std::string& display, std::chrono::milliseconds answer);

} // namespace ombrix
