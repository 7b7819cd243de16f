#include "X11Words.h"

#include <QCoreApplication>

namespace ombrix {

namespace {

// The text of `failure`: %1 stands for its subject (OpenDisplay) or its number.
const char* Text(TRootFailure failure, bool hasSubject) {
    switch (failure) {
    case TRootFailure::OpenDisplay:
        return hasSubject ? QT_TRANSLATE_NOOP("Background", "cannot open the X display %1")
                          : QT_TRANSLATE_NOOP("Background",
                                              "cannot open the X display (DISPLAY is not set)");
    case TRootFailure::PictureSize:
        return QT_TRANSLATE_NOOP("Background",
                                 "the picture for the root window is empty or too large");
    case TRootFailure::ScreenDepth:
        return QT_TRANSLATE_NOOP("Background", "the X screen's depth of %1 bits is not "
                                               "supported (24 or 32 bits are)");
    case TRootFailure::BackgroundDepth:
        return QT_TRANSLATE_NOOP("Background", "the root background's depth of %1 bits "
                                               "is not supported (24 or 32 bits are)");
    case TRootFailure::RefusedPicture:
        return QT_TRANSLATE_NOOP("Background",
                                 "the X server refused a pixmap for the picture (error %1)");
    case TRootFailure::RefusedScreen:
        return QT_TRANSLATE_NOOP("Background",
                                 "the X server refused a pixmap of the screen's size (error %1)");
    case TRootFailure::RefusedBackground:
        return QT_TRANSLATE_NOOP("Background",
                                 "the X server refused the root window's background (error %1)");
    case TRootFailure::RefusedKeep:
        return QT_TRANSLATE_NOOP("Background", "the X server refused to keep the background "
                                               "after the program ends (error %1)");
    case TRootFailure::NoBackgroundPicture:
        return QT_TRANSLATE_NOOP("Background",
                                 "the X server did not give the root background's picture");
    }
    return "the root background failed";
}

QString Filled(const QString& text, TRootFailure failure, const std::string& subject, long number) {
    if (!text.contains(QLatin1String("%1")))
        return text;
    return failure == TRootFailure::OpenDisplay ? text.arg(QString::fromLocal8Bit(subject))
                                                : text.arg(number);
}

} // namespace

std::string RootFailureEnglish(TRootFailure failure, const std::string& subject, long number) {
    return Filled(QString::fromLatin1(Text(failure, !subject.empty())), failure, subject, number)
        .toStdString();
}

QString RootErrorWords(const TRootError& error) {
    const char* text = Text(error.Failure, !error.Subject.empty());
    return Filled(QCoreApplication::translate("Background", text), error.Failure, error.Subject,
                  error.Number);
}

} // namespace ombrix
