#include "ProfileStore.h"

#include "SafeFile.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

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

/// One line of the text: [Begin, End) is its content, [End, Next) its line ending.
struct Line {
    std::size_t Begin;
    std::size_t End;
    std::size_t Next;
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t lf = text.find('\n', pos);
        const std::size_t stop = lf == std::string_view::npos ? text.size() : lf;
        std::size_t end = stop;
        if (end > pos && text[end - 1] == '\r')
            --end;
        const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind Kind = LineKind::Other;
    std::string_view Name;     ///< the section's or the key's name
    std::size_t ValueBegin{0}; ///< offset of a key's value within the line
};

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

/// Where a key stands in a text, or where it would go.
struct KeyPlace {
    std::vector<Line> Lines;
    std::optional<std::size_t> KeyLine;     ///< the line holding the key
    std::optional<std::size_t> SectionLine; ///< the section's first line
    std::optional<std::size_t> LastKeyLine; ///< the last key line after it, in that block
};

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

KeyPlace LocateKey(std::string_view text, std::string_view section, std::string_view key) {
    KeyPlace place;
    place.Lines = SplitLines(text);
    bool inSection = false;
    bool inFirstBlock = false;
    for (std::size_t i = 0; i < place.Lines.size(); ++i) {
        const Line& line = place.Lines[i];
        std::string_view content = text.substr(line.Begin, line.End - line.Begin);
        if (i == 0 && content.starts_with(Utf8Bom))
            content.remove_prefix(Utf8Bom.size()); // only a section line needs it gone
        const ParsedLine parsed = ParseLine(content);
        if (parsed.Kind == LineKind::Section) {
            inSection = SameName(parsed.Name, section);
            inFirstBlock = inSection && !place.SectionLine;
            if (inFirstBlock)
                place.SectionLine = i;
        } else if (parsed.Kind == LineKind::Key && inSection) {
            if (SameName(parsed.Name, key)) {
                place.KeyLine = i;
                break;
            }
            if (inFirstBlock)
                place.LastKeyLine = i;
        }
    }
    return place;
}

bool WritableSection(std::string_view section) {
    return !section.empty() && section.find_first_of("]\r\n") == std::string_view::npos;
}

bool WritableKey(std::string_view key) {
    return !key.empty() && key.find_first_of("=\r\n") == std::string_view::npos &&
           key.front() != ';' && key.front() != '#' && key.front() != '[';
}

/// The line ending of the text's first line, or LF when it has none.
std::string_view NewLineOf(std::string_view text) {
    const std::size_t lf = text.find('\n');
    if (lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r')
        return "\r\n";
    return "\n";
}

/// A file's bytes as read, or why it could not be read; a missing file is no error.
struct FileText {
    bool Exists = false;
    std::string Text;
    struct stat Status {};
    std::error_code Error;
};

std::error_code LastError() {
    return {errno, std::system_category()};
}

FileText ReadWholeFile(const std::string& path) {
    FileText file;
    // O_NONBLOCK keeps a FIFO at the settings path from stalling the open.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            file.Error = LastError();
        return file;
    }
    if (fstat(fd, &file.Status) != 0) {
        file.Error = LastError();
    } else if (!S_ISREG(file.Status.st_mode)) {
        file.Error = {S_ISDIR(file.Status.st_mode) ? EISDIR : EINVAL, std::system_category()};
    } else {
        file.Exists = true;
        file.Text.reserve(static_cast<std::size_t>(file.Status.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                file.Error = LastError();
                file.Exists = false;
                break;
            }
            if (n == 0)
                break;
            file.Text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return file;
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty())
        return std::nullopt;
    const KeyPlace place = LocateKey(text, section, key);
    if (!place.KeyLine)
        return std::nullopt;
    const Line& line = place.Lines[*place.KeyLine];
    const std::string_view content = text.substr(line.Begin, line.End - line.Begin);
    return std::string(content.substr(ParseLine(content).ValueBegin));
}

std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!WritableSection(section) || !WritableKey(key))
        return std::nullopt;
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::string_view newLine = NewLineOf(text);
    const KeyPlace place = LocateKey(text, section, key);
    std::string result;
    result.reserve(text.size() + section.size() + key.size() + value.size() + 8);

    if (place.KeyLine) {
        const Line& line = place.Lines[*place.KeyLine];
        const std::string_view content = text.substr(line.Begin, line.End - line.Begin);
        result.append(text.substr(0, line.Begin + ParseLine(content).ValueBegin));
        result.append(value);
        result.append(text.substr(line.End));
        return result;
    }

    std::string entry(key);
    entry += '=';
    entry.append(value);
    entry.append(newLine);

    if (place.SectionLine) {
        const Line& anchor = place.Lines[place.LastKeyLine.value_or(*place.SectionLine)];
        if (anchor.Next > 0 && text[anchor.Next - 1] == '\n') {
            result.append(text.substr(0, anchor.Next));
        } else {
            // The anchor is the last line and has no LF: end it before the new line.
            result.append(text.substr(0, anchor.End));
            result.append(newLine);
        }
        result.append(entry);
        result.append(text.substr(anchor.Next));
        return result;
    }

    result.append(text);
    if (!place.Lines.empty()) {
        const Line& last = place.Lines.back();
        if (text.back() != '\n') {
            result.resize(last.End); // drops a lone CR that ends the file
            result.append(newLine);
        }
        if (!Trim(text.substr(last.Begin, last.End - last.Begin)).empty())
            result.append(newLine);
    }
    result += '[';
    result.append(section);
    result += ']';
    result.append(newLine);
    result.append(entry);
    return result;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    const FileText file = ReadWholeFile(path);
    if (!file.Exists)
        return std::string(fallback);
    if (std::optional<std::string> value = FindProfileValue(file.Text, section, key))
        return *std::move(value);
    return std::string(fallback);
}

std::error_code WriteProfileString(const std::string& path, std::string_view section,
                                   std::string_view key, std::string_view value) {
    const std::string target = ReplacementTarget(path);
    const FileText file = ReadWholeFile(target);
    if (file.Error)
        return file.Error;
    const std::optional<std::string> updated = SetProfileValue(file.Text, section, key, value);
    if (!updated)
        return {EINVAL, std::system_category()};
    if (file.Exists && *updated == file.Text)
        return {};
    if (const auto failure = ReplaceFile(target, {*updated}))
        return failure->Error;
    return {};
}

} // namespace ombrix
