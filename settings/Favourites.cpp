#include "Favourites.h"

#include "Error.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace ombrix {

namespace {

namespace fs = std::filesystem;

TFavourite FavouriteIn(const fs::path& folder, int number) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "favourite-%04d", number);
    return {number, (folder / (std::string(stem) + ".ini")).string(),
            (folder / (std::string(stem) + ".png")).string()};
}

// The number of a name "favourite-<digits>.ini", up to 9 digits; 0 for any other name.
int NumberOf(const std::string& name) {
    constexpr std::string_view prefix = "favourite-", suffix = ".ini";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix))
        return 0;
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(digits);
}

} // namespace

std::vector<TFavourite> ListFavourites(const std::string& folder) {
    std::vector<TFavourite> favourites;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const int number = NumberOf(entry->path().filename().string());
        if (number > 0 && entry->is_regular_file(error))
            favourites.push_back(FavouriteIn(folder, number));
    }
    std::sort(favourites.begin(), favourites.end(),
              [](const TFavourite& a, const TFavourite& b) { return a.Number < b.Number; });
    return favourites;
}

TFavourite NextFavourite(const std::string& folder) {
    const std::vector<TFavourite> favourites = ListFavourites(folder);
    return FavouriteIn(folder, favourites.empty() ? 1 : favourites.back().Number + 1);
}

void RemoveFavourite(const TFavourite& favourite) {
    std::error_code error;
    fs::remove(favourite.LookPath, error);
    if (error)
        throw TError(TFailure::RemoveFile, favourite.LookPath, error);
    fs::remove(favourite.PreviewPath, error);
}

} // namespace ombrix
