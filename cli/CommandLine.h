// The command lines of ombrix-render and ombrix-live, from one table of options. Each
// program parses its arguments with TCommandLine (the rows marked for it), turns the rows
// both programs share into TStartOptions with StartOptionsFrom, and its own rows itself
// with the value checks below. Every wrong command line is a TUsageError with one line
// naming the option and what it takes; the caller prints it and exits with status 2.
// The help text, the man pages' option lists and the bash completions come from the
// same table (ombrix-options prints them). Nothing here touches a file or the display.
#pragma once

#include "FieldModel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix {

/// A wrong command line: the message names the option and what is allowed.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The programs that read options from the table.
enum class TProgram : unsigned { Render = 1, Live = 2 };

/// One option. Options marked for both programs mean the same in each.
struct TOptionRow {
    std::string_view Long;  ///< "seed": given as --seed
    char Short;             ///< 'o': also given as -o; 0 for none
    std::string_view Value; ///< what the option takes, as the help shows it; empty: a switch
    std::string_view Help;  ///< one line, lower case, no full stop
    unsigned Programs;      ///< TProgram bits
    /// What bash completes the value with: "file", "dir", a list of words ("0 1"), or
    /// nothing.
    std::string_view Completion = {};

    bool For(TProgram program) const { return (Programs & static_cast<unsigned>(program)) != 0; }
};

/// Every option of every program, in the order the help shows them.
std::span<const TOptionRow> OptionTable();

/// The rows of one program, in table order.
std::vector<TOptionRow> OptionRows(TProgram program);

/// The arguments after the program name, parsed with the program's rows: `--name VALUE`,
/// `--name=VALUE`, `-o VALUE`, `-oVALUE`, combined short switches (`-qv`), a long option
/// with one dash (`-root`, `-window-id ID`, as screensaver hosts give them), and `--`
/// ending the options. Values keep their bytes exactly. Throws TUsageError.
class TCommandLine {
public:
    TCommandLine(TProgram program, const std::vector<std::string>& args);

    /// Whether the option (by its long name) was given.
    bool Has(std::string_view name) const { return Values_.find(name) != Values_.end(); }
    /// The option's value, the last one when it was given more than once.
    std::optional<std::string> Value(std::string_view name) const;
    /// The arguments that are no option nor an option's value.
    const std::vector<std::string>& Positional() const { return Positional_; }

private:
    std::map<std::string, std::string, std::less<>> Values_;
    std::vector<std::string> Positional_;
};

/// The options' lines of the program's help text, one per row, as `--help` shows them.
std::string OptionHelp(TProgram program);

// The value checks; each throws TUsageError naming `option` and what it takes.

/// Plain decimal digits from min to max.
std::int64_t CountOption(std::string_view option, std::string_view text, std::int64_t min,
                         std::int64_t max);
std::int32_t NumberOption(std::string_view option, std::string_view text, std::int32_t min,
                          std::int32_t max);

/// "STRING" in double quotes, for messages.
std::string Quoted(std::string_view text);

[[noreturn]] void FailOption(std::string_view option, const std::string& what);

struct TPictureSize {
    int Width;
    int Height;
    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

/// The largest field and the largest wall picture, in cells and pixels per side.
inline constexpr int MaxRenderSide = 16384;

/// WIDTHxHEIGHT, each from 1 to MaxRenderSide; `also` is added to what the message says
/// is allowed.
TPictureSize SizeOption(std::string_view option, std::string_view text, std::string_view also = {});

struct TRule {
    std::int32_t PrmG;
    std::int32_t PrmK1;
    std::int32_t PrmK2;
    friend bool operator==(const TRule&, const TRule&) = default;
};

/// The stamp text's font as given by --font "FAMILY,POINTS[,bold][,italic]".
struct TFontSpec {
    std::string Family;
    int Points;
    bool Bold;
    bool Italic;
    friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

/// The largest --zoom: each cell shown as Zoom × Zoom pixels.
inline constexpr int MaxZoom = 8;

/// What the command line changes in the window's start; both programs start from it.
struct TStartOptions {
    std::optional<std::string> SettingsFile;
    std::uint32_t Seed = 0;
    bool RandomSeed = false; ///< --seed random: the program draws Seed and says it
    std::optional<TPictureSize> Field;
    std::optional<std::int32_t> States;
    std::optional<std::int32_t> Segments;
    std::optional<std::int32_t> Tiling;
    std::optional<TRule> Rule;
    bool RandomizeColors = false;
    std::optional<std::string> Text;
    std::optional<TFontSpec> Font;
    std::optional<TColor> TextColor; ///< 0x00BBGGRR
    std::int32_t Zoom = 1;
};

/// The shared rows' values. Throws TUsageError for a value of the wrong form or range.
TStartOptions StartOptionsFrom(const TCommandLine& line);

/// The checks between shared options (--segments within --states, --font and
/// --text-colour only with --text). Throws TUsageError.
void CheckStartOptions(const TStartOptions& options);

} // namespace ombrix
