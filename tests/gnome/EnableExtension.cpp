// The window's two dealings with the shell extension, run against the real shell:
// without an argument it asks the shell to enable the extension as the Live choice does,
// and prints the answer: "enabled", or "refused: " and why; with "end" it ends the live
// wallpaper as a still picture does when it takes its place, and runs until killed.
#include "GnomeExtension.h"
#include "LiveEnd.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "end") == 0) {
        ombrix::TLiveEnder ender;
        ender.Start(ombrix::TLivePlace::Of(QProcessEnvironment::systemEnvironment()));
        return app.exec();
    }
    ombrix::EnableGnomeExtension(&app, [](const ombrix::TGnomeAnswer& answer) {
        std::printf("%s\n",
                    answer.Enabled ? "enabled" : ("refused: " + answer.Why.toStdString()).c_str());
        QCoreApplication::quit();
    });
    return app.exec();
}
