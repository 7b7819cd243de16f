// Reading the desktop's background before a picture is set and after, and putting the
// remembered one back (see PreviousBackground.h for the remembered file and the tools'
// arguments).
#include "DesktopBackground.h"

#include "Error.h"
#include "PreviousBackground.h"
#include "SafeFile.h"
#include "SetWays.h"
#include "X11Root.h"
#include "X11Worker.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace ombrix {

void TBackgroundSetter::Remember() {
    const QString file = Session_.PreviousFile;
    std::optional<TRememberedBackground> remembered;
    try {
        remembered = ReadRemembered(file);
    } catch (const std::runtime_error&) {
        // A file not of this program's making is written anew.
    }
    const TBackgroundValues ours = remembered ? remembered->Ours : TBackgroundValues{};
    ReadCurrent(&ours, [this, file, ours](const TBackgroundValues* current) {
        if (current && !current->Values.empty() &&
            !IsOurs(*current, ours, QFileInfo(file).path())) {
            try {
                WriteRemembered(file, {*current, ours});
            } catch (const std::runtime_error&) {
                // Not remembered; the picture is set all the same.
            }
        }
        NextWay();
    });
}

void TBackgroundSetter::Succeeded() {
    if (Restoring_ || Session_.PreviousFile.isEmpty() ||
        ReadablePlace(Session_) == TBackgroundPlace::None)
        return Finish(TBackgroundOutcome::Done);
    Succeeded_ = true;
    EndWaits();
    ReadCurrent(nullptr, [this](const TBackgroundValues* shown) {
        if (shown && !shown->Values.empty()) {
            try {
                const auto remembered = ReadRemembered(Session_.PreviousFile);
                WriteRemembered(Session_.PreviousFile,
                                {remembered ? remembered->Previous : TBackgroundValues{}, *shown});
            } catch (const std::runtime_error&) {
                // Then the next run takes its picture for the user's, unless it is in the
                // wallpaper folder.
            }
        }
        Finish(TBackgroundOutcome::Done);
    });
}

void TBackgroundSetter::PutBack() {
    const TBackgroundPlace place = ReadablePlace(Session_);
    if (place == TBackgroundPlace::None)
        return WayEnded(QCoreApplication::translate(
            "Background", "this desktop's background cannot be read, so none was remembered"));
    std::optional<TRememberedBackground> remembered;
    try {
        remembered = ReadRemembered(Session_.PreviousFile);
    } catch (const std::runtime_error& error) {
        return WayEnded(QString::fromStdString(error.what()));
    }
    if (!remembered || remembered->Previous.Place != place || remembered->Previous.Values.empty())
        return WayEnded(QCoreApplication::translate(
            "Background", "no earlier background of this desktop is remembered"));
    const TBackgroundValues previous = remembered->Previous;
    if (place != TBackgroundPlace::X11Root)
        return RunEach(RestoreTool(place), RestoreRuns(previous),
                       [this](const QString& reason) { WayEnded(reason); });
    if (Session_.Display.isEmpty())
        return WayEnded(QCoreApplication::translate("Background", "no X display"));
    OnThread(
        [picture = previous.Value(QStringLiteral("picture")).value_or(QString()),
         display = Session_.Display.toStdString()](const TX11Proceed& proceed) {
            QString reason;
            SetRootPicture(
                picture, display,
                QCoreApplication::translate("Background", "cannot read the remembered picture %1"),
                proceed, reason);
            return reason;
        },
        [this](const QString& reason) { WayEnded(reason); });
}

