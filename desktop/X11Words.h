// The words for the root background's failures (TRootError), in one table: in English
// for logs and the command-line programs, in the user's language for the window.
#pragma once

#include "X11Root.h"

#include <QString>

#include <string>

namespace ombrix {

/// What `failure` means, in English, with its subject or number filled in.
std::string RootFailureEnglish(TRootFailure failure, const std::string& subject, long number);

/// What `error` means, in the user's language (the translation context "Background").
QString RootErrorWords(const TRootError& error);

} // namespace ombrix
