#include "BmpFile.h"
#include "ColorTable.h"
#include "Files.h"
#include "TestPicture.h"
#include "ThrowMessage.h"

#include <QImage>
#include <QString>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace ombrix;
using ombrix::testing::FileSizeLimit;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The 128 x 64 test picture.
TColor Color128(int x, int y) {
    return PackColor(2 * x, 4 * y, x ^ y);
}

TPixelImage Picture128x64() {
    TPixelImage image(128, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            image.SetPixel(x, y, Color128(x, y));
    return image;
}

// The 5 x 3 file written out by hand.
const Bytes File5x3 = {
    // File header: "BM", 102 bytes, two reserved words, rows at 54.
    0x42, 0x4D, 0x66, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00,
    // Information header: 40 bytes, 5 wide, 3 high, 1 plane, 24 bits, no compression,
    // 48 bytes of rows, no resolution, no colours.
    0x28, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    // Row 2 (bottom) first: blue, green, red per pixel, then one padding byte.
    0x20, 0x70, 0xC0, 0x21, 0x71, 0xC1, 0x22, 0x72, 0xC2, 0x23, 0x73, 0xC3, 0x24, 0x74, 0xC4, 0x00,
    // Row 1.
    0x10, 0x60, 0xB0, 0x11, 0x61, 0xB1, 0x12, 0x62, 0xB2, 0x13, 0x63, 0xB3, 0x14, 0x64, 0xB4, 0x00,
    // Row 0 (top) last.
    0x00, 0x50, 0xA0, 0x01, 0x51, 0xA1, 0x02, 0x52, 0xA2, 0x03, 0x53, 0xA3, 0x04, 0x54, 0xA4, 0x00};

Bytes ReadFile(const fs::path& path) {
    const std::string bytes = ombrix::testing::ReadFile(path);
    return Bytes(bytes.begin(), bytes.end());
}

// Compares every pixel of a BMP file as QImage reads it with the image written.
void ExpectQImageReads(const fs::path& path, const TPixelImage& image) {
    QImage read;
    ASSERT_TRUE(read.load(QString::fromStdString(path.string()), "BMP")) << path;
    ASSERT_EQ(read.width(), image.Width());
    ASSERT_EQ(read.height(), image.Height());
    int wrong = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const TColor c = image.Pixel(x, y);
            wrong += read.pixel(x, y) != qRgb(RedOf(c), GreenOf(c), BlueOf(c));
        }
    EXPECT_EQ(wrong, 0);
}

} // namespace

TEST(EncodeBmp, FiveByThreeByteForByte) {
    EXPECT_EQ(EncodeBmp(Picture5x3()), File5x3);
}

TEST(EncodeBmp, HighByteOfAColorIsDropped) {
    TPixelImage image = Picture5x3();
    image.SetPixel(4, 0, image.Pixel(4, 0) | 0xEE000000u);
    image.SetPixel(0, 2, image.Pixel(0, 2) | 0xFF000000u);
    EXPECT_EQ(EncodeBmp(image), File5x3);
}

TEST(EncodeBmp, DefaultTileByteForByte) {
    const Bytes file = EncodeBmp(Picture128x64());
    ASSERT_EQ(file.size(), 24630u);
    // 24,630 = 0x6036 bytes, 24,576 = 0x6000 bytes of rows, 128 = 0x80 wide, 64 = 0x40 high.
    const Bytes header = {0x42, 0x4D, 0x36, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36,
                          0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00,
                          0x40, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
    // 384 bytes a row, no padding; file row k is picture row 63 - k.
    int wrong = 0;
    for (int k = 0; k < 64; ++k)
        for (int i = 0; i < 128; ++i) {
            const int y = 63 - k;
            const std::size_t at = 54 + 384 * k + 3 * i;
            wrong += file[at] != (i ^ y) || file[at + 1] != 4 * y || file[at + 2] != 2 * i;
        }
    EXPECT_EQ(wrong, 0);
}

// Header sizes for widths with each amount of padding.
struct SizeCase {
    int W, H;
    std::uint32_t RowSize, FileSize;
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.W << " x " << c.H;
}

class BmpSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(BmpSizes, HeaderAndPadding) {
    const SizeCase& c = GetParam();
    TPixelImage image(c.W, c.H);
    for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x)
            image.SetPixel(x, y, 0x00FFFFFF);
    EXPECT_EQ(BmpRowSize(c.W), c.RowSize);
    const Bytes file = EncodeBmp(image);
    ASSERT_EQ(file.size(), c.FileSize);
    EXPECT_EQ(Get32(file, 2), c.FileSize);
    EXPECT_EQ(Get32(file, 10), 54u);
    EXPECT_EQ(Get32(file, 18), static_cast<std::uint32_t>(c.W));
    EXPECT_EQ(Get32(file, 22), static_cast<std::uint32_t>(c.H));
    EXPECT_EQ(Get32(file, 34), c.RowSize * c.H);
    // Every pixel byte is 0xFF and every padding byte 0.
    for (int k = 0; k < c.H; ++k)
        for (std::uint32_t b = 0; b < c.RowSize; ++b)
            ASSERT_EQ(file[54 + k * c.RowSize + b], b < 3u * c.W ? 0xFF : 0x00)
                << "row " << k << " byte " << b;
}

