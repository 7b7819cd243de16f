// Which extension folder suits which shell, and where the extension is the way at all.
#include "GnomeExtension.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

TEST(GnomeExtension, FolderForEachShellVersion) {
    const struct {
        const char* Version;
        const char* Uuid;
    } cases[] = {
        {"43.9", GnomeExtensionUuid},
        {"44.0", GnomeExtensionUuid},
        {"45.2", GnomeExtensionEsmUuid},
        {"47.beta", GnomeExtensionEsmUuid},
        {"42.9", ""},
        {"", ""},
        {"forty-six", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GnomeExtensionFor(QString::fromLatin1(c.Version)), QString::fromLatin1(c.Uuid))
            << c.Version;
}

TEST(GnomeExtension, OnlyGnomeUnderWayland) {
    const struct {
        const char* Desktop;
        const char* Wayland;
        bool Expected;
    } cases[] = {
        {"GNOME", "wayland-0", true}, {"ubuntu:GNOME", "wayland-0", true},
        {"GNOME", "", false},         {"GNOME-Classic:GNOME", "wayland-0", true},
        {"KDE", "wayland-0", false},  {"GNOME-Flashback", "wayland-0", false},
    };
    for (const auto& c : cases) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QString::fromLatin1(c.Desktop));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLatin1(c.Wayland));
        EXPECT_EQ(GnomeShellOnWayland(environment), c.Expected) << c.Desktop << " " << c.Wayland;
    }
}

} // namespace
} // namespace ombrix
