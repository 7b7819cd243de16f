// The live wallpaper's autostart entry, read back by the desktop's own readers: valid for
// desktop-file-validate, and GLib's reader gives back the program and the settings path
// exactly, whatever characters they hold. Turned off, the entry goes.
#include "LiveLaunch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ombrix;

namespace {

QString RunTool(const QString& program, const QStringList& arguments, int* status) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    *status = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

} // namespace

TEST(LiveLaunch, AutostartEntryRoundTrip) {
    QTemporaryDir dir;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    const QString path = LiveAutostartPath(environment);
    EXPECT_EQ(path, dir.path() + "/autostart/io.github.ombrix.Ombrix.Live.desktop");
    EXPECT_EQ(LiveSettingsPath(environment), dir.path() + "/ombrix/live.ini");
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative"));
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/someone"));
    EXPECT_EQ(LiveSettingsPath(environment), "/home/someone/.config/ombrix/live.ini");

    // Whatever the characters, the entry parses and gives the argument back: quotes and
    // shell words, and a line break, tab or carriage return that would otherwise end the
    // Exec line and start a key of their own.
    const QString program = QStringLiteral("/opt/my programs/ombrix-live");
    const QString settings[] = {QStringLiteral("/tmp/a \"b\" $HOME `x` \\y 100% ü/live.ini"),
                                QStringLiteral("/tmp/c\nX-Injected=1\n[Desktop Action x]/l.ini"),
                                QStringLiteral("/tmp/tab\there\rand\r\nthere/live.ini")};
    for (const QString& each : settings) {
        SetLiveAutostart(true, path, program, each);
        int status = 0;
        const QString validated = RunTool(QStringLiteral("desktop-file-validate"), {path}, &status);
        EXPECT_EQ(status, 0) << validated.toStdString();
        EXPECT_TRUE(validated.trimmed().isEmpty()) << validated.toStdString();
        // GLib's key-file reader undoes the string escapes, its shell parser the Exec
        // quoting (the same escapes inside double quotes); a launcher turns %% into %.
        const QString argv =
            RunTool(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"),
                     QStringLiteral("import sys\nfrom gi.repository import GLib\n"
                                    "k = GLib.KeyFile()\nk.load_from_file(sys.argv[1], 0)\n"
                                    "assert k.get_groups()[0] == ['Desktop Entry']\n"
                                    "assert len(k.get_keys('Desktop Entry')[0]) == 7\n"
                                    "e = k.get_string('Desktop Entry', 'Exec')\n"
                                    "print('\\0'.join(a.replace('%%', '%') for a in "
                                    "GLib.shell_parse_argv(e)[1]), end='')"),
                     path},
                    &status);
        EXPECT_EQ(argv, program + QChar(0) + "--settings" + QChar(0) + each);
    }

    SetLiveAutostart(false, path, program, settings[0]);
    EXPECT_FALSE(QFileInfo::exists(path));
    SetLiveAutostart(false, path, program, settings[0]); // nothing to remove: no fault
}
