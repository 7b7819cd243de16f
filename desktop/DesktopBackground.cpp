#include "DesktopBackground.h"

#include "PortalWallpaper.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

namespace ombrix {

namespace {

// How a tool run ended: not found, did not start or finish, or its exit code.
struct TToolRun {
    std::optional<int> ExitCode;
    QString Reason; // when there is no exit code, or it is not 0
    QString Output;
};

TToolRun RunTool(const QString& tool, const QStringList& arguments,
                 const TDesktopSession& session) {
    const QString program = QStandardPaths::findExecutable(
        tool,
        session.Tools.value(QStringLiteral("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts));
    if (program.isEmpty())
        return {std::nullopt, QStringLiteral("%1 is not installed").arg(tool), {}};
    QProcess process;
    process.setProcessEnvironment(session.Tools);
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    deadline.start(session.ToolTimeout);
    process.start();
    while (process.state() != QProcess::NotRunning && deadline.isActive())
        if (loop.exec() != 0)
            break; // the program is quitting
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        return {std::nullopt,
                QStringLiteral("%1 did not finish within %2 s")
                    .arg(tool)
                    .arg(session.ToolTimeout / 1000),
                {}};
    }
    if (process.error() == QProcess::FailedToStart)
        return {std::nullopt, QStringLiteral("%1 could not be started").arg(tool), {}};
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (process.exitStatus() != QProcess::NormalExit)
        return {std::nullopt, QStringLiteral("%1 crashed").arg(tool), output};
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    QString reason;
    if (process.exitCode() != 0)
        reason =
            errors.isEmpty()
                ? QStringLiteral("%1 ended with exit code %2").arg(tool).arg(process.exitCode())
                : QStringLiteral("%1: %2").arg(tool, errors.section(QLatin1Char('\n'), 0, 0));
    return {process.exitCode(), reason, output};
}

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

// Each way returns an empty reason when it set the background.
using TWayResult = QString;

TWayResult ThroughGsettings(const QString& path, TWallpaperKind kind,
                            const TDesktopSession& session) {
    if (!IsDesktop(session, {"GNOME", "GNOME-Classic", "GNOME-Flashback", "Unity", "Budgie",
                             "Pantheon", "ubuntu"}))
        return QStringLiteral("not a GNOME-family desktop");
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    const TToolRun keys =
        RunTool(QStringLiteral("gsettings"), {QStringLiteral("list-keys"), schema}, session);
    if (!keys.ExitCode)
        return keys.Reason;
    if (*keys.ExitCode != 0)
        return QStringLiteral("the schema %1 is not installed").arg(schema);
    const QString options = kind == TWallpaperKind::Tile         ? QStringLiteral("wallpaper")
                            : kind == TWallpaperKind::AllScreens ? QStringLiteral("spanned")
                                                                 : QStringLiteral("zoom");
    const QString uri = GVariantString(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QList<QStringList> settings{{QStringLiteral("picture-options"), GVariantString(options)},
                                {QStringLiteral("picture-uri"), uri}};
    // Since GNOME 42 the dark style shows a picture of its own.
    if (keys.Output.split(QLatin1Char('\n')).contains(QStringLiteral("picture-uri-dark")))
        settings.append({QStringLiteral("picture-uri-dark"), uri});
    for (const QStringList& setting : settings) {
        const TToolRun set =
            RunTool(QStringLiteral("gsettings"),
                    {QStringLiteral("set"), schema, setting[0], setting[1]}, session);
        if (!set.ExitCode || *set.ExitCode != 0)
            return set.Reason;
    }
    return {};
}

TWayResult ThroughPlasma(const QString& path, const TDesktopSession& session) {
    if (!IsDesktop(session, {"KDE"}))
        return QStringLiteral("not a KDE Plasma desktop");
    const TToolRun run = RunTool(QStringLiteral("plasma-apply-wallpaperimage"), {path}, session);
    return run.ExitCode && *run.ExitCode == 0 ? QString() : run.Reason;
}

TWayResult ThroughSway(const QString& path, TWallpaperKind kind, const TDesktopSession& session) {
    if (session.SwaySocket.isEmpty())
        return QStringLiteral("not a sway session");
    const QString mode =
        kind == TWallpaperKind::Tile ? QStringLiteral("tile") : QStringLiteral("fill");
    const TToolRun run = RunTool(
        QStringLiteral("swaymsg"),
        {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"), path, mode}, session);
    return run.ExitCode && *run.ExitCode == 0 ? QString() : run.Reason;
}

TWayResult ThroughFeh(const QString& path, TWallpaperKind kind, const TDesktopSession& session) {
    if (session.Display.isEmpty())
        return QStringLiteral("no X display");
    if (session.Wayland)
        return QStringLiteral("a Wayland session, whose background X11 cannot reach");
    QStringList arguments;
    switch (kind) {
    case TWallpaperKind::Tile:
        arguments = {QStringLiteral("--bg-tile"), path};
        break;
    case TWallpaperKind::Screen: // centred on each screen
        arguments = {QStringLiteral("--bg-center"), path};
        break;
    case TWallpaperKind::AllScreens: // one picture over the whole root window
        arguments = {QStringLiteral("--no-xinerama"), QStringLiteral("--bg-center"), path};
        break;
    }
    const TToolRun run = RunTool(QStringLiteral("feh"), arguments, session);
    return run.ExitCode && *run.ExitCode == 0 ? QString() : run.Reason;
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
    session.Display = environment.value(QStringLiteral("DISPLAY"));
    session.Tools = environment;
    return session;
}

TBackgroundResult SetDesktopBackground(const QString& path, TWallpaperKind kind,
                                       const TDesktopSession& session) {
    TBackgroundResult result;
    const TPortalAnswer portal =
        SetWallpaperThroughPortal(session.BusAddress, path, session.PortalTimeout);
    if (portal.Response == 0u || portal.Response == 1u) {
        result.Outcome =
            *portal.Response == 0 ? TBackgroundOutcome::Done : TBackgroundOutcome::Cancelled;
        result.Way = PortalWay;
        return result;
    }
    result.Tried.push_back(
        {PortalWay, portal.Response
                        ? QStringLiteral("the desktop portal could not set it (response %1)")
                              .arg(*portal.Response)
                        : portal.Reason});

    const std::pair<QString, std::function<TWayResult()>> others[] = {
        {GnomeWay, [&] { return ThroughGsettings(path, kind, session); }},
        {PlasmaWay, [&] { return ThroughPlasma(path, session); }},
        {SwayWay, [&] { return ThroughSway(path, kind, session); }},
        {FehWay, [&] { return ThroughFeh(path, kind, session); }},
    };
    for (const auto& [way, attempt] : others) {
        const QString reason = attempt();
        if (reason.isEmpty()) {
            result.Outcome = TBackgroundOutcome::Done;
            result.Way = way;
            return result;
        }
        result.Tried.push_back({way, reason});
    }
    result.Outcome = TBackgroundOutcome::Failed;
    return result;
}

QString BackgroundFailureMessage(const TBackgroundResult& result, const QString& path) {
    QString message = QStringLiteral("The desktop background could not be set. The picture is "
                                     "saved as\n%1\nto set it by hand.\n\nWays tried:")
                          .arg(QDir::toNativeSeparators(path));
    for (const TWayTried& tried : result.Tried)
        message += QStringLiteral("\n- %1: %2").arg(tried.Way, tried.Reason);
    return message;
}

} // namespace ombrix
