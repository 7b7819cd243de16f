#include "Start.h"

#include "ColorTable.h"
#include "FontFamilies.h"
#include "IniFile.h"
#include "Random.h"
#include "Settings.h"
#include "SettingsPath.h"
#include "TextStamp.h"
#include "Wall.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

// The window's start with the command line's changes: the settings as the window reads
// them, and when --states differs from the file the colour defaults drawn again for the
// new number of states, as if the file had said so.
// Returns the settings' speed.
std::int32_t ReadStart(const TStartOptions& o, const std::string& settingsPath,
                       TFieldModel& model) {
    const TIniFile ini(settingsPath);
    std::int32_t speed = DefaultSpeed;
    std::string fileName;
    RandSeed = o.Seed;
    ReadSettings(ini, model, speed, fileName);
    if (o.States && *o.States != model.UseColCnt) {
        RandSeed = o.Seed;
        model.UseColCnt = *o.States;
        for (int i = 0; i < model.UseColCnt; ++i) {
            const TColor drawn = RandomColor();
            model.ColorTable[i] = static_cast<TColor>(
                ini.ReadNumber(SettingsSection, ColorKey(i), static_cast<std::int32_t>(drawn)));
        }
    }
    if (o.Segments) {
        if (*o.Segments > model.UseColCnt)
            FailOption("--segments", "expected a whole number from 1 to the number of states " +
                                         std::to_string(model.UseColCnt) + ", not " +
                                         std::to_string(*o.Segments));
        model.ColDiv = *o.Segments;
    }
    model.ColDiv = std::min(model.ColDiv, model.UseColCnt);
    if (o.Tiling)
        model.TilingType = *o.Tiling;
    if (o.Rule) {
        model.PrmG = o.Rule->PrmG;
        model.PrmK1 = o.Rule->PrmK1;
        model.PrmK2 = o.Rule->PrmK2;
    }
    return speed;
}

TTextFont StampFont(const TStartOptions& o) {
    TTextFont font = DefaultTextFont();
    if (o.Font) {
        font.Font = QFont(QString::fromStdString(o.Font->Family));
        font.Font.setPointSize(o.Font->Points);
        font.Font.setBold(o.Font->Bold);
        font.Font.setItalic(o.Font->Italic);
    }
    if (o.TextColor)
        font.Color =
            QColor(static_cast<int>(RedOf(*o.TextColor)), static_cast<int>(GreenOf(*o.TextColor)),
                   static_cast<int>(BlueOf(*o.TextColor)));
    return font;
}

// A settings file that exists must be a regular file this user may read: a folder, a
// FIFO (which would block the read), a device or a file that cannot be opened is
// refused with the system's reason. A missing file means the window's defaults.
void CheckSettingsFile(const std::string& path) {
    const auto fail = [&](const std::string& reason) {
        throw std::runtime_error("cannot read the settings file " + Quoted(path) + ": " + reason);
    };
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT)
            fail(std::strerror(errno));
        return;
    }
    if (S_ISDIR(status.st_mode))
        fail(std::strerror(EISDIR));
    CheckSettingsSize(path);
    if (!S_ISREG(status.st_mode))
        fail(S_ISFIFO(status.st_mode) ? "it is a FIFO, not a file" : "it is a device, not a file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        fail(std::strerror(errno));
    ::close(fd);
}

// A family the font database does not know would be drawn in some other font without a
// word; the usage error names the closest installed ones instead.
void CheckFontFamily(const TFontSpec& font) {
    const QString family = QString::fromStdString(font.Family);
    if (IsKnownFontFamily(family))
        return;
    std::string close;
    for (const QString& name : CloseFontFamilies(family, 3))
        close += (close.empty() ? "" : ", ") + Quoted(name.toStdString());
    FailOption("--font", "no font family " + Quoted(font.Family) + " is installed" +
                             (close.empty() ? std::string() : "; close: " + close));
}

} // namespace

TPixelImage TStartedField::Tile() {
    TPixelImage tile;
    RenderTile(Field.View(), Model->ColorTable, tile);
    return tile;
}

std::string WindowSettingsPath() {
    const std::filesystem::path self(ExecutablePath());
    return ChooseSettingsPath((self.parent_path() / "ombrix").string());
}

void CheckSettingsSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size > MaxSettingsSize)
        throw std::runtime_error(
            "the settings file " + Quoted(path) + " holds " + std::to_string(status.st_size >> 20) +
            " MB; a settings file takes at most " + std::to_string(MaxSettingsSize >> 20) + " MB");
}

bool DrawRandomSeed(TStartOptions& options) {
    if (!options.RandomSeed)
        return false;
    std::uint32_t seed = 0;
    while (::getrandom(&seed, sizeof seed, 0) != static_cast<ssize_t>(sizeof seed))
        if (errno != EINTR)
            throw std::runtime_error(std::string("cannot draw a seed: ") + std::strerror(errno));
    options.Seed = seed;
    options.RandomSeed = false;
    return true;
}

TStartedField StartAsTheWindow(const TStartOptions& given, const std::string& settingsPath) {
    TStartOptions o = given;
    DrawRandomSeed(o);
    if (o.Font)
        CheckFontFamily(*o.Font);
    CheckSettingsFile(settingsPath);
    auto model = std::make_unique<TFieldModel>();
    const std::int32_t speed = ReadStart(o, settingsPath, *model);
    const TPictureSize size = o.Field.value_or(TPictureSize{model->AreaW, model->AreaH});
    TStartedField started{std::move(model), TLargeField(size.Width, size.Height), speed};
    InitField(started.Field.View(), started.Model->UseColCnt);
    if (o.RandomizeColors) {
        RandomizeColorTable(*started.Model);
        MakeColorTable(*started.Model);
    }
    if (o.Text) {
        TLargeField& field = started.Field;
        StampText(field.Width(), field.Height(), started.Model->UseColCnt,
                  QString::fromStdString(*o.Text), StampFont(o),
                  [&field](int y, const std::int32_t* values) {
                      for (int x = 0; x < field.Width(); ++x)
                          field.At(x + 1, y + 1) = values[x];
                  });
    }
    return started;
}

TPixelImage Zoomed(const TPixelImage& picture, int zoom) {
    if (zoom <= 1)
        return picture;
    TPixelImage zoomed(picture.Width() * zoom, picture.Height() * zoom);
    for (int y = 0; y < picture.Height(); ++y) {
        TColor* row = zoomed.Row(y * zoom);
        const TColor* from = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x)
            std::fill_n(row + x * zoom, zoom, from[x]);
        for (int copy = 1; copy < zoom; ++copy)
            std::copy_n(row, zoomed.Width(), zoomed.Row(y * zoom + copy));
    }
    return zoomed;
}

TPixelImage ZoomedWall(const TPixelImage& pattern, int zoom, int width, int height) {
    TPixelImage wall(width, height);
    const int repeatWidth = pattern.Width() * zoom;
    const int repeatHeight = pattern.Height() * zoom;
    for (int y = 0; y < height; ++y) {
        const TColor* from = pattern.Row(y % repeatHeight / zoom);
        TColor* row = wall.Row(y);
        for (int x = 0; x < width; ++x)
            row[x] = from[x % repeatWidth / zoom];
    }
    return wall;
}

} // namespace ombrix
