// The profile store: string values by section and key in the text of a plain INI-style
// file. A TProfileText is the file's text read once: many keys are read from it and
// written into it, and its text with the changes goes back to the file whole (IniFile.h
// does that, through ReplaceFile). The lexical rules live in IniLexer.h.
//
// How a file is read:
//   - Lines end at CR LF, at LF, or at a CR not followed by LF. Any other byte, NUL and
//     bytes above 127 included, is text.
//   - A UTF-8 byte order mark at the start of the file is skipped.
//   - Blanks are spaces and tabs. A line whose first non-blank character is ';' or '#' is
//     a comment.
//   - A line whose first non-blank character is '[' and which holds a ']' later on starts
//     a section; its name is the text between the '[' and the first ']' without blanks
//     around it. Whatever follows the ']' is ignored. Lines before the first section
//     belong to no section and are never read.
//   - Any other line holding a '=' is a key line: the key is the text before the first
//     '=' without blanks around it, the value is the rest of the line after the spaces
//     that follow the '='. The value's own trailing characters are kept as they stand, so
//     "AreaW=128 " gives the text "128 ". Lines of any other kind are ignored.
//   - Section and key names match regardless of ASCII case (bytes above 127 must match
//     exactly); the names asked for are taken without blanks around them.
//   - A section may appear more than once; its lines are searched in file order, and the
//     first line of a key wins over later ones.
//
// How a value is written:
//   - The value is cut at its first CR or LF, so it cannot break the file's lines. Spaces
//     at its start do not come back on reading.
//   - An existing key line keeps everything up to the '=' and the spaces after it; only
//     the value is replaced, and the line ending stays.
//   - A new key goes right after the last key line of its section (after the section's
//     first appearance), or right after the section's line when it has no key yet.
//   - A missing section is appended at the end of the file, after one blank line when
//     the file does not end with one.
//   - All other lines stay byte for byte. New lines end like the file's first line
//     (CR LF, LF or CR); a new file uses LF. A new line ending in a lone CR before a line
//     that starts with LF ends in CR LF instead, so the two stay separate lines.
//   - Names that could not be read back are refused: an empty section or key, a section
//     holding ']', a key holding '=' or starting with ';', '#' or '[', and any name
//     holding CR or LF.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ombrix {

/// An INI text read once, from which many keys are read and into which many are written.
/// Text() after a series of Set calls is byte for byte what setting the keys one at a time,
/// each into the text the one before gave, would give. The text's lines are read once,
/// when it is made; lookups are hash lookups and change nothing.
/// May throw std::bad_alloc for a text too large for the memory.
class TProfileText {
public:
    explicit TProfileText(std::string text);

    /// The value of `key` in `section` with the changes made so far, or nothing when the
    /// section or the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    /// Sets the value (cut at its first line break); false when the names cannot be
    /// written (see the rules above).
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    /// The text with every change made.
    std::string Text() const;

    const std::string& Original() const { return Text_; }

private:
    struct TEntry {
        std::string Key;
        std::string AfterEquals; ///< the line's text after its '='
    };
    struct TLineChange {
        std::optional<std::string> AfterEquals; ///< the line's new text after its '='
        std::vector<std::size_t> EntriesAfter;  ///< new key lines that follow it
    };
    struct TNewSection {
        std::string Name;
        std::vector<std::size_t> Entries;
    };
    struct TNameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    struct TNameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    struct TSection {
        std::optional<std::size_t> Header;   ///< start of the first block's header line
        std::optional<std::size_t> LastKey;  ///< start of the first block's last key line
        std::optional<std::size_t> Appended; ///< index in NewSections_ for a new section
        /// The start of each key's first line in the text as read, by key.
        std::unordered_map<std::string, std::size_t, TNameHash, TNameEqual> Keys;
        /// Keys added since, by index in Entries_.
        std::unordered_map<std::string, std::size_t, TNameHash, TNameEqual> NewKeys;
    };

    void IndexSections();
    std::string_view LineAt(std::size_t begin, std::size_t* next = nullptr) const;

    std::string Text_;
    std::string_view NewLine_;
    std::unordered_map<std::string, TSection, TNameHash, TNameEqual> Sections_;
    std::map<std::size_t, TLineChange> Changes_; ///< by start of the line
    std::deque<TEntry> Entries_;
    std::vector<TNewSection> NewSections_;
};

} // namespace ombrix
