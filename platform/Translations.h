// The program's languages. Its captions and messages are written in Japanese, some
// captions in English, and the texts added since in either. Two translations complete
// them, each covering every text: the Japanese one (ombrix_ja.qm) keeps the designed
// captions as they are, English ones included, and words the added texts in Japanese;
// the English one (ombrix_en.qm) words every text in English.
//
//   Japanese         the Japanese translation; the toolkit's dialogs in Japanese
//   C/POSIX          the Japanese translation, so that the program keeps the look it was
//                    designed with; the toolkit's dialogs in the toolkit's own English
//   any other        the English translation; the toolkit's dialogs in the user's
//                    language where the toolkit has a translation for it
#pragma once

#include <QLocale>
#include <QString>

namespace ombrix {

/// Installs the translators for `locale` on the application, as the table above says.
/// Call once, before the forms are made. Returns whether the English translation was
/// installed.
bool InstallTranslations(const QLocale& locale);

/// A message from the program's own libraries (which know nothing of translation) in
/// the user's language. The messages are known by their Japanese text, with "%1"
/// standing for a file name: "ﾌｧｲﾙ %1 を作成できません" also matches that text with any
/// name in place of %1. A message not among them comes back as it is.
QString TranslateMessage(const QString& message);

} // namespace ombrix
