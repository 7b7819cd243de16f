// The English words of ombrix-render and ombrix-live for the errors the libraries throw
// (Error.h): what failed, the file's name in double quotes with its control characters
// escaped, and the system's reason.
#pragma once

#include "Error.h"

#include <exception>
#include <string>

namespace ombrix {

/// `text` with control characters (a newline in a file name) shown as escapes ("\n",
/// "\t", "\x1b"), so that a message stays one line and says what the name holds.
std::string Printable(const std::string& text);

/// E.g. `cannot write "/tmp/x.png": No such file or directory`; no full stop at the end.
std::string ErrorWords(const TError& error);

/// ErrorWords for a TError, "not enough memory" for std::bad_alloc, else what().
std::string ExceptionWords(const std::exception& error);

} // namespace ombrix
