#include "ProfileStore.h"

#include "Error.h"
#include "SafeFile.h"
#include "WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <unordered_map>
#include <vector>

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

/// Where a new value goes in a key line: after the spaces that follow the '=', or right
/// after the '=' when the value starts with spaces itself, so that rewriting such a value
/// does not add to the spaces each time.
std::size_t ValueStart(std::string_view keyLine, std::string_view value) {
    return value.starts_with(' ') ? keyLine.find('=') + 1 : ParseLine(keyLine).ValueBegin;
}

/// The text after a key line's '=' once `value` is written there: the spaces before the old
/// value stay unless the new value brings spaces of its own.
void AssignValue(std::string& afterEquals, std::string_view value) {
    if (value.starts_with(' '))
        afterEquals = value;
    else
        afterEquals.replace(std::min(afterEquals.find_first_not_of(' '), afterEquals.size()),
                            std::string::npos, value);
}

/// A value as reading it back from a key line gives it.
std::string AsRead(std::string_view value) {
    const std::size_t first = value.find_first_not_of(' ');
    return std::string(first == std::string_view::npos ? std::string_view() : value.substr(first));
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

/// The line ending of the text's first line (CR LF, LF or CR), or LF when it has none.
std::string_view NewLineOf(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos || text[end] == '\n')
        return "\n";
    return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

/// The ending of a line put in front of `following`: a lone CR before an LF would join
/// it into one line ending, swallowing the line that LF ends, so CR LF is used there.
std::string_view EndingBefore(std::string_view newLine, std::string_view following) {
    return newLine == "\r" && following.starts_with('\n') ? "\r\n" : newLine;
}

/// Appends section `section` with `entries` (whole lines) at the end of `text`: the last
/// line gets its line ending if it has none, and a blank line comes between when the last
/// line is not blank.
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

namespace {

std::uint64_t TProfileTextNameHash(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a over the lower-case bytes
    for (char ch : name)
        hash = (hash ^ static_cast<unsigned char>(AsciiLower(ch))) * 1099511628211ull;
    return hash;
}

} // namespace

std::size_t TProfileText::TNameHash::operator()(std::string_view name) const {
    return TProfileTextNameHash(name);
}

bool TProfileText::TNameEqual::operator()(std::string_view a, std::string_view b) const {
    return SameName(a, b);
}

TProfileText::TProfileText(std::string text) : Text_(std::move(text)) {
    NewLine_ = NewLineOf(Text_);
    IndexSections();
}

std::string_view TProfileText::LineAt(std::size_t begin, std::size_t* next) const {
    const std::string_view text = Text_;
    std::size_t end = begin;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    if (next) {
        *next = end;
        if (end < text.size())
            *next += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
    }
    return text.substr(begin, end - begin);
}

void TProfileText::IndexSections() {
    TSection* current = nullptr;
    bool inFirstBlock = false;
    std::size_t next = 0;
    for (std::size_t begin = 0; begin < Text_.size(); begin = next) {
        std::string_view content = LineAt(begin, &next);
        if (begin == 0 && content.starts_with(Utf8Bom))
            content.remove_prefix(Utf8Bom.size());
        const ParsedLine parsed = ParseLine(content);
        if (parsed.Kind == LineKind::Section) {
            auto found = Sections_.find(parsed.Name);
            if (found == Sections_.end())
                found = Sections_.emplace(std::string(parsed.Name), TSection{}).first;
            current = &found->second;
            inFirstBlock = !current->Header;
            if (inFirstBlock)
                current->Header = begin;
        } else if (parsed.Kind == LineKind::Key && current) {
            current->Keys.emplace(std::string(parsed.Name), begin); // the first line wins
            if (inFirstBlock)
                current->LastKey = begin;
        }
    }
}

std::optional<std::string> TProfileText::Find(std::string_view section,
                                              std::string_view key) const {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty())
        return std::nullopt;
    const auto indexed = Sections_.find(section);
    if (indexed == Sections_.end())
        return std::nullopt;
    const TSection& index = indexed->second;
    if (const auto added = index.NewKeys.find(key); added != index.NewKeys.end())
        return AsRead(Entries_[added->second].AfterEquals);
    const auto line = index.Keys.find(key);
    if (line == index.Keys.end())
        return std::nullopt;
    const std::optional<std::size_t> found = line->second;
    if (const auto change = Changes_.find(*found);
        change != Changes_.end() && change->second.AfterEquals)
        return AsRead(*change->second.AfterEquals);
    const std::string_view content = LineAt(*found);
    return std::string(content.substr(ParseLine(content).ValueBegin));
}

