// The profile store on any text: a value written reads back as written, a value read and
// written back leaves the text as it was, other keys keep their values, and writing many
// keys over one read gives the bytes of writing them one by one.
#include "Check.h"
#include "ProfileStore.h"
#include "ProfileYardstick.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace ombrix;
using ombrix::testing::FindProfileValue;
using ombrix::testing::SetProfileValue;

namespace {

// Names as the program uses them, in other cases, with blanks, and ones that are refused.
const char* const Sections[] = {"Pendrel", "pendrel", " Pendrel ", "P", "Other", "a]b", ""};
const char* const Keys[] = {"AreaW", "areaw", "FileName", "Color000", "k",
                            " k ",   ";k",    "a=b",      "",         "[k"};

// The value as reading it back gives it: cut at a line break, without leading spaces.
std::string AsRead(std::string value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    return value.substr(std::min(value.find_first_not_of(' '), value.size()));
}

// Whether every write names the same section, as the program's names match: without
// blanks around it, in any case.
template <typename Writes> bool OneSection(const Writes& writes) {
    const auto name = [](std::string_view section) {
        const std::size_t first = section.find_first_not_of(" \t");
        const std::size_t last = section.find_last_not_of(" \t");
        section = first == std::string_view::npos ? std::string_view{}
                                                  : section.substr(first, last - first + 1);
        std::string result;
        for (const char c : section)
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return result;
    };
    for (const auto& w : writes)
        if (name(w.Section) != name(writes.front().Section))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    struct Write {
        const char* Section;
        const char* Key;
        std::string Value;
    };
    std::vector<Write> writes(input.ConsumeIntegralInRange<int>(1, 4));
    for (Write& w : writes) {
        w.Section = input.PickValueInArray(Sections);
        w.Key = input.PickValueInArray(Keys);
        w.Value = input.ConsumeRandomLengthString(40);
    }
    const std::string text = input.ConsumeRemainingBytesAsString();

    std::string sequential = text;
    TProfileText batch(text);
    for (const Write& w : writes) {
        const std::optional<std::string> updated =
            SetProfileValue(sequential, w.Section, w.Key, w.Value);
        Check(batch.Set(w.Section, w.Key, w.Value) == updated.has_value());
        if (!updated)
            continue;
        // Read-back.
        Check(FindProfileValue(*updated, w.Section, w.Key) == AsRead(w.Value));
        Check(batch.Find(w.Section, w.Key) == AsRead(w.Value));
        // Other keys untouched.
        for (const char* section : {"Pendrel", "P", "Other"})
            for (const char* key : {"AreaW", "FileName", "k", "Color000"}) {
                // The same key is the one a text holding only the written key gives.
                const bool same = FindProfileValue("[" + std::string(w.Section) + "]\n" +
                                                       std::string(w.Key) + "=\n",
                                                   section, key)
                                      .has_value();
                if (!same)
                    Check(FindProfileValue(*updated, section, key) ==
                          FindProfileValue(sequential, section, key));
            }
        sequential = *updated;
    }
    // The program writes one section at a time, and for that the one-read writing must give
    // the bytes of writing key by key. Across sections the two may differ in the form of
    // the blank line before an appended section, which depends on the order of the writes.
    if (OneSection(writes))
        Check(batch.Text() == sequential);

    // A value read and written back unchanged leaves the text unchanged.
    for (const char* key : {"AreaW", "k", "FileName"})
        if (const std::optional<std::string> value = FindProfileValue(text, "Pendrel", key))
            Check(SetProfileValue(text, "Pendrel", key, *value) == text);
    return 0;
}
