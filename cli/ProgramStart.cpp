#include "ProgramStart.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace ombrix {

namespace {

const char* Program = "ombrix";

void OnToolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s: %s\n", Program, message.toLocal8Bit().constData());
}

} // namespace

void QuietToolkit(const char* program) {
    Program = program;
    qInstallMessageHandler(OnToolkitMessage);
}

std::string VersionLine(const char* program) {
    return std::string(program) + " " OMBRIX_VERSION "\n";
}

} // namespace ombrix
