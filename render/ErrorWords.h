// The English words of ombrix-render and ombrix-live for the errors the libraries throw
// (Error.h): what failed, the file's name in double quotes, and the system's reason. The
// callers escape the line as they print it.
#pragma once

#include "Error.h"

#include <exception>
#include <string>

namespace ombrix {

/// E.g. `cannot write "/tmp/x.png": No such file or directory`; no full stop at the end.
std::string ErrorWords(const TError& error);

/// ErrorWords for a TError, "not enough memory" for std::bad_alloc, else what().
std::string ExceptionWords(const std::exception& error);

} // namespace ombrix
