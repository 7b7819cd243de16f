// ombrix-render: grows an Ombrix picture without a window. Parses the command line,
// opens the toolkit on its off-screen platform (the real one only for --size screen),
// shows progress on a terminal and turns Ctrl-C into a stop between two generations.
#include "DialogFont.h"
#include "PixelImage.h"
#include "Render.h"
#include "RenderOptions.h"

#include <QGuiApplication>
#include <QProcessEnvironment>
#include <QScreen>

#include <atomic>
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

volatile std::sig_atomic_t StopSignal = 0;

extern "C" void OnStopSignal(int signal) {
    StopSignal = signal;
}

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "ombrix-render: %s\n", message.c_str());
    return status;
}

// One line on the terminal, redrawn at most ten times a second and at the end.
class TProgressLine {
public:
    void Show(std::int32_t done, std::int32_t total) {
        const auto now = Clock::now();
        if (done == 0) {
            Start_ = now;
            Last_ = now;
        } else if (done < total && now - Last_ < std::chrono::milliseconds(100)) {
            return;
        }
        Last_ = now;
        const double seconds = std::chrono::duration<double>(now - Start_).count();
        const double rate = seconds > 0 ? done / seconds : 0;
        std::string left = "--:--";
        if (rate > 0) {
            const long s = static_cast<long>((total - done) / rate + 0.5);
            char text[32];
            std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
            left = text;
        }
        std::fprintf(stderr, "\rgeneration %d of %d, %.1f per second, %s left\033[K",
                     static_cast<int>(done), static_cast<int>(total), rate, left.c_str());
        if (done == total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point Start_{};
    Clock::time_point Last_{};
};

// The toolkit's own notices (a missing XDG_RUNTIME_DIR and the like) mean nothing to
// someone rendering pictures; only its fatal messages get through.
void QuietToolkit(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "ombrix-render: %s\n", message.toLocal8Bit().constData());
}

bool HasDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[]) {
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
        std::puts("ombrix-render " OMBRIX_VERSION);
        return 0;
    }
    // The desktop's tools run in the session as it was, not on the off-screen platform.
    const QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    if (options.Kind == TOutputKind::Screen) {
        if (!HasDisplay())
            return Fail("--size screen needs a display to measure (DISPLAY is not set)", 1);
    } else {
        // Fonts need the toolkit, a window does not: never open the display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    qInstallMessageHandler(QuietToolkit);
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QGuiApplication app(toolkitArgc, toolkitArgv);
    // The window's name: the wallpaper folder is the window's too.
    QGuiApplication::setApplicationName(QStringLiteral("Ombrix"));
    InstallFontSubstitutes();

    if (options.Kind == TOutputKind::Screen) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return Fail("--size screen: no screen found on the display", 1);
        const QSize size = screen->size() * screen->devicePixelRatio();
        options.Kind = TOutputKind::Wall;
        options.WallSize = {size.width(), size.height()};
    }

    CatchStopSignals();
    TProgressLine progress;
    TRenderHooks hooks;
    hooks.Interrupted = [] { return StopSignal != 0; };
    if (!options.Quiet && isatty(STDERR_FILENO))
        hooks.Progress = [&progress](std::int32_t done, std::int32_t total) {
            progress.Show(done, total);
        };

    try {
        const TPixelImage picture = RunRender(
            options, options.SettingsFile ? *options.SettingsFile : WindowSettingsPath(), hooks);
        if (options.SetWallpaper)
            SetAsDesktopBackground(picture, options.Kind, session, hooks);
    } catch (const TInterrupted&) {
        std::fprintf(stderr, "\nombrix-render: stopped; %s was not written\n",
                     options.Output.c_str());
        // End as the signal would have ended it, so that a calling script stops too.
        const int signal = StopSignal;
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return 1;
    } catch (const TUsageError& error) {
        return Fail(error.what(), 2);
    } catch (const std::bad_alloc&) {
        return Fail(std::string(OutOfResourcesMessage) + ".", 1);
    } catch (const std::exception& error) {
        return Fail(std::string(error.what()) + ".", 1);
    }
    return 0;
}
