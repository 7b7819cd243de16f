#include "IniFile.h"

#include "IntFromText.h"
#include "SafeFile.h"
#include "WholeFile.h"

#include <filesystem>
#include <new>

namespace ombrix {

std::string TIniFile::FullPath() const {
    std::error_code error;
    const std::filesystem::path fullPath = std::filesystem::absolute(FileName_, error);
    return error ? FileName_ : fullPath.string();
}

void TIniFile::Load() const {
    if (Read_)
        return;
    try {
        TWholeFile file = ReadWholeFile(FileName_);
        ReadError_ = file.Error;
        Read_.emplace(std::move(file.Bytes));
    } catch (const std::bad_alloc&) {
        ReadError_ = std::make_error_code(std::errc::not_enough_memory);
        Read_.emplace(std::string());
    }
}

TError TIniFile::ReadFailure() const {
    return TError(TFailure::ReadFile, FullPath(), ReadError_);
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    Load();
    std::string text;
    try {
        text = Read_->Find(section, key).value_or(std::string(fallback));
    } catch (const std::bad_alloc&) { // indexing a huge file
        ReadError_ = std::make_error_code(std::errc::not_enough_memory);
        Read_.emplace(std::string());
        text = fallback;
    }
    if (text.size() > MaxTextLength)
        text.resize(MaxTextLength);
    return text;
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    Writes_.push_back({std::string(section), std::string(key), std::string(value)});
}

std::int32_t TIniFile::ReadNumber(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    std::string text = ReadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'X' || text[1] == 'x'))
        text.replace(0, 2, "$");
    return IntFromText(text, fallback);
}

void TIniFile::WriteNumber(std::string_view section, std::string_view key, std::int32_t value) {
    WriteText(section, key, std::to_string(value));
}

void TIniFile::UpdateFile() {
    const std::vector<TWrite> writes = std::move(Writes_);
    Writes_.clear();
    const std::string target = ReplacementTarget(FileName_);
    TWholeFile file = ReadWholeFile(target);
    if (file.Error)
        throw TError(TFailure::WriteSettings, FullPath(), file.Error);
    TProfileText text(std::move(file.Bytes));
    for (const TWrite& write : writes)
        if (!text.Set(write.Section, write.Key, write.Value))
            throw TError(TFailure::WriteSettings, FullPath());
    const std::string updated = text.Text();
    if (file.Exists && updated == text.Original())
        return;
    try {
        ReplaceFile(target, {updated});
    } catch (const TError& error) {
        throw TError(TFailure::WriteSettings, FullPath(), error.Code());
    }
}

} // namespace ombrix
