// The words of setting the background, chosen only here, at the edge: the names of the
// ways, the X server's failures, and the message for a background that could not be set
// or put back. They are in the user's language where the application has a translation
// installed (the window), in English where it has none (the command-line programs).
#pragma once

#include "Ways.h"

#include <QString>

namespace ombrix {

class TRootError;
struct TBackgroundResult;

/// The words shown for `way`.
QString WayName(TWay way);

/// A failure of the root window's background.
QString RootReason(const TRootError& error);

/// The message for a background that could not be set: where the picture was saved and
/// each way tried with its reason; with no `path`, that the previous background could not
/// be put back, and why. Has no full stop at the end.
QString BackgroundFailureMessage(const TBackgroundResult& result, const QString& path);

} // namespace ombrix
