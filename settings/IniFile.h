// Access to the settings file. A TIniFile reads the file at most once, at its first
// read, and serves every key from what it read; writes are collected and go to the file
// together, in one replacement, when UpdateFile is called. The file then holds exactly
// what writing the keys one by one would give (ProfileStore.h describes the file's rules),
// but a failure leaves the whole old file. When the settings path is a symbolic link, the
// file it points to is written and the link stays.
#pragma once

#include "Error.h"
#include "ProfileStore.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace ombrix {

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : FileName_(std::move(fileName)) {}

    const std::string& FileName() const { return FileName_; }

    /// The key's text, or `fallback` when the file, section or key is missing or the file
    /// cannot be read; either way at most the first 1023 characters. Writes not yet put
    /// in the file are not seen.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view fallback) const;

    /// Why the file could not be read at the first read; empty when it was read, is
    /// missing, or has not been read yet.
    std::error_code ReadError() const { return ReadError_; }

    /// The error for a file that could not be read: TFailure::ReadFile, the file's full
    /// path and ReadError().
    TError ReadFailure() const;

    /// Notes the key's text for the next UpdateFile (an empty text stays an empty value).
    void WriteText(std::string_view section, std::string_view key, std::string_view value);

    /// The key's integer: a text of more than 2 characters starting "0x" or "0X" is read
    /// as "$" and the rest; then IntFromText with `fallback`.
    std::int32_t ReadNumber(std::string_view section, std::string_view key,
                            std::int32_t fallback) const;

    /// Notes the value as plain decimal text, "-" before negative values.
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);

    /// Reads the file as it is now, sets every noted key in the order noted, and replaces
    /// the file once (not at all when its bytes would not change). Throws TError
    /// (TFailure::WriteSettings, the file's full path, the system's reason if any) when the
    /// file cannot be read or replaced or a name cannot be written, and std::bad_alloc
    /// when the memory cannot be had; the file then stays as it was. The noted keys are
    /// dropped either way.
    void UpdateFile();

private:
    struct TWrite {
        std::string Section, Key, Value;
    };

    std::string FullPath() const;
    void Load() const;

    std::string FileName_;
    mutable std::optional<TProfileText> Read_;
    mutable std::error_code ReadError_;
    std::vector<TWrite> Writes_;
};

/// The most characters ReadText gives back.
inline constexpr std::size_t MaxTextLength = 1023;

} // namespace ombrix
