// ombrix-options: what the build makes from the option table, and what it checks
// against it. Not installed.
//
//   ombrix-options bash PROGRAM [FILE]          the bash completion of ombrix-PROGRAM
//   ombrix-options check PROGRAM FILE [HEADING] every option of ombrix-PROGRAM is named in
//       FILE (a man page, or the Markdown section under HEADING), and FILE names no option
//       the program does not have; the differences go to stderr, exit status 1
#include "CommandLine.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace ombrix;

namespace {

int Usage() {
    std::fputs("usage: ombrix-options bash render|live [FILE]\n"
               "       ombrix-options check render|live FILE [HEADING]\n",
               stderr);
    return 2;
}

std::string Join(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string Alternatives(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "|") + name;
    return text;
}

std::vector<std::string> Names(const TOptionRow& row) {
    std::vector<std::string> names{"--" + std::string(row.Long)};
    if (row.Short)
        names.push_back(std::string("-") + row.Short);
    return names;
}

// Shell words of the table are plain: option names, and value words of letters and
// digits; nothing needs quoting.
std::string BashCompletion(TProgram program, const std::string& command) {
    std::string function = "_" + command;
    for (char& c : function)
        if (c == '-')
            c = '_';
    std::vector<std::string> all;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::vector<std::string> free;
    std::string words;
    for (const TOptionRow& row : OptionRows(program)) {
        const std::vector<std::string> names = Names(row);
        all.insert(all.end(), names.begin(), names.end());
        if (row.Value.empty())
            continue;
        std::vector<std::string>& kind = row.Completion == "file"  ? files
                                         : row.Completion == "dir" ? folders
                                                                   : free;
        if (!row.Completion.empty() && &kind == &free)
            words += "        " + Alternatives(names) + ") COMPREPLY=($(compgen -W \"" +
                     std::string(row.Completion) + "\" -- \"$cur\")); return ;;\n";
        else
            kind.insert(kind.end(), names.begin(), names.end());
    }
    std::string script = "# bash completion for " + command +
                         ", made from its option table by ombrix-options\n" + function +
                         "() {\n"
                         "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
                         "    local prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                         "    case $prev in\n";
    if (!files.empty())
        script +=
            "        " + Alternatives(files) +
            ") compopt -o filenames; mapfile -t COMPREPLY < <(compgen -f -- \"$cur\"); return ;;\n";
    if (!folders.empty())
        script +=
            "        " + Alternatives(folders) +
            ") compopt -o filenames; mapfile -t COMPREPLY < <(compgen -d -- \"$cur\"); return ;;\n";
    script += words;
    if (!free.empty())
        script += "        " + Alternatives(free) + ") return ;;\n";
    script += "    esac\n"
              "    COMPREPLY=($(compgen -W \"" +
              Join(all) +
              "\" -- \"$cur\"))\n"
              "}\n"
              "complete -F " +
              function + " " + command + "\n";
    return script;
}

// The text of `file`, or of its Markdown section under `heading` (up to the next heading
// of the same level).
std::string TextOf(const std::string& path, const std::string& heading) {
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::string text;
    bool inside = heading.empty();
    for (std::string line; std::getline(file, line);) {
        if (!heading.empty() && line.starts_with("## "))
            inside = line == heading;
        if (inside)
            text += line + "\n";
    }
    return text;
}

int Check(TProgram program, const std::string& path, const std::string& heading) {
    std::string text = TextOf(path, heading);
    // A man page writes "\-\-name" and "\-o".
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    std::set<std::string> named;
    const std::regex option(R"((^|[^A-Za-z0-9-])(--[a-z][a-z-]*|-[A-Za-z])\b)");
    for (std::sregex_iterator i(text.begin(), text.end(), option), end; i != end; ++i)
        named.insert((*i)[2]);
    int faults = 0;
    std::set<std::string> known;
    for (const TOptionRow& row : OptionRows(program))
        for (const std::string& name : Names(row)) {
            known.insert(name);
            if (!named.count(name)) {
                std::fprintf(stderr, "%s: %s is not described\n", path.c_str(), name.c_str());
                ++faults;
            }
        }
    for (const std::string& name : named)
        if (name.starts_with("--") && !known.count(name)) {
            std::fprintf(stderr, "%s: %s is no option of the program\n", path.c_str(),
                         name.c_str());
            ++faults;
        }
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3)
        return Usage();
    const std::string what = argv[1];
    const std::string name = argv[2];
    if (name != "render" && name != "live")
        return Usage();
    const TProgram program = name == "render" ? TProgram::Render : TProgram::Live;
    if (what == "bash" && (argc == 3 || argc == 4)) {
        const std::string script = BashCompletion(program, "ombrix-" + name);
        if (argc == 3) {
            std::fputs(script.c_str(), stdout);
            return 0;
        }
        std::ofstream file(argv[3]);
        file << script;
        file.close();
        if (file)
            return 0;
        std::fprintf(stderr, "ombrix-options: cannot write %s\n", argv[3]);
        return 1;
    }
    if (what == "check" && (argc == 4 || argc == 5)) {
        try {
            return Check(program, argv[3], argc == 5 ? argv[4] : "");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "ombrix-options: %s\n", error.what());
            return 1;
        }
    }
    return Usage();
}
