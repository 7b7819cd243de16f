#include "Render.h"

#include "BmpFile.h"
#include "ColorTable.h"
#include "Export.h"
#include "FieldView.h"
#include "IniFile.h"
#include "PngFile.h"
#include "Random.h"
#include "Settings.h"
#include "SettingsPath.h"
#include "TextStamp.h"
#include "Wall.h"
#include "Wallpaper.h"

#include "DesktopBackground.h"
#include "Publish.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace ombrix {

namespace {

// The field the generations run on, any size up to MaxFieldSide, with the parameters
// and the colour table of the model; stepped on every hardware thread.
class TRenderField {
public:
    TRenderField(const TFieldModel& model, TPictureSize size)
        : Model_(model), Field_(size.Width, size.Height) {}

    void Seed() { InitField(Field_.View(), Model_.UseColCnt); }
    void Step() { StepField(Field_, RuleOf(Model_)); }
    void Tile(TPixelImage& tile) { RenderTile(Field_.View(), Model_.ColorTable, tile); }
    void Stamp(const QString& text, const TTextFont& font) {
        StampText(Field_.Width(), Field_.Height(), Model_.UseColCnt, text, font,
                  [this](int y, const std::int32_t* values) {
                      for (int x = 0; x < Field_.Width(); ++x)
                          Field_.At(x + 1, y + 1) = values[x];
                  });
    }

private:
    const TFieldModel& Model_;
    TLargeField Field_;
};

void Check(const TRenderHooks& hooks) {
    if (hooks.Interrupted && hooks.Interrupted())
        throw TInterrupted();
}

// The window's start with the command line's changes: the settings as the window reads
// them, and when --states differs from the file the colour defaults drawn again for the
// new number of states, as if the file had said so.
void Start(const TRenderOptions& o, const std::string& settingsPath, TFieldModel& model) {
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
            throw TUsageError("--segments: expected a whole number from 1 to the number of "
                              "states " +
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
}

TTextFont StampFont(const TRenderOptions& o) {
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

// The picture of the field as it is now: the export composite of the tile, or a wall.
TPixelImage Picture(const TRenderOptions& o, TRenderField& field, std::int32_t tilingType) {
    TPixelImage tile;
    field.Tile(tile);
    if (o.Kind == TOutputKind::Wall)
        return WallpaperPicture(tile, tilingType, o.WallSize.Width, o.WallSize.Height);
    return ComposeExport(tile, tilingType);
}

void Save(TPictureFormat format, const std::string& path, const TPixelImage& picture) {
    if (format == TPictureFormat::Png)
        SavePng(path, picture);
    else
        SaveBmp(path, picture);
}

} // namespace

std::string WindowSettingsPath() {
    const std::filesystem::path self(ExecutablePath());
    return ChooseSettingsPath((self.parent_path() / "ombrix").string());
}

std::string FramePath(const std::string& folder, std::int32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", static_cast<int>(index));
    return (std::filesystem::path(folder) / name).string();
}

TPixelImage RunRender(const TRenderOptions& o, const std::string& settingsPath,
                      const TRenderHooks& hooks) {
    auto model = std::make_unique<TFieldModel>();
    Start(o, settingsPath, *model);
    TRenderField field(*model, o.Field.value_or(TPictureSize{model->AreaW, model->AreaH}));
    field.Seed();
    if (o.RandomizeColors) {
        RandomizeColorTable(*model);
        MakeColorTable(*model);
    }
    if (o.Text)
        field.Stamp(QString::fromStdString(*o.Text), StampFont(o));

    if (o.FramesDir) {
        // A folder that cannot be made shows as the first frame's write failure.
        std::error_code ignored;
        std::filesystem::create_directories(*o.FramesDir, ignored);
    }
    std::int32_t frame = 0;
    const auto writeFrame = [&](std::int32_t generation) {
        if (!o.FramesDir || generation % o.Every != 0)
            return;
        Check(hooks);
        SavePng(FramePath(*o.FramesDir, frame++), Picture(o, field, model->TilingType));
    };

    if (hooks.Progress)
        hooks.Progress(0, o.Generations);
    writeFrame(0);
    for (std::int32_t g = 1; g <= o.Generations; ++g) {
        Check(hooks);
        field.Step();
        if (hooks.Progress)
            hooks.Progress(g, o.Generations);
        writeFrame(g);
    }
    Check(hooks);
    TPixelImage picture = Picture(o, field, model->TilingType);
    Save(o.Format, o.Output, picture);
    return picture;
}

void SetAsDesktopBackground(const TPixelImage& picture, TOutputKind kind,
                            const QProcessEnvironment& environment, const TRenderHooks& hooks) {
    TWallpaperPublisher publisher;
    std::optional<TBackgroundResult> result;
    QString path;
    QEventLoop loop;
    QObject::connect(&publisher, &TWallpaperPublisher::Finished, &loop,
                     [&](const TBackgroundResult& r, const QString& p) {
                         result = r;
                         path = p;
                         loop.quit();
                     });
    // A stop signal is noticed within a tenth of a second and cancels the run.
    QTimer watch;
    bool interrupted = false;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (hooks.Interrupted && hooks.Interrupted()) {
            interrupted = true;
            publisher.Cancel();
        }
    });
    watch.start(100);
    publisher.Start(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        [&picture](const QString& p) { SavePng(QFile::encodeName(p).toStdString(), picture); },
        kind == TOutputKind::Tile ? TWallpaperKind::Tile : TWallpaperKind::Screen,
        TDesktopSession::FromEnvironment(environment));
    while (!result)
        loop.exec();
    if (interrupted)
        throw TInterrupted();
    if (result->Outcome == TBackgroundOutcome::Failed)
        throw std::runtime_error(BackgroundFailureMessage(*result, path).toStdString());
    if (result->Outcome == TBackgroundOutcome::Cancelled)
        throw std::runtime_error("cancelled; the desktop background was left as it was (" +
                                 result->Way.toStdString() + ")");
}

} // namespace ombrix
