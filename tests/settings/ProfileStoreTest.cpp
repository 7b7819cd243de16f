// The profile store: keys read from a settings text and written into it, on their own and
// through the settings file, held to the key-by-key yardstick.
#include "ProfileStore.h"
#include "Files.h"
#include "IniFile.h"
#include "ProfileYardstick.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace ombrix;
using namespace std::string_literals;
using ombrix::testing::FindProfileValue;
using ombrix::testing::ReadFile;
using ombrix::testing::SetProfileValue;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

namespace {

// One key read from the settings file, as the program reads it at start.
std::string ReadKey(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& fallback) {
    return TIniFile(path).ReadText(section, key, fallback);
}

// One key written into the settings file, as a run that changed only it writes it at exit.
void WriteKey(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value) {
    TIniFile ini(path);
    ini.WriteText(section, key, value);
    ini.UpdateFile();
}

// ---- Reading ------------------------------------------------------------------------

struct ReadRow {
    const char* Name;
    std::string Content;
    std::string Section;
    std::string Key;
    std::optional<std::string> Value; ///< nothing: the fallback comes back
};

const ReadRow ReadRows[] = {
    {"Plain", "[P]\nA=1\n", "P", "A", "1"},
    {"BlanksAroundKeyAndEquals", "[P]\n  A \t=   1\n", "P", "A", "1"},
    {"TrailingBlanksOfValueKept", "[P]\nA=1 \n", "P", "A", "1 "},
    {"TabAfterEqualsKept", "[P]\nA=\t1\n", "P", "A", "\t1"},
    {"Crlf", "[P]\r\nA=1\r\nB=2\r\n", "P", "B", "2"},
    {"CrAtEndOfFile", "[P]\nA=1\r", "P", "A", "1"},
    {"NoTrailingNewLine", "[P]\nA=1", "P", "A", "1"},
    {"LoneCrEndsTheLine", "[P]\nA=1\r2\n", "P", "A", "1"},
    {"CrOnlyLineEnds", "[Q]\rA=0\r[P]\rB=5\rA=1\r", "P", "A", "1"},
    {"CaseOfNames", "[ pENDREL ]\nareaw=7\n", "Pendrel", "AreaW", "7"},
    {"NamesAskedWithBlanks", "[P]\nA=1\n", " P ", " A ", "1"},
    {"EmptyValue", "[P]\nA=\n", "P", "A", ""},
    {"EqualsInValue", "[P]\nA=a=b\n", "P", "A", "a=b"},
    {"JunkAfterSectionLine", "[P] junk ; x\nA=1\n", "P", "A", "1"},
    {"Utf8BomBeforeSection", "\xEF\xBB\xBF[P]\nA=1\n", "P", "A", "1"},
    {"SemicolonComment", "[P]\n;A=1\n", "P", "A", std::nullopt},
    {"HashComment", "[P]\n  #A=1\n", "P", "A", std::nullopt},
    {"KeyBeforeAnySection", "A=1\n[P]\n", "P", "A", std::nullopt},
    {"KeyInOtherSection", "[Q]\nA=1\n[P]\nB=2\n", "P", "A", std::nullopt},
    {"MissingSection", "[Q]\nA=1\n", "P", "A", std::nullopt},
    {"UnclosedSectionLine", "[Q]\n[P\nA=1\n", "P", "A", std::nullopt},
    {"UnclosedSectionLineEndsNothing", "[P]\n[Q\nA=1\n", "P", "A", "1"},
    {"DuplicateKeyFirstWins", "[P]\nA=1\nA=2\n", "P", "A", "1"},
    {"SectionTwiceFirstKeyWins", "[P]\nB=0\n[Q]\nA=9\n[P]\nA=1\n", "P", "A", "1"},
    {"PrefixIsNotTheKey", "[P]\nAreaWx=1\n", "P", "AreaW", std::nullopt},
    {"NulBytes", "\0\0[P]\0\n[P]\nA=1\0x\n"s, "P", "A", "1\0x"s},
    {"BinaryBytes", "\xff\xfe\x01=\x80\n[P]\n\x80\x81=\xfe\nA=\xc3\xa9\n", "P", "A", "\xc3\xa9"},
    {"Japanese", "[P]\nFileName=壁紙 1.bmp\n", "P", "FileName", "壁紙 1.bmp"},
    {"EmptyFile", "", "P", "A", std::nullopt},
};

class ProfileRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ProfileRead, FindsTheValueOrGivesTheFallback) {
    const ReadRow& row = GetParam();
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteFile(path, row.Content);
    EXPECT_EQ(ReadKey(path, row.Section, row.Key, "fallback"), row.Value.value_or("fallback"));
    EXPECT_EQ(TProfileText(row.Content).Find(row.Section, row.Key), row.Value);
    EXPECT_EQ(FindProfileValue(row.Content, row.Section, row.Key), row.Value);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileRead, ::testing::ValuesIn(ReadRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ProfileRead, MissingFileOrFolderGivesTheFallback) {
    TempDir dir;
    WriteFile(dir / "plain", "x");
    for (const std::string& path :
         {dir / "none.ini", dir / "no/such/folder.ini", dir / "plain/s.ini", dir.Path().string()})
        EXPECT_EQ(ReadKey(path, "P", "A", "dflt"), "dflt") << path;
}

TEST(ProfileRead, HostileFilesReadCleanly) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    std::string longLine(100000, 'x');
    std::string garbage;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 5000; ++i) { // bytes of every value, NUL included
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 24);
    }
    const std::string content =
        garbage + "\n[P]\n" + longLine + "\nLong=" + longLine + "\nA=1\nA=2\n" + garbage;
    WriteFile(path, content);
    EXPECT_EQ(ReadKey(path, "P", "A", "f"), "1");
    EXPECT_EQ(TProfileText(content).Find("P", "Long"), longLine);
    EXPECT_EQ(ReadKey(path, "Missing", "A", "f"), "f");

    // Writing into it changes the one value and keeps every other byte.
    ASSERT_NO_THROW(WriteKey(path, "P", "A", "3"));
    std::string expected = content;
    expected.replace(expected.find("\nA=1\n") + 3, 1, "3");
    EXPECT_EQ(ReadFile(path), expected);
}

