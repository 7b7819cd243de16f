// Access to the settings file. A TIniFile holds only the file's path: it opens and
// caches nothing, every read and every write goes straight to the profile store
// (ProfileStore.h, which also describes the file's lexical rules).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace ombrix {

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : FileName_(std::move(fileName)) {}

    const std::string& FileName() const { return FileName_; }

    /// The key's text, or `fallback` when the file, section or key is missing; either way
    /// at most the first 1023 characters.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view fallback) const;

    /// Sets the key's text (an empty text stays an empty value). Throws
    /// std::runtime_error "<full path> に書き込めません" when the store refuses the write.
    void WriteText(std::string_view section, std::string_view key, std::string_view value) const;

    /// The key's integer: a text of more than 2 characters starting "0x" or "0X" is read
    /// as "$" and the rest; then IntFromText with `fallback`.
    std::int32_t ReadNumber(std::string_view section, std::string_view key,
                            std::int32_t fallback) const;

    /// Writes the value as plain decimal text, "-" before negative values.
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value) const;

private:
    std::string FileName_;
};

/// The most characters ReadText gives back.
inline constexpr std::size_t MaxTextLength = 1023;

} // namespace ombrix
