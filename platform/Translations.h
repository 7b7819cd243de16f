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

} // namespace ombrix
