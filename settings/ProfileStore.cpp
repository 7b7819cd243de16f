#include "ProfileStore.h"

#include "IniLexer.h"

#include <algorithm>
#include <cstdint>

namespace ombrix {

using namespace ini;

namespace {

/// The text after a key line's '=' once `value` is written there: the spaces before the old
/// value stay unless the new value brings spaces of its own.
void AssignValue(std::string& afterEquals, std::string_view value) {
    if (value.starts_with(' '))
        afterEquals = value;
    else
        afterEquals.replace(std::min(afterEquals.find_first_not_of(' '), afterEquals.size()),
                            std::string::npos, value);
}

} // namespace

// Names that match must hash alike: the standard hash cannot ignore case, so FNV-1a over
// the lower-case bytes.
std::size_t TProfileText::TNameHash::operator()(std::string_view name) const {
    std::uint64_t hash = 14695981039346656037ull;
    for (char ch : name)
        hash = (hash ^ static_cast<unsigned char>(AsciiLower(ch))) * 1099511628211ull;
    return static_cast<std::size_t>(hash);
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

} // namespace ombrix
