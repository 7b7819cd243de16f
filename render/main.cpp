// ombrix-render: grows an Ombrix picture without a window. Parses the command line,
// opens the toolkit on its off-screen platform (the real one only for --size screen) and
// shows progress on a terminal.
//
// Ctrl-C, SIGTERM and SIGHUP (unless ignored from the start, as under nohup) end it at
// once with the signal's own status (130, 143, 129 in a shell): every file goes through the safe
// replacement, so a run cut anywhere leaves the pictures it finished and no part of another. Only
// while the desktop background is being set is a stop signal noted instead, so that the run cancels
// what it started.
#include "DialogFont.h"
#include "ErrorWords.h"
#include "PixelImage.h"
#include "ProgramStart.h"
#include "Render.h"
#include "RenderOptions.h"
#include "Start.h"
#include "StopSignals.h"

#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QScreen>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <unistd.h>

using namespace ombrix;

namespace {

// A reader that went away makes a write fail with its own message, not end the run; a
// file size limit makes the write fail with its reason, named in the message.
void CatchSignals() {
    CatchStopSignals(TStopAction::EndAtOnce);
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Stopped() {
    return StopSignalReceived() != 0;
}

int StopSignal() {
    return Stopped() ? StopSignalReceived() : SIGINT;
}

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "ombrix-render: %s\n", Printable(message).c_str());
    return status;
}

// The ways tried, a line each; their names and reasons are escaped already.
int Fail(const TBackgroundFailure& failure) {
    std::fprintf(stderr, "ombrix-render: %s.\n", failure.what());
    return 1;
}

// The XDG base directory rule: a relative folder in these variables is invalid and
// ignored, as if unset; so no such value ever reaches a path or another program.
void IgnoreRelativeXdgFolders() {
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        if (value && value[0] != '/')
            unsetenv(name);
    }
    for (const char* name : {"XDG_DATA_DIRS", "XDG_CONFIG_DIRS"}) {
        const char* value = std::getenv(name);
        if (!value)
            continue;
        std::string kept;
        std::string list = value;
        for (std::size_t start = 0; start <= list.size();) {
            const std::size_t end = std::min(list.find(':', start), list.size());
            const std::string folder = list.substr(start, end - start);
            if (folder.starts_with('/'))
                kept += (kept.empty() ? "" : ":") + folder;
            start = end + 1;
        }
        if (kept.empty())
            unsetenv(name);
        else
            setenv(name, kept.c_str(), 1);
    }
}

// One line on the terminal, redrawn at most ten times a second and at the end.
class TProgressLine {
public:
    /// `unit` names what is counted: "generation" or "frame".
    explicit TProgressLine(const char* unit) : Unit_(unit) {}

