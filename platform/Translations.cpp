#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ombrix {

namespace {

bool SpeaksJapanese(const QLocale& locale) {
    return locale.language() == QLocale::Japanese || locale.language() == QLocale::C;
}

} // namespace

bool InstallTranslations(const QLocale& locale) {
    // Qt's own texts (standard dialogs, context menus) in the user's language.
    auto* toolkit = new QTranslator(QCoreApplication::instance());
    if (toolkit->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit);
    else
        delete toolkit;
    const bool japanese = SpeaksJapanese(locale);
    auto* program = new QTranslator(QCoreApplication::instance());
    if (!program->load(japanese ? QStringLiteral(":/i18n/ombrix_ja.qm")
                                : QStringLiteral(":/i18n/ombrix_en.qm"))) {
        delete program;
        return false;
    }
    QCoreApplication::installTranslator(program);
    return !japanese;
}

} // namespace ombrix
