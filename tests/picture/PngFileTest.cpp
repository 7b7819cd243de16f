#include "PngFile.h"
#include "BmpFile.h"
#include "ColorTable.h"
#include "TestPicture.h"
#include "ThrowMessage.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace ombrix;

namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

class SavePictureTest : public ::testing::Test {
protected:
    QTemporaryDir Folder;
    std::string Path(const char* name) const { return Folder.filePath(name).toStdString(); }
};

} // namespace

TEST(EncodePng, ReadsBackAsTheSamePixelsAsTheBmp) {
    const TPixelImage picture = Picture5x3();
    const QImage png = QImage::fromData(EncodePng(picture), "PNG");
    const std::vector<std::uint8_t> bmpBytes = EncodeBmp(picture);
    const QImage bmp = QImage::fromData(bmpBytes.data(), static_cast<int>(bmpBytes.size()), "BMP");
    ASSERT_EQ(png.size(), QSize(5, 3));
    EXPECT_FALSE(png.hasAlphaChannel());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), bmp.convertToFormat(QImage::Format_RGB32));
    // One worked pixel: (4, 2) is red 0xA0 + 36, green 0x50 + 36, blue 36.
    EXPECT_EQ(png.pixel(4, 2), qRgb(0xC4, 0x74, 0x24));
}

TEST(EncodePng, EmptyImageHasNoPngForm) {
    EXPECT_THROW(EncodePng(TPixelImage{}), std::invalid_argument);
}

struct NameCase {
    const char* Name;
    bool Png;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.Name;
}

class PictureNames : public SavePictureTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(PictureNames, PngOnlyForAPngSuffix) {
    const std::string path = Path(GetParam().Name);
    SavePicture(path, Picture5x3());
    const QByteArray bytes = Contents(QString::fromStdString(path));
    if (GetParam().Png) {
        EXPECT_TRUE(bytes.startsWith(PngSignature));
    } else {
        const std::vector<std::uint8_t> bmp = EncodeBmp(Picture5x3());
        EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(bmp.data()),
                                    static_cast<qsizetype>(bmp.size())));
    }
}

INSTANTIATE_TEST_SUITE_P(Suffixes, PictureNames,
                         ::testing::Values(NameCase{"wall.png", true}, NameCase{"WALL.PNG", true},
                                           NameCase{"wall.Png", true}, NameCase{"wall.bmp", false},
                                           NameCase{"wall.png.bak", false}, NameCase{"wall", false},
                                           NameCase{"png", false}, NameCase{"wall.jpg", false}));

TEST_F(SavePictureTest, PngInAMissingFolderNamesTheFile) {
    const std::string path = Path("missing/wall.png");
    EXPECT_THROW_ERROR(SavePng(path, Picture5x3()), TFailure::CreateFile, path);
}
