#include "Xvfb.h"

namespace ombrix::testing {

QString StartXvfb(QProcess& xvfb, int width, int height) {
    xvfb.start(QStringLiteral("Xvfb"),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
                QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!xvfb.waitForStarted())
        return {};
    // Xvfb writes its display number once it takes clients.
    QByteArray number;
    while (!number.endsWith('\n') && xvfb.waitForReadyRead(60000))
        number += xvfb.readAllStandardOutput();
    number = number.trimmed();
    return number.isEmpty() ? QString() : QLatin1Char(':') + QString::fromLatin1(number);
}

} // namespace ombrix::testing
