#include "AutomatonTimer.h"

#include "Application.h"

namespace ombrix {

TAutomatonTimer::TAutomatonTimer(QObject* parent) : QObject(parent) {
    Timer_.setTimerType(Qt::PreciseTimer);
    Timer_.setInterval(1000);
    connect(&Timer_, &QTimer::timeout, this, Guarded([this] {
        if (OnTimer)
            OnTimer();
    }));
}

void TAutomatonTimer::SetInterval(int milliseconds) {
    if (milliseconds == Timer_.interval())
        return;
    Timer_.setInterval(milliseconds); // an active timer restarts its count
}

void TAutomatonTimer::SetEnabled(bool enabled) {
    if (enabled)
        Timer_.start(); // a fresh count also when it was running
    else
        Timer_.stop();
}

} // namespace ombrix
