// Setting a picture the way a row of the ways table says: through the portal, gsettings,
// xfconf, a tool taking the path, Hyprland's and sway's commands, or the X11 root window.
#include "DesktopBackground.h"

#include "PlainPath.h"
#include "PortalWallpaper.h"
#include "SetWays.h"
#include "X11Root.h"
#include "X11Worker.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QUrl>

#include <cstdint>

namespace ombrix {

namespace {

QString Seconds(int milliseconds) {
    return QString::number((milliseconds + 999) / 1000);
}

// A GVariant string literal, as gsettings reads its values.
QString GVariantString(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// What stopped a worker's work, in the user's words.
QString WorkerReason(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const TRootError& error) {
        return RootReason(error);
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Background", "not enough memory for the picture");
    } catch (const std::exception& error) {
        return QString::fromStdString(error.what());
    } catch (...) {
    }
    return {};
}

} // namespace

QStringList XfceImageKeys(const QString& listed, const QStringList& monitors) {
    static const QRegularExpression key(
        QStringLiteral("^/backdrop/screen\\d+/monitor[^/]+/workspace\\d+/last-image$"));
    QStringList images;
    for (const QString& line : listed.split(QLatin1Char('\n')))
        if (key.match(line.trimmed()).hasMatch())
            images << line.trimmed();
    if (images.isEmpty())
        for (const QString& monitor : monitors)
            images
                << QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(monitor);
    return images;
}

QString XfceStyleKey(const QString& imageKey) {
    return imageKey.chopped(int(qstrlen("last-image"))) + QStringLiteral("image-style");
}

void SetRootPicture(const QString& path, const std::string& display, const QString& unreadable,
                    const std::function<QString()>& proceed, QString& reason) {
    QImage picture(path);
    if (picture.isNull()) {
        reason = unreadable.arg(path);
        return;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32);
    reason = proceed();
    if (!reason.isEmpty())
        return;
    SetRootBackground(display, {picture.width(), picture.height(), int(picture.bytesPerLine() / 4),
                                reinterpret_cast<const std::uint32_t*>(picture.constBits())});
}

void TBackgroundSetter::SetBy(const TWayRow& row) {
    switch (row.SetBy) {
    case TSetBy::Portal:
        return ThroughPortal();
    case TSetBy::Gsettings:
        return ThroughGsettings(row);
    case TSetBy::Xfconf:
        return ThroughXfce(row);
    case TSetBy::Tool:
        return ThroughTool(row);
    case TSetBy::Hyprctl:
        return ThroughHyprland(row);
    case TSetBy::SwayIpc:
        return ThroughSway(row);
    case TSetBy::X11Root:
        return ThroughX11Root();
    case TSetBy::None:
        break;
    }
    WayEnded(QCoreApplication::translate("Background", "this way cannot set a picture"));
}

void TBackgroundSetter::RunEach(const QString& tool, std::vector<QStringList> runs, TThen then) {
    Tools_.RunEach(tool, std::move(runs), Session_.Tools, Session_.ToolTimeout, std::move(then));
}

void TBackgroundSetter::ThroughPortal() {
    auto request = std::make_unique<TPortalRequest>();
    connect(request.get(), &TPortalRequest::Answered, this, [this](const TPortalAnswer& answer) {
        if (answer.Response == 0u)
            return Succeeded();
        if (answer.Response == 1u)
            return Finish(TBackgroundOutcome::Cancelled);
        WayEnded(answer.Response
                     ? QCoreApplication::translate(
                           "Background", "the desktop portal could not set it (response %1)")
                           .arg(*answer.Response)
                     : answer.Reason);
    });
    const unsigned step = Step_;
    connect(&WayTimer_, &QTimer::timeout, this, [this, step] {
        if (step == Step_)
            WayEnded(QCoreApplication::translate("Background",
                                                 "no answer from the desktop portal within %1 s")
                         .arg(Seconds(Session_.PortalTimeout)));
    });
    WayTimer_.start(Session_.PortalTimeout);
    request->Start(Session_.BusAddress, Path_);
    Helper_ = std::move(request);
}

void TBackgroundSetter::ThroughGsettings(const TWayRow& row) {
    const QString schema = row.Target;
    const QString picture =
        row.PictureUri ? QUrl::fromLocalFile(Path_).toString(QUrl::FullyEncoded) : Path_;
    std::vector<std::pair<QString, QString>> keys{{row.FitKey, GVariantString(FitWord(row, Kind_))},
                                                  {row.PictureKey, GVariantString(picture)}};
    Tools_.Run(QStringLiteral("gsettings"), {QStringLiteral("list-keys"), schema}, Session_.Tools,
               Session_.ToolTimeout,
               [this, schema, keys, dark = row.DarkKey](const TToolRun& list) {
                   if (!list.ExitCode)
                       return WayEnded(list.Reason);
                   if (*list.ExitCode != 0)
                       return WayEnded(QCoreApplication::translate("Background",
                                                                   "the schema %1 is not installed")
                                           .arg(schema));
                   std::vector<QStringList> runs;
                   for (const auto& [key, value] : keys)
                       runs.push_back({QStringLiteral("set"), schema, key, value});
                   if (!dark.isEmpty() && list.Output.split(QLatin1Char('\n')).contains(dark))
                       runs.push_back({QStringLiteral("set"), schema, dark, keys.back().second});
                   RunEach(QStringLiteral("gsettings"), runs,
                           [this](const QString& reason) { WayEnded(reason); });
               });
}

void TBackgroundSetter::ThroughXfce(const TWayRow& row) {
    const QString tool = QStringLiteral("xfconf-query");
    const QString channel = row.Target;
    Tools_.Run(tool, {QStringLiteral("-c"), channel, QStringLiteral("-l")}, Session_.Tools,
               Session_.ToolTimeout,
               [this, tool, channel, style = FitWord(row, Kind_)](const TToolRun& list) {
                   if (!list.ExitCode || *list.ExitCode != 0)
                       return WayEnded(list.Reason);
                   const QStringList images = XfceImageKeys(list.Output, Session_.Monitors);
                   if (images.isEmpty())
                       return WayEnded(QCoreApplication::translate(
                           "Background",
                           "Xfce has no background keys yet, and the monitors' names are unknown"));
                   std::vector<QStringList> runs;
                   for (const QString& image : images) {
                       runs.push_back({QStringLiteral("-c"), channel, QStringLiteral("-p"),
                                       XfceStyleKey(image), QStringLiteral("-n"),
                                       QStringLiteral("-t"), QStringLiteral("int"),
                                       QStringLiteral("-s"), style});
                       runs.push_back({QStringLiteral("-c"), channel, QStringLiteral("-p"), image,
                                       QStringLiteral("-n"), QStringLiteral("-t"),
                                       QStringLiteral("string"), QStringLiteral("-s"), Path_});
                   }
                   RunEach(tool, runs, [this](const QString& reason) { WayEnded(reason); });
               });
}

void TBackgroundSetter::ThroughTool(const TWayRow& row) {
    // The fit's word goes in first: the path, whatever it holds, is put in last.
    QStringList arguments;
    for (QString argument : row.Arguments)
        arguments << argument.replace(QStringLiteral("%f"), FitWord(row, Kind_))
                         .replace(QStringLiteral("%p"), Path_);
    RunEach(row.Target, {arguments}, [this](const QString& reason) { WayEnded(reason); });
}

void TBackgroundSetter::ThroughHyprland(const TWayRow& row) {
    // hyprctl sends its words to Hyprland as one text: the path in it is a plain one.
    QString reason;
    const QString plain =
        PlainPathTo(Path_, Session_.RuntimeFolder, QStringLiteral("hyprland-background"), reason);
    if (plain.isEmpty())
        return WayEnded(reason);
    const QString hyprpaper = QStringLiteral("hyprpaper");
    RunEach(row.Target,
            {{hyprpaper, QStringLiteral("preload"), plain},
             {hyprpaper, QStringLiteral("wallpaper"), QLatin1Char(',') + plain}},
            [this](const QString& reason) { WayEnded(reason); });
}

void TBackgroundSetter::ThroughSway(const TWayRow& row) {
    // sway expands the path of "output * bg" as a shell would: it only ever gets a plain
    // one, and the command is sent to its socket directly, with no tool in between.
    QString reason;
    const QString plain =
        PlainPathTo(Path_, Session_.RuntimeFolder, QStringLiteral("sway-background"), reason);
    if (plain.isEmpty())
        return WayEnded(reason);
    auto command = std::make_unique<TSwayCommand>();
    connect(command.get(), &TSwayCommand::Answered, this, [this, plain](const QString& reason) {
        if (!reason.isEmpty())
            return WayEnded(reason);
        // sway says success even for a file it cannot open: check it is there to be read.
        const QFileInfo picture(plain);
        WayEnded(picture.isFile() && picture.isReadable()
                     ? QString()
                     : QCoreApplication::translate("Background", "sway cannot read the picture %1")
                           .arg(plain));
    });
    const unsigned step = Step_;
    connect(&WayTimer_, &QTimer::timeout, this, [this, step] {
        if (step == Step_)
            WayEnded(QCoreApplication::translate("Background", "no answer from sway within %1 s")
                         .arg(Seconds(Session_.ToolTimeout)));
    });
    WayTimer_.start(Session_.ToolTimeout);
    command->Start(Session_.SwaySocket,
                   QStringLiteral("output * bg %1 %2").arg(plain, FitWord(row, Kind_)));
    Helper_ = std::move(command);
}

void TBackgroundSetter::ThroughX11Root() {
    if (Session_.Display.isEmpty())
        return WayEnded(QCoreApplication::translate("Background", "no X display"));
    if (Session_.Wayland)
        return WayEnded(QCoreApplication::translate(
            "Background", "a Wayland session, whose background X11 cannot reach"));
    OnThread(
        [path = Path_, display = Session_.Display.toStdString()](const TX11Proceed& proceed) {
            QString reason;
            SetRootPicture(path, display,
                           QCoreApplication::translate("Background", "cannot read the picture %1"),
                           proceed, reason);
            return reason;
        },
        [this](const QString& reason) { WayEnded(reason); });
}

void TBackgroundSetter::OnThread(std::function<QString(const TX11Proceed&)> work, TThen then) {
    // The work's answer comes back only while its step is still current; once the step
    // is over, its flag keeps it from changing anything.
    const unsigned step = Step_;
    X11Cancel_ = StartX11Work(this, Session_.Display.toStdString(),
                              std::chrono::milliseconds(Session_.ToolTimeout / 2), std::move(work),
                              WorkerReason, [this, step, then](const QString& reason) {
                                  if (step != Step_)
                                      return;
                                  WayTimer_.stop();
                                  WayTimer_.disconnect(this);
                                  X11Cancel_.reset();
                                  then(reason);
                              });
    if (!X11Cancel_)
        return then(QCoreApplication::translate(
            "Background", "an earlier request to the X server has not ended yet"));
    connect(&WayTimer_, &QTimer::timeout, this, [this, step, then] {
        if (step != Step_)
            return;
        WayTimer_.disconnect(this);
        ++Step_; // the worker's late answer is ignored, and it changes nothing
        *X11Cancel_ = true;
        X11Cancel_.reset();
        then(QCoreApplication::translate("Background", "the X server did not answer within %1 s")
                 .arg(Seconds(Session_.ToolTimeout)));
    });
    WayTimer_.start(Session_.ToolTimeout);
}

} // namespace ombrix
