// The profile store on any text: a value written reads back as written, a value read and
// written back leaves the text as it was, other keys keep their values, and writing many
// keys over one read gives the bytes of writing them one by one.
#include "ProfileStore.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace ombrix;

namespace {

// Names as the program uses them, in other cases, with blanks, and ones that are refused.
const char* const Sections[] = {"Pendrel", "pendrel", " Pendrel ", "P", "Other", "a]b", ""};
const char* const Keys[] = {"AreaW", "areaw", "FileName", "Color000", "k",
                            " k ",   ";k",    "a=b",      "",         "[k"};

// Stops the run with the condition that failed.
#define Check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "failed: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The value as reading it back gives it: cut at a line break, without leading spaces.
std::string AsRead(std::string value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    return value.substr(std::min(value.find_first_not_of(' '), value.size()));
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
    Check(batch.Text() == sequential);

    // A value read and written back unchanged leaves the text unchanged.
    for (const char* key : {"AreaW", "k", "FileName"})
        if (const std::optional<std::string> value = FindProfileValue(text, "Pendrel", key))
            Check(SetProfileValue(text, "Pendrel", key, *value) == text);
    return 0;
}
