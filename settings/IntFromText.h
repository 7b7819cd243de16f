// Integer texts as the settings file and the detail settings dialog write them:
// leading blanks (character 32 only), then either a decimal number with an optional
// sign or "$" and hexadecimal digits, within 32 bits, and nothing after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ombrix {

/// The value of a valid integer text, or nothing for any other text.
std::optional<std::int32_t> StrictIntFromText(std::string_view text);

/// The value of a valid integer text, or `fallback` for any other text.
std::int32_t IntFromText(std::string_view text, std::int32_t fallback);

} // namespace ombrix