INSTANTIATE_TEST_SUITE_P(
    Widths, BmpSizes,
    ::testing::Values(SizeCase{1, 1, 4, 58}, SizeCase{2, 2, 8, 70}, SizeCase{3, 1, 12, 66},
                      SizeCase{4, 1, 12, 66}, SizeCase{5, 3, 16, 102}, SizeCase{7, 2, 24, 102},
                      SizeCase{128, 64, 384, 24630}, SizeCase{128, 128, 384, 49206},
                      SizeCase{512, 256, 1536, 393270}),
    [](const auto& info) {
        return std::to_string(info.param.W) + "x" + std::to_string(info.param.H);
    });

TEST(EncodeBmp, EmptyImageHasNoBmpForm) {
    EXPECT_THROW(EncodeBmp(TPixelImage()), std::invalid_argument);
    EXPECT_THROW(EncodeBmp(TPixelImage(0, 5)), std::invalid_argument);
}

// Saving, in a folder of its own for each test.
class SaveBmpTest : public ::testing::Test {
protected:
    std::set<std::string> Entries() const { return Temp.Names(); }

    TempDir Temp;
    const fs::path Dir = Temp.Path();
};

TEST_F(SaveBmpTest, NewFileHoldsTheWholePictureAndNothingElseIsLeft) {
    const fs::path target = Dir / "tile.bmp";
    SaveBmp(target.string(), Picture5x3());
    EXPECT_EQ(ReadFile(target), File5x3);
    EXPECT_EQ(Entries(), std::set<std::string>{"tile.bmp"});
}

TEST_F(SaveBmpTest, QImageReadsEveryPixel) {
    for (const TPixelImage& image : {Picture5x3(), Picture128x64()}) {
        const fs::path target = Dir / ("read" + std::to_string(image.Width()) + ".bmp");
        SaveBmp(target.string(), image);
        ExpectQImageReads(target, image);
    }
}

TEST_F(SaveBmpTest, ReplacesAnExistingFileKeepingItsPermissions) {
    const fs::path target = Dir / "old.bmp";
    WriteFile(target, std::string(30000, 'x')); // longer than the new file
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    SaveBmp(target.string(), Picture5x3());
    EXPECT_EQ(ReadFile(target), File5x3);
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), std::set<std::string>{"old.bmp"});
}

TEST_F(SaveBmpTest, RootReplacingAnotherUsersFileKeepsTheOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    const fs::path target = Dir / "theirs.bmp";
    WriteFile(target, "old");
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    SaveBmp(target.string(), Picture5x3());
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(ReadFile(target), File5x3);
}

TEST_F(SaveBmpTest, SavingAgainGivesTheNewPicture) {
    const fs::path target = Dir / "twice.bmp";
    SaveBmp(target.string(), Picture128x64());
    SaveBmp(target.string(), Picture5x3());
    EXPECT_EQ(ReadFile(target), File5x3);
}

// A new file gets 0666 less the umask.
class SaveBmpMode : public SaveBmpTest, public ::testing::WithParamInterface<mode_t> {};

