// The profile store: one string value by file, section and key, kept in a plain INI-style
// text file. Every read opens the file afresh and every write replaces it as a whole, so
// nothing is cached between calls.
//
// How a file is read:
//   - Lines end at LF; a CR right before the LF (or at the very end of the file) belongs
//     to the line ending. Any other byte, NUL and bytes above 127 included, is text.
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
//     (CRLF or LF); a new file uses LF.
//   - Names that could not be read back are refused: an empty section or key, a section
//     holding ']', a key holding '=' or starting with ';', '#' or '[', and any name
//     holding CR or LF.
//
// Each write goes to a temporary file created in the settings file's folder, which is
// written completely and flushed to the disk before one rename puts it in place of the
// settings file. On any failure the temporary file is removed and the settings file
// stays as it was. The new file keeps the old one's permission bits (and its owner when
// the process may set it); a new file gets 0666 less the umask. A settings file that the
// process may not write is refused, although the rename itself would be allowed. A
// write that would leave the file's bytes unchanged does not touch the file. When the
// settings path is a symbolic link, the file it points to is replaced and the link stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace ombrix {

/// The value of `key` in `section` of the INI text `text`, or nothing when the section
/// or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

/// `text` with `key` in `section` set to `value` (cut at its first line break), following
/// the rules above; nothing when the names cannot be written.
std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value);

/// The value of `key` in `section` of the file at `path`; `fallback` when the file
/// cannot be read or the section or key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);

/// Sets `key` in `section` of the file at `path` to `value`, creating the file, the
/// section and the key as needed. Gives the reason of a refusal, or an empty code.
std::error_code WriteProfileString(const std::string& path, std::string_view section,
                                   std::string_view key, std::string_view value);

} // namespace ombrix