void TBackgroundSetter::ReadCurrent(const TBackgroundValues* ours, TRead then) {
    const TBackgroundPlace place = ReadablePlace(Session_);
    auto values = std::make_shared<TBackgroundValues>();
    values->Place = place;
    if (place == TBackgroundPlace::X11Root) {
        const std::optional<QString> oursPixmap =
            ours ? ours->Value(QStringLiteral("pixmap")) : std::nullopt;
        return OnThread(
            [values, oursPixmap,
             copyPictureTo =
                 ours ? RootPictureCopy(QFileInfo(Session_.PreviousFile).path()) : QString(),
             display = Session_.Display.toStdString()](const TX11Proceed& proceed) {
                if (const QString no = proceed(); !no.isEmpty())
                    return no;
                const TRootBackground shown = ReadRootBackground(display, false);
                if (shown.Pixmap == 0)
                    return QString(); // nothing published: nothing to read
                const QString pixmap = QString::number(shown.Pixmap);
                values->Values.emplace_back(QStringLiteral("pixmap"), pixmap);
                if (copyPictureTo.isEmpty() || pixmap == oursPixmap)
                    return QString();
                const TRootBackground copy = ReadRootBackground(display, true);
                const QImage image(reinterpret_cast<const uchar*>(copy.Pixels.data()), copy.Width,
                                   copy.Height, copy.Width * 4, QImage::Format_RGB32);
                QByteArray png;
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                if (!image.save(&buffer, "PNG"))
                    return QStringLiteral("cannot write %1").arg(copyPictureTo);
                try {
                    ReplaceFile(QFile::encodeName(copyPictureTo).toStdString(),
                                {std::string_view(png.constData(), size_t(png.size()))});
                } catch (const TError&) {
                    return QStringLiteral("cannot write %1").arg(copyPictureTo);
                }
                values->Values.emplace_back(QStringLiteral("picture"), copyPictureTo);
                return QString();
            },
            [values, then](const QString& reason) {
                then(reason.isEmpty() ? values.get() : nullptr);
            });
    }
    const TWayRow* row = PlaceRow(place);
    if (place == TBackgroundPlace::Xfce) {
        const QString tool = RestoreTool(place);
        const QString channel = row->Target;
        return Tools_.Run(
            tool, {QStringLiteral("-c"), channel, QStringLiteral("-l")}, Session_.Tools,
            Session_.ToolTimeout, [this, tool, channel, values, then](const TToolRun& list) {
                if (!list.ExitCode || *list.ExitCode != 0)
                    return then(nullptr);
                std::vector<std::pair<QString, QStringList>> keys;
                for (const QString& image : XfceImageKeys(list.Output, Session_.Monitors))
                    for (const QString& key : {image, XfceStyleKey(image)})
                        keys.push_back(
                            {key, {QStringLiteral("-c"), channel, QStringLiteral("-p"), key}});
                if (keys.empty())
                    return then(nullptr);
                ReadKeys(tool, std::move(keys), values, then);
            });
    }
    std::vector<std::pair<QString, QStringList>> keys;
    for (const QString& key : row->ReadKeys)
        keys.push_back({key, {QStringLiteral("get"), row->Target, key}});
    ReadKeys(QStringLiteral("gsettings"), std::move(keys), values, then);
}

void TBackgroundSetter::ReadKeys(const QString& tool,
                                 std::vector<std::pair<QString, QStringList>> keys,
                                 std::shared_ptr<TBackgroundValues> values, TRead then) {
    if (keys.empty())
        return then(values.get());
    const auto [key, arguments] = keys.front();
    keys.erase(keys.begin());
    Tools_.Run(tool, arguments, Session_.Tools, Session_.ToolTimeout,
               [=, this](const TToolRun& run) mutable {
                   if (!run.ExitCode || (*run.ExitCode != 0 && values->Values.empty()))
                       return then(nullptr);
                   // The tools end what they print with one line break; the value is the rest.
                   QString value = run.Output;
                   if (value.endsWith(QLatin1Char('\n')))
                       value.chop(1);
                   values->Values.emplace_back(key, *run.ExitCode == 0 ? std::optional(value)
                                                                       : std::nullopt);
                   ReadKeys(tool, std::move(keys), values, then);
               });
}

} // namespace ombrix