TEST_P(SaveBmpMode, NewFileFollowsTheUmask) {
    const mode_t mask = GetParam();
    const mode_t before = ::umask(mask);
    const fs::path target = Dir / "new.bmp";
    SaveBmp(target.string(), Picture5x3());
    ::umask(before);
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
    EXPECT_TRUE(S_ISREG(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(Umasks, SaveBmpMode, ::testing::Values(022, 077, 002, 0));

// Paths that cannot be created: the message names the file, nothing is left behind,
// and whatever was there stays.
struct CannotCreateCase {
    const char* Name;
    const char* Target; // below the test folder
};

void PrintTo(const CannotCreateCase& c, std::ostream* os) {
    *os << c.Name;
}

class SaveBmpCannotCreate : public SaveBmpTest,
                            public ::testing::WithParamInterface<CannotCreateCase> {};

TEST_P(SaveBmpCannotCreate, NamesTheFileAndLeavesEverythingAsItWas) {
    // The folder holds a file "plain.txt" and a folder "sub" with a file in it.
    WriteFile(Dir / "plain.txt", "keep me");
    fs::create_directory(Dir / "sub");
    WriteFile(Dir / "sub" / "inner.txt", "and me");
    const std::set<std::string> before = Entries();

    const std::string target = (Dir / GetParam().Target).string();
    EXPECT_THROW_ERROR(SaveBmp(target, Picture5x3()), TFailure::CreateFile, target);
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(ReadFile(Dir / "plain.txt"), Bytes({'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_TRUE(fs::is_directory(Dir / "sub"));
    std::set<std::string> inSub;
    for (const auto& entry : fs::directory_iterator(Dir / "sub"))
        inSub.insert(entry.path().filename().string());
    EXPECT_EQ(inSub, std::set<std::string>{"inner.txt"});
}

INSTANTIATE_TEST_SUITE_P(Paths, SaveBmpCannotCreate,
                         ::testing::Values(CannotCreateCase{"MissingFolder", "missing/tile.bmp"},
                                           CannotCreateCase{"FolderIsAFile", "plain.txt/tile.bmp"},
                                           CannotCreateCase{"NameIsAFolder", "sub"},
                                           CannotCreateCase{"NameEndsInASlash", "new/"}),
                         [](const auto& info) { return info.param.Name; });

TEST_F(SaveBmpTest, EmptyPictureCannotBeCreated) {
    const fs::path target = Dir / "empty.bmp";
    WriteFile(target, "old");
    EXPECT_THROW_ERROR(SaveBmp(target.string(), TPixelImage()), TFailure::CreateFile,
                       target.string());
    EXPECT_EQ(ReadFile(target), Bytes({'o', 'l', 'd'}));
    EXPECT_EQ(Entries(), std::set<std::string>{"empty.bmp"});
}

TEST_F(SaveBmpTest, FolderWithoutWriteRightsCannotBeCreated) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    ASSERT_EQ(::chmod(Dir.c_str(), 0555), 0);
    const std::string target = (Dir / "tile.bmp").string();
    EXPECT_THROW_ERROR(SaveBmp(target, Picture5x3()), TFailure::CreateFile, target);
    ASSERT_EQ(::chmod(Dir.c_str(), 0755), 0);
    EXPECT_TRUE(Entries().empty());
}

TEST_F(SaveBmpTest, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    const fs::path target = Dir / "kept.bmp";
    WriteFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    EXPECT_THROW_ERROR(SaveBmp(target.string(), Picture5x3()), TFailure::CreateFile,
                       target.string());
    EXPECT_EQ(ReadFile(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(), std::set<std::string>{"kept.bmp"});
}

TEST_F(SaveBmpTest, SavingThroughALinkWritesItsTarget) {
    fs::create_directory(Dir / "real");
    const fs::path target = Dir / "real" / "wall.bmp";
    WriteFile(target, "old");
    fs::create_symlink("real/wall.bmp", Dir / "link.bmp");
    SaveBmp((Dir / "link.bmp").string(), Picture5x3());
    EXPECT_TRUE(fs::is_symlink(Dir / "link.bmp"));
    EXPECT_EQ(ReadFile(target), File5x3);
    EXPECT_EQ(Entries(), (std::set<std::string>{"link.bmp", "real"}));
}

// A real short write: the process may not grow a file beyond 1000 bytes.
TEST_F(SaveBmpTest, FileSizeLimitGivesTheWriteError) {
    const fs::path target = Dir / "big.bmp";
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW_ERROR(SaveBmp(target.string(), Picture128x64()), TFailure::WriteFile,
                           target.string());
    }
    EXPECT_TRUE(Entries().empty());
}
