// The program's languages. Its captions and messages are written in Japanese; that is
// what shows in Japanese and in the C/POSIX locale. Every other language gets the
// English translation, and the toolkit's own dialogs speak the user's language.
#pragma once

#include <QLocale>
#include <QString>

namespace ombrix {

/// Installs the translators for `locale` on the application: none for Japanese and
/// C/POSIX; otherwise the program's English translation and the toolkit's translation
/// for the locale's language, where one is installed. Call once, before the forms are
/// made. Returns whether the English translation was installed.
bool InstallTranslations(const QLocale& locale);

/// A message from the program's own libraries (which know nothing of translation) in
/// the user's language. The messages are known by their Japanese text, with "%1"
/// standing for a file name: "ﾌｧｲﾙ %1 を作成できません" also matches that text with any
/// name in place of %1. A message not among them comes back as it is.
QString TranslateMessage(const QString& message);

} // namespace ombrix
