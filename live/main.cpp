// ombrix-live: the automaton alive as the desktop background. Parses the command line,
// starts the field as the window starts, picks the place to draw into (a given window,
// the root windows, the wlr layer shell, desktop windows on X11, or the still mode),
// says once which, and runs until Quit, a signal, or the display going away.
#include "DialogFont.h"
#include "ErrorWords.h"
#include "IniFile.h"
#include "LayerShellOutputs.h"
#include "LiveBus.h"
#include "LiveCore.h"
#include "LiveLaunch.h"
#include "LiveOptions.h"
#include "PlasmaFrames.h"
#include "ProgramStart.h"
#include "Settings.h"
#include "Start.h"
#include "StillMode.h"
#include "StopSignals.h"
#include "ToplevelOutputs.h"
#include "X11Outputs.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcessEnvironment>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace ombrix;

namespace {

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "ombrix-live: %s\n", message.c_str());
    return status;
}

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The desktop draws its own background and offers no place for a live one.
bool GnomeOnWayland() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return Set("WAYLAND_DISPLAY") && desktop &&
           std::string(desktop).find("GNOME") != std::string::npos;
}

// Plasma paints wallpaper and icons in one window: no layer fits between them, the live
// wallpaper goes through Plasma's own wallpaper (--plasma).
bool Plasma() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && std::string(desktop).find("KDE") != std::string::npos;
}

// The size of the first X screen, for the still mode's picture; 0 × 0 without one.
std::pair<int, int> XScreenSize() {
    if (!Set("DISPLAY"))
        return {0, 0};
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::pair<int, int> size{0, 0};
    if (!xcb_connection_has_error(c)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        size = {screen->width_in_pixels, screen->height_in_pixels};
    }
    xcb_disconnect(c);
    return size;
}

// Ends the program as soon as the output streams are written: a bus connection that never
// answered may hold a worker thread, which must not hold the exit.
[[noreturn]] void Exit(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

} // namespace

