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
#include <string>

using namespace ombrix;

namespace {

// The running executable's path; should /proc be missing, Qt's own answer.
std::string ProgramPath() {
    try {
        return ExecutablePath();
    } catch (const std::exception&) {
        return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    }
}

} // namespace

int main(int, char* argv[]) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fputs("ombrix: no display to open a window on (DISPLAY is not set). Start it from "
                   "a desktop session.\n",
                   stderr);
        return 1;
    }
    // The program takes no command-line options, not even the toolkit's own.
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

    TForms forms(ChooseSettingsPath(ProgramPath()));
    forms.Main().show();
    // A logout, `kill` or Ctrl-C closes the window as its close box does.
    TCloseSignals closeSignals(CloseAllWindows);
    const int result = QApplication::exec();
    forms.Close();
    return result;
}
