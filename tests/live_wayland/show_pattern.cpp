// Drives the layer-shell adapter as the live program's core does: shows a picture (the
// pattern) every --interval milliseconds while something can be seen. Prints one line
// per visibility change with the number of pictures shown so far, and the adapter's
// message on standard error with exit status 1 when the compositor goes away.
//   lw_show_pattern PATTERN.png [INTERVAL-MS]
#include "LayerShellOutputs.h"

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lw_show_pattern PATTERN.png [INTERVAL-MS]\n");
        return 2;
    }
    const QImage image =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "lw_show_pattern: cannot read %s\n", argv[1]);
        return 2;
    }
    std::string reason;
    auto outputs = ombrix::OpenLayerShell(reason);
    if (!outputs) {
        std::fprintf(stderr, "no layer shell: %s\n", reason.c_str());
        return 3;
    }
    std::printf("way: %s\n", outputs->Name().c_str());
    std::fflush(stdout);

    const ombrix::TLivePattern pattern{image.width(), image.height(),
                                       static_cast<int>(image.bytesPerLine() / 4),
                                       reinterpret_cast<const std::uint32_t*>(image.constBits())};
    long shown = 0;
    bool visible = true;
    outputs->VisibilityChanged = [&](bool now) {
        visible = now;
        std::printf("visible %d shown %ld\n", now ? 1 : 0, shown);
        std::fflush(stdout);
    };
    outputs->Lost = [&](const std::string& message) {
        std::fprintf(stderr, "lost: %s\n", message.c_str());
        outputs.reset();
        QCoreApplication::exit(1);
    };
    QTimer steps;
    QObject::connect(&steps, &QTimer::timeout, [&] {
        if (visible && outputs) {
            outputs->Show(pattern);
            ++shown;
        }
    });
    steps.start(argc > 2 ? std::atoi(argv[2]) : 33);
    if (outputs) {
        outputs->Show(pattern);
        ++shown;
    }
    return QCoreApplication::exec();
}
