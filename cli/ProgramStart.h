// The start every command-line program of Ombrix makes the same way: the toolkit's own
// notices quieted and the line --version prints.
#pragma once

#include <string>

namespace ombrix {

/// From now on the toolkit's notices (a missing XDG_RUNTIME_DIR and the like) are not
/// shown; its fatal and critical messages are, as "PROGRAM: message" on standard error.
void QuietToolkit(const char* program);

/// What --version prints: "PROGRAM 1.03" and a line end.
std::string VersionLine(const char* program);

} // namespace ombrix