// ---- Writing ------------------------------------------------------------------------

struct RoundTripRow {
    std::string Written;
    std::string ReadBack;
};

const RoundTripRow RoundTripRows[] = {
    {"abc", "abc"},
    {"", ""},
    {"a=b", "a=b"},
    {"C:\\Pictures\\wall.bmp", "C:\\Pictures\\wall.bmp"},
    {"/home/u/壁紙.bmp", "/home/u/壁紙.bmp"},
    {"trailing  ", "trailing  "},
    {"; not a comment", "; not a comment"},
    {"[NotASection]", "[NotASection]"},
    {"\xff\x01\x7f", "\xff\x01\x7f"},
    {"  leading", "leading"},
    {"first\nsecond", "first"},
    {"first\r\n[P]\r\nA=evil", "first"},
    {"cr\rlf", "cr"},
    {"\nall gone", ""},
};

void PrintTo(const RoundTripRow& row, std::ostream* out) {
    *out << ::testing::PrintToString(row.Written);
}

class ProfileRoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(ProfileRoundTrip, ReadsBackWhatItWrites) {
    const RoundTripRow& row = GetParam();
    TempDir dir;
    const std::string fresh = dir / "fresh.ini";
    ASSERT_NO_THROW(WriteKey(fresh, "P", "A", row.Written));
    EXPECT_EQ(ReadKey(fresh, "P", "A", "f"), row.ReadBack);

    // Replacing a value that is already there, with a key after it.
    const std::string replaced = dir / "replaced.ini";
    ASSERT_NO_THROW(WriteKey(replaced, "P", "A", "old"));
    ASSERT_NO_THROW(WriteKey(replaced, "P", "B", "x"));
    ASSERT_NO_THROW(WriteKey(replaced, "P", "A", row.Written));
    EXPECT_EQ(ReadKey(replaced, "P", "A", "f"), row.ReadBack);
    EXPECT_EQ(ReadKey(replaced, "P", "B", "f"), "x");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"fresh.ini", "replaced.ini"}));
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileRoundTrip, ::testing::ValuesIn(RoundTripRows));

TEST(ProfileWrite, NewFileHoldsTheKeysInTheOrderWritten) {
    TempDir dir;
    const std::string path = dir / "new.ini";
    ASSERT_NO_THROW(WriteKey(path, "Pendrel", "FileName", ""));
    ASSERT_NO_THROW(WriteKey(path, "Pendrel", "Speed", "1000"));
    ASSERT_NO_THROW(WriteKey(path, "Pendrel", "AreaW", "128"));
    ASSERT_NO_THROW(WriteKey(path, "Other", "Z", "1"));
    ASSERT_NO_THROW(WriteKey(path, "Pendrel", "Color000", "2268"));
    EXPECT_EQ(ReadFile(path), "[Pendrel]\nFileName=\nSpeed=1000\nAreaW=128\nColor000=2268\n"
                              "\n[Other]\nZ=1\n");
}