int main(int argc, char* argv[]) {
    // Until the field is made, a stop signal ends the program at once.
    CatchStopSignals(TStopAction::EndAtOnce);
    TLiveOptions options;
    try {
        options = ParseLiveOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TUsageError& error) {
        return Fail(error.what(), 2);
    }
    if (options.Help) {
        std::fputs(LiveUsage().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::fputs(VersionLine("ombrix-live").c_str(), stdout);
        return 0;
    }
    if (options.PlasmaFolder) {
        try {
            const std::string folder = PlasmaFramesFolder();
            MakeFramesFolder(folder);
            std::puts(folder.c_str());
        } catch (const std::exception& error) {
            return Fail(error.what(), 1);
        }
        return 0;
    }
    if (options.Plasma)
        RunBesideWaitingParent();
    const QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    // Fonts need the toolkit, a window of its does not: the places are drawn through xcb
    // and the Wayland client library. Nothing here needs GLib's event loop, and the
    // toolkit's own costs less per wake-up, which comes every generation.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_NO_GLIB", "1", 1);
    QuietToolkit("ombrix-live");
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QGuiApplication app(toolkitArgc, toolkitArgv);
    QGuiApplication::setApplicationName(QStringLiteral("Ombrix"));

    if (options.Call != TLiveCall::None) {
        const char* method = options.Call == TLiveCall::Pause    ? "Pause"
                             : options.Call == TLiveCall::Resume ? "Resume"
                                                                 : "Quit";
        Exit(CallRunningLive(QString::fromLatin1(method)));
    }
    InstallFontSubstitutes();

    std::optional<std::uint32_t> window;
    try {
        if (options.WindowId)
            window = ParseWindowId(*options.WindowId, "--window-id");
        else if (Set("XSCREENSAVER_WINDOW")) // the screensaver's own window, also under -root
            window = ParseWindowId(std::getenv("XSCREENSAVER_WINDOW"), "XSCREENSAVER_WINDOW");
    } catch (const std::exception& error) {
        return Fail(error.what(), 2);
    }
    try {
        // Said so that the same start can be had again with --seed N.
        if (DrawRandomSeed(options))
            std::fprintf(stderr, "seed %u\n", static_cast<unsigned>(options.Seed));
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error), 1);
    }

    const std::string settingsPath =
        options.SettingsFile ? *options.SettingsFile
        : options.Plasma     ? QFile::encodeName(LiveSettingsPath(session)).toStdString()
                             : WindowSettingsPath();
    try {
        CheckSettingsSize(settingsPath);
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error), 1);
    }
    const TIniFile ini(settingsPath);
    const std::int32_t speed = ClampSpeed(ini.ReadNumber(SettingsSection, "Speed", DefaultSpeed));
    if (ini.ReadError())
        return Fail(ErrorWords(ini.ReadFailure()), 1);
    const std::int32_t interval = options.Interval.value_or(speed);

    std::unique_ptr<TLiveCore> core;
    try {
        core = std::make_unique<TLiveCore>(StartAsTheWindow(options, settingsPath), interval,
                                           options.Zoom);
    } catch (const TUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error), 1);
    }

    if (options.WhenSettled == TWhenSettled::Afresh)
        core->StartAfreshWhenSettled(
            options.Seed,
            [options, settingsPath](std::uint32_t seed) {
                TStartOptions fresh = options;
                fresh.Seed = seed;
                return StartAsTheWindow(fresh, settingsPath);
            },
            [](const std::string& message) {
                std::fprintf(stderr, "ombrix-live: %s\n", message.c_str());
            });

    int status = 0;
    const auto quit = [&status](int code) {
        status = code;
        QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
    };

    // Once the field is made, a stop signal ends the event loop, and the program cleans up
    // after it.
    const TStopNotifier stop([&quit] { quit(0); });
    SetStopAction(TStopAction::Notify);

    std::unique_ptr<TLiveOutputs> outputs;
    std::unique_ptr<TStillMode> still;
    try {
        if (window)
            outputs = std::make_unique<TX11Outputs>(TX11Place::Window, "", *window);
        else if (options.Plasma)
            outputs = std::make_unique<TPlasmaFrames>(PlasmaFramesFolder());
        else if (options.Root)
            outputs = std::make_unique<TX11Outputs>(TX11Place::Root, "");
        else if (options.GnomeShell) {
            std::string reason;
            if (!(outputs = OpenToplevel(reason)))
                return Fail("no window for the GNOME Shell extension: " + reason, 1);
        } else if (!options.StillEvery && Set("WAYLAND_DISPLAY") && !GnomeOnWayland() &&
                   !Plasma()) {
            std::string reason;
            outputs = OpenLayerShell(reason);
            if (!outputs)
                std::fprintf(stderr, "ombrix-live: no live wallpaper on this Wayland desktop: %s\n",
                             reason.c_str());
        } else if (!options.StillEvery && !Set("WAYLAND_DISPLAY") && Set("DISPLAY"))
            outputs = std::make_unique<TX11Outputs>(TX11Place::Desktop, "");
    } catch (const std::exception& error) {
        return Fail(ExceptionWords(error), 1);
    }
    if (outputs) {
        std::fprintf(stderr, "ombrix-live: drawing on %s\n", outputs->Name().c_str());
        outputs->Lost = [&quit](const std::string& message) {
            std::fprintf(stderr, "ombrix-live: %s\n", message.c_str());
            quit(1);
        };
        core->SetOutputs(outputs.get());
        core->Start();
    } else {
        const int minutes = options.StillEvery.value_or(10);
        std::fprintf(stderr, "ombrix-live: a still background every %d minutes\n", minutes);
        const auto [width, height] = XScreenSize();
        still = std::make_unique<TStillMode>(*core, minutes, interval, width, height, session);
    }

    // One live wallpaper per desktop; a screensaver's window is none of its business.
    std::unique_ptr<TLiveBus> bus;
    if (!window)
        bus = std::make_unique<TLiveBus>(
            *core, [&quit] { quit(0); }, [&quit] { quit(0); });
    std::unique_ptr<TBatteryWatch> battery;
    if (options.OnBattery == TOnBattery::Pause)
        battery = std::make_unique<TBatteryWatch>(
            [&core](bool onBattery) { core->SetOnBattery(onBattery); });

    app.exec();
    battery.reset();
    bus.reset();
    still.reset();
    core->SetOutputs(nullptr);
    outputs.reset(); // the root window keeps the last frame
    Exit(status);
}
