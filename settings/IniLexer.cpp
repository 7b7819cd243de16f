#include "IniLexer.h"

namespace ombrix::ini {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

ParsedLine ParseLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i == line.size() || line[i] == ';' || line[i] == '#')
        return {};
    if (line[i] == '[') {
        const std::size_t close = line.find(']', i + 1);
        if (close == std::string_view::npos)
            return {};
        return {LineKind::Section, Trim(line.substr(i + 1, close - i - 1)), 0};
    }
    const std::size_t eq = line.find('=', i);
    if (eq == std::string_view::npos)
        return {};
    const std::string_view name = Trim(line.substr(i, eq - i));
    if (name.empty())
        return {};
    std::size_t valueBegin = eq + 1;
    while (valueBegin < line.size() && line[valueBegin] == ' ')
        ++valueBegin;
    return {LineKind::Key, name, valueBegin};
}

std::string AsRead(std::string_view value) {
    const std::size_t first = value.find_first_not_of(' ');
    return std::string(first == std::string_view::npos ? std::string_view() : value.substr(first));
}

bool WritableSection(std::string_view section) {
    return !section.empty() && section.find_first_of("]\r\n") == std::string_view::npos;
}

bool WritableKey(std::string_view key) {
    return !key.empty() && key.find_first_of("=\r\n") == std::string_view::npos &&
           key.front() != ';' && key.front() != '#' && key.front() != '[';
}

std::string_view NewLineOf(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos || text[end] == '\n')
        return "\n";
    return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

std::string_view EndingBefore(std::string_view newLine, std::string_view following) {
    return newLine == "\r" && following.starts_with('\n') ? "\r\n" : newLine;
}

void AppendSection(std::string& text, std::string_view section, std::string_view entries,
                   std::string_view newLine) {
    if (!text.empty()) {
        const std::string_view all = text;
        if (all.back() != '\r' && all.back() != '\n') {
            const std::size_t previous = all.find_last_of("\r\n");
            const std::size_t begin = previous == std::string_view::npos ? 0 : previous + 1;
            const bool blank = Trim(all.substr(begin)).empty();
            text.append(newLine);
            if (!blank)
                text.append(newLine);
        } else {
            const std::size_t end = all.size() - (all.ends_with("\r\n") ? 2 : 1);
            const std::size_t previous =
                end == 0 ? std::string_view::npos : all.find_last_of("\r\n", end - 1);
            const std::size_t begin = previous == std::string_view::npos ? 0 : previous + 1;
            if (!Trim(all.substr(begin, end - begin)).empty())
                // After a lone CR an LF would join it, and the blank line would be gone.
                text.append(all.back() == '\r' && newLine == "\n" ? "\r\n" : newLine);
        }
    }
    text += '[';
    text.append(section);
    text += ']';
    text.append(newLine);
    text.append(entries);
}

} // namespace ombrix::ini
