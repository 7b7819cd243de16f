// Acting on a dialog while a modal exec() of it blocks the test.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ombrix::testing {

/// Runs `act` once `dialog` has become the active modal widget.
inline void WhenModal(QWidget* dialog, std::function<void()> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, dialog, act = std::move(act)] {
        if (QApplication::activeModalWidget() != dialog)
            return;
        timer->stop();
        timer->deleteLater();
        act();
    });
    timer->start();
}

} // namespace ombrix::testing
