// The integer conversion against a plain reading of its rule: blanks, then "$" and at
// most eight significant hexadecimal digits (the 32 bits read as signed), or an optional
// sign and at most ten significant decimal digits within the 32-bit range.
#include "IntFromText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool AllOf(std::string_view digits, bool (*isDigit)(char)) {
    for (char ch : digits)
        if (!isDigit(ch))
            return false;
    return !digits.empty();
}

bool IsHex(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

bool IsDecimal(char ch) {
    return ch >= '0' && ch <= '9';
}

std::string_view Significant(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view("0") : digits.substr(first);
}

std::optional<std::int32_t> Reference(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    if (text.starts_with('$')) {
        const std::string_view digits = text.substr(1);
        if (!AllOf(digits, IsHex) || Significant(digits).size() > 8)
            return std::nullopt;
        const auto value = std::strtoull(std::string(digits).c_str(), nullptr, 16);
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    if (text.starts_with('+') || text.starts_with('-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!AllOf(text, IsDecimal) || Significant(text).size() > 10)
        return std::nullopt;
    const long long magnitude = std::strtoll(std::string(Significant(text)).c_str(), nullptr, 10);
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = Reference(text);
    if (ombrix::StrictIntFromText(text) != expected)
        std::abort();
    if (ombrix::IntFromText(text, 12345) != expected.value_or(12345))
        std::abort();
    return 0;
}
