#include "LookFile.h"

#include "Error.h"
#include "IniFile.h"
#include "ProfileStore.h"
#include "Random.h"
#include "SafeFile.h"
#include "Settings.h"
#include "WholeFile.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace ombrix {

namespace {

constexpr const char* LookKeys[] = {"TilingType", "AreaW", "AreaH",     "PrmG",
                                    "PrmK1",      "PrmK2", "UseColCnt", "ColDiv"};

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.string();
}

} // namespace

void WriteLookFile(const std::string& path, const TLook& look) {
    const std::int32_t values[] = {look.TilingType, look.AreaW, look.AreaH,     look.PrmG,
                                   look.PrmK1,      look.PrmK2, look.UseColCnt, look.ColDiv};
    TProfileText text{std::string()};
    for (std::size_t i = 0; i < std::size(LookKeys); ++i)
        text.Set(SettingsSection, LookKeys[i], std::to_string(values[i]));
    const int colors = std::clamp(look.UseColCnt, 0, ColorTableSize);
    for (int i = 0; i < colors; ++i)
        text.Set(SettingsSection, ColorKey(i),
                 std::to_string(static_cast<std::int32_t>(look.ColorTable[i])));
    try {
        ReplaceFile(ReplacementTarget(path), {text.Text()});
    } catch (const TError& error) {
        throw TError(TFailure::WriteSettings, FullPath(path), error.Code());
    }
}

TLook ReadLookFile(const std::string& path) {
    const TWholeFile file = ReadWholeFile(path);
    if (!file.Exists || file.Error)
        throw TError(TFailure::ReadFile, FullPath(path),
                     file.Error ? file.Error
                                : std::make_error_code(std::errc::no_such_file_or_directory));
    const TIniFile ini(path);
    const bool holdsALook = std::any_of(std::begin(LookKeys), std::end(LookKeys), [&](auto key) {
        return !ini.ReadText(SettingsSection, key, "").empty();
    });
    if (ini.ReadError())
        throw ini.ReadFailure();
    if (!holdsALook)
        throw TError(TFailure::NotALookFile, FullPath(path));
    auto model = std::make_unique<TFieldModel>();
    std::int32_t speed = 0;
    std::string fileName;
    // The colours a start without a settings file draws: from RandSeed 0.
    TRandomStream start(0);
    start.Run([&] { ReadSettings(ini, *model, speed, fileName); });
    return LookOf(*model);
}

} // namespace ombrix
