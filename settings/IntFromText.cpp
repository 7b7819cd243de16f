#include "IntFromText.h"

namespace ombrix {

namespace {

std::optional<std::int32_t> HexValue(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    for (char ch : digits) {
        std::uint32_t digit;
        if (ch >= '0' && ch <= '9')
            digit = static_cast<std::uint32_t>(ch - '0');
        else if (ch >= 'A' && ch <= 'F')
            digit = static_cast<std::uint32_t>(ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f')
            digit = static_cast<std::uint32_t>(ch - 'a' + 10);
        else
            return std::nullopt;
        if (value > 0x0FFFFFFFu)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::int32_t>(value); // the 32 bits read as a signed number
}

std::optional<std::int32_t> DecimalValue(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        if (value > 214748364)
            return std::nullopt;
        value = value * 10 + (ch - '0');
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::int32_t> StrictIntFromText(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '$')
        return HexValue(text.substr(1));
    return DecimalValue(text);
}

std::int32_t IntFromText(std::string_view text, std::int32_t fallback) {
    return StrictIntFromText(text).value_or(fallback);
}

} // namespace ombrix
