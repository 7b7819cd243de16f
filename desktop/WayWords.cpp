#include "WayWords.h"

#include "DesktopBackground.h"
#include "X11Root.h"

#include <QCoreApplication>
#include <QDir>

namespace ombrix {

namespace {

struct TWayName {
    TWay Way;
    const char* Words;
};
constexpr TWayName WayNames[] = {
    {TWay::Portal, QT_TRANSLATE_NOOP("Background", "desktop portal")},
    {TWay::Gnome, QT_TRANSLATE_NOOP("Background", "GNOME settings (gsettings)")},
    {TWay::Xfce, QT_TRANSLATE_NOOP("Background", "Xfce settings (xfconf-query)")},
    {TWay::Mate, QT_TRANSLATE_NOOP("Background", "MATE settings (gsettings)")},
    {TWay::Cinnamon, QT_TRANSLATE_NOOP("Background", "Cinnamon settings (gsettings)")},
    {TWay::Lxqt, QT_TRANSLATE_NOOP("Background", "LXQt (pcmanfm-qt)")},
    {TWay::Lxde, QT_TRANSLATE_NOOP("Background", "LXDE (pcmanfm)")},
    {TWay::Hyprland, QT_TRANSLATE_NOOP("Background", "Hyprland (hyprctl hyprpaper)")},
    {TWay::Plasma, QT_TRANSLATE_NOOP("Background", "KDE Plasma (plasma-apply-wallpaperimage)")},
    {TWay::Sway, QT_TRANSLATE_NOOP("Background", "sway (its IPC socket)")},
    {TWay::X11Root, QT_TRANSLATE_NOOP("Background", "X11 root window")},
    {TWay::OwnSettings, QT_TRANSLATE_NOOP("Background", "the desktop's own settings")}};

QString Words(const char* text) {
    return QCoreApplication::translate("Background", text);
}

} // namespace

QString WayName(TWay way) {
    for (const TWayName& each : WayNames)
        if (each.Way == way)
            return Words(each.Words);
    return {};
}

QString RootReason(const TRootError& error) {
    const QString number = QString::number(error.Number);
    switch (error.Failure) {
    case TRootFailure::OpenDisplay:
        return error.Subject.empty()
                   ? Words(QT_TRANSLATE_NOOP("Background",
                                             "cannot open the X display (DISPLAY is not set)"))
                   : Words(QT_TRANSLATE_NOOP("Background", "cannot open the X display %1"))
                         .arg(QString::fromLocal8Bit(error.Subject));
    case TRootFailure::PictureSize:
        return Words(QT_TRANSLATE_NOOP("Background",
                                       "the picture for the root window is empty or too large"));
    case TRootFailure::ScreenDepth:
        return Words(QT_TRANSLATE_NOOP("Background", "the X screen's depth of %1 bits is not "
                                                     "supported (24 or 32 bits are)"))
            .arg(number);
    case TRootFailure::BackgroundDepth:
        return Words(QT_TRANSLATE_NOOP("Background", "the root background's depth of %1 bits "
                                                     "is not supported (24 or 32 bits are)"))
            .arg(number);
    case TRootFailure::RefusedPicture:
        return Words(QT_TRANSLATE_NOOP("Background",
                                       "the X server refused a pixmap for the picture (error %1)"))
            .arg(number);
    case TRootFailure::RefusedScreen:
        return Words(QT_TRANSLATE_NOOP(
                         "Background",
                         "the X server refused a pixmap of the screen's size (error %1)"))
            .arg(number);
    case TRootFailure::RefusedBackground:
        return Words(QT_TRANSLATE_NOOP(
                         "Background",
                         "the X server refused the root window's background (error %1)"))
            .arg(number);
    case TRootFailure::RefusedKeep:
        return Words(QT_TRANSLATE_NOOP("Background", "the X server refused to keep the background "
                                                     "after the program ends (error %1)"))
            .arg(number);
    case TRootFailure::NoBackgroundPicture:
        return Words(QT_TRANSLATE_NOOP("Background",
                                       "the X server did not give the root background's picture"));
    }
    return QString::fromStdString(error.what());
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
