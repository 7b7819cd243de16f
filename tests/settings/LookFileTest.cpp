// Looks in files of their own: export and import, and the favourites' folder.
#include "LookFile.h"
#include "Favourites.h"
#include "Files.h"
#include "IniFile.h"
#include "Random.h"
#include "Settings.h"
#include "TestModel.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using namespace ombrix;
using ombrix::testing::BlankModel;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::ReadFile;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

// A drawn look goes out with its keys only and comes back whole, through the program's
// own settings reader as well; RandSeed does not move.
TEST(LookFile, RoundTripWithTheLooksKeysOnly) {
    const TempDir dir;
    const RandomStateGuard programs(5);
    TRandomStream stream(9);
    TLook current;
    current.AreaW = 300;
    current.AreaH = 40;
    const TLook look = stream.Run([&] { return DrawVariation(current); });
    const std::string path = dir / "shared.ini";
    WriteFile(path, "[Pendrel]\nSpeed=20\nColor255=1\n"); // replaced, not merged

    WriteLookFile(path, look);
    const std::string text = ReadFile(path);
    EXPECT_TRUE(text.starts_with("[Pendrel]\nTilingType=" + std::to_string(look.TilingType) +
                                 "\nAreaW=300\nAreaH=40\nPrmG=" + std::to_string(look.PrmG)));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 8 + look.UseColCnt);
    EXPECT_EQ(text.find("Speed"), std::string::npos);
    EXPECT_EQ(ReadLookFile(path), look);

    auto model = BlankModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(path), *model, speed, fileName);
    EXPECT_EQ(LookOf(*model), look);
    EXPECT_EQ(speed, DefaultSpeed);
    RandSeed = 5; // ReadSettings drew its default colours
    EXPECT_EQ(ReadLookFile(path), look);
    EXPECT_EQ(RandSeed, 5u);
}

// A hand-written look: values clamped as the settings are, the missing colours those of
// a start without a settings file (entry 1: red 171, green 69, blue 51).
TEST(LookFile, HandWrittenLookReadsAsTheSettingsDo) {
    const TempDir dir;
    const std::string path = dir / "hand.ini";
    WriteFile(path, "; mine\n[pendrel]\nPrmG = 500\nUseColCnt=4\nColDiv=9\nColor000=255\n");
    const TLook look = ReadLookFile(path);
    EXPECT_EQ(look.PrmG, 100);
    EXPECT_EQ(look.UseColCnt, 4);
    EXPECT_EQ(look.ColDiv, 4);
    EXPECT_EQ(look.AreaW, Defaults::AreaW);
    EXPECT_EQ(look.ColorTable[0], 255u);
    EXPECT_EQ(look.ColorTable[1], 0x003345ABu);
    EXPECT_EQ(look.ColorTable[4], 0u);
}

TEST(LookFile, FailuresNameTheFile) {
    const TempDir dir;
    const std::string missing = dir / "missing.ini", other = dir / "other.ini";
    WriteFile(other, "[Pendrel]\nSpeed=20\n[Look]\nPrmG=3\n");
    EXPECT_THROW_ERROR(ReadLookFile(missing), TFailure::ReadFile, missing);
    EXPECT_THROW_ERROR(ReadLookFile(dir.Path().string()), TFailure::ReadFile, dir.Path().string());
    EXPECT_THROW_ERROR(ReadLookFile(other), TFailure::NotALookFile, other);
    EXPECT_THROW_ERROR(WriteLookFile(dir / "no/such/folder.ini", TLook{}), TFailure::WriteSettings,
                       dir / "no/such/folder.ini");
}

// Numbered look files are favourites, listed in order; a picture without a look file and
// other names are not. Removing takes the picture along.
TEST(Favourites, ListNextAndRemove) {
    const TempDir dir;
    EXPECT_TRUE(ListFavourites(dir / "none").empty());
    EXPECT_EQ(NextFavourite(dir / "none").LookPath, dir / "none/favourite-0001.ini");
    for (const char* name : {"favourite-0012.ini", "favourite-0012.png", "favourite-0003.ini",
                             "favourite-0020.png", "favourite-x.ini", "notes.ini"})
        WriteFile(dir / name, "[Pendrel]\n");
    std::filesystem::create_directory(dir / "favourite-0030.ini");

    const std::vector<TFavourite> listed = ListFavourites(dir.Path().string());
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].Number, 3);
    EXPECT_EQ(listed[1].PreviewPath, dir / "favourite-0012.png");
    EXPECT_EQ(NextFavourite(dir.Path().string()).PreviewPath, dir / "favourite-0013.png");

    RemoveFavourite(listed[1]);
    EXPECT_EQ(dir.Names(),
              (std::set<std::string>{"favourite-0003.ini", "favourite-0020.png", "favourite-x.ini",
                                     "notes.ini", "favourite-0030.ini"}));
}