struct EditRow {
    const char* Name;
    std::string Before;
    std::string Section;
    std::string Key;
    std::string Value;
    std::string After;
};

const EditRow EditRows[] = {
    {"ReplaceInPlaceAmongForeignLines",
     "; top comment\n[Other]\nAreaW=1\n\n[Pendrel]\n# note\nAreaW = 5 "
     "\nColor100=7\n\n[Tail]\nx=y\n",
     "Pendrel", "AreaW", "128",
     "; top comment\n[Other]\nAreaW=1\n\n[Pendrel]\n# note\nAreaW = "
     "128\nColor100=7\n\n[Tail]\nx=y\n"},
    {"NewKeyAfterTheSectionsLastKey", "[Pendrel]\nA=1\nB=2\n\n; next\n[Other]\nC=3\n", "Pendrel",
     "D", "4", "[Pendrel]\nA=1\nB=2\nD=4\n\n; next\n[Other]\nC=3\n"},
    {"NewKeyInEmptySection", "[Pendrel]\n\n[Other]\nC=3\n", "Pendrel", "D", "4",
     "[Pendrel]\nD=4\n\n[Other]\nC=3\n"},
    {"NewKeyBeforeNonKeyLines", "[P]\njunk line\n", "P", "A", "1", "[P]\nA=1\njunk line\n"},
    {"MissingSectionAppended", "[Other]\nC=3\n", "Pendrel", "D", "4",
     "[Other]\nC=3\n\n[Pendrel]\nD=4\n"},
    {"MissingSectionAfterBlankLine", "[Other]\nC=3\n\n", "Pendrel", "D", "4",
     "[Other]\nC=3\n\n[Pendrel]\nD=4\n"},
    {"MissingSectionNoTrailingNewLine", "[Other]\nC=3", "Pendrel", "D", "4",
     "[Other]\nC=3\n\n[Pendrel]\nD=4\n"},
    {"EmptyFile", "", "P", "A", "1", "[P]\nA=1\n"},
    {"CrlfReplace", "[Pendrel]\r\nA=1\r\n\r\n[Other]\r\nC=3\r\n", "Pendrel", "A", "9",
     "[Pendrel]\r\nA=9\r\n\r\n[Other]\r\nC=3\r\n"},
    {"CrlfNewKey", "[Pendrel]\r\nA=1\r\n\r\n[Other]\r\nC=3\r\n", "Pendrel", "B", "2",
     "[Pendrel]\r\nA=1\r\nB=2\r\n\r\n[Other]\r\nC=3\r\n"},
    {"CrlfNewSection", "[Other]\r\nC=3\r\n", "Pendrel", "D", "4",
     "[Other]\r\nC=3\r\n\r\n[Pendrel]\r\nD=4\r\n"},
    {"LastLineWithoutNewLineReplaced", "[P]\nA=1", "P", "A", "5", "[P]\nA=5"},
    {"LastLineWithoutNewLineExtended", "[P]\nA=1", "P", "B", "2", "[P]\nA=1\nB=2\n"},
    {"CaseOfNamesKept", "[PENDREL]\nareaw=3\n", "Pendrel", "AreaW", "4", "[PENDREL]\nareaw=4\n"},
    {"DuplicateKeyFirstReplaced", "[P]\nA=1\nA=2\n", "P", "A", "3", "[P]\nA=3\nA=2\n"},
    {"SectionTwiceKeyInSecond", "[P]\nA=1\n[Q]\nB=1\n[P]\nC=1\n", "P", "C", "2",
     "[P]\nA=1\n[Q]\nB=1\n[P]\nC=2\n"},
    {"SectionTwiceNewKeyInFirst", "[P]\nA=1\n[Q]\nB=1\n[P]\nC=1\n", "P", "D", "2",
     "[P]\nA=1\nD=2\n[Q]\nB=1\n[P]\nC=1\n"},
    {"KeyBeforeAnySectionUntouched", "A=0\n[P]\n", "P", "A", "1", "A=0\n[P]\nA=1\n"},
    {"CommentedKeyUntouched", "[P]\n;A=0\n", "P", "A", "1", "[P]\nA=1\n;A=0\n"},
    {"EmptyValueKeepsTheKey", "[P]\nA=1\n", "P", "A", "", "[P]\nA=\n"},
    {"NulAndHighBytesKept", "\0\xff\n[P]\nA=1\n\x80\0\n"s, "P", "A", "2",
     "\0\xff\n[P]\nA=2\n\x80\0\n"s},
};

