// How a modal form ended, as its buttons and close command set it: the results the
// program's own dialogs give from exec(). The toolkit's standard dialogs give
// QDialog::Accepted and QDialog::Rejected instead.
#pragma once

namespace ombrix {

enum TModalResult : int {
    ResultNone = 0,   ///< still open: a close that was refused
    ResultOK = 1,     ///< the OK button
    ResultCancel = 2, ///< the cancel button, Esc or the window's close command
};

} // namespace ombrix
