#include "CloseSignals.h"

#include "StopSignals.h"

#include <QApplication>
#include <QWidget>

namespace ombrix {

TCloseSignals::TCloseSignals(std::function<void()> close, QObject* parent)
    : QObject(parent), Close_(std::move(close)) {
    CatchStopSignals(TStopAction::Notify, /*secondEnds=*/true);
    Notifier_ = new TStopNotifier([this] { Received(); }, this);
}

TCloseSignals::~TCloseSignals() {
    ReleaseStopSignals();
}

void TCloseSignals::Received() {
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
