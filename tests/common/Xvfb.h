// A private X server for tests: Xvfb with one screen of a given size, no TCP, and no
// reset when its last client goes (a root background set by a program that has exited
// stays there to be read back).
#pragma once

#include <QProcess>
#include <QString>

namespace ombrix::testing {

/// Starts Xvfb in `xvfb` with one `width` x `height` screen of depth 24 and waits (up to
/// a minute) until it takes clients. Returns its display name, ":N", or an empty text
/// when it did not start. The caller ends the process.
QString StartXvfb(QProcess& xvfb, int width, int height);

} // namespace ombrix::testing
