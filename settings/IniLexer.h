// The settings file's lexical rules (ProfileStore.h spells them out): what a line is, how
// names match, which names can be written, and how new lines are put into a text. The
// profile store edits by them; the tests' key-by-key yardstick reads and writes by them too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ombrix::ini {

/// A space or a tab.
bool IsBlank(char ch);
/// `text` without blanks at either end.
std::string_view Trim(std::string_view text);
/// `ch` in lower case where it is an ASCII capital letter; any other byte as it is.
char AsciiLower(char ch);
/// Whether two section or key names match: ASCII letters in either case, other bytes exactly.
bool SameName(std::string_view a, std::string_view b);

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind Kind = LineKind::Other;
    std::string_view Name;     ///< the section's or the key's name
    std::size_t ValueBegin{0}; ///< offset of a key's value within the line
};

/// What one line is, given without its line ending (and without the byte order mark on
/// the first line).
ParsedLine ParseLine(std::string_view line);

/// The byte order mark a file may start with.
inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

/// A value as reading it back from a key line gives it: without the spaces before it.
std::string AsRead(std::string_view value);

/// Whether a section of this name, once written, reads back as itself.
bool WritableSection(std::string_view section);
/// Whether a key of this name, once written, reads back as itself.
bool WritableKey(std::string_view key);

/// The line ending of the text's first line (CR LF, LF or CR), or LF when it has none.
std::string_view NewLineOf(std::string_view text);

/// The ending of a line put in front of `following`: a lone CR before an LF would join
/// it into one line ending, swallowing the line that LF ends, so CR LF is used there.
std::string_view EndingBefore(std::string_view newLine, std::string_view following);

/// Appends section `section` with `entries` (whole lines) at the end of `text`: the last
/// line gets its line ending if it has none, and a blank line comes between when the last
/// line is not blank.
void AppendSection(std::string& text, std::string_view section, std::string_view entries,
                   std::string_view newLine);

} // namespace ombrix::ini
