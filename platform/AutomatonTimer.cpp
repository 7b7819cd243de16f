#include "AutomatonTimer.h"

#include "Application.h"

namespace ombrix {

TAutomatonTimer::TAutomatonTimer(QObject* parent) : QObject(parent) {
    Timer.setTimerType(Qt::PreciseTimer);
    Timer.setInterval(1000);
    connect(&Timer, &QTimer::timeout, this, Guarded([this] {
        if (OnTimer)
            OnTimer();
    }));
}

void TAutomatonTimer::SetInterval(int milliseconds) {
    if (milliseconds == Timer.interval())
        return;
    Timer.setInterval(milliseconds); // an active timer restarts its count
}

void TAutomatonTimer::SetEnabled(bool enabled) {
    if (enabled)
        Timer.start(); // a fresh count also when it was running
    else
        Timer.stop();
}

} // namespace ombrix
