#include "ProfileYardstick.h"

#include "IniLexer.h"

#include <vector>

namespace ombrix::testing {

using namespace ombrix::ini;

namespace {

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
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back({pos, text.size(), text.size()});
            break;
        }
        std::size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

/// Where a new value goes in a key line: after the spaces that follow the '=', or right
/// after the '=' when the value starts with spaces itself, so that rewriting such a value
/// does not add to the spaces each time.
std::size_t ValueStart(std::string_view keyLine, std::string_view value) {
    return value.starts_with(' ') ? keyLine.find('=') + 1 : ParseLine(keyLine).ValueBegin;
}

/// Where a key stands in a text, or where it would go.
struct KeyPlace {
    std::vector<Line> Lines;
    std::optional<std::size_t> KeyLine;     ///< the line holding the key
    std::optional<std::size_t> SectionLine; ///< the section's first line
    std::optional<std::size_t> LastKeyLine; ///< the last key line after it, in that block
};

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
        result.append(text.substr(0, line.Begin + ValueStart(content, value)));
        result.append(value);
        result.append(text.substr(line.End));
        return result;
    }

    if (place.SectionLine) {
        const Line& anchor = place.Lines[place.LastKeyLine.value_or(*place.SectionLine)];
        result.append(text.substr(0, anchor.Next));
        if (anchor.Next == anchor.End) // the anchor is the last line and has no ending
            result.append(newLine);
        const std::string_view rest = text.substr(anchor.Next);
        result.append(key);
        result += '=';
        result.append(value);
        result.append(EndingBefore(newLine, rest));
        result.append(rest);
        return result;
    }

    result.append(text);
    std::string entry(key);
    entry += '=';
    entry.append(value);
    entry.append(newLine);
    AppendSection(result, section, entry, newLine);
    return result;
}

} // namespace ombrix::testing
