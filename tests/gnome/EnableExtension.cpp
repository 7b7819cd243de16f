// Asks the shell on the session bus to enable the extension as the window's Live choice
// does, and prints the answer: "enabled", or "refused: " and why.
#include "GnomeExtension.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ombrix::EnableGnomeExtension(&app, [](const ombrix::TGnomeAnswer& answer) {
        std::printf("%s\n",
                    answer.Enabled ? "enabled" : ("refused: " + answer.Why.toStdString()).c_str());
        QCoreApplication::quit();
    });
    return app.exec();
}
