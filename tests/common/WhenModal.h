// Acting on a modal dialog while the exec() that shows it blocks the test: the helper
// polls from the event loop that the dialog runs, and acts once the dialog is up.
#pragma once

#include <QWidget>

#include <functional>

namespace ombrix::testing {

/// Polls every 10 ms for an active modal widget and hands the first one to `act`.
void WhenModal(std::function<void(QWidget*)> act);

/// Runs `act` once `dialog` has become the active modal widget.
void WhenModal(QWidget* dialog, std::function<void()> act);

} // namespace ombrix::testing
