// The yardstick for the profile store: reading one key from an INI text, and setting one
// key in it, each over the whole text, by the rules in ProfileStore.h. It is slow and
// plain on purpose; the tests hold TProfileText, which reads the text once for many keys,
// to the bytes these give key by key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ombrix::testing {

/// The value of `key` in `section` of the INI text `text`, or nothing when the section
/// or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

/// `text` with `key` in `section` set to `value` (cut at its first line break); nothing
/// when the names cannot be written.
std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value);

} // namespace ombrix::testing
