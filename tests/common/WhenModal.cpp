#include "WhenModal.h"

#include <QApplication>
#include <QTimer>

namespace ombrix::testing {

namespace {

// Polls until `wanted` accepts the active modal widget, then hands it to `act` once.
void PollForModal(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act) {
    auto* poller = new QTimer;
    poller->setInterval(10);
    QObject::connect(poller, &QTimer::timeout,
                     [poller, wanted = std::move(wanted), act = std::move(act)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (!modal || !wanted(modal))
                             return;
                         poller->stop();
                         poller->deleteLater();
                         act(modal);
                     });
    poller->start();
}

} // namespace

void WhenModal(std::function<void(QWidget*)> act) {
    PollForModal([](QWidget*) { return true; }, std::move(act));
}

void WhenModal(QWidget* dialog, std::function<void()> act) {
    PollForModal([dialog](QWidget* modal) { return modal == dialog; },
                 [act = std::move(act)](QWidget*) { act(); });
}

} // namespace ombrix::testing
