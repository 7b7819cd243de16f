#include "WayWords.h"

#include "DesktopBackground.h"

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
