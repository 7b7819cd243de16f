// Test helper: acts on the next modal widget without blocking, so that the modal
// widget's own event loop can run above the code that opened it.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ombrix::testing {

/// Polls every 10 ms for a modal widget and hands the first one to `act`.
inline void WhenModal(std::function<void(QWidget*)> act) {
    auto* poller = new QTimer;
    poller->setInterval(10);
    QObject::connect(poller, &QTimer::timeout, [poller, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poller->stop();
            poller->deleteLater();
            act(modal);
        }
    });
    poller->start();
}

} // namespace ombrix::testing