class ProfileEdit : public ::testing::TestWithParam<EditRow> {};

TEST_P(ProfileEdit, ChangesOnlyTheValueAndKeepsEveryOtherByte) {
    const EditRow& row = GetParam();
    TempDir dir;
    const std::string path = dir / "s.ini";
    if (!row.Before.empty())
        WriteFile(path, row.Before);
    ASSERT_NO_THROW(WriteKey(path, row.Section, row.Key, row.Value));
    EXPECT_EQ(ReadFile(path), row.After);
    EXPECT_EQ(ReadKey(path, row.Section, row.Key, "f"), row.Value);
    EXPECT_EQ(SetProfileValue(row.Before, row.Section, row.Key, row.Value), row.After);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileEdit, ::testing::ValuesIn(EditRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ProfileWrite, NamesThatCouldNotBeReadBackAreRefused) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteFile(path, "[P]\nA=1\n");
    const std::pair<const char*, const char*> names[] = {
        {"", "A"},    {"   ", "A"}, {"P]", "A"}, {"P\n", "A"}, {"P", ""},     {"P", " "},
        {"P", "A=B"}, {"P", ";A"},  {"P", "#A"}, {"P", "[A"},  {"P", "A\rB"}, {"P", "A\n"},
    };
    for (const auto& [section, key] : names) {
        EXPECT_ANY_THROW(WriteKey(path, section, key, "2")) << section << "/" << key;
        EXPECT_FALSE(TProfileText("").Set(section, key, "2"));
        EXPECT_FALSE(SetProfileValue("", section, key, "2").has_value());
    }
    EXPECT_EQ(ReadFile(path), "[P]\nA=1\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"s.ini"});
}

// ---- The file's name, permissions and links ------------------------------------------
// (Refused writes are the settings file's: IniFileTest.)

TEST(ProfileWrite, LongestFileNameStillWrites) {
    TempDir dir;
    const std::string longName(255, 'n'); // the longest name a folder entry takes
    WriteFile(dir / longName, "[P]\nA=1\n");
    ASSERT_NO_THROW(WriteKey(dir / longName, "P", "A", "2"));
    EXPECT_EQ(ReadFile(dir / longName), "[P]\nA=2\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{longName});
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

class NewFileMode : public ::testing::TestWithParam<std::pair<mode_t, mode_t>> {};

TEST_P(NewFileMode, IsReadWriteForAllLessTheUmask) {
    const auto [mask, expected] = GetParam();
    TempDir dir;
    const mode_t old = umask(mask);
    bool written = true;
    try {
        WriteKey(dir / "s.ini", "P", "A", "1");
    } catch (const std::exception&) {
        written = false;
    }
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(dir / "s.ini"), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, NewFileMode,
                         ::testing::Values(std::pair<mode_t, mode_t>{022, 0644},
                                           std::pair<mode_t, mode_t>{027, 0640},
                                           std::pair<mode_t, mode_t>{077, 0600},
                                           std::pair<mode_t, mode_t>{0, 0666}));

TEST(ProfileWrite, ExistingFileKeepsItsPermissionBits) {
    TempDir dir;
    for (mode_t mode : {0600, 0640, 0604, 0660}) {
        const std::string path = dir / ("s" + std::to_string(mode) + ".ini");
        WriteFile(path, "[P]\nA=1\n");
        chmod(path.c_str(), mode);
        ASSERT_NO_THROW(WriteKey(path, "P", "A", "2"));
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(ReadFile(path), "[P]\nA=2\n");
    }
}

TEST(ProfileWrite, SymbolicLinkStaysAndItsTargetChanges) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    WriteFile(dir / "real/s.ini", "[P]\nA=1\n");
    std::filesystem::create_symlink("real/s.ini", dir / "link.ini");
    ASSERT_NO_THROW(WriteKey(dir / "link.ini", "P", "A", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFile(dir / "real/s.ini"), "[P]\nA=2\n");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"link.ini", "real"}));
}

} // namespace

// ---- One read, many keys: the same bytes as writing key by key -------------------------

