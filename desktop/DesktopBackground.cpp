#include "DesktopBackground.h"

#include "Error.h"
#include "PlainPath.h"
#include "PortalWallpaper.h"
#include "PreviousBackground.h"
#include "SafeFile.h"
#include "X11Root.h"
#include "X11Worker.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <cstdint>
#include <utility>

namespace ombrix {

namespace {

bool IsDesktop(const TDesktopSession& session, std::initializer_list<const char*> names) {
    for (const QString& desktop : session.DesktopNames)
        for (const char* name : names)
            if (desktop.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

// A GVariant string literal, as gsettings reads its values.
QString GVariantString(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString Seconds(int milliseconds) {
    return QString::number((milliseconds + 999) / 1000);
}

const QString XfceTool = QStringLiteral("xfconf-query");
const QString XfceChannel = QStringLiteral("xfce4-desktop");

// Xfce keeps a picture per screen, monitor and workspace: the last-image keys of the
// listing `listed`, or without any yet, those of workspace 0 of each of `monitors`.
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

// A failure of the root background in the user's words.
QString RootReason(const TRootError& error) {
    const auto words = [](const char* text) {
        return QCoreApplication::translate("Background", text);
    };
    const QString number = QString::number(error.Number);
    switch (error.Failure) {
    case TRootFailure::OpenDisplay:
        return error.Subject.empty()
                   ? words(QT_TRANSLATE_NOOP("Background",
                                             "cannot open the X display (DISPLAY is not set)"))
                   : words(QT_TRANSLATE_NOOP("Background", "cannot open the X display %1"))
                         .arg(QString::fromLocal8Bit(error.Subject));
    case TRootFailure::PictureSize:
        return words(QT_TRANSLATE_NOOP("Background",
                                       "the picture for the root window is empty or too large"));
    case TRootFailure::ScreenDepth:
        return words(QT_TRANSLATE_NOOP("Background", "the X screen's depth of %1 bits is not "
                                                     "supported (24 or 32 bits are)"))
            .arg(number);
    case TRootFailure::BackgroundDepth:
        return words(QT_TRANSLATE_NOOP("Background", "the root background's depth of %1 bits "
                                                     "is not supported (24 or 32 bits are)"))
            .arg(number);
    case TRootFailure::RefusedPicture:
        return words(QT_TRANSLATE_NOOP("Background",
                                       "the X server refused a pixmap for the picture (error %1)"))
            .arg(number);
    case TRootFailure::RefusedScreen:
        return words(QT_TRANSLATE_NOOP(
                         "Background",
                         "the X server refused a pixmap of the screen's size (error %1)"))
            .arg(number);
    case TRootFailure::RefusedBackground:
        return words(QT_TRANSLATE_NOOP(
                         "Background",
                         "the X server refused the root window's background (error %1)"))
            .arg(number);
    case TRootFailure::RefusedKeep:
        return words(QT_TRANSLATE_NOOP("Background", "the X server refused to keep the background "
                                                     "after the program ends (error %1)"))
            .arg(number);
    case TRootFailure::NoBackgroundPicture:
        return words(QT_TRANSLATE_NOOP("Background",
                                       "the X server did not give the root background's picture"));
    }
    return QString::fromStdString(error.what());
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

QString StyleKey(const QString& imageKey) {
    return imageKey.chopped(int(qstrlen("last-image"))) + QStringLiteral("image-style");
}

} // namespace

TDesktopSession TDesktopSession::FromEnvironment(const QProcessEnvironment& environment) {
    TDesktopSession session;
    session.BusAddress = environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    session.DesktopNames = environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    session.Wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
                      environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                              .compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0;
    session.SwaySocket = environment.value(QStringLiteral("SWAYSOCK"));
    session.HyprlandInstance = environment.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"));
    session.Display = environment.value(QStringLiteral("DISPLAY"));
    // The XDG rule: a relative path is to be ignored.
    const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (runtime.startsWith(QLatin1Char('/')))
        session.RuntimeFolder = runtime;
    session.Tools = environment;
    return session;
}

QStringList WaysFor(const TDesktopSession& session) {
    QStringList ways{PortalWay};
    if (IsDesktop(session, {"GNOME", "GNOME-Classic", "GNOME-Flashback", "Unity", "Budgie",
                            "Pantheon", "ubuntu"}))
        ways << GnomeWay;
    if (IsDesktop(session, {"XFCE"}))
        ways << XfceWay;
    if (IsDesktop(session, {"MATE"}))
        ways << MateWay;
    if (IsDesktop(session, {"X-Cinnamon", "Cinnamon"}))
        ways << CinnamonWay;
    if (IsDesktop(session, {"LXQt"}))
        ways << LxqtWay;
    if (IsDesktop(session, {"LXDE"}))
        ways << LxdeWay;
    if (!session.HyprlandInstance.isEmpty())
        ways << HyprlandWay;
    if (IsDesktop(session, {"KDE"}))
        ways << PlasmaWay;
    if (!session.SwaySocket.isEmpty())
        ways << SwayWay;
    ways << X11RootWay;
    return ways;
}

bool CanTile(const TDesktopSession& session) {
    return !WaysFor(session).contains(HyprlandWay);
}

TBackgroundSetter::TBackgroundSetter(QObject* parent) : QObject(parent) {
    qRegisterMetaType<TBackgroundResult>();
    Deadline_.setSingleShot(true);
    WayTimer_.setSingleShot(true);
    connect(&Deadline_, &QTimer::timeout, this, [this] {
        if (Succeeded_)
            return Finish(TBackgroundOutcome::Done);
        Result_.Tried.push_back(
            {Ways_.value(Next_ - 1),
             QCoreApplication::translate("Background", "no way set the background within %1 s")
                 .arg(Seconds(Session_.Deadline))});
        Finish(TBackgroundOutcome::Failed);
    });
}

TBackgroundSetter::~TBackgroundSetter() {
    Stop();
}

void TBackgroundSetter::Start(const QString& path, TWallpaperKind kind,
                              const TDesktopSession& session) {
    Path_ = path;
    Kind_ = kind;
    Begin(session, WaysFor(session), [this] {
        if (!Session_.PreviousFile.isEmpty() && ReadablePlace(Session_) != TBackgroundPlace::None)
            Remember();
        else
            NextWay();
    });
}

void TBackgroundSetter::Restore(const TDesktopSession& session) {
    const QString way = PlaceWay(ReadablePlace(session));
    Begin(session, {way.isEmpty() ? OwnSettingsWay : way}, [this] {
        ++Next_;
        PutBack();
    });
    Restoring_ = true;
}

void TBackgroundSetter::Begin(const TDesktopSession& session, QStringList ways,
                              std::function<void()> first) {
    Stop();
    Session_ = session;
    Ways_ = std::move(ways);
    Next_ = 0;
    Result_ = {};
    Running_ = true;
    Restoring_ = false;
    Succeeded_ = false;
    Deadline_.start(session.Deadline);
    const unsigned step = ++Step_;
    QMetaObject::invokeMethod(
        this,
        [this, step, first] {
            if (step == Step_)
                first();
        },
        Qt::QueuedConnection);
}

void TBackgroundSetter::Cancel() {
    if (Running_)
        Finish(Succeeded_ ? TBackgroundOutcome::Done : TBackgroundOutcome::Cancelled);
}

void TBackgroundSetter::Stop() {
    ++Step_;
    if (X11Cancel_)
        *X11Cancel_ = true;
    X11Cancel_.reset();
    Running_ = false;
    Deadline_.stop();
    WayTimer_.stop();
    WayTimer_.disconnect(this);
    Helper_.reset();
    KillProcess();
}

void TBackgroundSetter::KillProcess() {
    if (!Process_)
        return;
    // Killed at once; the process object goes once the child is reaped.
    QProcess* process = Process_;
    Process_ = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    // A setter destroyed first takes it along (its child), killed already.
    process->kill();
}

void TBackgroundSetter::Finish(TBackgroundOutcome outcome) {
    Stop();
    Result_.Outcome = outcome;
    if (outcome != TBackgroundOutcome::Failed)
        Result_.Way = Ways_.value(Next_ - 1);
    if (outcome == TBackgroundOutcome::Done)
        Notification_ =
            Notify(Session_.BusAddress,
                   QCoreApplication::translate("Background", "Desktop background set"),
                   QCoreApplication::translate("Background", "Ombrix set the picture through %1.")
                       .arg(WayName(Result_.Way)),
                   5000, this);
    emit Finished(Result_);
}

void TBackgroundSetter::NextWay() {
    if (Next_ >= Ways_.size())
        return Finish(TBackgroundOutcome::Failed);
    const QString way = Ways_[Next_++];
    ++Step_;
    // The picture's fit in each desktop's own words, for Tile, This screen, All screens.
    const auto fit = [this](const char* tile, const char* screen, const char* all) {
        return QString::fromLatin1(Kind_ == TWallpaperKind::Tile     ? tile
                                   : Kind_ == TWallpaperKind::Screen ? screen
                                                                     : all);
    };
    const QString uri = GVariantString(QUrl::fromLocalFile(Path_).toString(QUrl::FullyEncoded));
    if (way == PortalWay)
        ThroughPortal();
    else if (way == GnomeWay)
        ThroughGsettings(QStringLiteral("org.gnome.desktop.background"),
                         {{QStringLiteral("picture-options"),
                           GVariantString(fit("wallpaper", "zoom", "spanned"))},
                          {QStringLiteral("picture-uri"), uri}},
                         QStringLiteral("picture-uri-dark"));
    else if (way == MateWay)
        ThroughGsettings(QStringLiteral("org.mate.background"),
                         {{QStringLiteral("picture-options"),
                           GVariantString(fit("wallpaper", "zoom", "spanned"))},
                          {QStringLiteral("picture-filename"), GVariantString(Path_)}});
    else if (way == CinnamonWay)
        ThroughGsettings(QStringLiteral("org.cinnamon.desktop.background"),
                         {{QStringLiteral("picture-options"),
                           GVariantString(fit("wallpaper", "zoom", "spanned"))},
                          {QStringLiteral("picture-uri"), uri}});
    else if (way == XfceWay)
        ThroughXfce();
    else if (way == LxqtWay)
        ThroughTool(QStringLiteral("pcmanfm-qt"),
                    {{QStringLiteral("--set-wallpaper=") + Path_,
                      QStringLiteral("--wallpaper-mode=") + fit("tile", "zoom", "stretch")}});
    else if (way == LxdeWay)
        ThroughTool(QStringLiteral("pcmanfm"),
                    {{QStringLiteral("--set-wallpaper=") + Path_,
                      QStringLiteral("--wallpaper-mode=") + fit("tile", "crop", "screen")}});
    else if (way == HyprlandWay)
        ThroughHyprland();
    else if (way == PlasmaWay)
        ThroughTool(QStringLiteral("plasma-apply-wallpaperimage"), {{Path_}});
    else if (way == SwayWay)
        ThroughSway();
    else
        ThroughX11Root();
}

void TBackgroundSetter::WayEnded(const QString& reason) {
    if (reason.isEmpty())
        return Succeeded();
    Result_.Tried.push_back({Ways_.value(Next_ - 1), reason});
    WayTimer_.stop();
    WayTimer_.disconnect(this);
    Helper_.reset();
    NextWay();
}

void TBackgroundSetter::RunTool(const QString& tool, const QStringList& arguments,
                                std::function<void(const TToolRun&)> then) {
    const QString program = QStandardPaths::findExecutable(
        tool,
        Session_.Tools.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts));
    if (program.isEmpty())
        return then({std::nullopt,
                     QCoreApplication::translate("Background", "%1 is not installed").arg(tool),
                     {}});
    auto* process = new QProcess(this);
    Process_ = process;
    process->setProcessEnvironment(Session_.Tools);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    const unsigned step = Step_;
    const auto ended = [this, process, tool, then, step] {
        if (step != Step_)
            return;
        WayTimer_.stop();
        WayTimer_.disconnect(this);
        Process_ = nullptr;
        process->disconnect(this);
        process->deleteLater();
        if (process->error() == QProcess::FailedToStart)
            return then(
                {std::nullopt,
                 QCoreApplication::translate("Background", "%1 could not be started").arg(tool),
                 {}});
        const QString output = QString::fromLocal8Bit(process->readAllStandardOutput());
        if (process->exitStatus() != QProcess::NormalExit)
            return then({std::nullopt,
                         QCoreApplication::translate("Background", "%1 crashed").arg(tool),
                         output});
        const QString errors = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
        QString reason;
        if (process->exitCode() != 0)
            reason =
                errors.isEmpty()
                    ? QCoreApplication::translate("Background", "%1 ended with exit code %2")
                          .arg(tool)
                          .arg(process->exitCode())
                    : QStringLiteral("%1: %2").arg(tool, errors.section(QLatin1Char('\n'), 0, 0));
        then({process->exitCode(), reason, output});
    };
    connect(process, &QProcess::finished, this, ended);
    connect(process, &QProcess::errorOccurred, this, [ended](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended();
    });
    connect(&WayTimer_, &QTimer::timeout, this, [this, tool, then, step] {
        if (step != Step_)
            return;
        WayTimer_.disconnect(this);
        KillProcess();
        then({std::nullopt,
              QCoreApplication::translate("Background", "%1 did not finish within %2 s")
                  .arg(tool, Seconds(Session_.ToolTimeout)),
              {}});
    });
    WayTimer_.start(Session_.ToolTimeout);
    process->start();
}

void TBackgroundSetter::RunEach(const QString& tool, std::vector<QStringList> runs, TThen then) {
    if (runs.empty())
        return then({});
    const QStringList arguments = runs.front();
    runs.erase(runs.begin());
    RunTool(tool, arguments, [this, tool, runs, then](const TToolRun& run) {
        if (!run.ExitCode || *run.ExitCode != 0)
            return then(run.Reason);
        RunEach(tool, runs, then);
    });
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

void TBackgroundSetter::ThroughGsettings(const QString& schema, std::vector<QStringList> keys,
                                         const QString& darkKey) {
    RunTool(QStringLiteral("gsettings"), {QStringLiteral("list-keys"), schema},
            [this, schema, keys, darkKey](const TToolRun& list) mutable {
                if (!list.ExitCode)
                    return WayEnded(list.Reason);
                if (*list.ExitCode != 0)
                    return WayEnded(
                        QCoreApplication::translate("Background", "the schema %1 is not installed")
                            .arg(schema));
                // Since GNOME 42 the dark style shows a picture of its own.
                if (!darkKey.isEmpty() && list.Output.split(QLatin1Char('\n')).contains(darkKey))
                    keys.push_back({darkKey, keys.back().at(1)});
                std::vector<QStringList> runs;
                for (const QStringList& key : keys)
                    runs.push_back({QStringLiteral("set"), schema, key.at(0), key.at(1)});
                RunEach(QStringLiteral("gsettings"), runs,
                        [this](const QString& reason) { WayEnded(reason); });
            });
}

void TBackgroundSetter::ThroughXfce() {
    RunTool(XfceTool, {QStringLiteral("-c"), XfceChannel, QStringLiteral("-l")},
            [this](const TToolRun& list) {
                if (!list.ExitCode || *list.ExitCode != 0)
                    return WayEnded(list.Reason);
                const QStringList images = XfceImageKeys(list.Output, Session_.Monitors);
                if (images.isEmpty())
                    return WayEnded(QCoreApplication::translate(
                        "Background",
                        "Xfce has no background keys yet, and the monitors' names are unknown"));
                const QString style = Kind_ == TWallpaperKind::Tile     ? QStringLiteral("2")
                                      : Kind_ == TWallpaperKind::Screen ? QStringLiteral("5")
                                                                        : QStringLiteral("6");
                std::vector<QStringList> runs;
                for (const QString& image : images) {
                    runs.push_back({QStringLiteral("-c"), XfceChannel, QStringLiteral("-p"),
                                    StyleKey(image), QStringLiteral("-n"), QStringLiteral("-t"),
                                    QStringLiteral("int"), QStringLiteral("-s"), style});
                    runs.push_back({QStringLiteral("-c"), XfceChannel, QStringLiteral("-p"), image,
                                    QStringLiteral("-n"), QStringLiteral("-t"),
                                    QStringLiteral("string"), QStringLiteral("-s"), Path_});
                }
                RunEach(XfceTool, runs, [this](const QString& reason) { WayEnded(reason); });
            });
}

void TBackgroundSetter::ThroughTool(const QString& tool, const std::vector<QStringList>& runs) {
    RunEach(tool, runs, [this](const QString& reason) { WayEnded(reason); });
}

void TBackgroundSetter::ThroughHyprland() {
    // hyprctl sends its words to Hyprland as one text: the path in it is a plain one.
    QString reason;
    const QString plain =
        PlainPathTo(Path_, Session_.RuntimeFolder, QStringLiteral("hyprland-background"), reason);
    if (plain.isEmpty())
        return WayEnded(reason);
    const QString hyprpaper = QStringLiteral("hyprpaper");
    ThroughTool(QStringLiteral("hyprctl"),
                {{hyprpaper, QStringLiteral("preload"), plain},
                 {hyprpaper, QStringLiteral("wallpaper"), QLatin1Char(',') + plain}});
}

void TBackgroundSetter::ThroughSway() {
    // sway expands the path of "output * bg" as a shell would: it only ever gets a plain
    // one, and the command is sent to its socket directly, with no tool in between.
    QString reason;
    const QString plain =
        PlainPathTo(Path_, Session_.RuntimeFolder, QStringLiteral("sway-background"), reason);
    if (plain.isEmpty())
        return WayEnded(reason);
    const QString mode = Kind_ == TWallpaperKind::Tile         ? QStringLiteral("tile")
                         : Kind_ == TWallpaperKind::AllScreens ? QStringLiteral("fill")
                                                               : QStringLiteral("fill");
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
    command->Start(Session_.SwaySocket, QStringLiteral("output * bg %1 %2").arg(plain, mode));
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
            QImage picture(path);
            if (picture.isNull())
                return QCoreApplication::translate("Background", "cannot read the picture %1")
                    .arg(path);
            picture = picture.convertToFormat(QImage::Format_RGB32);
            if (const QString no = proceed(); !no.isEmpty())
                return no;
            SetRootBackground(display,
                              {picture.width(), picture.height(), int(picture.bytesPerLine() / 4),
                               reinterpret_cast<const std::uint32_t*>(picture.constBits())});
            return QString();
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
    ++Step_;
    WayTimer_.stop();
    WayTimer_.disconnect(this);
    Helper_.reset();
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
            QImage image(picture);
            if (image.isNull())
                return QCoreApplication::translate("Background",
                                                   "cannot read the remembered picture %1")
                    .arg(picture);
            image = image.convertToFormat(QImage::Format_RGB32);
            if (const QString no = proceed(); !no.isEmpty())
                return no;
            SetRootBackground(display,
                              {image.width(), image.height(), int(image.bytesPerLine() / 4),
                               reinterpret_cast<const std::uint32_t*>(image.constBits())});
            return QString();
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
    if (place == TBackgroundPlace::Xfce)
        return RunTool(
            XfceTool, {QStringLiteral("-c"), XfceChannel, QStringLiteral("-l")},
            [this, values, then](const TToolRun& list) {
                if (!list.ExitCode || *list.ExitCode != 0)
                    return then(nullptr);
                std::vector<std::pair<QString, QStringList>> keys;
                for (const QString& image : XfceImageKeys(list.Output, Session_.Monitors))
                    for (const QString& key : {image, StyleKey(image)})
                        keys.push_back(
                            {key, {QStringLiteral("-c"), XfceChannel, QStringLiteral("-p"), key}});
                if (keys.empty())
                    return then(nullptr);
                ReadKeys(XfceTool, std::move(keys), values, then);
            });
    const TSchemaKeys schema = SchemaKeysOf(place);
    std::vector<std::pair<QString, QStringList>> keys;
    for (const QString& key : schema.Keys)
        keys.push_back({key, {QStringLiteral("get"), schema.Schema, key}});
    ReadKeys(QStringLiteral("gsettings"), std::move(keys), values, then);
}

void TBackgroundSetter::ReadKeys(const QString& tool,
                                 std::vector<std::pair<QString, QStringList>> keys,
                                 std::shared_ptr<TBackgroundValues> values, TRead then) {
    if (keys.empty())
        return then(values.get());
    const auto [key, arguments] = keys.front();
    keys.erase(keys.begin());
    RunTool(tool, arguments, [=, this](const TToolRun& run) mutable {
        if (!run.ExitCode || (*run.ExitCode != 0 && values->Values.empty()))
            return then(nullptr);
        // The tools end what they print with one line break; the value is the rest.
        QString value = run.Output;
        if (value.endsWith(QLatin1Char('\n')))
            value.chop(1);
        values->Values.emplace_back(key, *run.ExitCode == 0 ? std::optional(value) : std::nullopt);
        ReadKeys(tool, std::move(keys), values, then);
    });
}

QString WayName(const QString& way) {
    return QCoreApplication::translate("Background", way.toUtf8().constData());
}

QString BackgroundFailureMessage(const TBackgroundResult& result, const QString& path) {
    QString message =
        path.isEmpty()
            ? QCoreApplication::translate("Background",
                                          "The previous desktop background could not be put "
                                          "back.\n\nWays tried:")
            : QCoreApplication::translate("Background",
                                          "The desktop background could not be set. The picture "
                                          "is saved as\n%1\nto set it by hand.\n\nWays tried:")
                  .arg(QDir::toNativeSeparators(path));
    for (const TWayTried& tried : result.Tried)
        message += QStringLiteral("\n- %1: %2").arg(WayName(tried.Way), tried.Reason);
    return message;
}

} // namespace ombrix
