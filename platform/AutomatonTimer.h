// The automaton's periodic timer. Ticks arrive as events of the user-interface
// thread and never pile up: at most one is pending, so a slow generation makes the
// automaton run slower rather than work off a backlog. Enabling it starts a fresh
// count, and so does a change to a different interval while it runs.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace ombrix {

class TAutomatonTimer : public QObject {
    Q_OBJECT
public:
    explicit TAutomatonTimer(QObject* parent = nullptr);

    int Interval() const { return Timer_.interval(); }
    /// Interval in milliseconds; setting the value it already has changes nothing.
    void SetInterval(int milliseconds);

    bool Enabled() const { return Timer_.isActive(); }
    void SetEnabled(bool enabled);

    std::function<void()> OnTimer;

private:
    QTimer Timer_;
};

} // namespace ombrix
