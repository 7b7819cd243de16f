// choose_wallpaper ID: sets the Plasma wallpaper ID on every desktop as the window's Live
// choice does (TPlasmaWallpaper), on the session bus of the environment; prints why not
// and exits 1 when that fails.
#include "PlasmaWallpaper.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    ombrix::TPlasmaWallpaper plasma;
    QObject::connect(&plasma, &ombrix::TPlasmaWallpaper::Answered, [](const QString& reason) {
        if (!reason.isEmpty())
            std::fprintf(stderr, "%s\n", reason.toLocal8Bit().constData());
        QCoreApplication::exit(reason.isEmpty() ? 0 : 1);
    });
    plasma.Start(QProcessEnvironment::systemEnvironment().value("DBUS_SESSION_BUS_ADDRESS"),
                 QString::fromLocal8Bit(argv[1]));
    return app.exec();
}
