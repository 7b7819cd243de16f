// The words the window shows for an error: the program's errors (Error.h) and a lack of
// memory in the designed Japanese texts, through the translation in the user's language
// (Translations.h). The libraries below choose no words; this is the one place that does.
#pragma once

#include "Error.h"

#include <QString>

#include <exception>

namespace ombrix {

/// The text for `error`: the failure's designed text with the subject (a file's path)
/// in place, translated. Has no full stop at the end; the error box adds it.
QString ErrorText(const TError& error);

/// The text for any exception that reaches the event loop: ErrorText for a TError,
/// "ｼｽﾃﾑ ﾘｿｰｽが足りません" for std::bad_alloc (both translated), the what() of any other
/// std::exception as it is, and "予期しないエラーが発生しました" for anything else.
QString ExceptionText(std::exception_ptr error);

} // namespace ombrix
