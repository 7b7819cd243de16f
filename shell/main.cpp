// Ombrix: creates the forms, runs the event loop, and destroys the forms; the main
// form, destroyed last, writes the settings.
#include "Application.h"
#include "CloseSignals.h"
#include "DialogFont.h"
#include "Forms.h"
#include "OmbrixMain.h"
#include "SettingsPath.h"
#include "Translations.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

using namespace ombrix;

namespace {

constexpr const char* Usage = "Usage: ombrix [--help | --version]\n";

constexpr const char* Help =
    "Grows seamless wallpaper pictures with a cellular automaton, in a window: start and\n"
    "stop it, set its speed, colours and rule, stamp a line of text into it, save the\n"
    "picture as BMP or PNG and put it on the desktop as its background.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "An installed copy keeps its settings in $XDG_CONFIG_HOME/ombrix/ombrix.ini (by default\n"
    "~/.config/ombrix/ombrix.ini); any other copy in ombrix.ini beside the program.\n"
    "See also ombrix-render(1) and ombrix-live(1).\n";

// What the command line asks for: the window (no options), the help, the version, or
// nothing at all (any other argument: the usage line on standard error, status 2).
// Returns the exit status, or nothing when the window is to open.
std::optional<int> AnswerCommandLine(int argc, char* argv[]) {
    if (argc <= 1)
        return std::nullopt;
    const std::string_view option = argv[1];
    if (argc == 2 && (option == "--help" || option == "-h")) {
        std::fputs(Usage, stdout);
        std::fputs(Help, stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 2 && (option == "--version" || option == "-V")) {
        std::fputs("ombrix " OMBRIX_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (option.starts_with('-') && option != "-")
        std::fprintf(stderr, "ombrix: unknown option %s\n", argv[1]);
    else
        std::fprintf(stderr, "ombrix: takes no file or other argument: %s\n", argv[1]);
    std::fputs(Usage, stderr);
    return 2;
}

// The running executable's path; should /proc be missing, Qt's own answer.
std::string ProgramPath() {
    try {
        return ExecutablePath();
    } catch (const std::exception&) {
        return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = AnswerCommandLine(argc, argv))
        return *status;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fputs("ombrix: no display to open a window on (DISPLAY is not set). Start it from "
                   "a desktop session.\n",
                   stderr);
        return 1;
    }
    // Beyond --help and --version the program takes no options, not even the toolkit's own.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    TApplication app(toolkitArgc, toolkitArgv);
    // The standard dialogs would keep their state (custom colours, recent folders) in a
    // configuration file of the toolkit's; the settings file is the program's only one.
    QTemporaryDir toolkitState;
    if (toolkitState.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, toolkitState.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, toolkitState.path());
    }
    SetUpDesktopIdentity();
    InstallTranslations(QLocale::system());
    InstallFontSubstitutes();

    TForms forms(ChooseSettingsFiles(ProgramPath()));
    forms.Main().show();
    // A logout, `kill` or Ctrl-C closes the window as its close box does.
    TCloseSignals closeSignals(CloseAllWindows);
    const int result = QApplication::exec();
    forms.Close();
    return result;
}
