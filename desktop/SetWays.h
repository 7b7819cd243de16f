// Pieces of setting a picture that reading and putting back use too. Internal to the
// desktop library.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

namespace ombrix {

/// Xfce keeps a picture per screen, monitor and workspace: the last-image keys of the
/// listing `listed` (xfconf-query -l), or without any yet, those of workspace 0 of each
/// of `monitors`.
QStringList XfceImageKeys(const QString& listed, const QStringList& monitors);
/// The image-style key beside the last-image key `imageKey`.
QString XfceStyleKey(const QString& imageKey);

/// On the X11 worker: reads the picture file `path` (`unreadable`, with the path as %1,
/// is the reason when it cannot be read), asks `proceed`, and sets the picture as the
/// root background of `display`. `reason` is empty when it was set.
void SetRootPicture(const QString& path, const std::string& display, const QString& unreadable,
                    const std::function<QString()>& proceed, QString& reason);

} // namespace ombrix
