// A look in a settings file of its own, to pass on or keep as a favourite: section
// "Pendrel" with the keys TilingType, AreaW, AreaH, PrmG, PrmK1, PrmK2, UseColCnt, ColDiv
// and one colour key per colour in use, and nothing else, so the program, ombrix-render
// --settings and ombrix-live --settings read it as they read the program's settings.
#pragma once

#include "Variation.h"

#include <string>

namespace ombrix {

/// Replaces the file `path` with the look's keys, in the order above, through the safe
/// replacement (the name shows the old file or the whole new one). Throws TError
/// (TFailure::WriteSettings, the file's full path) when it cannot be written.
void WriteLookFile(const std::string& path, const TLook& look);

/// The look in the file `path`, read as ReadSettings reads the program's settings
/// (missing keys give the defaults, values are clamped into their ranges, a missing
/// colour is the one a start of the program without a settings file draws), without
/// moving RandSeed. Throws TError with the file's full path: TFailure::ReadFile when the
/// file is missing or cannot be read, TFailure::NotALookFile when it holds none of the
/// look's keys in section "Pendrel".
TLook ReadLookFile(const std::string& path);

} // namespace ombrix
