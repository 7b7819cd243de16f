#include "IniFile.h"

#include "IntFromText.h"
#include "ProfileStore.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace ombrix {

std::string TIniFile::ReadText(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    std::string text = ReadProfileString(FileName_, section, key, fallback);
    if (text.size() > MaxTextLength)
        text.resize(MaxTextLength);
    return text;
}

void TIniFile::WriteText(std::string_view section, std::string_view key,
                         std::string_view value) const {
    if (!WriteProfileString(FileName_, section, key, value))
        return;
    std::error_code error;
    std::filesystem::path fullPath = std::filesystem::absolute(FileName_, error);
    const std::string shown = error ? FileName_ : fullPath.string();
    throw std::runtime_error(shown + " に書き込めません");
}

std::int32_t TIniFile::ReadNumber(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    std::string text = ReadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'X' || text[1] == 'x'))
        text.replace(0, 2, "$");
    return IntFromText(text, fallback);
}

void TIniFile::WriteNumber(std::string_view section, std::string_view key,
                           std::int32_t value) const {
    WriteText(section, key, std::to_string(value));
}

} // namespace ombrix