bool TProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (!WritableSection(section) || !WritableKey(key))
        return false;
    value = value.substr(0, value.find_first_of("\r\n"));
    auto indexed = Sections_.find(section);
    if (indexed == Sections_.end())
        indexed = Sections_.emplace(std::string(section), TSection{}).first;
    TSection& index = indexed->second;
    if (const auto added = index.NewKeys.find(key); added != index.NewKeys.end()) {
        AssignValue(Entries_[added->second].AfterEquals, value);
        return true;
    }
    if (const auto line = index.Keys.find(key); line != index.Keys.end()) {
        std::optional<std::string>& afterEquals = Changes_[line->second].AfterEquals;
        if (!afterEquals) {
            const std::string_view content = LineAt(line->second);
            afterEquals = std::string(content.substr(content.find('=') + 1));
        }
        AssignValue(*afterEquals, value);
        return true;
    }
    const std::size_t entry = Entries_.size();
    Entries_.push_back({std::string(key), std::string(value)});
    index.NewKeys.emplace(std::string(key), entry);
    if (index.Header) {
        Changes_[index.LastKey.value_or(*index.Header)].EntriesAfter.push_back(entry);
    } else {
        if (!index.Appended) {
            index.Appended = NewSections_.size();
            NewSections_.push_back({std::string(section), {}});
        }
        NewSections_[*index.Appended].Entries.push_back(entry);
    }
    return true;
}

std::string TProfileText::Text() const {
    const std::string_view text = Text_;
    std::string result;
    result.reserve(text.size() + 64 * Entries_.size() + 64);
    std::size_t copied = 0;
    for (const auto& [begin, change] : Changes_) {
        std::size_t next = 0;
        const std::string_view content = LineAt(begin, &next);
        const std::size_t end = begin + content.size();
        if (change.AfterEquals) {
            result.append(text.substr(copied, begin + content.find('=') + 1 - copied));
            result.append(*change.AfterEquals);
            result.append(text.substr(end, next - end));
        } else {
            result.append(text.substr(copied, next - copied));
        }
        copied = next;
        if (change.EntriesAfter.empty())
            continue;
        if (next == end) // the last line, without a line ending
            result.append(NewLine_);
        const std::string_view ending = EndingBefore(NewLine_, text.substr(next));
        for (std::size_t i : change.EntriesAfter) {
            result.append(Entries_[i].Key);
            result += '=';
            result.append(Entries_[i].AfterEquals);
            result.append(ending);
        }
    }
    result.append(text.substr(copied));
    for (const TNewSection& section : NewSections_) {
        std::string entries;
        for (std::size_t i : section.Entries) {
            entries.append(Entries_[i].Key);
            entries += '=';
            entries.append(Entries_[i].AfterEquals);
            entries.append(NewLine_);
        }
        AppendSection(result, section.Name, entries, NewLine_);
    }
    return result;
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    const TWholeFile file = ReadWholeFile(path);
    if (!file.Exists)
        return std::string(fallback);
    if (std::optional<std::string> value = FindProfileValue(file.Bytes, section, key))
        return *std::move(value);
    return std::string(fallback);
}

std::error_code WriteProfileString(const std::string& path, std::string_view section,
                                   std::string_view key, std::string_view value) {
    const std::string target = ReplacementTarget(path);
    const TWholeFile file = ReadWholeFile(target);
    if (file.Error)
        return file.Error;
    const std::optional<std::string> updated = SetProfileValue(file.Bytes, section, key, value);
    if (!updated)
        return {EINVAL, std::system_category()};
    if (file.Exists && *updated == file.Bytes)
        return {};
    try {
        ReplaceFile(target, {*updated});
    } catch (const TError& error) {
        return error.Code();
    }
    return {};
}

} // namespace ombrix
