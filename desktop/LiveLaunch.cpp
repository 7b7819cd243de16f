#include "LiveLaunch.h"

#include "Error.h"
#include "SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <filesystem>
#include <string_view>

namespace ombrix {

namespace {

QString ConfigHome(const QProcessEnvironment& environment) {
    const QString xdg = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (QDir::isAbsolutePath(xdg))
        return xdg;
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    return home + QStringLiteral("/.config");
}

// One argument of an Exec line: in double quotes, with `"`, `` ` ``, `$` and `\` escaped
// by a backslash, and every backslash of that doubled again as the entry's strings ask;
// `%` doubled, as a field code would otherwise read it. A line break, tab or carriage
// return is written as the strings' escape (\n, \t, \r): a raw one would end the line and
// start a key of its own.
QString ExecArgument(const QString& argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'\n' || c == u'\t' || c == u'\r') {
            quoted += c == u'\n'   ? QStringLiteral("\\n")
                      : c == u'\t' ? QStringLiteral("\\t")
                                   : QStringLiteral("\\r");
            continue;
        }
        if (c == u'"' || c == u'`' || c == u'$')
            quoted += QStringLiteral("\\\\");
        else if (c == u'\\')
            quoted += QStringLiteral("\\\\\\");
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace

QString LiveSettingsPath(const QProcessEnvironment& environment) {
    return ConfigHome(environment) + QStringLiteral("/ombrix/live.ini");
}

QString LiveAutostartPath(const QProcessEnvironment& environment) {
    return ConfigHome(environment) +
           QStringLiteral("/autostart/io.github.ombrix.Ombrix.Live.desktop");
}

QString LiveProgram() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/ombrix-live");
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("ombrix-live");
}

QString LiveAutostartEntry(const QString& program, const QString& settings) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Ombrix Live\n"
                          "Comment=The Ombrix automaton alive as the desktop background\n"
                          "Exec=%1 --settings %2\n"
                          "Icon=io.github.ombrix.Ombrix\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n")
        .arg(ExecArgument(program), ExecArgument(settings));
}

void SetLiveAutostart(bool on, const QString& path, const QString& program,
                      const QString& settings) {
    const std::string file = QFile::encodeName(path).toStdString();
    std::error_code error;
    if (!on) {
        std::filesystem::remove(file, error);
        if (error)
            throw TError(TFailure::RemoveFile, file, error);
        return;
    }
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    const QByteArray entry = LiveAutostartEntry(program, settings).toUtf8();
    try {
        ReplaceFile(file, {std::string_view(entry.constData(), std::size_t(entry.size()))});
    } catch (const TError& failure) {
        throw TError(TFailure::WriteSettings, file, failure.Code());
    }
}

void StartLive(const QString& program, const QString& settings) {
    if (!QProcess::startDetached(program, {QStringLiteral("--settings"), settings}))
        throw TError(TFailure::StartProgram, QFile::encodeName(program).toStdString());
}

QString LaunchLive(bool atLogin, const QString& autostart, const QString& program,
                   const QString& settings) {
    StartLive(program, settings);
    try {
        SetLiveAutostart(atLogin, autostart, program, settings);
    } catch (const TError& error) {
        const QString reason = QString::fromLocal8Bit(error.Code().message().c_str());
        return (atLogin ? QCoreApplication::translate(
                              "Background", "The live wallpaper is running, but it will not "
                                            "start at login: %1 cannot be written (%2)")
                        : QCoreApplication::translate(
                              "Background", "The live wallpaper is running, but it will still "
                                            "start at login: %1 cannot be removed (%2)"))
            .arg(QDir::toNativeSeparators(autostart), reason);
    }
    return {};
}

} // namespace ombrix
