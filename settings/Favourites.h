// The favourite looks, kept in one folder: favourite NNNN is the look file
// "favourite-NNNN.ini" (LookFile.h) with its picture "favourite-NNNN.png" beside it.
// Only the look file makes a favourite; a picture alone is left where it is.
#pragma once

#include <string>
#include <vector>

namespace ombrix {

struct TFavourite {
    int Number = 0;
    std::string LookPath;
    std::string PreviewPath;
};

/// The favourites in `folder`, lowest number first; a folder that is missing or cannot
/// be read holds none.
std::vector<TFavourite> ListFavourites(const std::string& folder);

/// Where the next favourite goes: one number above the highest in `folder` (1 in an
/// empty or missing folder). Creates nothing.
TFavourite NextFavourite(const std::string& folder);

/// Removes the favourite's look file, then its picture. Throws TError
/// (TFailure::RemoveFile, the look file) when the look file is there and cannot be
/// removed; a picture that cannot be removed is left.
void RemoveFavourite(const TFavourite& favourite);

} // namespace ombrix