    void Show(std::int64_t done, std::int64_t total) {
        const auto now = Clock::now();
        if (done == 0) {
            Start_ = now;
            Last_ = now;
        } else if (done < total && now - Last_ < std::chrono::milliseconds(100)) {
            return;
        }
        Last_ = now;
        const double seconds = std::chrono::duration<double>(now - Start_).count();
        const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
        std::string left = "--:--";
        if (rate > 0) {
            const long long s =
                static_cast<long long>(static_cast<double>(total - done) / rate + 0.5);
            char text[48];
            std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
            left = text;
        }
        std::fprintf(stderr, "\r%s %lld of %lld, %.1f per second, %s left\033[K", Unit_,
                     static_cast<long long>(done), static_cast<long long>(total), rate,
                     left.c_str());
        if (done == total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    const char* Unit_;
    Clock::time_point Start_{};
    Clock::time_point Last_{};
};

bool HasDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// --restore-wallpaper: the background from before Ombrix's put back, nothing drawn.
int RestoreWallpaper() {
    IgnoreRelativeXdgFolders();
    const QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QuietToolkit("ombrix-render");
    int toolkitArgc = 1;
    char name[] = "ombrix-render";
    char* toolkitArgv[] = {name, nullptr};
    QGuiApplication app(toolkitArgc, toolkitArgv);
    QGuiApplication::setApplicationName(QStringLiteral("Ombrix"));
    SetStopMessage("ombrix-render: stopped; putting the previous desktop background back was "
                   "cancelled\n");
    SetStopAction(TStopAction::Notify);
    TRenderHooks hooks;
    hooks.Interrupted = Stopped;
    try {
        RestoreDesktopBackground(session, hooks);
    } catch (const TInterrupted&) {
        EndBySignal(StopSignal());
        return 1;
    } catch (const TBackgroundFailure& failure) {
        return Fail(failure);
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error) + ".", 1);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    CatchSignals();
    TRenderOptions options;
    try {
        options = ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError& error) {
        return Fail(error.what(), 2);
    }
    if (options.Help) {
        std::fputs(RenderUsage().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::fputs(VersionLine("ombrix-render").c_str(), stdout);
        return 0;
    }
    if (options.RestoreWallpaper)
        return RestoreWallpaper();
    const bool toStandardOutput = options.Output == StandardOutput;
    if (toStandardOutput && isatty(STDOUT_FILENO))
        return Fail("--output: standard output is a terminal; send the picture to a file or a "
                    "program",
                    2);
    try {
        // Said also with --quiet: the seed makes the picture again.
        if (DrawRandomSeed(options))
            std::fprintf(stderr, "seed %u\n", static_cast<unsigned>(options.Seed));
    } catch (const std::exception& error) {
        return Fail(error.what(), 1);
    }
    IgnoreRelativeXdgFolders();
    // The desktop's tools run in the session as it was, not on the off-screen platform.
    const QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    // A desktop that cannot repeat a tile (Hyprland) gets one repeated to the screen's size.
    const bool measureForWallpaper =
        options.SetWallpaper && NeedsScreenForWallpaper(options.Kind, session);
    const bool measure = options.Kind == TOutputKind::Screen || measureForWallpaper;
    const char* measuring = options.Kind == TOutputKind::Screen ? "--size screen"
                                                                : "--set-wallpaper (a tile "
                                                                  "repeated to the screen's size)";
    if (measure) {
        if (!HasDisplay())
            return Fail(std::string(measuring) + " needs a display to measure (DISPLAY is not set)",
                        1);
        // A display that cannot be reached leaves the toolkit on its off-screen platform,
        // told apart below, instead of ending the program.
        const char* chosen = std::getenv("QT_QPA_PLATFORM");
        const std::string platforms = chosen && *chosen                ? chosen
                                      : std::getenv("WAYLAND_DISPLAY") ? "wayland;xcb"
                                                                       : "xcb";
        setenv("QT_QPA_PLATFORM", (platforms + ";offscreen").c_str(), 1);
    } else {
        // Fonts need the toolkit, a window does not: never open the display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QuietToolkit("ombrix-render");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QGuiApplication app(toolkitArgc, toolkitArgv);
    // The window's name: the wallpaper folder is the window's too.
    QGuiApplication::setApplicationName(QStringLiteral("Ombrix"));
    InstallFontSubstitutes();

    QSize screenSize;
    if (measure) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (QGuiApplication::platformName() == QStringLiteral("offscreen") || !screen) {
            const char* display = std::getenv("WAYLAND_DISPLAY");
            if (!display)
                display = std::getenv("DISPLAY");
            return Fail(std::string(measuring) + ": cannot reach the display \"" + display + "\"",
                        1);
        }
        screenSize = screen->size() * screen->devicePixelRatio();
        if (options.Kind == TOutputKind::Screen) {
            options.Kind = TOutputKind::Wall;
            options.WallSize = {screenSize.width(), screenSize.height()};
        }
    }

    TProgressLine progress(IsAnimation(options.Format) ? "frame" : "generation");
    TRenderHooks hooks;
    hooks.Interrupted = Stopped;
    const bool showProgress = !options.Quiet && isatty(STDERR_FILENO);
    if (showProgress)
        hooks.Progress = [&progress](std::int64_t done, std::int64_t total) {
            progress.Show(done, total);
        };
    const std::string newLine = showProgress ? "\n" : "";
    SetStopMessage(newLine + "ombrix-render: stopped" +
                   (toStandardOutput ? "" : "; " + Printable(options.Output) + " was not written") +
                   "\n");
    // Once the picture is out, a stop can only cancel the setting of the background.
    const std::string written = toStandardOutput
                                    ? std::string("the picture was written to standard output")
                                    : Printable(options.Output) + " was written";
    const std::string setStopped = "ombrix-render: stopped; " + written +
                                   ", and setting it as the desktop background was cancelled\n";
    bool pictureWritten = false;
    if (options.SetWallpaper)
        hooks.Written = [&] {
            pictureWritten = true;
            SetStopMessage(newLine + setStopped);
        };

    try {
        const TPixelImage picture = RunRender(
            options, options.SettingsFile ? *options.SettingsFile : WindowSettingsPath(), hooks);
        if (options.SetWallpaper) {
            SetStopAction(TStopAction::Notify);
            if (Stopped())
                throw TInterrupted();
            SetAsDesktopBackground(picture, options.Kind, session, hooks, screenSize);
        }
    } catch (const TInterrupted&) {
        if (pictureWritten)
            SetStopMessage(setStopped);
        EndBySignal(StopSignal());
        return 1;
    } catch (const TUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const TBackgroundFailure& failure) {
        return Fail(failure);
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error) + ".", 1);
    }
    return 0;
}