namespace {

struct BatchRow {
    const char* Name;
    std::string Content;
};

void PrintTo(const BatchRow& row, std::ostream* out) {
    *out << row.Name;
}

struct Write {
    const char* Section;
    const char* Key;
    const char* Value;
};

// The settings the program writes, with a key written twice in another case, a second
// new section, a value with a line break and an empty value.
const Write Writes[] = {
    {"Pendrel", "FileName", "a b.bmp"},
    {"Pendrel", "AreaW", "128"},
    {"Pendrel", "PrmG", "5"},
    {"Pendrel", "Color000", "-1"},
    {"Pendrel", "Color001", "2268"},
    {"Second", "k", "v"},
    {"pendrel", "AREAW", "64"},
    {"Pendrel", "Color002", "x\ry"},
    {"Second", "j", ""},
    {" Pendrel ", "Speed", "  10"},
    // Rewritten without the blanks the value had: they stay, as in the file.
    {"Pendrel", "Speed", "11"},
    {"Pendrel", "AreaW", " 9"},
    {"PENDREL", "areaw", "10"},
};

class Batch : public ::testing::TestWithParam<BatchRow> {};

TEST_P(Batch, GivesTheBytesOfKeyByKeyWriting) {
    std::string expected = GetParam().Content;
    TProfileText batch(GetParam().Content);
    for (const Write& w : Writes) {
        expected = SetProfileValue(expected, w.Section, w.Key, w.Value).value();
        ASSERT_TRUE(batch.Set(w.Section, w.Key, w.Value));
        // Reads in between see the writes made so far.
        EXPECT_EQ(batch.Find(w.Section, w.Key), FindProfileValue(expected, w.Section, w.Key))
            << w.Key;
    }
    EXPECT_EQ(batch.Text(), expected);
    for (const char* key : {"AreaW", "PrmG", "Color000", "Color002", "Speed", "Left", "Other"})
        EXPECT_EQ(TProfileText(GetParam().Content).Find("Pendrel", key),
                  FindProfileValue(GetParam().Content, "Pendrel", key))
            << key;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Batch,
    ::testing::Values(
        BatchRow{"Empty", ""}, BatchRow{"OnlyOurSection", "[Pendrel]\nAreaW=1\n"},
        BatchRow{"ForeignSectionsCrLf", "; c\r\n[Window]\r\nLeft=10\r\n[Pendrel]\r\nAreaW=128"
                                        "\r\n\r\n[Extra]\r\nk=v\r\n"},
        BatchRow{"DuplicateKeysAndSections",
                 "[Pendrel]\nAreaW=1\nAreaW=2\n[X]\n[pendrel]\nPrmG=3\nColor000=5\n"},
        BatchRow{"MissingSectionNoLastLineEnd", "[Other]\nx=1"},
        BatchRow{"LastKeyWithoutLineEnd", "[Pendrel]\nAreaW=1"},
        BatchRow{"LoneCrAtTheEnd", "[Other]\nx=1\r"},
        BatchRow{"CrOnly", "[Pendrel]\rAreaW=1\r;c\r"},
        BatchRow{"CrFirstThenLf", "[Pendrel]\rAreaW=1\n\n;c\n"},
        BatchRow{"ByteOrderMark", "\xEF\xBB\xBF[Pendrel]\nAreaW=1\n"},
        BatchRow{"KeysBeforeAnySection", "AreaW=9\n[Pendrel]\n"},
        BatchRow{"BlanksAroundNames", "[ Pendrel ]\n  areaw =  7\n"},
        BatchRow{"HeaderOnlyNoLineEnd", "[Pendrel]"}, BatchRow{"BlankLastLine", "[Other]\nx=1\n\n"},
        BatchRow{"CommentsAfterKeys", "[Pendrel]\nAreaW=1\n; end\n\n[Next]\nPrmG=9\n"}),
    [](const auto& info) { return info.param.Name; });

// A value read and written back leaves the text unchanged.
TEST(Batch, ValueWrittenBackUnchangedLeavesTheText) {
    const std::string text = "[P]\nA=  x\nB=\t y\nC = z \r\nD=\n";
    TProfileText profile(text);
    for (const char* key : {"A", "B", "C", "D"})
        ASSERT_TRUE(profile.Set("P", key, profile.Find("P", key).value()));
    EXPECT_EQ(profile.Text(), text);
}

// Rewriting a value that starts with blanks keeps the file as it is.
TEST(Batch, ValueWithLeadingBlanksDoesNotGrowTheLine) {
    std::string text = "[P]\nA= x\n";
    for (int i = 0; i < 3; ++i)
        text = SetProfileValue(text, "P", "A", " x").value();
    EXPECT_EQ(text, "[P]\nA= x\n");
    TProfileText profile("[P]\nA=   x\n");
    ASSERT_TRUE(profile.Set("P", "A", " x"));
    EXPECT_EQ(profile.Text(), "[P]\nA= x\n");
}

} // namespace
